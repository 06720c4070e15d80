// The export files: their rows and text, and how they reach the disk.
#include "AtomicWrite.h"
#include "Clock.h"
#include "ExportText.h"
#include "TaskFixtures.h"
#include "TimeCalc.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace reports;

namespace {
const double now = localTime(2025, 3, 5, 14, 0);
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestExportText : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;

private slots:
    void init() { m_clock.emplace(now); }

    // Rows by date, tasks of one day in the order given; the JSON file is made of the same rows.
    // Fields are quoted for semicolons, quotes and line feeds only.
    void csvFile()
    {
        TaskFixtures tasks;
        tasks.add("linje\nto", QDate(2025, 3, 5), 1201, QStringLiteral("K;1"));
        tasks.add("Frokost", QDate(2025, 3, 4), 1800);
        tasks.add(" komma, cr\r", QDate(2025, 3, 5), -90);
        tasks.add("\"Møde; A\"", QDate(2025, 3, 4), 1200, QStringLiteral("ABC"));
        // Banked 10 minutes, running for 20 more: the seconds column keeps the banked time.
        tasks.add("Kører", QDate(2025, 3, 5), 600, QStringLiteral(""), now - 1200);
        tasks.add("Lang", QDate(2025, 3, 3), 3600 * 1234);

        const QByteArray expected =
            "\xEF\xBB\xBF"
            "Dato;Opgave;Projektkode;Sekunder;Timer;Fakturerbare timer\n"
            "2025-03-03;Lang;;4442400;1234,00;1234,00\n"
            "2025-03-04;Frokost;;1800;0,50;0,50\n"
            "2025-03-04;\"\"\"Møde; A\"\"\";ABC;1200;0,33;0,25\n"
            "2025-03-05;\"linje\nto\";\"K;1\";1201;0,33;0,50\n"
            "2025-03-05; komma, cr\r;;-90;-0,03;0,00\n"
            "2025-03-05;Kører;;600;0,50;0,50";
        const QList<ExportRow> rows = exportRows(tasks.all());
        QCOMPARE(csvText(rows), expected);
        QCOMPARE(exportFile(rows, ExportFormat::Csv).bytes, expected);
        QCOMPARE(exportFile(rows, ExportFormat::Json).bytes, jsonText(rows).bytes);
    }

    void jsonIsWhatQJsonDocumentWrites_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("hours");
        QTest::addColumn<qint64>("seconds");
        QString control;
        for (char16_t c = 0; c < 0x20; ++c)
            control += QChar(c);
        QString ascii;
        for (char16_t c = 0x20; c < 0x80; ++c)
            ascii += QChar(c);
        QTest::newRow("control characters") << control << 0.25 << qint64(0);
        QTest::newRow("printable ASCII, quote and backslash") << ascii << 1.5 << qint64(-1);
        QTest::newRow("Danish and a line separator") << QStringLiteral("Møde på kontoret\u2028æøå") << 0.33 << qint64(1200);
        QTest::newRow("emoji as a surrogate pair") << QStringLiteral("\U0001F600 pause") << 2.0 << qint64(7200);
        QTest::newRow("half surrogate pairs")
            << (QString(QChar(0xD800)) + "a" + QChar(0xDC00) + QChar(0xD83D)) << 0.0 << qint64(0);
        QTest::newRow("negative hours round to minus zero") << "x" << -0.001 << qint64(-4);
        QTest::newRow("largest seconds") << "x" << 2562047788015215.0 << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest seconds") << "x" << -2562047788015215.0 << std::numeric_limits<qint64>::min();
        QTest::newRow("integral beyond 2^53") << "x" << 1e17 << qint64(0);
        QTest::newRow("fraction beyond 2^53 hundredths") << "x" << 123456789012.345 << qint64(0);
        for (double h : {0.07, -7.25, 9999999999999.99})
            QTest::addRow("hours %s", qPrintable(QString::number(h, 'f', 2))) << "x" << h << qint64(h * 3600);
    }
    void jsonIsWhatQJsonDocumentWrites()
    {
        QFETCH(QString, text);
        QFETCH(double, hours);
        QFETCH(qint64, seconds);
        const QList<ExportRow> rows{ExportRow{"2025-03-04", text, text, seconds, hours, hours / 2},
                                    ExportRow{text, "", "", 0, 0.0, 0.0}};
        QJsonArray reference;
        for (const ExportRow &row : rows) {
            QJsonObject o;
            o.insert("date", row.day);
            o.insert("name", row.name);
            o.insert("projectCode", row.code);
            o.insert("seconds", row.storedSeconds);
            o.insert("hours", timecalc::roundToHundredths(row.hours));
            o.insert("billableHours", timecalc::roundToHundredths(row.billableHours));
            reference.append(o);
        }
        const ExportFile result = jsonText(rows);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.bytes, QJsonDocument(reference).toJson(QJsonDocument::Indented));
        QCOMPARE(jsonText({}).bytes, QJsonDocument(QJsonArray()).toJson(QJsonDocument::Indented));
    }
    void jsonRefusesNumbersItCannotWrite_data()
    {
        QTest::addColumn<double>("hours");
        QTest::addColumn<double>("billable");
        QTest::newRow("not a number") << qQNaN() << 0.0;
        QTest::newRow("infinite billable") << 1.0 << qInf();
    }
    void jsonRefusesNumbersItCannotWrite()
    {
        QFETCH(double, hours);
        QFETCH(double, billable);
        const QList<ExportRow> rows{ExportRow{"2025-03-04", "fin", "", 60, 1.0, 0.0},
                                    ExportRow{"2025-03-04", "skadet", "", 60, hours, billable}};
        const ExportFile result = jsonText(rows);
        QVERIFY(!result.ok());
        QVERIFY(result.bytes.isEmpty());
        QVERIFY(result.error.contains("skadet"));
        QVERIFY(!exportFile(rows, ExportFormat::Json).ok());
    }
    // Billing is rounded per task, then summed.
    void summary()
    {
        TaskFixtures tasks;
        QCOMPARE(exportSummary(tasks.all()).taskCount, 0);
        tasks.add("T", QDate(2025, 3, 5), 420);
        tasks.add("T", QDate(2025, 3, 5), 420);
        const ExportSummary s = exportSummary(tasks.all());
        QCOMPARE(s.taskCount, 2);
        QCOMPARE(timecalc::formatDecimalHours(s.hours), "0.23");
        QCOMPARE(timecalc::formatDecimalHours(s.billableHours), "0.50");
    }

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

QTEST_GUILESS_MAIN(TestExportText)
#include "tst_exporttext.moc"
