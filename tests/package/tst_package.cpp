// The Debian package as a user gets it: unpacked into a scratch root, it holds exactly what
// the install rules install, and the program starts from there with its own libraries and
// popover module, and quits cleanly.
#include "ProgramEnvironment.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// Runs a tool to its end: empty when it succeeded, else what it said.
QString failureOf(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return ok ? QString() : program + QStringLiteral(": ") + QString::fromUtf8(p.readAll());
}
} // namespace

class PackageTest : public QObject
{
    Q_OBJECT

private slots:
    void holdsTheInstallAndRuns()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("root"));
        const QString direct = dir.filePath(QStringLiteral("direct"));
        const QStringList debs = QDir(QStringLiteral(TIMEGLAS_PACKAGE_DIR)).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        QCOMPARE(failureOf(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), TIMEGLAS_PACKAGE_DIR "/" + debs.first(), root}),
                 QString());
        QCOMPARE(failureOf(QStringLiteral(TIMEGLAS_CMAKE), {QStringLiteral("--install"), QStringLiteral(TIMEGLAS_BUILD_DIR),
                                                             QStringLiteral("--prefix"), direct}),
                 QString());
        QVERIFY(filesUnder(direct).contains(QStringLiteral("bin/timeglas")));
        QCOMPARE(filesUnder(root + QStringLiteral("/usr")), filesUnder(direct));

        // No session bus, so nothing shows the item and the popover opens at once: its module
        // is loaded right away.
        QProcessEnvironment env = programEnvironment(QDir(dir.path()));
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(root + QStringLiteral("/usr/bin/timeglas"), {});
        // Every library of ours comes from the scratch root, not from the build folder.
        const QString libs = root + QStringLiteral("/usr/lib/timeglas/");
        const auto maps = [&] {
            QFile file(QStringLiteral("/proc/%1/maps").arg(p.processId()));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(maps().contains(libs + QStringLiteral("libtimeglas_popover.so")), 30000);
        const QString mapped = maps();
        QVERIFY(mapped.contains(libs + QStringLiteral("libtimeglas_core.so")));
        QVERIFY(mapped.contains(libs + QStringLiteral("libtimeglas_platform.so")));
        QVERIFY(!mapped.contains(QStringLiteral(TIMEGLAS_BUILD_DIR "/")));

        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(PackageTest)
#include "tst_package.moc"
