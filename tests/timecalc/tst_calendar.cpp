// Days, weeks and months in the local time zone. CTest runs this under zones with and
// without summer time and with a half-hour offset, so the days that are not 24 hours long
// are read from the zone itself. The Monday-first week is tested through the timer
// manager's weekDates.
#include "Calendar.h"
#include "Clock.h"

#include <QTest>
#include <QTimeZone>

using namespace timecalc;

namespace {
QDateTime local(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}
QDateTime local(const QDate &day, int h = 0, int min = 0)
{
    return QDateTime(day, QTime(h, min));
}
double at(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return toSeconds(local(y, m, d, h, min, s));
}

// A change of the local zone's offset in 2026: the day it happens on, by how much the
// clocks move, and the wall time they leave.
struct OffsetChange
{
    QDate day;
    int shiftSeconds;
    QTime wallTimeBefore;
    QString name() const
    {
        return QStringLiteral("%1 on %2").arg(shiftSeconds > 0 ? "forward" : "back", day.toString(Qt::ISODate));
    }
};

QList<OffsetChange> offsetChanges2026()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    QList<OffsetChange> changes;
    const auto transitions = zone.transitions(QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC),
                                              QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC));
    for (const QTimeZone::OffsetData &t : transitions) {
        const int before = zone.offsetFromUtc(t.atUtc.addSecs(-1));
        if (t.offsetFromUtc == before)
            continue; // only the zone's name changed
        const QDateTime wall = t.atUtc.toOffsetFromUtc(before);
        changes.append({wall.date(), t.offsetFromUtc - before, wall.time()});
    }
    return changes;
}
} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    // The change-day rows come from the zone: a zone Qt did not take up would leave them out.
    void zoneIsTheOneAskedFor()
    {
        const QTimeZone zone = QTimeZone::systemTimeZone();
        QVERIFY(zone.isValid());
        if (const QByteArray asked = qgetenv("TZ"); !asked.isEmpty())
            QCOMPARE(zone.id(), asked);
        QCOMPARE(offsetChanges2026().size(), zone.hasDaylightTime() ? 2 : 0);
    }

    void days_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("secondsInDay");
        QTest::newRow("afternoon") << local(2026, 5, 12, 15, 42) << local(2026, 5, 12) << 86400;
        QTest::newRow("last second") << local(2026, 5, 12, 23, 59, 59) << local(2026, 5, 12) << 86400;
        for (const OffsetChange &change : offsetChanges2026()) {
            QTest::addRow("clocks %s, afternoon", qPrintable(change.name()))
                << local(change.day, 15, 42) << local(change.day) << 86400 - change.shiftSeconds;
            QTest::addRow("clocks %s, last second", qPrintable(change.name()))
                << local(change.day).addDays(1).addSecs(-1) << local(change.day) << 86400 - change.shiftSeconds;
        }
    }
    void days()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QDateTime, start);
        QFETCH(int, secondsInDay);
        const double s = toSeconds(moment);
        QCOMPARE(toDateTime(startOfDay(s)), start);
        QCOMPARE(startOfNextDay(s) - startOfDay(s), double(secondsInDay));
        QVERIFY(isSameDay(s, startOfDay(s)));
        QVERIFY(!isSameDay(s, startOfNextDay(s)));
        QVERIFY(isSameDay(s, startOfNextDay(s) - 0.001));
    }

    void today()
    {
        const TestClock clock(at(2026, 10, 25, 23, 30));
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
        QTest::newRow("year end") << local(2026, 12, 31) << 1 << local(2027, 1, 1);
        QTest::newRow("to a leap day") << local(2028, 2, 28) << 1 << local(2028, 2, 29);
        QTest::newRow("a week back") << local(2026, 6, 3) << -7 << local(2026, 5, 27);
        for (const OffsetChange &change : offsetChanges2026()) {
            const QDate day = change.day;
            QTest::addRow("midnight over the change %s", qPrintable(change.name()))
                << local(day) << 1 << local(day.addDays(1));
            QTest::addRow("a week back over the change %s", qPrintable(change.name()))
                << local(day.addDays(3)) << -7 << local(day.addDays(-4));
            QTest::addRow("a week forward over the change %s", qPrintable(change.name()))
                << local(day.addDays(-3)) << 7 << local(day.addDays(4));
            QTest::addRow("noon keeps its wall time over the change %s", qPrintable(change.name()))
                << local(day.addDays(-1), 12) << 1 << local(day, 12);
            if (change.shiftSeconds > 0) {
                const QTime missing = change.wallTimeBefore.addSecs(change.shiftSeconds / 2);
                QTest::addRow("into the missing wall time of %s", qPrintable(change.name()))
                    << QDateTime(day.addDays(-1), missing) << 1 << QDateTime();
            }
        }
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

    void weekAndMonth_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("weekday"); // Sunday is 1
        QTest::addColumn<QDateTime>("week");
        QTest::addColumn<QDateTime>("month");
        const QLocale danish(QLocale::Danish, QLocale::Denmark);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("Danish Sunday, last second") << local(2026, 3, 29, 23, 59, 59) << danish << 1
                                                    << local(2026, 3, 23) << local(2026, 3, 1);
        QTest::newRow("Danish Monday at midnight") << local(2026, 3, 30) << danish << 2 << local(2026, 3, 30)
                                                   << local(2026, 3, 1);
        QTest::newRow("US Monday") << local(2026, 3, 30) << us << 2 << local(2026, 3, 29) << local(2026, 3, 1);
        QTest::newRow("US Saturday, last minute of the month")
            << local(2026, 10, 31, 23, 59) << us << 7 << local(2026, 10, 25) << local(2026, 10, 1);
        QTest::newRow("Danish week over the year end") << local(2027, 1, 1) << danish << 6 << local(2026, 12, 28)
                                                       << local(2027, 1, 1);
    }
    void weekAndMonth()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QLocale, locale);
        QFETCH(int, weekday);
        QFETCH(QDateTime, week);
        QFETCH(QDateTime, month);
        const double s = toSeconds(moment);
        QCOMPARE(weekdayComponent(s), weekday);
        QCOMPARE(dayOfMonth(s), moment.date().day());
        QCOMPARE(toDateTime(startOfWeek(s, locale)), week);
        QCOMPARE(toDateTime(startOfMonth(s)), month);
    }
};

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
