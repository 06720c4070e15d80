// A panel's side of the bus. Calls are waited for with the loop running, since the item may
// live on the caller's own thread.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusObjectPath>
#include <QTest>


class Panel : public QObject
{
    Q_OBJECT

public:
    static inline const QString itemPath = QStringLiteral("/StatusNotifierItem");
    static inline const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
    static inline const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

    explicit Panel(const QString &address)
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("panel-%1").arg(++s_count)))
    {
    }
    ~Panel() { QDBusConnection::disconnectFromBus(m_bus.name()); }

    QDBusConnection &bus() { return m_bus; }

    // Records the item's signals from now on. The match rule leaves without waiting for an
    // answer; one round trip on the same connection puts it in force before the item, on
    // another connection, sends anything.
    void listen(const QString &service)
    {
        m_received.clear();
        m_bus.connect(service, itemPath, itemInterface, QString(), this, SLOT(record(QDBusMessage)));
        m_bus.interface()->serviceOwner(service);
    }
    QList<QVariantList> received(const QString &member) const
    {
        QList<QVariantList> found;
        for (const QDBusMessage &message : m_received) {
            if (message.member() == member)
                found.append(message.arguments());
        }
        return found;
    }

    QDBusMessage call(const QString &service, const QString &path, const QString &interface, const QString &method,
                      const QVariantList &arguments = {}, int timeoutMs = 5000)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        const QDBusPendingCall pending = m_bus.asyncCall(message, timeoutMs);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, timeoutMs + 1000))
            qWarning("No answer to %s in time", qPrintable(method));
        return pending.reply();
    }
    QDBusMessage callItem(const QString &service, const QString &method, const QVariantList &arguments = {},
                          int timeoutMs = 5000)
    {
        return call(service, itemPath, itemInterface, method, arguments, timeoutMs);
    }

    QVariant itemProperty(const QString &service, const QString &name)
    {
        const QDBusMessage reply = call(service, itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {itemInterface, name});
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments().constFirst().value<QDBusVariant>().variant();
    }
    QString menuPath(const QString &service)
    {
        return itemProperty(service, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    }

    QDBusMessage menuEvent(const QString &service, int id)
    {
        return call(service, menuPath(service), menuInterface, QStringLiteral("Event"),
                    {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    }
    // The menu's entries, by id, with their properties as GetLayout gives them.
    QList<std::pair<int, QVariantMap>> menuEntries(const QString &service)
    {
        const QDBusMessage reply = call(service, menuPath(service), menuInterface, QStringLiteral("GetLayout"),
                                        {0, -1, QStringList()});
        QList<std::pair<int, QVariantMap>> entries;
        const auto layout = reply.arguments().value(1).value<QDBusArgument>();
        int id = 0;
        QVariantMap properties;
        layout.beginStructure();
        layout >> id >> properties;
        layout.beginArray();
        while (!layout.atEnd()) {
            QDBusVariant child;
            layout >> child;
            const auto entry = child.variant().value<QDBusArgument>();
            entry.beginStructure();
            entry >> id >> properties;
            entry.endStructure();
            entries.append({id, properties});
        }
        layout.endArray();
        layout.endStructure();
        return entries;
    }
    // Clicks the top entry of the item's menu with that label. An entry that ends the program
    // may leave the click without an answer.
    bool clickMenuEntry(const QString &service, const QString &label)
    {
        for (const auto &[id, properties] : menuEntries(service)) {
            if (properties.value(QStringLiteral("label")).toString() == label) {
                menuEvent(service, id);
                return true;
            }
        }
        return false;
    }
    // The tooltip's title and description, as (sa(iiay)ss) carries them.
    QStringList toolTip(const QString &service)
    {
        const auto value = itemProperty(service, QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString icon, title, description;
        value.beginStructure();
        value >> icon;
        value.beginArray();
        while (!value.atEnd()) {
            int width = 0, height = 0;
            QByteArray pixels;
            value.beginStructure();
            value >> width >> height >> pixels;
            value.endStructure();
        }
        value.endArray();
        value >> title >> description;
        value.endStructure();
        return {title, description};
    }

private slots:
    void record(const QDBusMessage &message) { m_received.append(message); }

private:
    static inline int s_count = 0;
    QDBusConnection m_bus;
    QList<QDBusMessage> m_received;
};
