#include "AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace reports;

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestAtomicWrite : public QObject
{
    Q_OBJECT

private slots:
    void replacesAnExistingFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.json");
        QCOMPARE(writeFileAtomically(path, QByteArray(1000, 'x')), std::nullopt);
        QCOMPARE(writeTextAtomically(path, QStringLiteral("[\"æøå\"]")), std::nullopt);
        QCOMPARE(readAll(path), QByteArray("[\"\xC3\xA6\xC3\xB8\xC3\xA5\"]")); // UTF-8, no mark of its own
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.json"}); // no temporary file left
    }

    void failureLeavesTargetUntouched_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("folder not writable") << "readonly";
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("no path") << "empty";
    }
    void failureLeavesTargetUntouched()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        QString path = dir.filePath("export.csv");
        QCOMPARE(writeFileAtomically(path, "gammelt indhold"), std::nullopt);
        if (situation == "readonly") {
            if (::geteuid() == 0)
                QSKIP("root writes into read-only folders");
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        } else if (situation == "folder") {
            path = dir.filePath("sub");
            QVERIFY(QDir(dir.path()).mkdir("sub"));
        } else {
            path = situation == "missing" ? dir.filePath("ingen/export.csv") : QString();
        }
        const auto error = writeFileAtomically(path, "nyt indhold");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(error.has_value() && !error->isEmpty());
        QCOMPARE(readAll(dir.filePath("export.csv")), QByteArray("gammelt indhold"));
    }
};

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomicwrite.moc"
