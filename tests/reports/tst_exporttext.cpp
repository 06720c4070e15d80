#include "AtomicWrite.h"
#include "Clock.h"
#include "ExportText.h"
#include "TaskFixtures.h"
#include "TimeCalc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace reports;

class TestExportText : public QObject
{
    Q_OBJECT

private slots:
    void init() { timecalc::Clock::setFixed(now()); }
    void cleanup() { timecalc::Clock::reset(); }

    void csvField_data();
    void csvField();
    void csvFile();
    void csvHours_data();
    void csvHours();
    void exportOrderIsByDateThenGivenOrder();
    void jsonFile();
    void jsonParsesBack();
    void jsonIsWhatQJsonDocumentWrites_data();
    void jsonIsWhatQJsonDocumentWrites();
    void jsonRefusesNumbersItCannotWrite_data();
    void jsonRefusesNumbersItCannotWrite();
    void csvReadBackBySpreadsheetReader();
    void summary_data();
    void summary();

private:
    static double now() { return localTime(2025, 3, 5, 14, 0); }
};

void TestExportText::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");

    QTest::newRow("plain") << "Frokost" << "Frokost";
    QTest::newRow("semicolon") << "a;b" << "\"a;b\"";
    QTest::newRow("double quote doubled") << "16\" skærm" << "\"16\"\" skærm\"";
    QTest::newRow("quotes around a semicolon") << "\"Møde; A\"" << "\"\"\"Møde; A\"\"\"";
    QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
    QTest::newRow("comma alone") << "a,b" << "a,b";
    QTest::newRow("carriage return alone") << "a\rb" << "a\rb";
    QTest::newRow("leading and trailing space") << " a " << " a ";
    QTest::newRow("empty") << "" << "";
}

void TestExportText::csvField()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(reports::csvField(text), field);
}

void TestExportText::csvFile()
{
    TaskFixtures tasks;
    tasks.add("Frokost", QDate(2025, 3, 4), 1800);
    tasks.add("\"Møde; A\"", QDate(2025, 3, 4), 1200, QStringLiteral("ABC"));
    tasks.add("linje\nto", QDate(2025, 3, 5), 1201, QStringLiteral("K;1"));
    tasks.add(" komma, cr\r", QDate(2025, 3, 5), -90);
    // Banked 10 minutes, running for 20 more: the seconds column keeps the banked time.
    tasks.add("Kører", QDate(2025, 3, 5), 600, QStringLiteral(""), now() - 1200);

    const QByteArray expected =
        "\xEF\xBB\xBF"
        "Dato;Opgave;Projektkode;Sekunder;Timer;Fakturerbare timer\n"
        "2025-03-04;Frokost;;1800;0,50;0,50\n"
        "2025-03-04;\"\"\"Møde; A\"\"\";ABC;1200;0,33;0,25\n"
        "2025-03-05;\"linje\nto\";\"K;1\";1201;0,33;0,50\n"
        "2025-03-05; komma, cr\r;;-90;-0,03;0,00\n"
        "2025-03-05;Kører;;600;0,50;0,50";
    QCOMPARE(csvText(exportRows(tasks.all())), expected);
}

void TestExportText::csvHours_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("hoursField");
    QTest::addColumn<QString>("billableField");

    QTest::newRow("nothing") << qint64(0) << "0,00" << "0,00";
    QTest::newRow("20 minutes") << qint64(1200) << "0,33" << "0,25";
    QTest::newRow("20 minutes 1 second") << qint64(1201) << "0,33" << "0,50";
    QTest::newRow("one and a half hours") << qint64(5400) << "1,50" << "1,50";
    QTest::newRow("no thousands separator") << qint64(3600 * 1234) << "1234,00" << "1234,00";
}

void TestExportText::csvHours()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, hoursField);
    QFETCH(QString, billableField);

    TaskFixtures tasks;
    tasks.add("T", QDate(2025, 3, 4), seconds);
    const QStringList lines = QString::fromUtf8(csvText(exportRows(tasks.all()))).split(u'\n');
    QCOMPARE(lines.size(), 2);
    const QStringList fields = lines.at(1).split(u';');
    QCOMPARE(fields.size(), 6);
    QCOMPARE(fields.at(3), QString::number(seconds));
    QCOMPARE(fields.at(4), hoursField);
    QCOMPARE(fields.at(5), billableField);
}

