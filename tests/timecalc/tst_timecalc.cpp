// Billing, clock and hour texts, typed durations and the grapheme cut.
#include "NumberText.h"
#include "TextLimit.h"
#include "TimeCalc.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>
#include <cstdio>
#include <limits>

using namespace timecalc;
using namespace Qt::StringLiterals;

namespace {
constexpr qint64 maxSeconds = std::numeric_limits<qint64>::max();
constexpr qint64 minSeconds = std::numeric_limits<qint64>::min();
} // namespace

class TestTimeCalc : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void billableHours_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<double>("hours");
        QTest::newRow("nothing") << qint64(0) << 0.0;
        QTest::newRow("five minutes rounds down") << qint64(300) << 0.0;
        QTest::newRow("five minutes one second") << qint64(301) << 0.25;
        QTest::newRow("twenty minutes") << qint64(1200) << 0.25;
        QTest::newRow("twenty minutes one second") << qint64(1201) << 0.5;
        QTest::newRow("most negative") << minSeconds << 0.0;
        QTest::newRow("most positive") << maxSeconds << 2562047788015215.5;
    }
    void billableHours()
    {
        QFETCH(qint64, seconds);
        QFETCH(double, hours);
        QCOMPARE(billableHoursFor(seconds), hours);
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

    void clockTexts_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("elapsed");
        QTest::addColumn<QString>("hoursMinutes");
        QTest::newRow("seconds only") << qint64(59) << "00:00:59" << "0:00";
        QTest::newRow("one of each") << qint64(3725) << "01:02:05" << "1:02";
        QTest::newRow("a hundred hours") << qint64(360000) << "100:00:00" << "100:00";
        QTest::newRow("most positive") << maxSeconds << "2562047788015215:30:07" << "2562047788015215:30";
    }
    void clockTexts()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, elapsed);
        QFETCH(QString, hoursMinutes);
        QCOMPARE(formatElapsed(seconds), elapsed);
        QCOMPARE(formatHoursMinutes(seconds), hoursMinutes);
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
        valid("spaces around", "  45 ", 2700);
        valid("zero", "0", 0);
        valid("hours and minutes", "1:30", 5400);
        valid("three parts", "01:02:05", 3725);
        valid("plus sign", "+2", 120);
        valid("no-break and em spaces, tab", u"\t\u00a0\u20031:30\u2003"_s, 5400);
        valid("empty piece dropped", "1::30", 5400);
        valid("non-number piece dropped", "1:xx:30", 5400);
        valid("line break makes a piece drop", "1:30\n", 60);
        valid("hours without an upper bound", "1000:00", 3600000);
        valid("largest minutes", "153722867280912930", qint64(9223372036854775800));
        valid("largest h:m:s", "2562047788015215:30:07", maxSeconds);
        invalid("blank", " \t\u3000");
        invalid("minute 60", "1:60");
        invalid("negative minutes", "-1");
        invalid("negative seconds", "0:1:-1");
        invalid("second 60", "0:0:60");
        invalid("four parts", "1:2:3:4");
        invalid("letters", "abc");
        invalid("lone colon", ":");
        invalid("line break is not trimmed", "45\n");
        invalid("inner space", "4 5");
        invalid("decimal", "1.5");
        invalid("non-ASCII digits", u"\u0664\u0665"_s);
        invalid("minutes overflow", "153722867280912931");
        invalid("hours overflow", "9223372036854775807:00");
        invalid("h:m:s overflow", "2562047788015215:30:08");
        invalid("digits beyond 64 bits", "9223372036854775808");
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

    // "first": the first graphemes; "cut": trimmed, then cut to the limit (names and codes);
    // "trim": the catalogues' trim of spaces and tabs only.
    void textLimits_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("kept");
        const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s;
        const QString flag = u"\U0001F1E9\U0001F1F0"_s;
        const QString accented = u"e\u0301"_s;
        QTest::newRow("short text kept") << "first" << "abc" << 5 << "abc";
        QTest::newRow("plain cut") << "first" << "abcdef" << 3 << "abc";
        QTest::newRow("zero") << "first" << "abc" << 0 << "";
        QTest::newRow("ZWJ family stays whole") << "first" << QString(family + family + "x") << 1 << family;
        QTest::newRow("combining mark stays") << "first" << QString(accented + accented + "x") << 2
                                              << QString(accented + accented);
        QTest::newRow("graphemes, not UTF-16 units") << "first" << QString(family + "ab") << 3 << QString(family + "ab");
        QTest::newRow("name at the limit") << "cut" << QString(200, u'n') << 200 << QString(200, u'n');
        QTest::newRow("name over the limit") << "cut" << QString(201, u'n') << 200 << QString(200, u'n');
        QTest::newRow("name of flags") << "cut" << flag.repeated(201) << 200 << flag.repeated(200);
        QTest::newRow("code trimmed, then cut") << "cut" << QString("\n  " + QString(25, u'C') + "\t\n") << 20
                                                << QString(20, u'C');
        QTest::newRow("spaces before the cut do not count") << "cut" << QString(" " + QString(20, u'C')) << 20
                                                           << QString(20, u'C');
        QTest::newRow("spaces and tabs") << "trim" << " \tABC \t" << 0 << "ABC";
        QTest::newRow("line breaks kept") << "trim" << "\nABC\n" << 0 << "\nABC\n";
        QTest::newRow("no-break space kept") << "trim" << u"\u00a0ABC"_s << 0 << u"\u00a0ABC"_s;
        QTest::newRow("only blanks") << "trim" << " \t " << 0 << "";
    }
    void textLimits()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QString, kept);
        if (how == "first")
            QCOMPARE(firstGraphemes(text, count), kept);
        else if (how == "cut")
            QCOMPARE(trimmedAndCut(text, count), kept);
        else
            QCOMPARE(trimSpacesAndTabs(text), kept);
    }
};

QTEST_GUILESS_MAIN(TestTimeCalc)
#include "tst_timecalc.moc"
