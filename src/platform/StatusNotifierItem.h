// Our item on the session bus in the StatusNotifierItem protocol, with the Ayatana text label next to the icon.
#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QVariantList>

class DBusMenuExporter;
class QDBusArgument;
class QMenu;
class StatusNotifierItemAdaptor;

// One icon size as the protocol carries it: ARGB32 pixels in network byte order.
struct SniPixmap
{
    int width = 0;
    int height = 0;
    QByteArray argb;

    friend bool operator==(const SniPixmap &, const SniPixmap &) = default;
};

struct SniToolTip
{
    QString iconName;
    QList<SniPixmap> pixmaps;
    QString title;
    QString description;
};

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)

QDBusArgument &operator<<(QDBusArgument &argument, const SniPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip);

class StatusNotifierItem : public QObject
{
    Q_OBJECT

public:
    static constexpr auto watcherService = "org.kde.StatusNotifierWatcher";
    static constexpr auto watcherPath = "/StatusNotifierWatcher";
    static constexpr auto itemInterface = "org.kde.StatusNotifierItem";
    static constexpr auto itemPath = "/StatusNotifierItem";

    explicit StatusNotifierItem(const QDBusConnection &bus, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Puts the item on the bus under a name of its own; false when the bus refused.
    bool publish();
    bool isPublished() const { return m_published; }
    // Announces the item to the running watcher; the answer comes as registered() or registrationFailed().
    void registerWithWatcher();
    QString serviceName() const { return m_serviceName; }

    void setIcon(const QIcon &icon);
    // The label; the tooltip's plain text, and a line it adds under it (a failing save, say;
    // empty for none). Panels hear only of what changed: a label that ticks each second
    // does not make them fetch the title and tooltip again.
    void setText(const QString &text, const QString &toolTip = QString(), const QString &warning = QString());

    QString text() const { return m_text; }
    // The program's name: the item's title never changes.
    QString title() const;
    SniToolTip toolTip() const;
    // The tooltip's body, which panels render as markup: the user's text is escaped.
    static QString toolTipBody(const QString &toolTip, const QString &warning);
    QList<SniPixmap> iconPixmaps() const { return m_pixmaps; }

    // The icon at the sizes panels commonly draw, converted for the bus.
    static QList<SniPixmap> toPixmaps(const QIcon &icon);

    // A themed icon panels can recolour, drawn instead of the pixmaps where they find it;
    // the theme path is an extra folder to look in (empty: the desktop's own folders).
    void setIconName(const QString &name, const QString &themePath = QString());
    QString iconName() const { return m_iconName; }
    QString iconThemePath() const { return m_iconThemePath; }

    // Offered to panels over dbusmenu (not owned); a panel that asks for the menu with
    // ContextMenu gets it popped up at the point it gives.
    void setMenu(QMenu *menu);
    QString menuPath() const;
    void showContextMenu(QPoint at);

    // The widest text the label can grow to while this text stands: every digit drawn as
    // the widest digit, so a panel that sizes the label by it does not jitter each second.
    static QString guideFor(const QString &text);

signals:
    // A click in the panel; anchor is where the panel says it was, null when it gave none.
    void activated(QPoint anchor);
    void registered();
    void registrationFailed(const QString &message);

private:
    friend class StatusNotifierItemAdaptor;
    // One of the item's change signals to the panels.
    void sendSignal(const QString &name, const QVariantList &arguments = {});

    QDBusConnection m_bus;
    StatusNotifierItemAdaptor *m_adaptor;
    QString m_serviceName;
    bool m_published = false;
    int m_registrations = 0;
    QString m_text;
    QString m_toolTip;
    QString m_warning;
    qint64 m_iconKey = 0;
    QList<SniPixmap> m_pixmaps;
    QString m_iconName;
    QString m_iconThemePath;
    QPointer<QMenu> m_menu;
    DBusMenuExporter *m_menuExporter = nullptr;
};
