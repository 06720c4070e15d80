// A panel's status notifier watcher, played by the test on a bus of its choosing: it
// records which items register, and can refuse them.
#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMutex>
#include <QThread>

#include <optional>

// It runs on a thread of its own, as a real watcher runs in another process: our item asks
// it questions synchronously.
class FakeWatcher : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER m_hostRegistered CONSTANT)

public:
    struct Registration
    {
        QString service;
        QString sender;
    };

    FakeWatcher(bool hostRegistered, bool refuses) : m_hostRegistered(hostRegistered), m_refuses(refuses) {}

    QList<Registration> registrations() const
    {
        QMutexLocker lock(&m_mutex);
        return m_registrations;
    }

public slots:
    void RegisterStatusNotifierItem(const QString &service)
    {
        if (m_refuses)
            return sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not today"));
        QMutexLocker lock(&m_mutex);
        m_registrations.append({service, message().service()});
    }

private:
    bool m_hostRegistered;
    const bool m_refuses;
    mutable QMutex m_mutex;
    QList<Registration> m_registrations;
};

// A watcher with its own connection and thread; it owns the well-known name while claimed.
class WatcherOnBus
{
public:
    explicit WatcherOnBus(const QString &address, bool hostRegistered = true, bool refuses = false)
        : m_name(QStringLiteral("fake-watcher-%1").arg(++s_count)), m_watcher(new FakeWatcher(hostRegistered, refuses))
    {
        m_bus.emplace(QDBusConnection::connectToBus(address, m_name));
        m_watcher->moveToThread(&m_thread);
        m_thread.start();
        m_bus->registerObject(QStringLiteral("/StatusNotifierWatcher"), m_watcher,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
    }
    // Leaving the bus gives up the name and the object.
    ~WatcherOnBus()
    {
        m_bus.reset();
        QDBusConnection::disconnectFromBus(m_name);
        m_thread.quit();
        m_thread.wait();
        delete m_watcher;
    }

    bool claim(bool replace = false)
    {
        const auto reply = m_bus->interface()->registerService(
            QStringLiteral("org.kde.StatusNotifierWatcher"),
            replace ? QDBusConnectionInterface::ReplaceExistingService : QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::AllowReplacement);
        return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    }
    void release() { m_bus->unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher")); }
    QList<FakeWatcher::Registration> registrations() const { return m_watcher->registrations(); }

private:
    static inline int s_count = 0;
    QString m_name;
    std::optional<QDBusConnection> m_bus;
    QThread m_thread;
    FakeWatcher *m_watcher;
};
