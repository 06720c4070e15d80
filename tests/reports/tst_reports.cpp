// The reports: the export files' rows and text and how they reach the disk, the statistics'
// figures, and which tasks a report period takes. The period's sample tasks
// are dated around Wednesday 5 March 2025 and given out of date order, which the filter must
// keep: Monday 3 March starts the week under a Monday locale, Sunday 2 March under a Sunday one.
#include "records/Task.h"
#include "reports/AtomicWrite.h"
#include "reports/ExportText.h"
#include "reports/ReportPeriods.h"
#include "reports/Statistics.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <sys/fsuid.h>
#include <unistd.h>

using namespace reports;

// Tasks made directly, without a store.
struct TaskFixtures
{
    // A task dated at the local midnight of `day`; `runningSince` starts its clock.
    Task *add(const QString &name, const QDate &day, qint64 storedSeconds,
              const std::optional<QString> &code = std::nullopt, std::optional<double> runningSince = std::nullopt)
    {
        m_tasks.push_back(std::make_unique<Task>(Record::newId(), name, timecalc::startOfDay(day), storedSeconds,
                                                 runningSince, qint64(m_tasks.size()), 0.0, code));
        m_all.append(m_tasks.back().get());
        return m_all.back();
    }
    const QList<Task *> &all() const { return m_all; }
    std::vector<std::unique_ptr<Task>> m_tasks;
    QList<Task *> m_all;
};

// Seconds since the epoch of a local wall-clock time.
double localTime(int year, int month, int day, int hour = 12, int minute = 0)
{
    return double(QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch());
}

struct SampleTask
{
    int day;          // of March 2025
    qint64 stored;
    QString code;     // "-" for no code
    qint64 runningFor = 0;
};
struct Figures { QList<SampleTask> samples; QString totalTime; double billable; int days; double average; };
struct Breakdown { QList<SampleTask> samples; QStringList codes; QList<double> hours, billable; QList<qint64> counts; QList<double> bars; };
namespace {
struct Period { bool stats; QString period; double now; QLocale locale; QStringList expected; };
QStringList namesIn(const QList<Task *> &tasks)
{
    QStringList names;
    for (const Task *t : tasks)
        names.append(t->name());
    return names;
}
} // namespace
Q_DECLARE_METATYPE(Period)
Q_DECLARE_METATYPE(Figures)
Q_DECLARE_METATYPE(Breakdown)
Q_DECLARE_METATYPE(QList<SampleTask>)

class TestReports : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;

