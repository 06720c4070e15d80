// One Timeglas per user, across real processes: this binary also plays the other start (helper modes).
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int becameSecondary = 0;
constexpr int failed = 1;
constexpr int becamePrimary = 10;

// --claim [ms]: one start. --claim-after-locked: say "locked" once the lock is seen held, then start.
// --serve: become the primary, say "ready", and run until killed.
int helperMain(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = argv[1];
    SingleInstance instance;
    if (mode == "--claim-after-locked") {
        if (instance.tryBecomePrimary())
            return failed;
        std::puts("locked");
        std::fflush(stdout);
    }
    const auto role = instance.claim(std::chrono::milliseconds(argc > 2 ? std::atoi(argv[2]) : 5000));
    if (role == SingleInstance::Role::Failed)
        std::fprintf(stderr, "%s\n", qPrintable(instance.errorString()));
    if (mode == "--serve" && role == SingleInstance::Role::Primary) {
        std::puts("ready");
        std::fflush(stdout);
        return app.exec();
    }
    return role == SingleInstance::Role::Primary ? becamePrimary : role == SingleInstance::Role::Secondary ? becameSecondary : failed;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // Never the developer's own runtime folder, where a real Timeglas may be running.
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    }

    void laterStartsHandOverToggle_data()
    {
        // Two later starts at once, after what an earlier primary left in the runtime folder.
        QTest::addColumn<QString>("leftBehind");
        // However old its file, a lock whose owner lives is respected.
        QTest::newRow("our own lock, days old") << "aged";
        // Its lock names a process that is gone and holds nothing.
        QTest::newRow("primary killed while running") << "killed";
        QTest::newRow("lock whose number now belongs to another program") << "reused";
        QTest::newRow("empty lock of a crash right after creating it") << "empty";
    }

    void laterStartsHandOverToggle()
    {
        QFETCH(QString, leftBehind);
        if (leftBehind == u"killed") {
            auto dead = startHelper({QStringLiteral("--serve")});
            QVERIFY(waitForLine(*dead, "ready\n"));
            dead->kill(); // SIGKILL: no cleanup at all, lock and socket stay behind
            QVERIFY(dead->waitForFinished());
            QVERIFY(QFile::exists(m_runtime->filePath(QStringLiteral("timeglas.socket"))));
        } else if (leftBehind != u"aged") {
            QFile lock(lockPath());
            QVERIFY(lock.open(QIODevice::WriteOnly));
            if (leftBehind == u"empty")
                QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
            else // process 1 lives, but is not us
                lock.write("1\n" + QCoreApplication::applicationName().toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
        }
        SingleInstance primary;
        QCOMPARE(primary.claim(std::chrono::seconds(2)), SingleInstance::Role::Primary);
        if (leftBehind == u"aged") {
            QFile lock(lockPath());
            QVERIFY(lock.open(QIODevice::ReadWrite));
            QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
        }
        // And the new primary is reachable, through any socket left behind.
        QSignalSpy toggles(&primary, &SingleInstance::toggleRequested);
        const std::unique_ptr<QProcess> helpers[] = {startHelper({QStringLiteral("--claim")}),
                                                     startHelper({QStringLiteral("--claim")})};
        for (const auto &helper : helpers) {
            // Waited for with our loop running: the primary answers from it.
            QTRY_COMPARE_WITH_TIMEOUT(helper->state(), QProcess::NotRunning, 10000);
            QCOMPARE(helper->exitStatus(), QProcess::NormalExit);
            QCOMPARE(helper->exitCode(), becameSecondary);
        }
        QTRY_COMPARE(toggles.size(), 2);
        QVERIFY(primary.isPrimary());
    }

    void unansweredStartFails_data()
    {
        QTest::addColumn<bool>("quitting");
        QTest::newRow("primary whose loop is busy") << false;
        // Its loop has ended, as at quit; it still holds the lock while it saves.
        QTest::newRow("primary that is quitting") << true;
    }

    void unansweredStartFails()
    {
        QFETCH(bool, quitting);
        auto primary = std::make_unique<SingleInstance>();
        QCOMPARE(primary->claim(), SingleInstance::Role::Primary);
        if (quitting) {
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            QCOMPARE(QCoreApplication::exec(), 0);
        }
        auto impatient = startHelper({QStringLiteral("--claim"), QStringLiteral("300")}, QProcess::SeparateChannels);
        if (quitting) // a quitting primary must not take a request it will never carry out
            QTRY_COMPARE_WITH_TIMEOUT(impatient->state(), QProcess::NotRunning, 10000);
        else // blocking on purpose: with our loop stopped, the primary cannot answer
            QVERIFY(impatient->waitForFinished(10000));
        QCOMPARE(impatient->exitCode(), failed);
        QVERIFY(impatient->readAllStandardError().contains("does not answer"));
        QVERIFY(primary->isPrimary());
        if (!quitting)
            return;

        // Once it has saved and let go of the lock, a waiting start takes over.
        auto later = startHelper({QStringLiteral("--claim-after-locked")});
        QVERIFY(waitForLine(*later, "locked\n"));
        primary.reset();
        QTRY_COMPARE_WITH_TIMEOUT(later->state(), QProcess::NotRunning, 10000);
        QCOMPARE(later->exitCode(), becamePrimary);
    }

    void runtimeDirectory_data()
    {
        QTest::addColumn<QString>("runtime"); // XDG_RUNTIME_DIR: "-" unset; "run" and "gone" inside the test folder
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<QString>("expected"); // "run", "fallback", or "" when refused
        QTest::newRow("runtime folder of this user") << "run" << "" << "run";
        QTest::newRow("no runtime folder") << "-" << "" << "fallback";
        QTest::newRow("relative runtime folder") << "relative" << "" << "fallback";
        QTest::newRow("runtime folder missing") << "gone" << "" << "fallback";
        QTest::newRow("runtime folder of another user") << "run" << "give run away" << "fallback";
        QTest::newRow("fallback open to others gets closed") << "-" << "open fallback" << "fallback";
        QTest::newRow("fallback is a symbolic link") << "-" << "link fallback" << "";
        QTest::newRow("fallback of another user") << "-" << "give fallback away" << "";
    }

    void runtimeDirectory()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, prepare);
        QFETCH(QString, expected);
        if (prepare.startsWith(u"give") && ::geteuid() != 0)
            QSKIP("needs root to give a folder away");
        QTemporaryDir temp;
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const QString run = temp.filePath(QStringLiteral("run"));
        const QString fallback = temp.filePath(QStringLiteral("timeglas-%1").arg(::geteuid()));
        const QByteArray fallbackName = QFile::encodeName(fallback);
        QVERIFY(QDir().mkpath(run));
        if (runtime == u"-")
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime == u"relative" ? runtime : temp.filePath(runtime)));
        if (prepare == u"give run away")
            QCOMPARE(::chown(QFile::encodeName(run).constData(), 65534, 65534), 0);
        else if (prepare == u"open fallback")
            QVERIFY(::mkdir(fallbackName.constData(), 0777) == 0 && ::chmod(fallbackName.constData(), 0777) == 0);
        else if (prepare == u"link fallback")
            QVERIFY(QFile::link(run, fallback));
        else if (prepare == u"give fallback away")
            QVERIFY(::mkdir(fallbackName.constData(), 0700) == 0 && ::chown(fallbackName.constData(), 65534, 65534) == 0);

        QString error;
        const QString dir = SingleInstance::runtimeDirectory(&error);
        if (expected == u"run") {
            QCOMPARE(dir, run);
        } else if (expected == u"fallback") {
            QCOMPARE(dir, fallback);
            struct stat info {};
            QCOMPARE(::lstat(fallbackName.constData(), &info), 0);
            QVERIFY(S_ISDIR(info.st_mode));
            QCOMPARE(info.st_mode & 0777, 0700u);
        } else {
            QVERIFY(dir.isEmpty());
            QVERIFY(!error.isEmpty());
            // And nothing is locked anywhere in that case: the start fails with the reason.
            SingleInstance instance;
            QCOMPARE(instance.claim(std::chrono::milliseconds(200)), SingleInstance::Role::Failed);
            QCOMPARE(instance.errorString(), error);
        }
        qunsetenv("TMPDIR");
    }

private:
    std::unique_ptr<QProcess> startHelper(const QStringList &arguments,
                                          QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(channels);
        process->start(QCoreApplication::applicationFilePath(), arguments);
        return process;
    }
    static bool waitForLine(QProcess &process, const QByteArray &line)
    {
        return QTest::qWaitFor([&] { return process.canReadLine() && process.readLine() == line; }, 10000);
    }
    QString lockPath() const { return m_runtime->filePath(QStringLiteral("timeglas.lock")); }

    std::unique_ptr<QTemporaryDir> m_runtime;
};

int main(int argc, char *argv[])
{
    if (argc > 1 && QByteArray(argv[1]).startsWith("--")) // a helper mode, never a test option
        return helperMain(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
