// A QMenu on the session bus in the com.canonical.dbusmenu protocol, which is how panels
// draw a status item's menu themselves. Flat menus only: entries and separators.
#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class QAction;
class QDBusArgument;
class QMenu;
class DBusMenuAdaptor;

// One entry with its children, as GetLayout answers: (ia{sv}av).
struct DBusMenuLayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

// One entry's properties, as GetGroupProperties answers: (ia{sv}).
struct DBusMenuItem
{
    int id = 0;
    QVariantMap properties;
};

// One event of EventGroup: (isvu).
struct DBusMenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data; // read by no entry of ours
    uint timestamp = 0;
};

Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItem)
Q_DECLARE_METATYPE(DBusMenuEvent)

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event);

class DBusMenuExporter : public QObject
{
    Q_OBJECT

public:
    static constexpr auto menuPath = "/MenuBar";

    // Exports `menu` (not owned) as it is now and as it changes.
    DBusMenuExporter(QMenu *menu, const QDBusConnection &bus, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    // Puts the menu on the bus at menuPath; false when the bus refused.
    bool publish();
    bool isPublished() const { return m_published; }

    // The entry and its properties as a panel sees them; id 0 is the menu itself.
    DBusMenuLayoutItem layout(int parentId, int depth, const QStringList &names) const;
    QVariantMap properties(int id, const QStringList &names = {}) const;
    // Runs an event from the panel; false for an unknown entry.
    bool event(int id, const QString &eventId);
    uint revision() const { return m_revision; }

private:
    friend class DBusMenuAdaptor;
    QAction *actionFor(int id) const;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QPointer<QMenu> m_menu;
    QDBusConnection m_bus;
    DBusMenuAdaptor *m_adaptor;
    bool m_published = false;
    uint m_revision = 1;
};