private slots:
    void init() { m_clock.emplace(now()); }

    void figures_data()
    {
        QTest::addColumn<Figures>("f");
        QTest::newRow("no task") << Figures{{}, "0:00", 0.0, 0, 0.0};
        QTest::newRow("one day, seconds dropped") << Figures{{{3, 3725, "-"}, {3, 0, "-"}}, "1:02", 1.0, 1, 3725.0 / 3600.0};
        QTest::newRow("running task: stored total, current billable")
            << Figures{{{5, 600, "-", 1200}}, "0:10", 0.5, 1, 600.0 / 3600.0};
        QTest::newRow("a day with no time still counts") << Figures{{{3, 7200, "-"}, {4, 0, "-"}}, "2:00", 2.0, 2, 1.0};
        QTest::newRow("billable summed per task")
            << Figures{{{3, 420, "-"}, {3, 420, "-"}}, "0:14", 0.5, 1, 840.0 / 3600.0};
        QTest::newRow("negative stored seconds") << Figures{{{3, -3600, "-"}, {4, 7200, "-"}}, "1:00", 2.0, 2, 0.5};
    }

    void figures()
    {
        QFETCH(Figures, f);
        TaskFixtures tasks;
        addAll(tasks, f.samples);
        const qint64 total = totalStoredSeconds(tasks.all());
        QCOMPARE(timecalc::formatHoursMinutes(total), f.totalTime);
        QCOMPARE(billableTotal(tasks.all()), f.billable);
        QCOMPARE(workDays(tasks.all()), f.days);
        QCOMPARE(averageHoursPerDay(total, f.days), f.average);
    }

    void breakdown_data()
    {
        QTest::addColumn<Breakdown>("b");
        QTest::newRow("three tasks of 8 minutes")
            << Breakdown{{{3, 480, "ABC"}, {4, 480, "ABC"}, {5, 480, "ABC"}}, {"ABC"}, {0.4}, {0.75}, {3}, {1.0}};
        QTest::newRow("most hours first, no code has its key")
            << Breakdown{{{3, 1800, "A"}, {3, 7200, "-"}, {4, 3600, "B"}, {4, 1800, "B"}},
                         {"Ingen kode", "B", "A"}, {2.0, 1.5, 0.5}, {2.0, 1.5, 0.5}, {1, 2, 1}, {1.0, 0.75, 0.25}};
        QTest::newRow("an empty code is not the missing code")
            << Breakdown{{{3, 3600, ""}, {3, 1800, "-"}}, {"", "Ingen kode"}, {1.0, 0.5}, {1.0, 0.5}, {1, 1}, {1.0, 0.5}};
        QTest::newRow("running task counts its current time")
            << Breakdown{{{5, 600, "R", 1200}, {5, 1500, "S"}}, {"R", "S"}, {0.5, 1500.0 / 3600.0}, {0.5, 0.5}, {1, 1},
                         {1.0, 1500.0 / 3600.0 / 0.5}};
        // The bars are drawn against the longest; with no time at all, none stands up.
        QTest::newRow("no time anywhere") << Breakdown{{{3, 0, "A"}}, {"A"}, {0.0}, {0.0}, {1}, {0.0}};
    }

    void breakdown()
    {
        QFETCH(Breakdown, b);
        TaskFixtures tasks;
        addAll(tasks, b.samples);
        const QList<CodeHours> rows = projectBreakdown(tasks.all());
        QCOMPARE(rows.size(), b.codes.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].code, b.codes[i]);
            QVERIFY2(qFuzzyCompare(rows[i].hours, b.hours[i]), qPrintable(QString::number(rows[i].hours)));
            QCOMPARE(rows[i].billable, b.billable[i]);
            QCOMPARE(rows[i].count, b.counts[i]);
        }
        QCOMPARE(projectBarFractions(rows), b.bars);
    }

    // Days ascending; the longest day is full height, an empty or negative day stays at the floor.
    void dailyHoursAndBars_data()
    {
        QTest::addColumn<QList<SampleTask>>("samples");
        QTest::addColumn<QStringList>("days"); // date, hours, bar height
        // 30 March is a 23-hour day where summer time begins that night.
        QTest::newRow("ascending by day")
            << QList<SampleTask>{{5, 3600, "-"}, {3, 1800, "-"}, {5, 1800, "-"}, {30, 7200, "-"}, {4, 0, "-"}}
            << QStringList{"03-03 00:00 0.5 20", "03-04 00:00 0 4", "03-05 00:00 1.5 60", "03-30 00:00 2 80"};
        QTest::newRow("negative days do not outgrow the chart")
            << QList<SampleTask>{{3, -3600, "-"}, {4, -7200, "-"}} << QStringList{"03-03 00:00 -1 4", "03-04 00:00 -2 4"};
    }
    void dailyHoursAndBars()
    {
        QFETCH(QList<SampleTask>, samples);
        QFETCH(QStringList, days);
        TaskFixtures tasks;
        addAll(tasks, samples);
        const QList<DayHours> daily = dailyHours(tasks.all());
        const QList<double> heights = dayBarHeights(daily);
        QStringList out;
        for (qsizetype i = 0; i < daily.size(); ++i)
            out << timecalc::toDateTime(daily[i].day).toString("MM-dd hh:mm") + ' ' + QString::number(daily[i].hours) + ' '
                       + QString::number(heights.value(i));
        QCOMPARE(out, days);
    }

    void periods_data()
    {
        QTest::addColumn<Period>("p");
        const QLocale danish(QLocale::Danish, QLocale::Denmark);
        const QLocale american(QLocale::English, QLocale::UnitedStates);
        const double wednesday = localTime(2025, 3, 5, 23, 59);
        const QStringList all{"today", "feb28", "nextMonth", "sun2", "tomorrow", "mon3"};
        const QStringList fromSunday{"today", "nextMonth", "sun2", "tomorrow", "mon3"};
        const QStringList fromMonday{"today", "nextMonth", "tomorrow", "mon3"};
        QTest::newRow("export today") << Period{false, "today", wednesday, danish, {"today"}};
        QTest::newRow("export week from Monday, no upper bound") << Period{false, "thisWeek", wednesday, danish, fromMonday};
        QTest::newRow("export month from the 1st, no upper bound")
            << Period{false, "thisMonth", wednesday, danish, fromSunday};
        QTest::newRow("export all") << Period{false, "all", wednesday, danish, all};
        QTest::newRow("stats week starts at its first midnight")
            << Period{true, "thisWeek", localTime(2025, 3, 3, 0, 0), danish, fromMonday};
        QTest::newRow("stats week under a Sunday locale") << Period{true, "thisWeek", wednesday, american, fromSunday};
        QTest::newRow("stats month on its last day includes the next month")
            << Period{true, "thisMonth", localTime(2025, 2, 28, 23, 30), danish, all};
        // A clock outside the calendar has no today, week or month; all time still holds every task.
        const double broken = qQNaN();
        QTest::newRow("export today, broken clock") << Period{false, "today", broken, danish, {}};
        QTest::newRow("export week, broken clock") << Period{false, "thisWeek", broken, danish, {}};
        QTest::newRow("stats month, broken clock") << Period{true, "thisMonth", broken, danish, {}};
        QTest::newRow("stats all time, whatever the clock") << Period{true, "allTime", broken, danish, all};
    }
    void periods()
    {
        QFETCH(Period, p);
        TaskFixtures tasks;
        for (const auto &[name, day] : QList<QPair<QString, QDate>>{
                 {"today", QDate(2025, 3, 5)}, {"feb28", QDate(2025, 2, 28)}, {"nextMonth", QDate(2025, 4, 15)},
                 {"sun2", QDate(2025, 3, 2)}, {"tomorrow", QDate(2025, 3, 6)}, {"mon3", QDate(2025, 3, 3)}})
            tasks.add(name, day, 60);
        const QList<Task *> &all = tasks.all();
        if (p.stats) {
            QVERIFY(statsPeriodFromRaw(p.period));
            QCOMPARE(namesIn(filteredTasks(all, *statsPeriodFromRaw(p.period), p.now, p.locale)), p.expected);
        } else {
            QVERIFY(exportRangeFromRaw(p.period));
            QCOMPARE(namesIn(filteredTasks(all, *exportRangeFromRaw(p.period), p.now, p.locale)), p.expected);
        }
    }

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
        tasks.add("Kører", QDate(2025, 3, 5), 600, QStringLiteral(""), now() - 1200);
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
        QString ascii;
        for (char16_t c = 0; c < 0x80; ++c)
            ascii += QChar(c);
        QTest::newRow("every ASCII character") << ascii << 0.25 << qint64(-1);
        QTest::newRow("the first code point of each UTF-8 length, Danish, a line separator, an emoji")
            << QStringLiteral("\u0080 \u0800 \U00010000 Møde på kontoret\u2028æøå \U0001F600 pause") << 0.5 << qint64(1800);
        QTest::newRow("half surrogate pairs, negative hours round to minus zero")
            << (QString(QChar(0xD800)) + "a" + QChar(0xDC00) + QChar(0xD83D)) << -0.001 << qint64(-4);
        QTest::newRow("largest seconds") << "x" << 2562047788015215.0 << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest seconds") << "x" << -2562047788015215.0 << std::numeric_limits<qint64>::min();
        QTest::newRow("integral beyond 2^53") << "x" << 1e17 << qint64(0);
        QTest::newRow("fraction beyond 2^53 hundredths") << "x" << 123456789012.345 << qint64(0);
        QTest::newRow("hours in hundredths") << "x" << 9999999999999.99 << qint64(0);
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
    void jsonRefusesNumbersItCannotWrite()
    {
        for (const auto &[hours, billable] : {std::pair(qQNaN(), 0.0), std::pair(1.0, qInf())}) {
            const QList<ExportRow> rows{ExportRow{"2025-03-04", "fin", "", 60, 1.0, 0.0},
                                        ExportRow{"2025-03-04", "skadet", "", 60, hours, billable}};
            const ExportFile result = jsonText(rows);
            QVERIFY(!result.ok());
            QVERIFY(result.bytes.isEmpty());
            QVERIFY(result.error.contains("skadet"));
            QVERIFY(!exportFile(rows, ExportFormat::Json).ok());
        }
    }
    // A write replaces the file whole or leaves it untouched, and never leaves a temporary file.
    void atomicWrite_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("replaced by shorter text") << "ok";
        QTest::newRow("folder not writable") << "readonly";
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("folder missing") << "missing";
    }
    void atomicWrite()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        QString path = dir.filePath("export.csv");
        QCOMPARE(writeFileAtomically(path, "gammelt indhold"), std::nullopt);
        // Root passes every permission check, so as root the write runs as nobody, who may
        // change the file but not the folder: no temporary file, and no writing in place.
        if (situation == "readonly") {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
        } else if (situation == "folder") {
            path = dir.filePath("sub");
            QVERIFY(QDir(dir.path()).mkdir("sub"));
        } else if (situation == "missing") {
            path = dir.filePath("ingen/export.csv");
        }
        if (::geteuid() == 0 && situation == "readonly")
            ::setfsuid(65534);
        const auto error = situation == "ok" ? writeTextAtomically(path, QStringLiteral("[\"æøå\"]"))
                                             : writeFileAtomically(path, "nyt indhold");
        ::setfsuid(0);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(error.has_value() && !error->isEmpty(), situation != "ok");
        QFile target(dir.filePath("export.csv"));
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), // UTF-8, no mark of its own
                 situation == "ok" ? QByteArray("[\"\xC3\xA6\xC3\xB8\xC3\xA5\"]") : QByteArray("gammelt indhold"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"export.csv"});
    }

private:
    static double now() { return localTime(2025, 3, 5, 14, 0); }
    static void addAll(TaskFixtures &tasks, const QList<SampleTask> &samples)
    {
        for (const SampleTask &s : samples)
            tasks.add("T", QDate(2025, 3, s.day), s.stored,
                      s.code == "-" ? std::nullopt : std::optional<QString>(s.code),
                      s.runningFor ? std::optional<double>(now() - double(s.runningFor)) : std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
