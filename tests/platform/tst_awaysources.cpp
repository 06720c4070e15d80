// Time away as the desktop reports it: a fake logind, screen saver, idle monitor and
// notification server on a private bus, and the real tracker, sources and notifier.
#include "PrivateBus.h"
#include "core/AwayTime.h"
#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "platform/AwayNotifier.h"
#include "platform/AwaySources.h"
#include "records/Store.h"
#include "timecalc/Clock.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/_31");

class FakeDesktop : public QDBusVirtualObject
{
public:
    quint64 idle = 0;
    int asked = 0;
    QStringList bodies;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &bus) override
    {
        QVariantList answer;
        if (message.member() == u"GetSessionByPID") {
            answer << QVariant::fromValue(QDBusObjectPath(sessionPath));
        } else if (message.member() == u"GetIdletime") {
            ++asked;
            answer << QVariant::fromValue(idle);
        } else if (message.member() == u"Notify") {
            bodies << message.arguments().value(4).toString();
            answer << uint(bodies.size());
        } else {
            return false;
        }
        return bus.send(message.createReply(answer));
    }
};

struct Tracking
{
    Tracking(const QString &dir, const QDBusConnection &bus)
        : store(Store::open(dir + QStringLiteral("/timeglas.sqlite"), nullptr)),
          preferences(dir + QStringLiteral("/timeglas.conf")), tracker(store.get(), &manager, &preferences),
          sources(&tracker, bus, bus), notifier(&tracker, bus)
    {
    }
    std::unique_ptr<Store> store;
    Preferences preferences;
    TimerManager manager;
    AwayTracker tracker;
    AwaySources sources;
    AwayNotifier notifier;
};
} // namespace

class TestAwaySources : public QObject
{
    Q_OBJECT

public:
    explicit TestAwaySources(const QString &address) : m_address(address) {}

private:
    QString m_address;
    QDBusConnection m_desktop{QString()};
    FakeDesktop m_fake;
    int m_heard = 0;
    const double t0 = 1.78e9;

    void send(const QString &path, const char *interface, const char *name, const QVariantList &arguments = {})
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, QLatin1String(interface), QLatin1String(name));
        signal.setArguments(arguments);
        QVERIFY(m_desktop.send(signal));
    }

public slots:
    void heard() { ++m_heard; }
    void heard(bool) { ++m_heard; }

private slots:
    void initTestCase()
    {
        // The desktop's services, all on a connection of their own as another process would be.
        m_desktop = QDBusConnection::connectToBus(m_address, QStringLiteral("desktop"));
        for (const char *name : {"org.freedesktop.login1", "org.freedesktop.ScreenSaver", "org.gnome.Mutter.IdleMonitor",
                                 "org.freedesktop.Notifications"})
            QVERIFY(m_desktop.registerService(QLatin1String(name)));
        QVERIFY(m_desktop.registerVirtualObject(QStringLiteral("/org"), &m_fake, QDBusConnection::SubPath));
    }

    // Each source makes a spell of 15 minutes; the answer comes from the notification. The
    // idle time is asked for only while a task runs.
    void spellsFromEachSource_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("action");
        QTest::addColumn<qint64>("accumulated");
        QTest::addColumn<bool>("running");
        QTest::newRow("suspend, time removed") << "sleep" << "remove" << qint64(70) << true;
        QTest::newRow("session lock, kept") << "lock" << "keep" << qint64(0) << true;
        QTest::newRow("screen saver, removed and stopped") << "screensaver" << "remove-and-stop" << qint64(60) << false;
        // Idle from the last input 15 minutes ago until the last reading that still saw it.
        QTest::newRow("idle, time removed") << "idle" << "remove" << qint64(100) << true;
    }
    void spellsFromEachSource()
    {
        QFETCH(QString, source);
        QFETCH(QString, action);
        QFETCH(qint64, accumulated);
        QFETCH(bool, running);
        timecalc::TestClock clock(t0);
        m_fake.idle = 0;
        m_fake.asked = 0;
        m_fake.bodies.clear();
        m_heard = 0;
        QTemporaryDir dir;
        const auto leave = qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("ours")); });
        // Our side uses its own connection for both buses: logind's system bus is played here.
        QDBusConnection ours = QDBusConnection::connectToBus(m_address, QStringLiteral("ours"));
        Tracking parts(dir.path(), ours);
        QVERIFY(parts.store);
        parts.sources.setIdlePollInterval(20);
        Task *task = parts.store->insert(Task::create(QStringLiteral("Møde <b>"), t0, 0, std::nullopt));
        QVERIFY(parts.sources.isAvailable());
        QTRY_VERIFY(parts.sources.hasLookedForSession());
        // A round trip to the bus: it has taken every signal subscription sent before it.
        QVERIFY(ours.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")));

        QVERIFY(!parts.sources.isPollingIdle());
        parts.manager.start(task, parts.store->tasks(), parts.store.get());
        clock.advance(60);
        const bool sleep = source == u"sleep", lock = source == u"lock";
        const QString path = sleep ? "/org/freedesktop/login1" : lock ? sessionPath : "/org/freedesktop/ScreenSaver";
        const char *interface = sleep ? "org.freedesktop.login1.Manager"
                                : lock ? "org.freedesktop.login1.Session" : "org.freedesktop.ScreenSaver";
        const char *begins = sleep ? "PrepareForSleep" : lock ? "Lock" : "ActiveChanged";
        if (source != u"idle") {
            // Nothing shows until the spell ends; its start has arrived once our own receiver,
            // on the sources' connection, has heard it.
            QVERIFY(QDBusConnection(QStringLiteral("ours")).connect({}, path, interface, begins, this,
                                                                 lock ? SLOT(heard()) : SLOT(heard(bool))));
            send(path, interface, begins, lock ? QVariantList() : QVariantList{true});
            QTRY_COMPARE(m_heard, 1);
            QCoreApplication::processEvents();
            clock.advance(900);
            send(path, interface, lock ? "Unlock" : begins, lock ? QVariantList() : QVariantList{false});
        } else {
            clock.advance(900);
            m_fake.idle = 900 * 1000; // no input since the minute mark
            QTRY_VERIFY(m_fake.asked > 0);
            m_fake.asked = 0;
            QTRY_VERIFY(m_fake.asked > 0);
            clock.advance(30);
            m_fake.idle = 2000; // back
        }
        QTRY_VERIFY(parts.tracker.hasQuestion());
        const QString expected = QStringLiteral("Du var væk i 0:15, mens «Møde <b>» kørte");
        QCOMPARE(parts.tracker.questionText(), expected);
        QTRY_COMPARE(m_fake.bodies, QStringList{expected.toHtmlEscaped()});

        clock.advance(10);
        send(QStringLiteral("/org/freedesktop/Notifications"), "org.freedesktop.Notifications", "ActionInvoked", {1u, action});
        QTRY_VERIFY(!parts.tracker.hasQuestion());
        QCOMPARE(task->accumulatedSeconds(), accumulated);
        QCOMPARE(task->isRunning(), running);
        QCOMPARE(parts.sources.isPollingIdle(), running);
        QVERIFY(!parts.store->hasPendingChanges());
    }
};

int main(int argc, char *argv[])
{
    return runOnPrivateBus<QCoreApplication, TestAwaySources>(argc, argv);
}

#include "tst_awaysources.moc"
