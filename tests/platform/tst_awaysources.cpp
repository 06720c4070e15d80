// Time away as the desktop reports it: a fake logind, screen saver, idle monitor and
// notification server on a private bus, and the real tracker, sources and notifier.
#include "AwayNotifier.h"
#include "AwaySources.h"
#include "AwayTime.h"
#include "Clock.h"
#include "Preferences.h"
#include "PrivateBus.h"
#include "Store.h"
#include "TimerManager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QTemporaryDir>
#include <QtTest>

using timecalc::Clock;

namespace {
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/_31");

class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(sessionPath); }
signals:
    void PrepareForSleep(bool start);
};

class FakeSession : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
signals:
    void Lock();
    void Unlock();
};

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
signals:
    void ActiveChanged(bool active);
};

class FakeIdleMonitor : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")
public:
    quint64 idle = 0;
    int asked = 0;
public slots:
    quint64 GetIdletime()
    {
        ++asked;
        return idle;
    }
};

class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList bodies;
    QStringList actions;
    QList<uint> closed;
public slots:
    uint Notify(const QString &, uint, const QString &, const QString &, const QString &body,
                const QStringList &actionList, const QVariantMap &, int)
    {
        bodies << body;
        actions = actionList;
        return uint(bodies.size());
    }
    void CloseNotification(uint id) { closed << id; }
signals:
    void ActionInvoked(uint id, const QString &key);
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
    FakeLogind m_logind;
    FakeSession m_session;
    FakeScreenSaver m_screenSaver;
    FakeIdleMonitor m_idleMonitor;
    FakeNotifications m_notifications;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<TimerManager> m_manager;
    std::unique_ptr<AwayTracker> m_tracker;
    std::unique_ptr<AwaySources> m_sources;
    std::unique_ptr<AwayNotifier> m_notifier;
    Task *m_task = nullptr;
    const double t0 = 1.78e9;

    void advance(double seconds) { Clock::setFixed(Clock::nowSeconds() + seconds); }

