#include "Clock.h"
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
Q_DECLARE_METATYPE(QList<SampleTask>)

class TestStatistics : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;

private slots:
    void init() { m_clock.emplace(now()); }

    void figures_data()
    {
        QTest::addColumn<QList<SampleTask>>("samples");
        QTest::addColumn<QString>("totalTime");
        QTest::addColumn<double>("billable");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("average");
        QTest::newRow("no task") << QList<SampleTask>{} << "0:00" << 0.0 << 0 << 0.0;
        QTest::newRow("one day, seconds dropped")
            << QList<SampleTask>{{3, 3725, "-"}, {3, 0, "-"}} << "1:02" << 1.0 << 1 << 3725.0 / 3600.0;
        QTest::newRow("running task: stored total, current billable")
            << QList<SampleTask>{{5, 600, "-", 1200}} << "0:10" << 0.5 << 1 << 600.0 / 3600.0;
        QTest::newRow("a day with no time still counts")
            << QList<SampleTask>{{3, 7200, "-"}, {4, 0, "-"}} << "2:00" << 2.0 << 2 << 1.0;
        QTest::newRow("billable summed per task")
            << QList<SampleTask>{{3, 420, "-"}, {3, 420, "-"}} << "0:14" << 0.5 << 1 << 840.0 / 3600.0;
        QTest::newRow("negative stored seconds")
            << QList<SampleTask>{{3, -3600, "-"}, {4, 7200, "-"}} << "1:00" << 2.0 << 2 << 0.5;
    }

    void figures()
    {
        QFETCH(QList<SampleTask>, samples);
        QFETCH(QString, totalTime);
        QFETCH(double, billable);
        QFETCH(int, days);
        QFETCH(double, average);
        TaskFixtures tasks;
        addAll(tasks, samples);
        const qint64 total = totalStoredSeconds(tasks.all());
        QCOMPARE(timecalc::formatHoursMinutes(total), totalTime);
        QCOMPARE(billableTotal(tasks.all()), billable);
        QCOMPARE(workDays(tasks.all()), days);
        QCOMPARE(averageHoursPerDay(total, days), average);
    }

    void breakdown_data()
    {
        QTest::addColumn<QList<SampleTask>>("samples");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QList<double>>("hours");
        QTest::addColumn<QList<double>>("billable");
        QTest::addColumn<QList<qint64>>("counts");
        QTest::newRow("three tasks of 8 minutes")
            << QList<SampleTask>{{3, 480, "ABC"}, {4, 480, "ABC"}, {5, 480, "ABC"}}
            << QStringList{"ABC"} << QList<double>{0.4} << QList<double>{0.75} << QList<qint64>{3};
        QTest::newRow("most hours first, no code has its key")
            << QList<SampleTask>{{3, 1800, "A"}, {3, 7200, "-"}, {4, 3600, "B"}, {4, 1800, "B"}}
            << QStringList{"Ingen kode", "B", "A"} << QList<double>{2.0, 1.5, 0.5}
            << QList<double>{2.0, 1.5, 0.5} << QList<qint64>{1, 2, 1};
        QTest::newRow("an empty code is not the missing code")
            << QList<SampleTask>{{3, 3600, ""}, {3, 1800, "-"}}
            << QStringList{"", "Ingen kode"} << QList<double>{1.0, 0.5} << QList<double>{1.0, 0.5}
            << QList<qint64>{1, 1};
        QTest::newRow("running task counts its current time")
            << QList<SampleTask>{{5, 600, "R", 1200}, {5, 1500, "S"}}
            << QStringList{"R", "S"} << QList<double>{0.5, 1500.0 / 3600.0} << QList<double>{0.5, 0.5}
            << QList<qint64>{1, 1};
    }

    void breakdown()
    {
        QFETCH(QList<SampleTask>, samples);
        QFETCH(QStringList, codes);
        QFETCH(QList<double>, hours);
        QFETCH(QList<double>, billable);
        QFETCH(QList<qint64>, counts);
        TaskFixtures tasks;
        addAll(tasks, samples);
        const QList<CodeHours> rows = projectBreakdown(tasks.all());
        QCOMPARE(rows.size(), codes.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].code, codes[i]);
            QVERIFY2(qFuzzyCompare(rows[i].hours, hours[i]), qPrintable(QString::number(rows[i].hours)));
            QCOMPARE(rows[i].billable, billable[i]);
            QCOMPARE(rows[i].count, counts[i]);
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
        QTest::newRow("short days stay visible") << QList<double>{0.01, 10.0} << QList<double>{4.0, 80.0};
        QTest::newRow("negative days do not outgrow the chart")
            << QList<double>{-1.0, -2.0} << QList<double>{4.0, 4.0};
        QTest::newRow("a negative day beside a positive one") << QList<double>{-1.0, 1.0} << QList<double>{4.0, 80.0};
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
