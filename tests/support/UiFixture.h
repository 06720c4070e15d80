// A whole app environment for UI tests and screenshots: temporary XDG folders, a fresh
// store, the timer manager, preferences, theme and services, and a window for a QML view.
#pragma once

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "platform/AppContext.h"
#include "platform/Theme.h"
#include "qml/AppServices.h"
#include "records/Store.h"
#include "timecalc/Clock.h"

#include <QQmlEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

class UiFixture
{
public:
    UiFixture();
    ~UiFixture();

    AppContext *context() const { return m_context.get(); }
    Store *store() const { return m_context->store(); }
    TimerManager *timerManager() const { return m_context->timerManager(); }
    Preferences *preferences() const { return m_context->preferences(); }
    Theme *theme() const { return m_context->theme(); }
    AppServices *services() const { return m_services.get(); }
    QString dataDir() const { return m_dir.path(); }

    Task *addTask(const QString &name, double date, qint64 seconds = 0,
                  const std::optional<QString> &code = std::nullopt);

    TaskTemplate *addTemplate(const QString &name, const std::optional<QString> &code = std::nullopt);

    // Loads a type of the Timeglas module (e.g. "Popover") into a window of the given size,
    // passing `services` and any further initial properties. Returns the root item or nullptr;
    // every QML warning is collected in warnings().
    QQuickItem *show(const QString &typeName, QSize size = {420, 600}, const QVariantMap &properties = {});
    QQuickWindow *window() const { return m_window.get(); }
    const QStringList &warnings() const { return m_warnings; }

    // The shown view's items by objectName. List delegates are not QObject children of
    // their list, so the search follows the item tree. Only visible items count, top to
    // bottom, then left to right.
    QList<QQuickItem *> all(const QString &name) const;
    QQuickItem *named(const QString &name) const { return all(name).value(0); }
    // The item once it has come to rest inside the window (banners and notices slide in).
    QQuickItem *settled(const QString &name) const;
    // Waits until nothing in the window moves or fades from one poll to the next.
    bool atRest() const;
    QString textOf(const QString &name) const;
    // A click in the middle of the item, or at `at` in its coordinates.
    void click(QQuickItem *item, Qt::MouseButton button = Qt::LeftButton, QPointF at = {-1, -1});
    // The day screen's banner state: tests open banners through it, as its buttons do.
    QObject *banners() const;
    // The context menu of the day's row at `row`.
    QObject *rowMenu(int row) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QObject> m_root;
    QStringList m_warnings;
};
