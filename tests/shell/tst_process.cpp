// The real program as a user meets it: start, quit by signal, refuse a damaged store, one instance.
#include "Clock.h"
#include "FakeWatcher.h"
#include "PrivateBus.h"
#include "Store.h"

#include <QCryptographicHash>
#include <QDBusPendingCall>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sqlite3.h>
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
} // namespace

class ProcessTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString storePath() const { return m_dir.filePath(QStringLiteral("data/timeglas/timeglas.sqlite")); }

    void setUpEnvironment(QProcess &p) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No session bus: the program must manage without one.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
        p.setProcessEnvironment(env);
        p.setProgram(QStringLiteral(TIMEGLAS_BINARY));
    }

    // The store is open once SQLite's shared-memory file exists.
    bool waitUntilStoreOpen(QProcess &p) const
    {
        const QString shm = storePath() + QStringLiteral("-shm");
        return QTest::qWaitFor([&] { return QFile::exists(shm) || p.state() != QProcess::Running; }, 15000)
            && QFile::exists(shm);
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("run"))));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // A running task is stopped and banked at quit, whichever signal ends the program.
    void quittingBySignalBanksRunningTask_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void quittingBySignalBanksRunningTask()
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

        QProcess p;
        setUpEnvironment(p);
        p.start();
        QVERIFY(p.waitForStarted());
        QVERIFY2(waitUntilStoreOpen(p), p.readAllStandardError().constData());
        ::kill(pid_t(p.processId()), signalNumber);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);

        const TaskRow row = readTask(storePath(), id);
        QVERIFY(!row.running);
        QVERIFY2(row.accumulatedSeconds >= 150 && row.accumulatedSeconds < 150 + 60,
                 qPrintable(QString::number(row.accumulatedSeconds)));
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
        if (withWatcher) {
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
