// Our item on the session bus in the StatusNotifierItem protocol, with the Ayatana text label
// next to the icon. Served on the bus thread (BusLoop), where the label's clock ticks: what
// panels are told is kept there, and clicks cross over to the GUI thread.
#pragma once

#include "core/MenuBarLabel.h"

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <optional>
#include <string>

class BusLoop;
class DBusMenuExporter;
class QMenu;
struct sd_bus;
struct sd_bus_slot;

// One icon size as the protocol carries it: ARGB32 pixels in network byte order.
struct SniPixmap
{
    int width = 0;
    int height = 0;
    QByteArray argb;

    friend bool operator==(const SniPixmap &, const SniPixmap &) = default;
};

class StatusNotifierItem : public QObject
{
    Q_OBJECT

public:
    static constexpr auto watcherService = "org.kde.StatusNotifierWatcher";
    static constexpr auto watcherPath = "/StatusNotifierWatcher";
    static constexpr auto itemInterface = "org.kde.StatusNotifierItem";
    static constexpr auto itemPath = "/StatusNotifierItem";

    // On `loop`'s connection, which must be open and outlive the item.
    explicit StatusNotifierItem(BusLoop *loop, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Puts the item on the bus under a name of its own; false when the bus refused.
    bool publish();
    bool isPublished() const { return m_published; }
    // Announces the item to the running watcher; the answer comes as registered() or registrationFailed().
    void registerWithWatcher();
    QString serviceName() const { return m_serviceName; }

    void setIcon(const QIcon &icon);
    // The label, or while a task runs its clock (which the bus thread moves on each second);
    // the tooltip's plain text, and a line it adds under it (a failing save, say; empty for
    // none). Panels hear only of what changed: a label that ticks each second does not make
    // them fetch the title and tooltip again.
    void setText(const QString &text, const QString &toolTip = QString(), const QString &warning = QString(),
                 const std::optional<LabelClock> &clock = std::nullopt);

    // The tooltip's body, which panels render as markup: the user's text is escaped.
    static QString toolTipBody(const QString &toolTip, const QString &warning);

    // The icon at the sizes panels commonly draw, converted for the bus.
    static QList<SniPixmap> toPixmaps(const QIcon &icon);

    // A themed icon panels can recolour, drawn instead of the pixmaps where they find it;
    // the theme path is an extra folder to look in (empty: the desktop's own folders).
    void setIconName(const QString &name, const QString &themePath = QString());

    // Offered to panels over dbusmenu (not owned); a panel that asks for the menu with
    // ContextMenu gets it popped up at the point it gives.
    void setMenu(QMenu *menu);
    void showContextMenu(QPoint at);

    // The widest text the label can grow to while this text stands: every digit drawn as
    // the widest digit, so a panel that sizes the label by it does not jitter each second.
    static QString guideFor(const QString &text);

    // What panels are told; the label is the clock's at the moment it is read.
    struct Shown
    {
        QString text;
        std::optional<LabelClock> clock;
        QString toolTip; // the body, as markup
        QList<SniPixmap> pixmaps;
        QString iconName;
        QString iconThemePath;
        QString menuPath;
        bool operator==(const Shown &) const = default;
    };

signals:
    // A click in the panel; anchor is where the panel says it was, null when it gave none.
    void activated(QPoint anchor);
    void registered();
    void registrationFailed(const QString &message);

private:
    friend struct StatusNotifierCalls;
    // Hands what changed to the bus thread.
    void republish();
    // On the bus thread: takes `next` and sends the change signals it calls for.
    void show(sd_bus *bus, Shown next, double now);
    // On the bus thread: the label (UTF-8), when it moved.
    void sendLabel(sd_bus *bus, const std::string &label, const std::string &guide);

    BusLoop *m_loop;
    QString m_serviceName;
    bool m_published = false;
    int m_registrations = 0;
    qint64 m_iconKey = 0;
    QPointer<QMenu> m_menu;
    DBusMenuExporter *m_menuExporter = nullptr;
    // GUI thread: what is to be shown, and what was last handed over.
    Shown m_posted;
    Shown m_sentToBus;
    // Bus thread.
    Shown m_shown;
    std::string m_label; // as last sent, UTF-8
    std::string m_guide;
    sd_bus_slot *m_object = nullptr;
    sd_bus_slot *m_registration = nullptr;
    int m_busAttempt = 0;
};
