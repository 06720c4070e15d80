// Which tasks a report period takes. The sample tasks are dated around Wednesday 5 March
// 2025 and given out of date order, which the filter must keep: Monday 3 March starts the
// week under a Monday locale, Sunday 2 March under a Sunday one.
#include "Clock.h"
#include "ReportPeriods.h"
#include "TaskFixtures.h"

#include <QTest>

using namespace reports;

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
QStringList namesIn(const QList<Task *> &tasks)
{
    QStringList names;
    for (const Task *t : tasks)
        names.append(t->name());
    return names;
}
} // namespace

class TestReportPeriods : public QObject
{
    Q_OBJECT

private slots:
    void periods_data()
    {
        QTest::addColumn<bool>("stats");
        QTest::addColumn<QString>("period");
        QTest::addColumn<double>("now");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("expected");
        const QLocale danish(QLocale::Danish, QLocale::Denmark);
        const QLocale american(QLocale::English, QLocale::UnitedStates);
        const double wednesday = localTime(2025, 3, 5, 23, 59);
        const QStringList all{"today", "feb28", "nextMonth", "sun2", "tomorrow", "mon3"};
        const QStringList fromSunday{"today", "nextMonth", "sun2", "tomorrow", "mon3"};
        const QStringList fromMonday{"today", "nextMonth", "tomorrow", "mon3"};
        QTest::newRow("export today") << false << "today" << wednesday << danish << QStringList{"today"};
        QTest::newRow("export week from Monday, no upper bound") << false << "thisWeek" << wednesday << danish
                                                                 << fromMonday;
        QTest::newRow("export week from Sunday under a Sunday locale")
            << false << "thisWeek" << wednesday << american << fromSunday;
        QTest::newRow("export month from the 1st, no upper bound")
            << false << "thisMonth" << wednesday << danish << fromSunday;
        QTest::newRow("export all") << false << "all" << wednesday << danish << all;
        QTest::newRow("stats week starts at its first midnight")
            << true << "thisWeek" << localTime(2025, 3, 3, 0, 0) << danish << fromMonday;
        QTest::newRow("stats week under a Sunday locale") << true << "thisWeek" << wednesday << american
                                                          << fromSunday;
        QTest::newRow("stats month on its last day includes the next month")
            << true << "thisMonth" << localTime(2025, 2, 28, 23, 30) << danish << all;
        QTest::newRow("stats all time") << true << "allTime" << wednesday << danish << all;
    }
    void periods()
    {
        QFETCH(bool, stats);
        QFETCH(QString, period);
        QFETCH(double, now);
        QFETCH(QLocale, locale);
        QFETCH(QStringList, expected);
        TaskFixtures tasks;
        const QList<Task *> all = sample(tasks);
        if (stats) {
            QVERIFY(statsPeriodFromRaw(period));
            QCOMPARE(namesIn(filteredTasks(all, *statsPeriodFromRaw(period), now, locale)), expected);
        } else {
            QVERIFY(exportRangeFromRaw(period));
            QCOMPARE(namesIn(filteredTasks(all, *exportRangeFromRaw(period), now, locale)), expected);
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
};

QTEST_GUILESS_MAIN(TestReportPeriods)
#include "tst_reportperiods.moc"
