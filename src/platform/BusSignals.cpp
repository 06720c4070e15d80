#include "platform/BusSignals.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QList>
#include <QPointer>

#include <utility>

namespace {
struct Pending
{
    QDBusConnection bus;
    QDBusMessage signal;
};

QList<Pending> &pending()
{
    static QList<Pending> list;
    return list;
}

void flush()
{
    const QList<Pending> batch = std::exchange(pending(), {});
    if (batch.isEmpty())
        return;
    // The bus interface object lives in QtDBus's own thread: a call queued to it runs there,
    // where sending is a direct write.
    QPointer<QObject> home = batch.constFirst().bus.interface();
    const auto sendAll = [batch] {
        for (const Pending &p : batch)
            p.bus.send(p.signal);
    };
    if (!home || !QMetaObject::invokeMethod(home, sendAll, Qt::QueuedConnection))
        sendAll();
}
} // namespace

void BusSignals::send(const QDBusConnection &bus, const QDBusMessage &signal)
{
    if (!bus.isConnected())
        return;
    pending().append({bus, signal});
    if (pending().size() == 1)
        QMetaObject::invokeMethod(QCoreApplication::instance(), &flush, Qt::QueuedConnection);
}
