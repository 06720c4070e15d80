// One Timeglas per user, across real processes: this binary also plays the other start (helper modes).
#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Exit codes of the helper: what claim() made of the helper's start.
constexpr int becameSecondary = 0;
constexpr int failed = 1;
constexpr int becamePrimary = 10;
constexpr int wasAlreadyPrimary = 11;

int exitCodeFor(SingleInstance::Role role, const SingleInstance &instance)
{
    switch (role) {
    case SingleInstance::Role::Primary:
        return becamePrimary;
    case SingleInstance::Role::Secondary:
        return becameSecondary;
    case SingleInstance::Role::Failed:
        break;
    }
    std::fprintf(stderr, "%s\n", qPrintable(instance.errorString()));
    return failed;
}

void say(const char *line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

// --claim [ms]: one start. --claim-after-locked: report the held lock, then start.
// --serve: become the primary and report every toggle until killed.
int helperMain(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[1]);
    SingleInstance instance;
    if (mode == QLatin1String("--claim")) {
        const auto timeout = std::chrono::milliseconds(argc > 2 ? std::atoi(argv[2]) : 5000);
        return exitCodeFor(instance.claim(timeout), instance);
    }
    if (mode == QLatin1String("--claim-after-locked")) {
        if (instance.tryBecomePrimary())
            return wasAlreadyPrimary;
        say("locked\n");
        return exitCodeFor(instance.claim(), instance);
    }
    if (mode == QLatin1String("--serve")) {
        if (instance.claim() != SingleInstance::Role::Primary)
            return failed;
        QObject::connect(&instance, &SingleInstance::toggleRequested, [] { say("toggle\n"); });
        say("ready\n");
        return app.exec();
    }
    return 2;
}

enum class Setup {
    RuntimeDirOfUser,
    NoRuntimeDir,
    RelativeRuntimeDir,
    MissingRuntimeDir,
    RuntimeDirOfOtherUser,
    FallbackOpenToOthers,
    FallbackIsSymlink,
    FallbackOfOtherUser,
};
enum class Outcome { RuntimeDir, Fallback, Refused };
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void laterStartsHandOverToggle_data();
    void laterStartsHandOverToggle();
    void primaryInAnotherProcessIsRespected();
    void staleLockDoesNotBlock_data();
    void staleLockDoesNotBlock();
    void startDuringShutdownTakesOver();
    void silentPrimaryGivesClearFailure();
    void runtimeDirectory_data();
    void runtimeDirectory();

private:
    std::unique_ptr<QProcess> startHelper(const QStringList &arguments,
                                          QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel);
    static bool waitForLine(QProcess &process, const QByteArray &line);
    QString lockPath() const { return m_runtime->path() + QStringLiteral("/timeglas.lock"); }

    std::unique_ptr<QTemporaryDir> m_runtime;
};

void TestSingleInstance::init()
{
    // Never the developer's own runtime folder, where a real Timeglas may be running.
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    QVERIFY(QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
}

std::unique_ptr<QProcess> TestSingleInstance::startHelper(const QStringList &arguments,
                                                          QProcess::ProcessChannelMode channels)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(channels);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    return process;
}

bool TestSingleInstance::waitForLine(QProcess &process, const QByteArray &line)
{
    return QTest::qWaitFor([&] { return process.canReadLine() && process.readLine() == line; }, 10000);
}

void TestSingleInstance::laterStartsHandOverToggle_data()
{
    QTest::addColumn<int>("starts");
    QTest::newRow("one later start") << 1;
    QTest::newRow("three later starts at once") << 3;
}

void TestSingleInstance::laterStartsHandOverToggle()
{
    QFETCH(int, starts);
    SingleInstance primary;
    QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
    QSignalSpy toggles(&primary, &SingleInstance::toggleRequested);

    std::vector<std::unique_ptr<QProcess>> helpers;
    for (int i = 0; i < starts; ++i)
        helpers.push_back(startHelper({QStringLiteral("--claim")}));
    for (auto &helper : helpers) {
        // Waited for with our loop running: the primary answers from it.
        QTRY_COMPARE_WITH_TIMEOUT(helper->state(), QProcess::NotRunning, 10000);
        QCOMPARE(helper->exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper->exitCode(), becameSecondary);
    }
    QTRY_COMPARE(toggles.size(), starts);
    QVERIFY(primary.isPrimary());
}

