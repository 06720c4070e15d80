// The real program as a user meets it: start, show a user's text, quit, refuse what it cannot use.
#include "../records/SqlPeek.h"
#include "FakeWatcher.h"
#include "Panel.h"
#include "PrivateBus.h"
#include "ProgramEnvironment.h"
#include "records/Store.h"
#include "timecalc/Clock.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {
// Which of `names` the process has mapped right now.
QStringList mappedOf(const QProcess &p, QStringList names)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(no maps)")};
    const QByteArray text = maps.readAll();
    names.removeIf([&](const QString &name) { return !text.contains(name.toUtf8()); });
    return names;
}

// The process's sockets that are not AF_UNIX ones, as "socket:[inode]".
QStringList foreignSockets(const QProcess &p)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(p.processId());
    QFile unixTable(proc + QStringLiteral("net/unix"));
    QSet<QString> unixSockets; // columns: Num RefCount Protocol Flags Type St Inode [Path]
    for (const QByteArray &line : unixTable.open(QIODevice::ReadOnly) ? unixTable.readAll().split('\n') : QList<QByteArray>())
        unixSockets.insert(QStringLiteral("socket:[%1]").arg(QString::fromLatin1(line.simplified().split(' ').value(6))));
    QStringList foreign;
    const QDir fds(proc + QStringLiteral("fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd)).section(u'/', -1);
        if (target.startsWith(QLatin1String("socket:[")) && !unixSockets.contains(target))
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

    void start(QProcess &p, const QProcessEnvironment &env) const
    {
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TIMEGLAS_BINARY), {});
    }

