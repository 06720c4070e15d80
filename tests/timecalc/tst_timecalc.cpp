// Billing, clock and hour texts, typed durations, the grapheme cut; and days, weeks and
// months in the local time zone. CTest runs this under zones with and without summer time
// and with a half-hour offset, so the days that are not 24 hours long are read from the
// zone itself. The Monday-first week is tested through the timer manager's weekDates.
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/NumberText.h"
#include "timecalc/TextLimit.h"
#include "timecalc/TimeCalc.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>
#include <cstdio>
#include <limits>

using namespace timecalc;
using namespace Qt::StringLiterals;

namespace {
constexpr qint64 maxSeconds = std::numeric_limits<qint64>::max();
constexpr qint64 minSeconds = std::numeric_limits<qint64>::min();
QDateTime local(const QDate &day, int h = 0, int min = 0, int s = 0)
{
    return QDateTime(day, QTime(h, min, s));
}

// A change of the local zone's offset in 2026: the day it happens on, by how much the
// clocks move, and the wall time they leave.
struct OffsetChange
{
    QDate day;
    int shiftSeconds;
    QTime wallTimeBefore;
    QByteArray name; // "forward on 2026-03-29"
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
        const QString name = (t.offsetFromUtc > before ? "forward on " : "back on ") + wall.date().toString(Qt::ISODate);
        changes.append({wall.date(), t.offsetFromUtc - before, wall.time(), name.toLatin1()});
    }
    return changes;
}
// "first": the first graphemes; "cut": trimmed, then cut to the limit (names and codes);
// "trim": the catalogues' trim of spaces and tabs only.
struct Limit { QString how, text; int count; QString kept; };
struct WeekAndMonth { QDateTime moment; QLocale locale; int weekday; QDateTime week, month; };
} // namespace
Q_DECLARE_METATYPE(Limit)
Q_DECLARE_METATYPE(WeekAndMonth)

