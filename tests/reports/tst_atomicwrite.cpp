#include "AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace reports;

class TestAtomicWrite : public QObject
{
    Q_OBJECT

private slots:
    void writesUtf8WithoutMarkOfItsOwn();
    void replacesAnExistingFileWhole();
    void failureLeavesTargetUntouched_data();
    void failureLeavesTargetUntouched();

private:
    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
};

void TestAtomicWrite::writesUtf8WithoutMarkOfItsOwn()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.json");
    QCOMPARE(writeTextAtomically(path, QStringLiteral("[\"æøå\"]")), std::nullopt);
    QCOMPARE(readAll(path), QByteArray("[\"\xC3\xA6\xC3\xB8\xC3\xA5\"]"));
}

void TestAtomicWrite::replacesAnExistingFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.csv");
    QCOMPARE(writeFileAtomically(path, QByteArray(1000, 'x')), std::nullopt);
    QCOMPARE(writeFileAtomically(path, "kort"), std::nullopt);
    QCOMPARE(readAll(path), QByteArray("kort"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
}

void TestAtomicWrite::failureLeavesTargetUntouched_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("folder not writable") << "readonly";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("folder missing") << "missing";
    QTest::newRow("no path") << "empty";
}

void TestAtomicWrite::failureLeavesTargetUntouched()
{
    QFETCH(QString, situation);

    QTemporaryDir dir;
    QString path = dir.filePath("export.csv");
    const QByteArray before("gammelt indhold");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(before);
    }

    if (situation == "readonly") {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else if (situation == "folder") {
        path = dir.filePath("sub");
        QVERIFY(QDir(dir.path()).mkdir("sub"));
    } else if (situation == "missing") {
        path = dir.filePath("ingen/export.csv");
    } else {
        path.clear();
    }

    const auto error = writeFileAtomically(path, "nyt indhold");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(error.has_value());
    QVERIFY(!error->isEmpty());
    QCOMPARE(readAll(dir.filePath("export.csv")), before);
}

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomicwrite.moc"