void TestSingleInstance::primaryInAnotherProcessIsRespected()
{
    auto other = startHelper({QStringLiteral("--serve")});
    QVERIFY(waitForLine(*other, "ready\n"));

    // However old its file, a lock whose owner lives is respected.
    QFile lock(lockPath());
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    lock.close();

    SingleInstance second;
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(second.errorString().isEmpty());
    QVERIFY(second.signalPrimary());
    QVERIFY(waitForLine(*other, "toggle\n"));
    QCOMPARE(second.claim(), SingleInstance::Role::Secondary);
    QVERIFY(waitForLine(*other, "toggle\n"));

    other->kill();
    other->waitForFinished();
}

void TestSingleInstance::staleLockDoesNotBlock_data()
{
    QTest::addColumn<QString>("leftBy");
    QTest::newRow("primary killed while running") << QStringLiteral("killed");
    QTest::newRow("lock of a process that has ended") << QStringLiteral("ended");
    QTest::newRow("lock whose number now belongs to another program") << QStringLiteral("reused");
    QTest::newRow("empty lock of a crash right after creating it") << QStringLiteral("empty");
}

void TestSingleInstance::staleLockDoesNotBlock()
{
    QFETCH(QString, leftBy);
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    auto writeLock = [&](qint64 pid) {
        QFile lock(lockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + '\n' + program.toUtf8() + '\n'
                   + QSysInfo::machineHostName().toUtf8() + '\n');
    };

    if (leftBy == QLatin1String("killed")) {
        auto dead = startHelper({QStringLiteral("--serve")});
        QVERIFY(waitForLine(*dead, "ready\n"));
        dead->kill(); // SIGKILL: no cleanup at all, lock and socket stay behind
        QVERIFY(dead->waitForFinished());
        QVERIFY(QFile::exists(m_runtime->path() + QStringLiteral("/timeglas.socket")));
    } else if (leftBy == QLatin1String("ended")) {
        QProcess ended;
        ended.start(QStringLiteral("true"));
        QVERIFY(ended.waitForStarted());
        const qint64 pid = ended.processId();
        QVERIFY(ended.waitForFinished());
        writeLock(pid);
    } else if (leftBy == QLatin1String("reused")) {
        writeLock(1); // pid 1 is alive, but it is not us
    } else {
        QFile lock(lockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }
    QVERIFY(QFile::exists(lockPath()));

    SingleInstance next;
    QCOMPARE(next.claim(std::chrono::seconds(2)), SingleInstance::Role::Primary);

    // And the new primary is reachable, through any socket left behind.
    QSignalSpy toggles(&next, &SingleInstance::toggleRequested);
    auto later = startHelper({QStringLiteral("--claim")});
    QTRY_COMPARE_WITH_TIMEOUT(later->state(), QProcess::NotRunning, 10000);
    QCOMPARE(later->exitCode(), becameSecondary);
    QTRY_COMPARE(toggles.size(), 1);
}

void TestSingleInstance::startDuringShutdownTakesOver()
{
    auto primary = std::make_unique<SingleInstance>();
    QCOMPARE(primary->claim(), SingleInstance::Role::Primary);
    // The primary's loop ends, as at quit; it still holds the lock while it saves.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCOMPARE(QCoreApplication::exec(), 0);

    // A quitting primary must not take a request it will never carry out...
    auto impatient = startHelper({QStringLiteral("--claim"), QStringLiteral("300")}, QProcess::SeparateChannels);
    QTRY_COMPARE_WITH_TIMEOUT(impatient->state(), QProcess::NotRunning, 10000);
    QCOMPARE(impatient->exitCode(), failed);

    // ...and once it has saved and let go of the lock, a waiting start takes over.
    auto later = startHelper({QStringLiteral("--claim-after-locked")});
    QVERIFY(waitForLine(*later, "locked\n"));
    primary.reset();
    QTRY_COMPARE_WITH_TIMEOUT(later->state(), QProcess::NotRunning, 10000);
    QCOMPARE(later->exitCode(), becamePrimary);
}

void TestSingleInstance::silentPrimaryGivesClearFailure()
{
    SingleInstance primary;
    QCOMPARE(primary.claim(), SingleInstance::Role::Primary);

    auto later = startHelper({QStringLiteral("--claim"), QStringLiteral("300")}, QProcess::SeparateChannels);
    // Blocking on purpose: with our loop stopped, the primary cannot answer.
    QVERIFY(later->waitForFinished(10000));
    QCOMPARE(later->exitCode(), failed);
    QVERIFY(later->readAllStandardError().contains("does not answer"));
    QVERIFY(primary.isPrimary());
}

void TestSingleInstance::runtimeDirectory_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("runtime folder of this user") << Setup::RuntimeDirOfUser << Outcome::RuntimeDir;
    QTest::newRow("no runtime folder") << Setup::NoRuntimeDir << Outcome::Fallback;
    QTest::newRow("relative runtime folder") << Setup::RelativeRuntimeDir << Outcome::Fallback;
    QTest::newRow("runtime folder missing") << Setup::MissingRuntimeDir << Outcome::Fallback;
    QTest::newRow("runtime folder of another user") << Setup::RuntimeDirOfOtherUser << Outcome::Fallback;
    QTest::newRow("fallback open to others gets closed") << Setup::FallbackOpenToOthers << Outcome::Fallback;
    QTest::newRow("fallback is a symbolic link") << Setup::FallbackIsSymlink << Outcome::Refused;
    QTest::newRow("fallback of another user") << Setup::FallbackOfOtherUser << Outcome::Refused;
}