private slots:
    void init() { QDir(m_dir.path()).removeRecursively(); }

    // Markup in every text a user gives, naming a remote image: shown as text, it must never make the program
    // reach out, in the status item alone or with the popover open. The program stays light until the popover
    // is wanted, and a running task is stopped and banked at quit, whichever way the user ends it. When that
    // last save fails, the exit status says so and the task is left running in the file.
    void runsAndQuitsCleanly_data()
    {
        QTest::addColumn<bool>("withPanel"); // else no session bus: nothing shows the item, the popover opens at once
        QTest::addColumn<bool>("saveRefused"); // the store's own trigger refuses more than 100 s
        QTest::newRow("no session bus, ended by SIGTERM") << false << false;
        QTest::newRow("a panel, opened by a click, Afslut in the menu") << true << false;
        QTest::newRow("the last save refused, ended by SIGTERM") << false << true;
    }

    void runsAndQuitsCleanly()
    {
        QFETCH(bool, withPanel);
        QFETCH(bool, saveRefused);
        const QString beacon = QStringLiteral("<img src=\"http://127.0.0.1:9/beacon.png\"><b>x</b>");
        {
            // The program runs on the real clock: the task started 100 s ago, with 50 s banked before.
            timecalc::TestClock clock(QDateTime::currentMSecsSinceEpoch() / 1000.0 - 100);
            QString error;
            auto store = Store::open(storePath(), &error);
            QVERIFY2(store, qPrintable(error));
            Task *task = store->insert(Task::create(beacon, clock.now(), 0, beacon));
            task->setAccumulatedSeconds(50);
            task->start();
            store->insert(Task::create(beacon, clock.now(), 1, {}));
            store->insert(ProjectCode::create(beacon, beacon, 0));
            store->insert(TaskTemplate::create(beacon, beacon, 0));
            QVERIFY(!store->save().has_value());
        }
        if (saveRefused)
            QVERIFY(SqlPeek(storePath()).exec("CREATE TRIGGER cap BEFORE UPDATE ON Task WHEN NEW.accumulatedSeconds > 100"
                                              " BEGIN SELECT RAISE(ABORT, 'no more than 100 seconds'); END"));

        QProcessEnvironment env = programEnvironment(QDir(m_dir.path()));
        std::optional<PrivateBus> bus;
        std::optional<WatcherOnBus> watcher;
        std::optional<Panel> panel;
        if (withPanel) {
            bus.emplace();
            QVERIFY2(bus->isRunning(), qPrintable(bus->error()));
            watcher.emplace(bus->address());
            QVERIFY(watcher->claim());
            panel.emplace(bus->address());
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
        }
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start(p, env);
        QVERIFY(p.waitForStarted());
        // The store is open once SQLite's shared-memory file exists.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(storePath() + QStringLiteral("-shm")), 15000);
        const auto noConnectionFor = [&](int ms) {
            // A fetch starts as soon as the text is laid out; watch for a while after.
            return !QTest::qWaitFor([&] { return !foreignSockets(p).isEmpty(); }, ms);
        };

        const QStringList popoverParts = {QStringLiteral("libtimeglas_popover.so"), QStringLiteral("libQt6Quick.so"),
                                          QStringLiteral("libQt6Qml.so")};
        QString service;
        if (panel) {
            QTRY_COMPARE_WITH_TIMEOUT(watcher->registrations().size(), 1, 20000);
            service = watcher->registrations().constFirst().service;
            QVERIFY(noConnectionFor(1000));
            QCOMPARE(mappedOf(p, popoverParts), QStringList());
            const QDBusMessage click = panel->callItem(service, QStringLiteral("Activate"), {0, 0}, 20000);
            QVERIFY2(click.type() == QDBusMessage::ReplyMessage, qPrintable(click.errorMessage()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(mappedOf(p, popoverParts), popoverParts, 20000);
        QVERIFY(noConnectionFor(2000));

        // A second start must not open the store again; it hands over and leaves.
        QProcess second;
        start(second, env);
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(p.state(), QProcess::Running);

        if (panel)
            QVERIFY(panel->clickMenuEntry(service, QStringLiteral("Afslut")));
        else
            p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), saveRefused ? 1 : 0);
        QCOMPARE(p.readAllStandardOutput().contains("Failed to save after stopping all tasks: no more than 100 seconds"),
                 saveRefused);

        // The task as the file holds it: still running (adopted at the next start) only when the save was refused.
        SqlPeek saved(storePath());
        QCOMPARE(saved.value("SELECT lastStartTime IS NOT NULL FROM Task WHERE sortOrder = 0"), saveRefused ? "1" : "0");
        const int banked = saved.value("SELECT accumulatedSeconds FROM Task WHERE sortOrder = 0").toInt();
        QVERIFY2(saveRefused ? banked == 50 : banked >= 150 && banked < 150 + 60, qPrintable(QString::number(banked)));
    }

    // What the program cannot use ends it at once, with one line that says why, and leaves
    // the store and anything a link points at as they were. Qt's own abort never reaches the user.
    void refusedStarts_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("line");
        const QString noDisplay = QStringLiteral("Could not start Timeglas: ");
        const QString badStore = QStringLiteral("Could not create ModelContainer: ");
        const QString badPreferences = QStringLiteral("Could not open the preferences: ");
        QTest::newRow("no display at all") << "no display" << noDisplay;
        QTest::newRow("a Wayland socket that is gone, no X") << "wayland gone" << noDisplay;
        QTest::newRow("a store that is a text file") << "store text" << badStore;
        QTest::newRow("a store with a truncated header") << "store header" << badStore;
        // QSettings would change the mode of a link's target.
        QTest::newRow("preferences that are a link") << "preferences link" << badPreferences;
    }

    void refusedStarts()
    {
        QFETCH(QString, setup);
        QFETCH(QString, line);
        QProcessEnvironment env = programEnvironment(QDir(m_dir.path()));
        const QString prefs = m_dir.filePath(QStringLiteral("config/timeglas/timeglas.conf"));
        const QString target = m_dir.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkpath(QFileInfo(prefs).absolutePath()));
        QVERIFY(QDir().mkpath(QFileInfo(storePath()).absolutePath()));
        QFile(target).open(QIODevice::WriteOnly);
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        if (setup == u"no display" || setup == u"wayland gone") {
            for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QLatin1String(name));
            if (setup == u"wayland gone")
                env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_dir.filePath(QStringLiteral("gone-wayland")));
        } else if (setup.startsWith(u"store")) {
            QFile f(storePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(setup == u"store text" ? QByteArray("not a database\n")
                                           : QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\x7f'));
        } else {
            QVERIFY(QFile::link(target, prefs));
        }
        const auto stored = [&] {
            QFile f(storePath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
        };
        const QByteArray before = stored();

        QProcess p;
        start(p, env);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.trimmed().section(u'\n', -1).startsWith(line), qPrintable(err));
        // Qt may warn before its display fails; ours is the last line.
        if (setup.startsWith(u"store") || setup.startsWith(u"preferences"))
            QCOMPARE(err.count(u'\n'), 1);
        QCOMPARE(stored(), before);
        QVERIFY(!QFile::exists(storePath() + QStringLiteral("-wal")));
        QCOMPARE(QFile::permissions(target) & QFileDevice::ReadOther, QFileDevice::ReadOther);
    }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "tst_process.moc"
