// Days, weeks and months in the local time zone; the tests run in Europe/Copenhagen,
// which changes to summer time on 2026-03-29 and back on 2026-10-25. The Monday-first
// week is tested through the timer manager's weekDates.
#include "Calendar.h"
#include "Clock.h"

#include <QTest>

using namespace timecalc;

namespace {
QDateTime local(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}
double at(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return toSeconds(local(y, m, d, h, min, s));
}
} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::reset(); }

    void days_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("hoursInDay");
        QTest::newRow("afternoon") << local(2026, 5, 12, 15, 42) << local(2026, 5, 12) << 24;
        QTest::newRow("midnight itself") << local(2026, 5, 12) << local(2026, 5, 12) << 24;
        QTest::newRow("last second") << local(2026, 5, 12, 23, 59, 59) << local(2026, 5, 12) << 24;
        QTest::newRow("spring change day") << local(2026, 3, 29, 15, 42) << local(2026, 3, 29) << 23;
        QTest::newRow("autumn change day") << local(2026, 10, 25, 15, 42) << local(2026, 10, 25) << 25;
    }
    void days()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QDateTime, start);
        QFETCH(int, hoursInDay);
        const double s = toSeconds(moment);
        QCOMPARE(toDateTime(startOfDay(s)), start);
        QCOMPARE(startOfNextDay(s) - startOfDay(s), hoursInDay * 3600.0);
        QVERIFY(isSameDay(s, startOfDay(s)));
        QVERIFY(!isSameDay(s, startOfNextDay(s)));
        QVERIFY(isSameDay(s, startOfNextDay(s) - 0.001));
    }

    void today()
    {
        Clock::setFixed(at(2026, 10, 25, 23, 30));
        QCOMPARE(toDateTime(startOfToday()), local(2026, 10, 25));
        QVERIFY(isToday(at(2026, 10, 25, 1)));
        QVERIFY(!isToday(at(2026, 10, 26)));
        QVERIFY(!isToday(at(2026, 10, 24, 23, 59, 59)));
    }

    void addingDays_data()
    {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDateTime>("to"); // invalid: the calendar yields no date
        QTest::newRow("midnight over the spring change") << local(2026, 3, 29) << 1 << local(2026, 3, 30);
        QTest::newRow("midnight over the autumn change") << local(2026, 10, 25) << 1 << local(2026, 10, 26);
        QTest::newRow("a week back over the change") << local(2026, 4, 1) << -7 << local(2026, 3, 25);
        QTest::newRow("a week forward over the change") << local(2026, 10, 21) << 7 << local(2026, 10, 28);
        QTest::newRow("noon keeps its wall time") << local(2026, 3, 28, 12) << 1 << local(2026, 3, 29, 12);
        QTest::newRow("into the missing hour") << local(2026, 3, 28, 2, 30) << 1 << QDateTime();
        QTest::newRow("year end") << local(2026, 12, 31) << 1 << local(2027, 1, 1);
        QTest::newRow("to a leap day") << local(2028, 2, 28) << 1 << local(2028, 2, 29);
        QTest::newRow("nothing") << local(2026, 6, 1, 9) << 0 << local(2026, 6, 1, 9);
    }
    void addingDays()
    {
        QFETCH(QDateTime, from);
        QFETCH(int, days);
        QFETCH(QDateTime, to);
        const std::optional<double> moved = addDays(toSeconds(from), days);
        QCOMPARE(moved.has_value(), to.isValid());
        if (moved)
            QCOMPARE(toDateTime(*moved), to);
    }

    void weekday_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<int>("weekday");
        QTest::addColumn<int>("day");
        QTest::newRow("Sunday of the spring change") << local(2026, 3, 29, 23, 59, 59) << 1 << 29;
        QTest::newRow("Monday at midnight") << local(2026, 3, 30) << 2 << 30;
        QTest::newRow("Saturday") << local(2026, 3, 28, 12) << 7 << 28;
        QTest::newRow("last of the year") << local(2026, 12, 31, 23) << 5 << 31;
    }
    void weekday()
    {
        QFETCH(QDateTime, moment);
        QFETCH(int, weekday);
        QFETCH(int, day);
        QCOMPARE(weekdayComponent(toSeconds(moment)), weekday);
        QCOMPARE(dayOfMonth(toSeconds(moment)), day);
    }

    void weekAndMonth_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("week");
        QTest::addColumn<QDateTime>("month");
        const QLocale danish(QLocale::Danish, QLocale::Denmark);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("Danish Sunday") << local(2026, 3, 29, 12) << danish << local(2026, 3, 23) << local(2026, 3, 1);
        QTest::newRow("US Sunday") << local(2026, 3, 29, 12) << us << local(2026, 3, 29) << local(2026, 3, 1);
        QTest::newRow("Danish Monday") << local(2026, 3, 30) << danish << local(2026, 3, 30) << local(2026, 3, 1);
        QTest::newRow("US Monday") << local(2026, 3, 30) << us << local(2026, 3, 29) << local(2026, 3, 1);
        QTest::newRow("US Saturday, week began on a change day")
            << local(2026, 10, 31, 23, 59) << us << local(2026, 10, 25) << local(2026, 10, 1);
        QTest::newRow("Danish week over the year end") << local(2027, 1, 1) << danish << local(2026, 12, 28)
                                                       << local(2027, 1, 1);
    }
    void weekAndMonth()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, week);
        QFETCH(QDateTime, month);
        QCOMPARE(toDateTime(startOfWeek(toSeconds(moment), locale)), week);
        QCOMPARE(toDateTime(startOfMonth(toSeconds(moment))), month);
    }

};

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
