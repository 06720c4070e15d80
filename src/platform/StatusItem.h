// The app's item in the panel: our StatusNotifierItem with its text label, else a tray icon with the text as tooltip.
#pragma once

#include "core/MenuBarLabel.h"

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class BusLoop;
class QDBusServiceWatcher;
class QMenu;
class StatusNotifierItem;
class TrayFactory;
class TrayIcon;

class StatusItem : public QObject
{
    Q_OBJECT

public:
    enum class Backend { None, StatusNotifier, SystemTray };
    Q_ENUM(Backend)

    // The item lives on `loop`'s connection (open, and outliving the item); `tray` makes tray
    // icons where no watcher is; without one there is no fallback.
    explicit StatusItem(BusLoop *loop, TrayFactory *tray = nullptr, QObject *parent = nullptr);
    ~StatusItem() override;

    // Puts the item in the panel; false when no panel shows it (then show the popover once).
    // Set the presentation first: a tray icon cannot show without an icon.
    bool show();
    // The icon, and the label next to it; an empty text leaves the icon alone. The tooltip
    // (plain text) and the warning under it (a save that fails, say) show on hover only.
    // While a task runs, its clock: the panel's label moves on with it by itself.
    void setPresentation(const QIcon &icon, const QString &text, const QString &toolTip = QString(),
                         const QString &warning = QString(), const std::optional<LabelClock> &clock = std::nullopt);
    // The themed icon panels may draw instead of the pixmaps; empty for none.
    void setIconName(const QString &name, const QString &themePath = QString());
    // The right-click menu (not owned), in whichever panel shows the item.
    void setMenu(QMenu *menu);
    Backend backend() const { return m_backend; }
    // The bus name panels reach our item at; empty until the item is on the bus.
    QString serviceName() const;

signals:
    // A left click on the item (a right one too where there is no menu); anchor is the screen point to open the popover
    // at, null when the panel gave none.
    void activated(QPoint anchor);
    // The panel went away or came back; None means nothing shows the item any more.
    void backendChanged(StatusItem::Backend backend);

private:
    bool useStatusNotifier();
    bool useTray();
    void dropTray();
    void setBackend(Backend backend);
    bool watcherRunning() const;
    bool hostRegistered() const;
    void onWatcherOwnerChanged(const QString &service, const QString &oldOwner, const QString &newOwner);
    QPoint trayAnchor() const;

    QDBusConnection m_bus; // to follow the watcher
    BusLoop *m_loop;
    StatusNotifierItem *m_item = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    TrayFactory *m_trayFactory;
    TrayIcon *m_tray = nullptr;
    Backend m_backend = Backend::None;
    bool m_shown = false;
    QIcon m_icon;
    QString m_text;
    QString m_toolTip;
    QString m_warning;
    std::optional<LabelClock> m_clock;
    // Tray tooltips are shown as rich text whenever they look like it: ours never do.
    QString trayToolTip() const;
    QString m_iconName;
    QString m_iconThemePath;
    QPointer<QMenu> m_menu;
};
