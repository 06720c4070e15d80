// The real program as a user meets it: start, quit by signal, refuse a damaged store, one instance.
#include "Clock.h"
#include "FakeWatcher.h"
#include "PrivateBus.h"
#include "ProgramEnvironment.h"
#include "Store.h"

#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace {
QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct TaskRow
{
    qint64 accumulatedSeconds = -1;
    bool running = true;
};

TaskRow readTask(const QString &storePath, const QString &id)
{
    TaskRow row;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(storePath).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT accumulatedSeconds, lastStartTime FROM Task WHERE id = ?1", -1, &st, nullptr);
        const QByteArray key = id.toUtf8();
        sqlite3_bind_text(st, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW) {
            row.accumulatedSeconds = sqlite3_column_int64(st, 0);
            row.running = sqlite3_column_type(st, 1) != SQLITE_NULL;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return row;
}

// Which of `names` the process has mapped right now.
QStringList mappedOf(const QProcess &p, const QStringList &names)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(no maps)")};
    const QByteArray text = maps.readAll();
    QStringList found;
    for (const QString &name : names) {
        if (text.contains(name.toUtf8()))
            found.append(name);
    }
    return found;
}
// The process's sockets that are not AF_UNIX ones, as "socket:[inode]".
QStringList foreignSockets(const QProcess &p)
{
    // Columns: Num RefCount Protocol Flags Type St Inode [Path]
    QFile unixTable(QStringLiteral("/proc/%1/net/unix").arg(p.processId()));
    QSet<QByteArray> unixInodes;
    if (unixTable.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : unixTable.readAll().split('\n')) {
            const QList<QByteArray> columns = line.simplified().split(' ');
            if (columns.size() > 6)
                unixInodes.insert(columns.at(6));
        }
    }
    QStringList foreign;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(p.processId()));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (!target.contains(QLatin1String("socket:[")))
            continue;
        const QString inode = target.section(u'[', 1).chopped(1);
        if (!unixInodes.contains(inode.toLatin1()))
            foreign.append(target);
    }
    return foreign;
}
} // namespace

class ProcessTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString storePath() const { return m_dir.filePath(QStringLiteral("data/timeglas/timeglas.sqlite")); }

    void setUpEnvironment(QProcess &p) const
    {
        // No session bus: the program must manage without one.
        p.setProcessEnvironment(programEnvironment(QDir(m_dir.path())));
        p.setProgram(QStringLiteral(TIMEGLAS_BINARY));
    }

    // A private session bus with a watcher on it, as a panel provides, for the program to use.
    bool giveAPanel(QProcess &p, std::optional<PrivateBus> &bus, std::optional<WatcherOnBus> &watcher) const
    {
        bus.emplace();
        if (!bus->isRunning()) {
            qWarning("%s", qPrintable(bus->error()));
            return false;
        }
        watcher.emplace(bus->address());
        if (!watcher->claim())
            return false;
        QProcessEnvironment env = p.processEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
        p.setProcessEnvironment(env);
        return true;
    }

    // The store is open once SQLite's shared-memory file exists.
    bool waitUntilStoreOpen(QProcess &p) const
    {
        const QString shm = storePath() + QStringLiteral("-shm");
        return QTest::qWaitFor([&] { return QFile::exists(shm) || p.state() != QProcess::Running; }, 15000)
            && QFile::exists(shm);
    }

    // The id of the menu entry with this label, as a panel finds it; 0 when there is none.
    static int entryId(QDBusConnection &panel, const QString &service, const QString &menu, const QString &label)
    {
        const QDBusMessage reply = panel.call(QDBusMessage::createMethodCall(service, menu, QStringLiteral("com.canonical.dbusmenu"),
                                                                             QStringLiteral("GetLayout"))
                                              << 0 << -1 << QStringList{QStringLiteral("label")});
        if (reply.arguments().size() != 2)
            return 0;
        // (ia{sv}av): walk the children's structures without the program's own types.
        const QDBusArgument layout = reply.arguments().at(1).value<QDBusArgument>();
        int rootId = 0;
        QVariantMap rootProperties;
        layout.beginStructure();
        layout >> rootId >> rootProperties;
        layout.beginArray();
        int found = 0;
        while (!layout.atEnd()) {
            QDBusVariant child;
            layout >> child;
            const QDBusArgument entry = child.variant().value<QDBusArgument>();
            int id = 0;
            QVariantMap properties;
            entry.beginStructure();
            entry >> id >> properties;
            entry.beginArray();
            entry.endArray();
            entry.endStructure();
            if (properties.value(QStringLiteral("label")).toString() == label)
                found = id;
        }
        layout.endArray();
        layout.endStructure();
        return found;
    }

    // An X server of the test's own; its display name, or empty when none started.
    static QString startXvfb(QProcess &xserver)
    {
        for (int n = 90; n < 110; ++n) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            if (QFile::exists(socket) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            xserver.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(n), QStringLiteral("-nolisten"),
                                                    QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                                    QStringLiteral("1280x800x24")});
            if (!xserver.waitForStarted(5000))
                return {};
            for (int i = 0; i < 100 && xserver.state() == QProcess::Running; ++i) {
                if (QFile::exists(socket))
                    return QStringLiteral(":%1").arg(n);
                QTest::qWait(50);
            }
            xserver.kill();
            xserver.waitForFinished(2000);
        }
        return {};
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("run"))));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // A running task is stopped and banked at quit, whichever way the user ends the program.
    void quittingBanksRunningTask_data()
    {
        QTest::addColumn<int>("signalNumber"); // 0: "Afslut" in the status item's menu
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("Afslut in the menu") << 0;
    }

    void quittingBanksRunningTask()
    {
        QFETCH(int, signalNumber);
        QString id;
        {
            QString error;
            auto store = Store::open(storePath(), &error);
            QVERIFY2(store, qPrintable(error));
            // Started 100 seconds ago, with 50 seconds already banked.
            timecalc::Clock::setFixed(timecalc::Clock::nowSeconds() - 100);
            Task *task = store->insert(Task::create(QStringLiteral("Løbende"), timecalc::Clock::nowSeconds(), 0, {}));
            task->setAccumulatedSeconds(50);
            task->start();
            timecalc::Clock::reset();
            id = task->idString();
            QVERIFY(!store->save().has_value());
        }

        std::optional<PrivateBus> bus;
        std::optional<WatcherOnBus> watcher;
        QProcess p;
        setUpEnvironment(p);
        if (signalNumber == 0) {
            bus.emplace();
            QVERIFY2(bus->isRunning(), qPrintable(bus->error()));
            watcher.emplace(bus->address());
            QVERIFY(watcher->claim());
            QProcessEnvironment env = p.processEnvironment();
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
            p.setProcessEnvironment(env);
        }
        p.start();
        QVERIFY(p.waitForStarted());
        QVERIFY2(waitUntilStoreOpen(p), p.readAllStandardError().constData());
        if (signalNumber == 0) {
            QTRY_COMPARE_WITH_TIMEOUT(watcher->registrations().size(), 1, 20000);
            const QString service = watcher->registrations().constFirst().service;
            QDBusConnection panel = QDBusConnection::connectToBus(bus->address(), QStringLiteral("panel"));
            const QString menu = panel.call(QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                                                           QStringLiteral("org.freedesktop.DBus.Properties"),
                                                                           QStringLiteral("Get"))
                                            << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu"))
                                     .arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
            const int quitId = entryId(panel, service, menu, QStringLiteral("Afslut"));
            QVERIFY2(quitId > 0, qPrintable(menu));
            panel.call(QDBusMessage::createMethodCall(service, menu, QStringLiteral("com.canonical.dbusmenu"),
                                                      QStringLiteral("Event"))
                       << quitId << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u);
            QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
        } else {
            ::kill(pid_t(p.processId()), signalNumber);
        }
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);

        const TaskRow row = readTask(storePath(), id);
        QVERIFY(!row.running);
        QVERIFY2(row.accumulatedSeconds >= 150 && row.accumulatedSeconds < 150 + 60,
                 qPrintable(QString::number(row.accumulatedSeconds)));
    }

    // Whatever the session offers, the program either runs on a display it can reach or
    // says in one line that there is none; Qt's abort never reaches the user.
    void displayChoiceNeverAborts_data()
    {
        QTest::addColumn<bool>("deadWayland");
        QTest::addColumn<bool>("withX");
        QTest::newRow("Wayland socket gone, X reachable") << true << true;
        QTest::newRow("Wayland socket gone, no X") << true << false;
        QTest::newRow("no display at all") << false << false;
    }

    void displayChoiceNeverAborts()
    {
        QFETCH(bool, deadWayland);
        QFETCH(bool, withX);
        QProcess xserver;
        QString display;
        if (withX) {
            display = startXvfb(xserver);
            if (display.isEmpty())
                QSKIP("Xvfb did not start");
        }
        QProcess p;
        setUpEnvironment(p);
        QProcessEnvironment env = p.processEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (deadWayland)
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-gone"));
        if (withX)
            env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
        p.setProcessEnvironment(env);
        p.start();
        QVERIFY(p.waitForStarted());
        if (withX) {
            QVERIFY2(waitUntilStoreOpen(p), p.readAllStandardError().constData());
            p.terminate();
            QVERIFY(p.waitForFinished(20000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
        } else {
            QVERIFY(p.waitForFinished(20000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 1);
            const QString err = QString::fromUtf8(p.readAllStandardError());
            const QString last = err.trimmed().section(u'\n', -1);
            QVERIFY2(last.startsWith(QStringLiteral("Could not start Timeglas: ")), qPrintable(err));
            QVERIFY(!QFile::exists(storePath()));
        }
        if (withX) {
            xserver.terminate();
            xserver.waitForFinished(5000);
        }
    }

    void damagedStoreIsFatalAndUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("not a database\n");
        QByteArray header("SQLite format 3");
        header.append('\0');
        QTest::newRow("truncated header") << header + QByteArray(84, '\x7f');
    }

    void damagedStoreIsFatalAndUntouched()
    {
        QFETCH(QByteArray, content);
        QVERIFY(QDir().mkpath(QFileInfo(storePath()).absolutePath()));
        QFile f(storePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const QByteArray before = digest(storePath());

        QProcess p;
        setUpEnvironment(p);
        p.start();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("Could not create ModelContainer: ")), qPrintable(err));
        QCOMPARE(err.count(u'\n'), 1);
        QCOMPARE(digest(storePath()), before);
        QVERIFY(!QFile::exists(storePath() + QStringLiteral("-wal")));
    }

    // The program stays light until the popover is wanted: Qt Quick, the QML engine and
    // the popover module arrive with the first click.
    void heavyPartsLoadOnDemand_data()
    {
        QTest::addColumn<bool>("withWatcher");
        QTest::newRow("panel with a watcher") << true;
        // Nothing shows the item, so the popover opens at once.
        QTest::newRow("no session bus") << false;
    }

    void heavyPartsLoadOnDemand()
    {
        QFETCH(bool, withWatcher);
        const QStringList popoverParts = {QStringLiteral("libtimeglas_popover.so"), QStringLiteral("libQt6Quick.so"),
                                          QStringLiteral("libQt6Qml.so")};

        std::optional<PrivateBus> bus;
        std::optional<WatcherOnBus> watcher;
        QProcess p;
        setUpEnvironment(p);
        if (withWatcher)
            QVERIFY(giveAPanel(p, bus, watcher));
        p.start();
        QVERIFY(p.waitForStarted());

        if (withWatcher) {
            QTRY_COMPARE_WITH_TIMEOUT(watcher->registrations().size(), 1, 20000);
            QCOMPARE(mappedOf(p, popoverParts), QStringList());

            QDBusConnection panel = QDBusConnection::connectToBus(bus->address(), QStringLiteral("panel"));
            const QDBusPendingCall click = panel.asyncCall(QDBusMessage::createMethodCall(
                watcher->registrations().constFirst().service, QStringLiteral("/StatusNotifierItem"),
                QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"))
                << 0 << 0);
            QTRY_COMPARE_WITH_TIMEOUT(mappedOf(p, popoverParts), popoverParts, 20000);
            QTRY_VERIFY_WITH_TIMEOUT(click.isFinished(), 20000);
            QVERIFY2(!click.isError(), qPrintable(click.error().message()));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(mappedOf(p, popoverParts), popoverParts, 20000);
        }

        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
    }

    // A user's text is shown as text: markup that names a remote image must not make the
    // program reach out for it, in the status item alone or with the popover open.
    void markupOpensNoConnection_data()
    {
        QTest::addColumn<bool>("withWatcher");
        QTest::newRow("status item only") << true;
        QTest::newRow("popover open") << false;
    }

    void markupOpensNoConnection()
    {
        QFETCH(bool, withWatcher);
        const QString beacon = QStringLiteral("<img src=\"http://127.0.0.1:9/beacon.png\"><b>x</b>");
        {
            QString error;
            auto store = Store::open(storePath(), &error);
            QVERIFY2(store, qPrintable(error));
            const double now = timecalc::Clock::nowSeconds();
            store->insert(Task::create(beacon, now, 0, beacon))->start();
            store->insert(Task::create(beacon, now, 1, {}));
            store->insert(ProjectCode::create(beacon, beacon, 0));
            store->insert(TaskTemplate::create(beacon, beacon, 0));
            QVERIFY(!store->save().has_value());
        }
        std::optional<PrivateBus> bus;
        std::optional<WatcherOnBus> watcher;
        QProcess p;
        setUpEnvironment(p);
        if (withWatcher)
            QVERIFY(giveAPanel(p, bus, watcher));
        p.start();
        QVERIFY(p.waitForStarted());
        if (withWatcher)
            QTRY_COMPARE_WITH_TIMEOUT(watcher->registrations().size(), 1, 20000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(!mappedOf(p, {QStringLiteral("libtimeglas_popover.so")}).isEmpty(), 20000);
        // A fetch starts as soon as the text is laid out; watch for a while after.
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(foreignSockets(p), QStringList());
            QTest::qWait(50);
        }
        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
    }

    // QSettings would wait for ever on a FIFO and change the mode of a link's target.
    void preferencesThatAreNoFileAreFatal_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("a FIFO") << QStringLiteral("fifo");
        QTest::newRow("a symbolic link") << QStringLiteral("link");
    }

    void preferencesThatAreNoFileAreFatal()
    {
        QFETCH(QString, what);
        const QString prefs = m_dir.filePath(QStringLiteral("config/timeglas/timeglas.conf"));
        const QString target = m_dir.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkpath(QFileInfo(prefs).absolutePath()));
        QFile(target).open(QIODevice::WriteOnly);
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        if (what == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(prefs).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(target, prefs));

        QProcess p;
        setUpEnvironment(p);
        p.start();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("Could not open the preferences: ")), qPrintable(err));
        QCOMPARE(QFile::permissions(target) & QFileDevice::ReadOther, QFileDevice::ReadOther);
    }

    // A second start must not open the store again; it hands over and leaves.
    void secondStartLeavesFirstRunning()
    {
        QProcess first;
        setUpEnvironment(first);
        first.start();
        QVERIFY(first.waitForStarted());
        QVERIFY(waitUntilStoreOpen(first));

        QProcess second;
        setUpEnvironment(second);
        second.start();
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "tst_process.moc"
