#include "Clock.h"
#include "ReportPeriods.h"
#include "TaskFixtures.h"

#include <QTest>

using namespace reports;

class TestReportPeriods : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { timecalc::Clock::reset(); }

    void exportRange_data();
    void exportRange();
    void statsPeriod_data();
    void statsPeriod();
    void keepsGivenOrder();
    void defaultsToSystemWeekStartAndClock();
    void clockOutsideCalendarGivesEmptyPeriods();
};

// Names of the task dates relative to Wednesday 5 March 2025, the "now" of these tests.
// Monday 3 March starts the week under a Monday locale, Sunday 2 March under a Sunday one.
static QList<QPair<QString, QDate>> sampleDays()
{
    return {
        {QStringLiteral("feb28"), QDate(2025, 2, 28)},
        {QStringLiteral("sun2"), QDate(2025, 3, 2)},
        {QStringLiteral("mon3"), QDate(2025, 3, 3)},
        {QStringLiteral("today"), QDate(2025, 3, 5)},
        {QStringLiteral("tomorrow"), QDate(2025, 3, 6)},
        {QStringLiteral("nextMonth"), QDate(2025, 4, 15)},
    };
}

static QStringList namesIn(const QList<Task *> &tasks)
{
    QStringList names;
    for (const Task *t : tasks)
        names.append(t->name());
    return names;
}

void TestReportPeriods::exportRange_data()
{
    QTest::addColumn<ExportRange>("range");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("expected");

    const QLocale danish(QLocale::Danish, QLocale::Denmark);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("today is only today's date") << ExportRange::Today << danish << QStringList{"today"};
    QTest::newRow("week from Monday, no upper bound")
        << ExportRange::ThisWeek << danish << QStringList{"mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("week from Sunday under a Sunday locale")
        << ExportRange::ThisWeek << american << QStringList{"sun2", "mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("month from the 1st, no upper bound")
        << ExportRange::ThisMonth << danish << QStringList{"sun2", "mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("all") << ExportRange::All << danish
                         << QStringList{"feb28", "sun2", "mon3", "today", "tomorrow", "nextMonth"};
}

void TestReportPeriods::exportRange()
{
    QFETCH(ExportRange, range);
    QFETCH(QLocale, locale);
    QFETCH(QStringList, expected);

    TaskFixtures tasks;
    for (const auto &[name, day] : sampleDays())
        tasks.add(name, day, 60);
    QCOMPARE(namesIn(filteredTasks(tasks.all(), range, localTime(2025, 3, 5, 23, 59), locale)), expected);
}

void TestReportPeriods::statsPeriod_data()
{
    QTest::addColumn<StatsPeriod>("period");
    QTest::addColumn<double>("now");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("week")
        << StatsPeriod::ThisWeek << localTime(2025, 3, 5) << QStringList{"mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("week starts at its first midnight")
        << StatsPeriod::ThisWeek << localTime(2025, 3, 3, 0, 0) << QStringList{"mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("month on its last day includes the next month")
        << StatsPeriod::ThisMonth << localTime(2025, 2, 28, 23, 30)
        << QStringList{"feb28", "sun2", "mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("month")
        << StatsPeriod::ThisMonth << localTime(2025, 3, 5)
        << QStringList{"sun2", "mon3", "today", "tomorrow", "nextMonth"};
    QTest::newRow("all time")
        << StatsPeriod::AllTime << localTime(2025, 3, 5)
        << QStringList{"feb28", "sun2", "mon3", "today", "tomorrow", "nextMonth"};
}

void TestReportPeriods::statsPeriod()
{
    QFETCH(StatsPeriod, period);
    QFETCH(double, now);
    QFETCH(QStringList, expected);

    TaskFixtures tasks;
    for (const auto &[name, day] : sampleDays())
        tasks.add(name, day, 60);
    QCOMPARE(namesIn(filteredTasks(tasks.all(), period, now, QLocale(QLocale::Danish, QLocale::Denmark))),
             expected);
}

void TestReportPeriods::keepsGivenOrder()
{
    TaskFixtures tasks;
    tasks.add("later", QDate(2025, 3, 6), 0);
    tasks.add("earlier", QDate(2025, 3, 4), 0);
    tasks.add("today", QDate(2025, 3, 5), 0);
    QCOMPARE(namesIn(filteredTasks(tasks.all(), ExportRange::ThisWeek, localTime(2025, 3, 5))),
             (QStringList{"later", "earlier", "today"}));
}

void TestReportPeriods::defaultsToSystemWeekStartAndClock()
{
    // CTest runs this under locales whose weeks begin on Monday (C) and on Sunday (en_US).
    QStringList week{"mon3", "today", "tomorrow", "nextMonth"};
    if (QLocale::system().firstDayOfWeek() == Qt::Sunday)
        week.prepend("sun2");
    else
        QCOMPARE(QLocale::system().firstDayOfWeek(), Qt::Monday);
    timecalc::Clock::setFixed(localTime(2025, 3, 5));
    TaskFixtures tasks;
    for (const auto &[name, day] : sampleDays())
        tasks.add(name, day, 60);
    QCOMPARE(namesIn(filteredTasks(tasks.all(), StatsPeriod::ThisWeek)), week);
    QCOMPARE(namesIn(filteredTasks(tasks.all(), ExportRange::Today)), QStringList{"today"});
}

void TestReportPeriods::clockOutsideCalendarGivesEmptyPeriods()
{
    TaskFixtures tasks;
    tasks.add("any", QDate(2025, 3, 5), 60);
    const double broken = qQNaN();
    QVERIFY(filteredTasks(tasks.all(), ExportRange::Today, broken).isEmpty());
    QVERIFY(filteredTasks(tasks.all(), ExportRange::ThisWeek, broken).isEmpty());
    QVERIFY(filteredTasks(tasks.all(), StatsPeriod::ThisMonth, broken).isEmpty());
    QCOMPARE(filteredTasks(tasks.all(), StatsPeriod::AllTime, broken).size(), 1);
}

QTEST_GUILESS_MAIN(TestReportPeriods)
#include "tst_reportperiods.moc"