void TestExportText::exportOrderIsByDateThenGivenOrder()
{
    TaskFixtures tasks;
    tasks.add("c", QDate(2025, 3, 5), 0);
    tasks.add("a1", QDate(2025, 3, 3), 0);
    tasks.add("b", QDate(2025, 3, 4), 0);
    tasks.add("a2", QDate(2025, 3, 3), 0);
    QStringList names;
    for (const ExportRow &row : exportRows(tasks.all()))
        names.append(row.name);
    QCOMPARE(names, (QStringList{"a1", "a2", "b", "c"}));
}

void TestExportText::jsonFile()
{
    TaskFixtures tasks;
    tasks.add("Møde \"A\"\nB", QDate(2025, 3, 4), 5400, QStringLiteral("ABC"));
    tasks.add("Kører", QDate(2025, 3, 5), 600, std::nullopt, now() - 1200);
    tasks.add("Negativ", QDate(2025, 3, 5), -90);

    const ExportFile result = jsonText(exportRows(tasks.all()));
    QVERIFY2(result.ok(), qPrintable(result.error));
    const QString expected = QStringLiteral(
        "[\n"
        "    {\n"
        "        \"billableHours\": 1.5,\n"
        "        \"date\": \"2025-03-04\",\n"
        "        \"hours\": 1.5,\n"
        "        \"name\": \"Møde \\\"A\\\"\\nB\",\n"
        "        \"projectCode\": \"ABC\",\n"
        "        \"seconds\": 5400\n"
        "    },\n"
        "    {\n"
        "        \"billableHours\": 0.5,\n"
        "        \"date\": \"2025-03-05\",\n"
        "        \"hours\": 0.5,\n"
        "        \"name\": \"Kører\",\n"
        "        \"projectCode\": \"\",\n"
        "        \"seconds\": 600\n"
        "    },\n"
        "    {\n"
        "        \"billableHours\": 0,\n"
        "        \"date\": \"2025-03-05\",\n"
        "        \"hours\": -0.03,\n"
        "        \"name\": \"Negativ\",\n"
        "        \"projectCode\": \"\",\n"
        "        \"seconds\": -90\n"
        "    }\n"
        "]\n");
    QCOMPARE(result.bytes, expected.toUtf8());
}

void TestExportText::jsonParsesBack()
{
    TaskFixtures tasks;
    tasks.add("a;b", QDate(2025, 3, 4), 1200, QStringLiteral("X"));
    tasks.add("\"q\"\r\n\t", QDate(2025, 3, 4), 1201);
    tasks.add("stor", QDate(2025, 3, 5), qint64(9007199254740993)); // beyond a double's integers
    const QList<ExportRow> rows = exportRows(tasks.all());
    const ExportFile result = jsonText(rows);
    QVERIFY2(result.ok(), qPrintable(result.error));

    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(result.bytes, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(doc.isArray());
    const QJsonArray array = doc.array();
    QCOMPARE(array.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject o = array.at(i).toObject();
        QCOMPARE(o.keys(), (QStringList{"billableHours", "date", "hours", "name", "projectCode", "seconds"}));
        QCOMPARE(o.value("date").toString(), rows[i].day);
        QCOMPARE(o.value("name").toString(), rows[i].name);
        QCOMPARE(o.value("projectCode").toString(), rows[i].code);
        QCOMPARE(o.value("seconds").toInteger(), rows[i].storedSeconds);
        QCOMPARE(o.value("hours").toDouble(), timecalc::roundToHundredths(rows[i].hours));
        QCOMPARE(o.value("billableHours").toDouble(), timecalc::roundToHundredths(rows[i].billableHours));
    }
}

void TestExportText::jsonIsWhatQJsonDocumentWrites_data()
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
    QTest::newRow("tiny") << "x" << 0.004 << qint64(14);
    for (double h : {0.07, 0.1, 0.33, 1.5, 12.05, -0.03, -7.25, 123.45, 1234567.89, 99999999999.99, 9999999999999.99})
        QTest::addRow("hours %s", qPrintable(QString::number(h, 'f', 2))) << "x" << h << qint64(h * 3600);
}

