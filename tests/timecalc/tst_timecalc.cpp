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
        QTest::newRow("an hour") << qint64(3600) << 1.0;
        QTest::newRow("minus one second") << qint64(-1) << 0.0;
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
        QTest::newRow("nothing") << qint64(0) << "00:00:00" << "0:00";
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

    // Hours are written as printf writes them in the C locale, whatever the default locale.
    void fixedDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("tie to even, down") << 0.125 << 2 << "0.12";
        QTest::newRow("tie to even, up") << 0.375 << 2 << "0.38";
        QTest::newRow("tie to even, one decimal") << 0.25 << 1 << "0.2";
        QTest::newRow("below the tie") << 1.005 << 2 << "1.00";
        QTest::newRow("minus zero keeps its sign") << -0.001 << 2 << "-0.00";
        QTest::newRow("no grouping") << 1234.5 << 2 << "1234.50";
        QTest::newRow("large") << 1e20 << 2 << "100000000000000000000.00";
        QTest::newRow("zero decimals") << 2.5 << 0 << "2";
    }
    void fixedDecimals()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(timecalc::fixedDecimals(value, decimals), text);
        if (decimals == 2) {
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
            QCOMPARE(formatDecimalHours(value), text);
        }
    }

    void fixedDecimalsAgreeWithTheCLibrary()
    {
        // Hours of whole seconds, the values the reports format, and ties at every decimal.
        QRandomGenerator random(42);
        QList<double> values;
        for (int i = 0; i < 2000; ++i)
            values.append(double(qint64(random.generate64() % 100000000) - 50000000) / 3600.0);
        for (int k = -400; k <= 400; ++k)
            values.append(k / 8.0);
        for (const double value : values) {
            for (int decimals : {1, 2}) {
                char expected[64];
                std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
                QCOMPARE(timecalc::fixedDecimals(value, decimals), QString::fromLatin1(expected));
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
        valid("leading colon", ":45", 2700);
        valid("line break makes a piece drop", "1:30\n", 60);
        valid("hours without an upper bound", "1000:00", 3600000);
        valid("largest minutes", "153722867280912930", qint64(9223372036854775800));
        valid("largest h:m:s", "2562047788015215:30:07", maxSeconds);
        invalid("empty", "");
        invalid("blank", " \t\u3000");
        invalid("minute 60", "1:60");
        invalid("negative minutes", "-1");
        invalid("negative hours", "-1:30");
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

    void graphemeCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("kept");
        const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s;
        const QString thumb = u"\U0001F44D\U0001F3FD"_s;
        const QString flag = u"\U0001F1E9\U0001F1F0"_s;
        const QString accented = u"e\u0301"_s;
        QTest::newRow("short text kept") << "abc" << 5 << "abc";
        QTest::newRow("plain cut") << "abcdef" << 3 << "abc";
        QTest::newRow("zero") << "abc" << 0 << "";
        QTest::newRow("ZWJ family stays whole") << QString(family + family + "x") << 1 << family;
        QTest::newRow("skin tone stays whole") << QString("a" + thumb + "b") << 2 << QString("a" + thumb);
        QTest::newRow("flags stay whole") << QString(flag + flag + flag) << 2 << QString(flag + flag);
        QTest::newRow("combining mark stays") << QString(accented + accented + "x") << 2
                                              << QString(accented + accented);
        QTest::newRow("graphemes, not UTF-16 units") << QString(family + "ab") << 3 << QString(family + "ab");
    }
    void graphemeCut()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QString, kept);
        QCOMPARE(firstGraphemes(text, count), kept);
    }

    void nameAndCodeLimits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("stored");
        const QString flag = u"\U0001F1E9\U0001F1F0"_s;
        QTest::newRow("name at the limit") << QString(200, u'n') << 200 << QString(200, u'n');
        QTest::newRow("name over the limit") << QString(201, u'n') << 200 << QString(200, u'n');
        QTest::newRow("name of flags") << flag.repeated(201) << 200 << flag.repeated(200);
        QTest::newRow("code trimmed, then cut") << QString("\n  " + QString(25, u'C') + "\t\n") << 20
                                                << QString(20, u'C');
        QTest::newRow("spaces before the cut do not count") << QString(" " + QString(20, u'C')) << 20
                                                           << QString(20, u'C');
    }
    void nameAndCodeLimits()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, stored);
        QCOMPARE(trimmedAndCut(text, limit), stored);
    }

    void catalogueTrim_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("spaces and tabs") << " \tABC \t" << "ABC";
        QTest::newRow("line breaks kept") << "\nABC\n" << "\nABC\n";
        QTest::newRow("no-break space kept") << u"\u00a0ABC"_s << u"\u00a0ABC"_s;
        QTest::newRow("only blanks") << " \t " << "";
    }
    void catalogueTrim()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(trimSpacesAndTabs(text), stored);
    }
};

QTEST_GUILESS_MAIN(TestTimeCalc)
#include "tst_timecalc.moc"
