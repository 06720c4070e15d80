// The shell: store, timer manager, preferences, status item, popover, appearance and quitting.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

class AppServices;
class MenuBarLabel;
class PopoverWindow;
class Preferences;
class StatusItem;
class Store;
class Theme;
class TimerManager;
struct LabelPresentation;

class TimeTrackerApp : public QObject
{
    Q_OBJECT

public:
    // The whole process: one instance per user, then the shell until quit.
    static int run(int argc, char *argv[]);

    TimeTrackerApp();
    ~TimeTrackerApp() override;

    // Opens the store and builds everything; on failure prints the fatal line and returns false.
    bool start();
    void togglePopover();

private:
    void showPresentation(const LabelPresentation &presentation);
    void stopRunningTasks();

    std::unique_ptr<Store> m_store;
    std::unique_ptr<TimerManager> m_timerManager;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<Theme> m_theme;
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<MenuBarLabel> m_label;
    std::unique_ptr<PopoverWindow> m_popover;
    std::unique_ptr<StatusItem> m_statusItem;
    QString m_iconName; // of m_icon, drawn once per change
    QIcon m_icon;
};