void TestSingleInstance::runtimeDirectory()
{
    QFETCH(Setup, setup);
    QFETCH(Outcome, outcome);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString runtime = temp.path() + QStringLiteral("/run");
    const QString fallback = temp.path() + QStringLiteral("/timeglas-") + QString::number(::geteuid());
    QVERIFY(QDir().mkpath(runtime));
    const QByteArray nobody = "65534";
    const bool root = ::geteuid() == 0;

    switch (setup) {
    case Setup::RuntimeDirOfUser:
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        break;
    case Setup::NoRuntimeDir:
        qunsetenv("XDG_RUNTIME_DIR");
        break;
    case Setup::RelativeRuntimeDir:
        qputenv("XDG_RUNTIME_DIR", "run");
        break;
    case Setup::MissingRuntimeDir:
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path() + QStringLiteral("/gone")));
        break;
    case Setup::RuntimeDirOfOtherUser:
        if (!root)
            QSKIP("needs root to give a folder away");
        QVERIFY(::chown(QFile::encodeName(runtime).constData(), nobody.toUInt(), nobody.toUInt()) == 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        break;
    case Setup::FallbackOpenToOthers:
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(::mkdir(QFile::encodeName(fallback).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(fallback).constData(), 0777) == 0);
        break;
    case Setup::FallbackIsSymlink:
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(QFile::link(runtime, fallback));
        break;
    case Setup::FallbackOfOtherUser:
        if (!root)
            QSKIP("needs root to give a folder away");
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(::mkdir(QFile::encodeName(fallback).constData(), 0700) == 0);
        QVERIFY(::chown(QFile::encodeName(fallback).constData(), nobody.toUInt(), nobody.toUInt()) == 0);
        break;
    }

    QString error;
    const QString dir = SingleInstance::runtimeDirectory(&error);
    switch (outcome) {
    case Outcome::RuntimeDir:
        QCOMPARE(dir, runtime);
        break;
    case Outcome::Fallback: {
        QCOMPARE(dir, fallback);
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(dir).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_mode & 0777, 0700u);
        break;
    }
    case Outcome::Refused:
        QVERIFY(dir.isEmpty());
        QVERIFY(!error.isEmpty());
        // And nothing is locked anywhere in that case: the start fails with the reason.
        SingleInstance instance;
        QCOMPARE(instance.claim(std::chrono::milliseconds(200)), SingleInstance::Role::Failed);
        QCOMPARE(instance.errorString(), error);
        break;
    }
    qunsetenv("TMPDIR");
}

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--claim" || mode == "--claim-after-locked" || mode == "--serve")
        return helperMain(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
