// The four stored preferences: defaults of a fresh installation, what survives a restart, and a file only its owner can read.
#include "Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {
constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// Owner, group and others; the "user" bits only repeat one of them.
constexpr int modeBits = 0x7077;
} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void freshInstallation_data();
    void freshInstallation();
    void survivesRestart_data();
    void survivesRestart();
    void fileReadableByOwnerOnly_data();
    void fileReadableByOwnerOnly();
    void refusesWhatIsNoRegularFile_data();
    void refusesWhatIsNoRegularFile();

private:
    QString filePath() const { return m_dir->path() + QStringLiteral("/timeglas/timeglas.conf"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPreferences::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPreferences::freshInstallation_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("appearance follows the system") << QByteArray("appearanceMode") << QVariant(QStringLiteral("system"));
    QTest::newRow("label shows billable hours") << QByteArray("defaultShowBillableTime") << QVariant(true);
    QTest::newRow("no task selected") << QByteArray("selectedTaskID") << QVariant(QString());
    QTest::newRow("no API key") << QByteArray("workbookAPIKey") << QVariant(QString());
    QTest::newRow("asks about ten minutes away") << QByteArray("awayMinutes") << QVariant(10);
}

void TestPreferences::freshInstallation()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);
    Preferences preferences(filePath());
    const QVariant value = preferences.property(property.constData());
    QCOMPARE(value.metaType(), expected.metaType());
    QCOMPARE(value, expected);
}

void TestPreferences::survivesRestart_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("dark appearance") << QByteArray("appearanceMode") << QVariant(QStringLiteral("dark"));
    QTest::newRow("actual hours in the label") << QByteArray("defaultShowBillableTime") << QVariant(false);
    QTest::newRow("selected task")
        << QByteArray("selectedTaskID") << QVariant(QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    // Characters that mean something in an INI file, and Danish letters.
    QTest::newRow("API key with INI syntax") << QByteArray("workbookAPIKey")
                                             << QVariant(QStringLiteral("a=b;c#d [e] \"f\" \\g æøå"));
    QTest::newRow("empty API key after one was set") << QByteArray("workbookAPIKey") << QVariant(QString());
    QTest::newRow("away time never asked about") << QByteArray("awayMinutes") << QVariant(0);
    QTest::newRow("away after an hour") << QByteArray("awayMinutes") << QVariant(60);
}

void TestPreferences::survivesRestart()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    {
        Preferences before(filePath());
        // Another value first, so that the one under test is a real change.
        const QVariant other = value.metaType() == QMetaType::fromType<int>() ? QVariant(value.toInt() + 5)
                                                                               : QVariant(QStringLiteral("something else"));
        QVERIFY(before.setProperty(property.constData(), other));
        QVERIFY(before.setProperty(property.constData(), value));
    }
    Preferences after(filePath());
    const QVariant read = after.property(property.constData());
    QCOMPARE(read.metaType(), value.metaType());
    QCOMPARE(read, value);
}

void TestPreferences::fileReadableByOwnerOnly_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("created on first start") << QStringLiteral("none");
    QTest::newRow("existing file open to all") << QStringLiteral("open");
}

void TestPreferences::fileReadableByOwnerOnly()
{
    QFETCH(QString, before);
    if (before == QLatin1String("open")) {
        QVERIFY(QDir().mkpath(QFileInfo(filePath()).absolutePath()));
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nworkbookAPIKey=old\n");
        file.close();
        QVERIFY(file.setPermissions(ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    Preferences preferences(filePath());
    QCOMPARE(int(QFile::permissions(filePath())) & modeBits, int(ownerOnly));
    preferences.setWorkbookAPIKey(QStringLiteral("hemmelig"));
    QCOMPARE(int(QFile::permissions(filePath())) & modeBits, int(ownerOnly));
}

void TestPreferences::refusesWhatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a FIFO") << QStringLiteral("fifo");
    QTest::newRow("a link to another file") << QStringLiteral("link");
    QTest::newRow("a dangling link") << QStringLiteral("dangling");
    QTest::newRow("a folder") << QStringLiteral("folder");
}

void TestPreferences::refusesWhatIsNoRegularFile()
{
    QFETCH(QString, what);
    QVERIFY(QDir().mkpath(QFileInfo(filePath()).absolutePath()));
    const QString target = m_dir->filePath(QStringLiteral("target"));
    QFile targetFile(target);
    QVERIFY(targetFile.open(QIODevice::WriteOnly));
    targetFile.close();
    QVERIFY(targetFile.setPermissions(ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QByteArray path = QFile::encodeName(filePath());
    if (what == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(path.constData(), 0644), 0);
    else if (what == QLatin1String("link"))
        QVERIFY(QFile::link(target, filePath()));
    else if (what == QLatin1String("dangling"))
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("nothing")), filePath()));
    else
        QVERIFY(QDir().mkpath(filePath()));

    // Refused at once: no wait on the FIFO, and nothing at the far end of a link changed.
    const std::optional<QString> refused = Preferences::prepareFile(filePath());
    QVERIFY(refused);
    QVERIFY(!refused->isEmpty());
    QCOMPARE(int(QFile::permissions(target)) & modeBits, int(ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("nothing"))));
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
