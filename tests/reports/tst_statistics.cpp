// The statistics' figures, and which tasks a report period takes. The period's sample tasks
// are dated around Wednesday 5 March 2025 and given out of date order, which the filter must
// keep: Monday 3 March starts the week under a Monday locale, Sunday 2 March under a Sunday one.
#include "Clock.h"
#include "ReportPeriods.h"
#include "Statistics.h"
#include "TaskFixtures.h"
#include "TimeCalc.h"

#include <QTest>

using namespace reports;

struct SampleTask
{
    int day;          // of March 2025
    qint64 stored;
    QString code;     // "-" for no code
    qint64 runningFor = 0;
};
struct Figures { QList<SampleTask> samples; QString totalTime; double billable; int days; double average; };
struct Breakdown { QList<SampleTask> samples; QStringList codes; QList<double> hours, billable; QList<qint64> counts; };
namespace {
QList<Task *> sample(TaskFixtures &tasks)
{
    const QList<QPair<QString, QDate>> days{
        {"today", QDate(2025, 3, 5)}, {"feb28", QDate(2025, 2, 28)}, {"nextMonth", QDate(2025, 4, 15)},
        {"sun2", QDate(2025, 3, 2)},  {"tomorrow", QDate(2025, 3, 6)}, {"mon3", QDate(2025, 3, 3)},
    };
    for (const auto &[name, day] : days)
        tasks.add(name, day, 60);
    return tasks.all();
}
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

class TestStatistics : public QObject
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
            << Breakdown{{{3, 480, "ABC"}, {4, 480, "ABC"}, {5, 480, "ABC"}}, {"ABC"}, {0.4}, {0.75}, {3}};
        QTest::newRow("most hours first, no code has its key")
            << Breakdown{{{3, 1800, "A"}, {3, 7200, "-"}, {4, 3600, "B"}, {4, 1800, "B"}},
                         {"Ingen kode", "B", "A"}, {2.0, 1.5, 0.5}, {2.0, 1.5, 0.5}, {1, 2, 1}};
        QTest::newRow("an empty code is not the missing code")
            << Breakdown{{{3, 3600, ""}, {3, 1800, "-"}}, {"", "Ingen kode"}, {1.0, 0.5}, {1.0, 0.5}, {1, 1}};
        QTest::newRow("running task counts its current time")
            << Breakdown{{{5, 600, "R", 1200}, {5, 1500, "S"}}, {"R", "S"}, {0.5, 1500.0 / 3600.0}, {0.5, 0.5}, {1, 1}};
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
    }

    void dailyHoursAscendingByDay()
    {
        TaskFixtures tasks;
        tasks.add("a", QDate(2025, 3, 5), 3600);
        tasks.add("b", QDate(2025, 3, 3), 1800);
        tasks.add("c", QDate(2025, 3, 5), 1800);
        tasks.add("d", QDate(2025, 3, 30), 7200); // a 23-hour day where summer time begins that night
        tasks.add("e", QDate(2025, 3, 4), 0);
        const QList<DayHours> days = dailyHours(tasks.all());
        QCOMPARE(days.size(), 4);
        const QList<QDate> expectedDays{QDate(2025, 3, 3), QDate(2025, 3, 4), QDate(2025, 3, 5), QDate(2025, 3, 30)};
        const QList<double> expectedHours{0.5, 0.0, 1.5, 2.0};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(days[i].day, timecalc::startOfDay(expectedDays[i]));
            QCOMPARE(days[i].hours, expectedHours[i]);
        }
    }

    void dayBars_data()
    {
        QTest::addColumn<QList<double>>("hours");
        QTest::addColumn<QList<double>>("heights");
        QTest::newRow("longest day is full height, empty day at the floor")
            << QList<double>{2.0, 4.0, 0.0} << QList<double>{40.0, 80.0, 4.0};
        QTest::newRow("negative days do not outgrow the chart")
            << QList<double>{-1.0, -2.0} << QList<double>{4.0, 4.0};
    }

    void dayBars()
    {
        QFETCH(QList<double>, hours);
        QFETCH(QList<double>, heights);
        QList<DayHours> days;
        for (qsizetype i = 0; i < hours.size(); ++i)
            days.append(DayHours{double(i) * 86400.0, hours[i]});
        QCOMPARE(dayBarHeights(days), heights);
    }

    void projectBars_data()
    {
        QTest::addColumn<QList<double>>("hours");
        QTest::addColumn<QList<double>>("fractions");
        QTest::newRow("relative to the first") << QList<double>{4.0, 2.0, 1.0} << QList<double>{1.0, 0.5, 0.25};
        QTest::newRow("reference of zero gives no bars") << QList<double>{0.0, 0.0} << QList<double>{0.0, 0.0};
        QTest::newRow("negative hours give no bar") << QList<double>{1.0, -0.5} << QList<double>{1.0, 0.0};
    }

    void projectBars()
    {
        QFETCH(QList<double>, hours);
        QFETCH(QList<double>, fractions);
        QList<CodeHours> breakdown;
        for (double h : hours)
            breakdown.append(CodeHours{"X", h, 0.0, 1});
        QCOMPARE(projectBarFractions(breakdown), fractions);
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
        QTest::newRow("export week from Sunday under a Sunday locale")
            << Period{false, "thisWeek", wednesday, american, fromSunday};
        QTest::newRow("export month from the 1st, no upper bound")
            << Period{false, "thisMonth", wednesday, danish, fromSunday};
        QTest::newRow("export all") << Period{false, "all", wednesday, danish, all};
        QTest::newRow("stats week starts at its first midnight")
            << Period{true, "thisWeek", localTime(2025, 3, 3, 0, 0), danish, fromMonday};
        QTest::newRow("stats week under a Sunday locale") << Period{true, "thisWeek", wednesday, american, fromSunday};
        QTest::newRow("stats month on its last day includes the next month")
            << Period{true, "thisMonth", localTime(2025, 2, 28, 23, 30), danish, all};
        QTest::newRow("stats all time") << Period{true, "allTime", wednesday, danish, all};
    }
    void periods()
    {
        QFETCH(Period, p);
        TaskFixtures tasks;
        const QList<Task *> all = sample(tasks);
        if (p.stats) {
            QVERIFY(statsPeriodFromRaw(p.period));
            QCOMPARE(namesIn(filteredTasks(all, *statsPeriodFromRaw(p.period), p.now, p.locale)), p.expected);
        } else {
            QVERIFY(exportRangeFromRaw(p.period));
            QCOMPARE(namesIn(filteredTasks(all, *exportRangeFromRaw(p.period), p.now, p.locale)), p.expected);
        }
    }

    void clockOutsideCalendarGivesEmptyPeriods()
    {
        TaskFixtures tasks;
        tasks.add("any", QDate(2025, 3, 5), 60);
        const double broken = qQNaN();
        QVERIFY(filteredTasks(tasks.all(), ExportRange::Today, broken).isEmpty());
        QVERIFY(filteredTasks(tasks.all(), ExportRange::ThisWeek, broken).isEmpty());
        QVERIFY(filteredTasks(tasks.all(), StatsPeriod::ThisMonth, broken).isEmpty());
        QCOMPARE(filteredTasks(tasks.all(), StatsPeriod::AllTime, broken).size(), 1);
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

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
