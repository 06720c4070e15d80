#include "NumberText.h"

#include <QRandomGenerator>
#include <QTest>
#include <cstdio>

using namespace timecalc;

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void fixedDecimals_data();
    void fixedDecimals();
    void agreesWithTheCLibrary();
};

void TestNumberText::fixedDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("exact tie goes to even, two decimals") << 0.125 << 2 << "0.12";
    QTest::newRow("exact tie goes to even, one decimal") << 0.25 << 1 << "0.2";
    QTest::newRow("exact tie to an even digit upwards") << 0.75 << 1 << "0.8";
    QTest::newRow("not a tie in binary") << 1.005 << 2 << "1.00";
    QTest::newRow("third of an hour") << 1200.0 / 3600.0 << 2 << "0.33";
    QTest::newRow("negative small") << -90.0 / 3600.0 << 2 << "-0.03";
    QTest::newRow("minus zero keeps its sign") << -0.0001 << 2 << "-0.00";
    QTest::newRow("large, no grouping") << 2562047788015215.5 << 2 << "2562047788015215.50";
    QTest::newRow("zero decimals") << 2.5 << 0 << "2";
}

void TestNumberText::fixedDecimals()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(timecalc::fixedDecimals(value, decimals), text);
}

void TestNumberText::agreesWithTheCLibrary()
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

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