void TestExportText::jsonIsWhatQJsonDocumentWrites()
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

void TestExportText::jsonRefusesNumbersItCannotWrite_data()
{
    QTest::addColumn<double>("hours");
    QTest::addColumn<double>("billable");

    QTest::newRow("not a number") << qQNaN() << 0.0;
    QTest::newRow("infinite billable") << 1.0 << qInf();
    QTest::newRow("negative infinity") << -qInf() << 1.0;
}

void TestExportText::jsonRefusesNumbersItCannotWrite()
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

void TestExportText::csvReadBackBySpreadsheetReader()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    QVERIFY2(!python.isEmpty(), "python3 is needed to read the file back (scripts/install-deps installs it)");

    TaskFixtures tasks;
    tasks.add("Møde; \"A\"", QDate(2025, 3, 4), 1201, QStringLiteral("K;1"));
    tasks.add("to\nlinjer", QDate(2025, 3, 4), 5400);
    tasks.add(" komma, og mellemrum ", QDate(2025, 3, 5), -90, QStringLiteral(""));
    const QList<ExportRow> rows = exportRows(tasks.all());

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("export.csv");
    QCOMPARE(writeFileAtomically(path, csvText(rows)), std::nullopt);

    // What a spreadsheet sees: ';' separators, quoted fields, decimal commas, the BOM
    // taken as the encoding's mark rather than part of "Dato".
    const char *script =
        "import csv, json, sys\n"
        "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
        "    rows = list(csv.reader(f, delimiter=';'))\n"
        "out = [rows[0]] + [r[:4] + [float(r[4].replace(',', '.')), float(r[5].replace(',', '.'))] for r in rows[1:]]\n"
        "print(json.dumps(out))\n";
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QString::fromLatin1(script), path});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());

    const QJsonArray read = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(read.size(), rows.size() + 1);
    QCOMPARE(read.at(0).toArray().toVariantList(),
             (QVariantList{"Dato", "Opgave", "Projektkode", "Sekunder", "Timer", "Fakturerbare timer"}));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonArray r = read.at(i + 1).toArray();
        QCOMPARE(r.size(), 6);
        QCOMPARE(r.at(0).toString(), rows[i].day);
        QCOMPARE(r.at(1).toString(), rows[i].name);
        QCOMPARE(r.at(2).toString(), rows[i].code);
        QCOMPARE(r.at(3).toString().toLongLong(), rows[i].storedSeconds);
        QCOMPARE(r.at(4).toDouble(), timecalc::formatDecimalHours(rows[i].hours).toDouble());
        QCOMPARE(r.at(5).toDouble(), rows[i].billableHours);
    }
}

void TestExportText::summary_data()
{
    QTest::addColumn<QList<qint64>>("seconds");
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("billable");

    QTest::newRow("no task") << QList<qint64>{} << qsizetype(0) << "0.00" << "0.00";
    QTest::newRow("billable is summed per task") << QList<qint64>{420, 420} << qsizetype(2) << "0.23" << "0.50";
    QTest::newRow("one task of 14 minutes") << QList<qint64>{840} << qsizetype(1) << "0.23" << "0.25";
}

void TestExportText::summary()
{
    QFETCH(QList<qint64>, seconds);
    QFETCH(qsizetype, count);
    QFETCH(QString, hours);
    QFETCH(QString, billable);

    TaskFixtures tasks;
    for (qint64 s : seconds)
        tasks.add("T", QDate(2025, 3, 5), s);
    const ExportSummary s = exportSummary(tasks.all());
    QCOMPARE(s.taskCount, count);
    QCOMPARE(timecalc::formatDecimalHours(s.hours), hours);
    QCOMPARE(timecalc::formatDecimalHours(s.billableHours), billable);
}

QTEST_GUILESS_MAIN(TestExportText)
#include "tst_exporttext.moc"
