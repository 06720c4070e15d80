// The Debian package as a user gets it: unpacked into a scratch root, it holds exactly what
// the install rules install, and the program starts from there with its own libraries and
// popover module, and quits cleanly.
#include "ProgramEnvironment.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

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

bool run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return ok;
}
} // namespace

class PackageTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;

private slots:
    void initTestCase()
    {
        const QStringList debs = QDir(QStringLiteral(TIMEGLAS_PACKAGE_DIR)).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_root = m_dir.filePath(QStringLiteral("root"));
        QString output;
        QVERIFY2(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), QStringLiteral(TIMEGLAS_PACKAGE_DIR "/") + debs.first(), m_root},
                     &output),
                 qPrintable(output));
    }

    void contentsMatchTheInstallRules()
    {
        const QString direct = m_dir.filePath(QStringLiteral("direct"));
        QString output;
        QVERIFY2(run(QStringLiteral(TIMEGLAS_CMAKE), {QStringLiteral("--install"), QStringLiteral(TIMEGLAS_BUILD_DIR),
                                                       QStringLiteral("--prefix"), direct},
                     &output),
                 qPrintable(output));
        const QStringList installed = filesUnder(direct);
        QVERIFY(installed.contains(QStringLiteral("bin/timeglas")));
        QCOMPARE(filesUnder(m_root + QStringLiteral("/usr")), installed);
    }

    void programStartsFromThePackage()
    {
        QProcess p;
        // No session bus, so nothing shows the item and the popover opens at once: the
        // module is loaded right away.
        QProcessEnvironment env = programEnvironment(QDir(m_dir.path()));
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(m_root + QStringLiteral("/usr/bin/timeglas"), {});
        QVERIFY(p.waitForStarted());

        // Every library of ours comes from the scratch root, not from the build folder.
        const QString libs = m_root + QStringLiteral("/usr/lib/timeglas/");
        const auto mapped = [&] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
            return maps.open(QIODevice::ReadOnly) ? QString::fromUtf8(maps.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(mapped().contains(libs + QStringLiteral("libtimeglas_popover.so")), 30000);
        const QString maps = mapped();
        QVERIFY(maps.contains(libs + QStringLiteral("libtimeglas_core.so")));
        QVERIFY(maps.contains(libs + QStringLiteral("libtimeglas_platform.so")));
        QVERIFY(!maps.contains(QStringLiteral(TIMEGLAS_BUILD_DIR "/")));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("data/timeglas/timeglas.sqlite"))));

        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(PackageTest)
#include "tst_package.moc"