private slots:
    void initTestCase()
    {
        // The desktop's services, all on a connection of their own as another process would be.
        m_desktop = QDBusConnection::connectToBus(m_address, QStringLiteral("desktop"));
        QVERIFY(m_desktop.isConnected());
        const auto serve = [this](const char *name, const QString &path, QObject *object) {
            return m_desktop.registerService(QLatin1String(name))
                   && m_desktop.registerObject(path, object,
                                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        };
        QVERIFY(serve("org.freedesktop.login1", QStringLiteral("/org/freedesktop/login1"), &m_logind));
        QVERIFY(m_desktop.registerObject(sessionPath, &m_session, QDBusConnection::ExportAllSignals));
        QVERIFY(serve("org.freedesktop.ScreenSaver", QStringLiteral("/org/freedesktop/ScreenSaver"), &m_screenSaver));
        QVERIFY(serve("org.gnome.Mutter.IdleMonitor", QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
                      &m_idleMonitor));
        QVERIFY(serve("org.freedesktop.Notifications", QStringLiteral("/org/freedesktop/Notifications"),
                      &m_notifications));
    }

    void init()
    {
        Clock::setFixed(t0);
        m_dir = std::make_unique<QTemporaryDir>();
        QString error;
        m_store = Store::open(m_dir->filePath("timeglas.sqlite"), &error);
        QVERIFY2(m_store, qPrintable(error));
        m_preferences = std::make_unique<Preferences>(m_dir->filePath("timeglas.conf"));
        m_manager = std::make_unique<TimerManager>();
        m_tracker = std::make_unique<AwayTracker>(m_store.get(), m_manager.get(), m_preferences.get());
        // Our side uses its own connection for both buses: logind's system bus is played here.
        QDBusConnection ours = QDBusConnection::connectToBus(m_address, QStringLiteral("ours"));
        m_sources = std::make_unique<AwaySources>(m_tracker.get(), ours, ours);
        m_sources->setIdlePollInterval(20);
        m_notifier = std::make_unique<AwayNotifier>(m_tracker.get(), ours);
        m_task = m_store->insert(Task::create(QStringLiteral("Møde <b>"), t0, 0, std::nullopt));
        m_idleMonitor.idle = 0;
        m_notifications.bodies.clear();
        m_notifications.closed.clear();
        QVERIFY(m_sources->isAvailable());
        QTRY_VERIFY(m_sources->hasLookedForSession());
        // A round trip to the bus: it has taken every signal subscription sent before it.
        QVERIFY(ours.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")));
    }

    void cleanup()
    {
        m_notifier.reset();
        m_sources.reset();
        m_tracker.reset();
        m_manager.reset();
        m_preferences.reset();
        m_store.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("ours"));
        Clock::reset();
    }

    void idleIsAskedOnlyWhileATaskRuns()
    {
        QTest::qWait(100);
        QCOMPARE(m_idleMonitor.asked, 0);
        QVERIFY(!m_sources->isPollingIdle());
        m_manager->start(m_task, m_store->tasks(), m_store.get());
        QTRY_VERIFY(m_idleMonitor.asked > 0);
        m_manager->stop(m_task, m_store.get());
        QVERIFY(!m_sources->isPollingIdle());
        QTest::qWait(100); // a question already on its way is still answered
        const int asked = m_idleMonitor.asked;
        QTest::qWait(100);
        QCOMPARE(m_idleMonitor.asked, asked);
    }

    // Each source makes a spell of 15 minutes; the answer comes from the notification.
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
        m_manager->start(m_task, m_store->tasks(), m_store.get());
        advance(60);
        if (source == "sleep") {
            emit m_logind.PrepareForSleep(true);
            QTest::qWait(50);
            advance(900);
            emit m_logind.PrepareForSleep(false);
        } else if (source == "lock") {
            emit m_session.Lock();
            QTest::qWait(50);
            advance(900);
            emit m_session.Unlock();
        } else if (source == "screensaver") {
            emit m_screenSaver.ActiveChanged(true);
            QTest::qWait(50);
            advance(900);
            emit m_screenSaver.ActiveChanged(false);
        } else {
            advance(900);
            m_idleMonitor.idle = 900 * 1000; // no input since the minute mark
            QTRY_VERIFY(m_idleMonitor.asked > 0);
            m_idleMonitor.asked = 0;
            QTRY_VERIFY(m_idleMonitor.asked > 0);
            advance(30);
            m_idleMonitor.idle = 2000; // back
        }
        QTRY_VERIFY(m_tracker->hasQuestion());
        const QString expected = QStringLiteral("Du var væk i 0:15, mens «Møde <b>» kørte");
        QCOMPARE(m_tracker->questionText(), expected);
        QTRY_COMPARE(m_notifications.bodies, QStringList{expected.toHtmlEscaped()});
        QCOMPARE(m_notifications.actions,
                 QStringList({"keep", "Behold", "remove", "Fjern tiden", "remove-and-stop", "Fjern og stop"}));

        advance(10);
        emit m_notifications.ActionInvoked(1, action);
        QTRY_VERIFY(!m_tracker->hasQuestion());
        QCOMPARE(m_task->accumulatedSeconds(), accumulated);
        QCOMPARE(m_task->isRunning(), running);
        QVERIFY(!m_store->hasPendingChanges());
    }

    // Answered in the day view: the notification goes away with the question.
    void answeredElsewhereClosesTheNotification()
    {
        m_manager->start(m_task, m_store->tasks(), m_store.get());
        emit m_session.Lock();
        QTest::qWait(50);
        advance(3600);
        emit m_session.Unlock();
        QTRY_COMPARE(m_notifications.bodies.size(), 1);
        m_tracker->answer(int(away::Choice::Keep));
        QTRY_COMPARE(m_notifications.closed, QList<uint>{1});
    }
};

int main(int argc, char *argv[])
{
    PrivateBus bus;
    if (!bus.isRunning()) {
        qCritical("%s", qPrintable(bus.error()));
        return 1;
    }
    QCoreApplication app(argc, argv);
    TestAwaySources test(bus.address());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_awaysources.moc"
