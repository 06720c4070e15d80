// What the whole app shares, built in the one order everything relies on: the store
// first (nothing runs without it), then the timer manager, the preferences and the theme.
#pragma once

#include <QString>
#include <memory>

class AwayTracker;
class Preferences;
class Store;
class Theme;
class TimerManager;

class AppContext
{
public:
    // Opens the store at `storePath` and builds the rest; nullptr with *error set when the
    // store cannot be opened.
    static std::unique_ptr<AppContext> open(const QString &storePath, QString *error);
    ~AppContext();

    AppContext(const AppContext &) = delete;
    AppContext &operator=(const AppContext &) = delete;

    Store *store() const { return m_store.get(); }
    TimerManager *timerManager() const { return m_timerManager.get(); }
    Preferences *preferences() const { return m_preferences.get(); }
    Theme *theme() const { return m_theme.get(); }
    AwayTracker *awayTracker() const { return m_awayTracker.get(); }

private:
    AppContext() = default;

    std::unique_ptr<Store> m_store;
    std::unique_ptr<TimerManager> m_timerManager;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<Theme> m_theme;
    std::unique_ptr<AwayTracker> m_awayTracker;
};