class TestTimeCalc : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Billing, and the clock texts where they are defined (not below zero).
    void billableHoursAndClockTexts_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<double>("hours");
        QTest::addColumn<QString>("elapsed");
        QTest::addColumn<QString>("hoursMinutes");
        QTest::newRow("five minutes rounds down") << qint64(300) << 0.0 << "00:05:00" << "0:05";
        QTest::newRow("five minutes one second") << qint64(301) << 0.25 << "00:05:01" << "0:05";
        QTest::newRow("twenty minutes") << qint64(1200) << 0.25 << "00:20:00" << "0:20";
        QTest::newRow("twenty minutes one second") << qint64(1201) << 0.5 << "00:20:01" << "0:20";
        QTest::newRow("one of each") << qint64(3725) << 1.0 << "01:02:05" << "1:02";
        QTest::newRow("most negative") << minSeconds << 0.0 << "" << "";
        QTest::newRow("most positive") << maxSeconds << 2562047788015215.5 << "2562047788015215:30:07"
                                       << "2562047788015215:30";
    }
    void billableHoursAndClockTexts()
    {
        QFETCH(qint64, seconds);
        QFETCH(double, hours);
        QFETCH(QString, elapsed);
        QFETCH(QString, hoursMinutes);
        QCOMPARE(billableHoursFor(seconds), hours);
        if (seconds >= 0) {
            QCOMPARE(formatElapsed(seconds), elapsed);
            QCOMPARE(formatHoursMinutes(seconds), hoursMinutes);
        }
    }

    void roundHundredths_data()
    {
        QTest::addColumn<double>("hours");
        QTest::addColumn<double>("rounded");
        QTest::newRow("1.005 lies below the tie") << 1.005 << 1.0;
        QTest::newRow("0.125 is an exact tie") << 0.125 << 0.13;
        QTest::newRow("negative tie away from zero") << -0.125 << -0.13;
        QTest::newRow("2.675 times 100 rounds to a tie") << 2.675 << 2.68;
    }
    void roundHundredths()
    {
        QFETCH(double, hours);
        QFETCH(double, rounded);
        QCOMPARE(roundToHundredths(hours), rounded);
    }

    // Hours are written as printf writes them in the C locale, whatever the default locale:
    // hours of whole seconds, the values the reports format, ties at every decimal, minus
    // zero and values past the range of a 64-bit integer.
    void fixedDecimalsAgreeWithTheCLibrary()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QRandomGenerator random(42);
        QList<double> values{-0.001, 1234.5, 1e20};
        for (int i = 0; i < 2000; ++i)
            values.append(double(qint64(random.generate64() % 100000000) - 50000000) / 3600.0);
        for (int k = -400; k <= 400; ++k)
            values.append(k / 8.0);
        for (const double value : values) {
            for (int decimals : {0, 1, 2}) {
                char expected[64];
                std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
                QCOMPARE(timecalc::fixedDecimals(value, decimals), QString::fromLatin1(expected));
                if (decimals == 2)
                    QCOMPARE(formatDecimalHours(value), QString::fromLatin1(expected));
            }
        }
    }

    void typedDuration_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("seconds");
        auto valid = [](const char *row, const QString &text, qint64 seconds) {
            QTest::newRow(row) << text << true << seconds;
        };
        auto invalid = [](const char *row, const QString &text) { QTest::newRow(row) << text << false << qint64(0); };
        valid("minutes", "90", 5400);
        valid("hours and minutes", "1:30", 5400);
        valid("three parts", "01:02:05", 3725);
        valid("on the hour", "2:00", 7200);
        valid("on the hour, three parts", "2:00:00", 7200);
        valid("no-break and em spaces, tab", u"\t\u00a0\u20031:30\u2003"_s, 5400);
        valid("empty piece dropped", "1::30", 5400);
        valid("line break makes a piece drop", "1:30\n", 60);
        valid("largest minutes", "153722867280912930", qint64(9223372036854775800));
        valid("largest h:m:s", "2562047788015215:30:07", maxSeconds);
        invalid("blank", " \t\u3000");
        invalid("minute 60", "1:60");
        invalid("second 60", "0:0:60");
        invalid("line break is not trimmed", "45\n");
        invalid("non-ASCII digits", u"\u0664\u0665"_s);
        invalid("minutes overflow", "153722867280912931");
        invalid("hours overflow", "9223372036854775807:00");
        invalid("h:m:s overflow", "2562047788015215:30:08");
    }
    void typedDuration()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, seconds);
        const std::optional<qint64> parsed = parseTypedDuration(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, seconds);
    }

    void textLimits_data()
    {
        QTest::addColumn<Limit>("l");
        const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s;
        const QString flag = u"\U0001F1E9\U0001F1F0"_s;
        const QString accented = u"e\u0301"_s;
        QTest::newRow("zero") << Limit{"first", "abc", 0, ""};
        QTest::newRow("ZWJ family stays whole") << Limit{"first", QString(family + family + "x"), 1, family};
        QTest::newRow("combining mark stays")
            << Limit{"first", QString(accented + accented + "x"), 2, QString(accented + accented)};
        QTest::newRow("name at the limit") << Limit{"cut", QString(200, u'n'), 200, QString(200, u'n')};
        QTest::newRow("name over the limit") << Limit{"cut", QString(201, u'n'), 200, QString(200, u'n')};
        QTest::newRow("name of flags") << Limit{"cut", flag.repeated(201), 200, flag.repeated(200)};
        QTest::newRow("code trimmed, then cut")
            << Limit{"cut", QString("\n " + QString(25, u'C') + "\t\n"), 20, QString(20, u'C')};
        QTest::newRow("spaces and tabs go, a no-break space stays") << Limit{"trim", u" \t\u00a0ABC \t"_s, 0, u"\u00a0ABC"_s};
    }
    void textLimits()
    {
        QFETCH(Limit, l);
        if (l.how == "first")
            QCOMPARE(firstGraphemes(l.text, l.count), l.kept);
        else if (l.how == "cut")
            QCOMPARE(trimmedAndCut(l.text, l.count), l.kept);
        else
            QCOMPARE(trimSpacesAndTabs(l.text), l.kept);
    }

    void days_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("secondsInDay");
        QTest::newRow("afternoon") << local({2026, 5, 12}, 15, 42) << local({2026, 5, 12}) << 86400;
        QTest::newRow("last second") << local({2026, 5, 12}, 23, 59, 59) << local({2026, 5, 12}) << 86400;
        for (const OffsetChange &change : offsetChanges2026()) {
            QTest::addRow("clocks %s, afternoon", change.name.constData())
                << local(change.day, 15, 42) << local(change.day) << 86400 - change.shiftSeconds;
            QTest::addRow("clocks %s, last second", change.name.constData())
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
        const TestClock clock(s); // "today" is the same day as the clock's
        QCOMPARE(toDateTime(startOfToday()), start);
        QVERIFY(isToday(startOfDay(s)) && isToday(startOfNextDay(s) - 0.001));
        QVERIFY(!isToday(startOfNextDay(s)) && !isToday(startOfDay(s) - 1));
    }

    void addingDays_data()
    {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDateTime>("to"); // invalid: the calendar yields no date
        QTest::newRow("a week back") << local({2026, 6, 3}) << -7 << local({2026, 5, 27});
        for (const OffsetChange &change : offsetChanges2026()) {
            const QDate day = change.day;
            QTest::addRow("midnight over the change %s", change.name.constData())
                << local(day) << 1 << local(day.addDays(1));
            QTest::addRow("a week back over the change %s", change.name.constData())
                << local(day.addDays(3)) << -7 << local(day.addDays(-4));
            QTest::addRow("noon keeps its wall time over the change %s", change.name.constData())
                << local(day.addDays(-1), 12) << 1 << local(day, 12);
            if (change.shiftSeconds > 0) {
                const QTime missing = change.wallTimeBefore.addSecs(change.shiftSeconds / 2);
                QTest::addRow("into the missing wall time of %s", change.name.constData())
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
        // The weekday counts Sunday as 1.
        QTest::addColumn<WeekAndMonth>("w");
        const QLocale danish(QLocale::Danish, QLocale::Denmark);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("Danish Sunday, last second")
            << WeekAndMonth{local({2026, 3, 29}, 23, 59, 59), danish, 1, local({2026, 3, 23}), local({2026, 3, 1})};
        QTest::newRow("Danish Monday at midnight")
            << WeekAndMonth{local({2026, 3, 30}), danish, 2, local({2026, 3, 30}), local({2026, 3, 1})};
        QTest::newRow("US Monday") << WeekAndMonth{local({2026, 3, 30}), us, 2, local({2026, 3, 29}), local({2026, 3, 1})};
        QTest::newRow("US Saturday, last minute of the month")
            << WeekAndMonth{local({2026, 10, 31}, 23, 59), us, 7, local({2026, 10, 25}), local({2026, 10, 1})};
        QTest::newRow("Danish week over the year end")
            << WeekAndMonth{local({2027, 1, 1}), danish, 6, local({2026, 12, 28}), local({2027, 1, 1})};
    }
    void weekAndMonth()
    {
        QFETCH(WeekAndMonth, w);
        const double s = toSeconds(w.moment);
        QCOMPARE(weekdayComponent(s), w.weekday);
        QCOMPARE(dayOfMonth(s), w.moment.date().day());
        QCOMPARE(toDateTime(startOfWeek(s, w.locale)), w.week);
        QCOMPARE(toDateTime(startOfMonth(s)), w.month);
    }
};

QTEST_GUILESS_MAIN(TestTimeCalc)
#include "tst_timecalc.moc"
