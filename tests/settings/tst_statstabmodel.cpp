// The statistics tab's model: the texts it shows for a period, when it recomputes, and
// how the day bars share the width. The figures themselves are the statistics' own.
#include "ClosedDay.h"
#include "DayBarChart.h"
#include "StatsTabModel.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
double localTime(int year, int month, int day, int hour = 12, int minute = 0)
{
    return double(QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch());
}

QStringList overviewValues(const StatsTabModel &model)
{
    QStringList values;
    for (const QVariant &cell : model.overview())
        values.append(cell.toMap().value("value").toString());
    return values;
}
} // namespace

class StatsTabModelTest : public QObject
{
    Q_OBJECT

    // Wednesday 5 March 2025, in the afternoon.
    static double now() { return localTime(2025, 3, 5, 14, 0); }

    std::optional<timecalc::TestClock> m_clock;

private slots:
    void init() { m_clock.emplace(now()); }

    void overview_data()
    {
        QTest::addColumn<QList<qint64>>("stored");   // one task each, today
        QTest::addColumn<qint64>("runningFor");      // of the first task
        QTest::addColumn<QStringList>("values");

        QTest::newRow("no task") << QList<qint64>{} << qint64(0) << QStringList{"0:00", "0.0 t", "0", "0.0 t"};
        QTest::newRow("running: stored total, current billable")
            << QList<qint64>{600} << qint64(1200) << QStringList{"0:10", "0.5 t", "1", "0.2 t"};
        QTest::newRow("hours past a hundred")
            << QList<qint64>{360000 + 59} << qint64(0) << QStringList{"100:00", "100.0 t", "1", "100.0 t"};
    }
    void overview()
    {
        QFETCH(QList<qint64>, stored);
        QFETCH(qint64, runningFor);
        QFETCH(QStringList, values);

        UiFixture fixture;
        for (qsizetype i = 0; i < stored.size(); ++i) {
            Task *task = fixture.addTask("T", now(), stored[i]);
            if (i == 0 && runningFor > 0) {
                m_clock->set(now() - double(runningFor));
                task->start();
                m_clock->set(now());
            }
        }
        StatsTabModel model;
        model.setServices(fixture.services());
        QCOMPARE(overviewValues(model), values);
        QStringList titles;
        for (const QVariant &cell : model.overview())
            titles.append(cell.toMap().value("title").toString());
        QCOMPARE(titles, (QStringList{"Total tid", "Fakturerbart", "Arbejdsdage", "Gns./dag"}));
    }

    void periods_data()
    {
        QTest::addColumn<double>("at");
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("workDays");

        // Tasks on 28 Feb, 2 Mar (Sunday), 3 Mar (Monday), 5 Mar, 1 Apr. The week begins on
        // the system locale's first day (CTest runs this under Monday and Sunday locales).
        const bool sundayFirst = QLocale::system().firstDayOfWeek() == Qt::Sunday;
        QTest::newRow("week from its first day, later weeks too") << now() << "thisWeek" << (sundayFirst ? 4 : 3);
        QTest::newRow("month") << now() << "thisMonth" << 4;
        QTest::newRow("all time") << now() << "allTime" << 5;
    }
    void periods()
    {
        QFETCH(double, at);
        QFETCH(QString, period);
        QFETCH(int, workDays);

        UiFixture fixture;
        for (const QDate &d : {QDate(2025, 2, 28), QDate(2025, 3, 2), QDate(2025, 3, 3), QDate(2025, 3, 5),
                               QDate(2025, 4, 1)})
            fixture.addTask("T", localTime(d.year(), d.month(), d.day()), 60);
        m_clock->set(at);
        StatsTabModel model;
        model.setServices(fixture.services());
        model.setStatsPeriod(period);
        QCOMPARE(model.statsPeriod(), period);
        QCOMPARE(model.workDays(), workDays);
    }

    void dayColumns()
    {
        UiFixture fixture;
        fixture.addTask("a", localTime(2025, 3, 3), 7200);
        fixture.addTask("b", localTime(2025, 3, 4), 14400);
        fixture.addTask("c", localTime(2025, 3, 5), 0);
        StatsTabModel model;
        model.setServices(fixture.services());
        QVERIFY(model.showsDayLabels());
        QStringList texts;
        for (const QVariant &column : model.dayColumns()) {
            const QVariantMap c = column.toMap();
            texts.append(QStringList{c.value("hours").toString(), c.value("height").toString(),
                                     c.value("weekday").toString(), c.value("date").toString()}
                             .join(' '));
        }
        QCOMPARE(texts, (QStringList{"2.0 40 man. 3/3", "4.0 80 tir. 4/3", "0.0 4 ons. 5/3"}));
    }

    void manyDaysLoseTheirLabels_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("labelled");
        QTest::newRow("two weeks") << 14 << true;
        QTest::newRow("fifteen days") << 15 << false;
    }
    void manyDaysLoseTheirLabels()
    {
        QFETCH(int, days);
        QFETCH(bool, labelled);

        UiFixture fixture;
        for (int i = 0; i < days; ++i)
            fixture.addTask("T", localTime(2025, 3, 1 + i), 60 * (i + 1));
        StatsTabModel model;
        model.setServices(fixture.services());
        model.setStatsPeriod("allTime");
        QCOMPARE(model.dayCount(), days);
        QCOMPARE(model.dayBarHeights().size(), days);
        QCOMPARE(model.showsDayLabels(), labelled);
        QCOMPARE(model.dayColumns().size(), labelled ? days : 0);
        QCOMPARE(model.firstDayText(), "1/3 2025");
        // 14 or 15 minutes: 0.23 and 0.25 hours both read 0.2 (C rounds the exact tie to even).
        QCOMPARE(model.dayDescription(days - 1), QString("%1 %2/3 2025: 0.2 t")
                                                     .arg(StatsTabModel::weekdayText(localTime(2025, 3, days)))
                                                     .arg(days));
        QCOMPARE(model.dayDescription(days), QString());
    }

    void projectRows()
    {
        UiFixture fixture;
        for (int i = 0; i < 3; ++i)
            fixture.addTask("T", now(), 480, QStringLiteral("ABC"));
        fixture.addTask("T", now(), 7200);
        StatsTabModel model;
        model.setServices(fixture.services());
        QStringList rows;
        for (const QVariant &row : model.projectRows()) {
            const QVariantMap r = row.toMap();
            rows.append(QStringList{r.value("code").toString(), r.value("count").toString(),
                                    r.value("hours").toString(), r.value("billable").toString(),
                                    QString::number(r.value("fraction").toDouble())}
                            .join('|'));
        }
        QCOMPARE(rows, (QStringList{"Ingen kode|1 opgave|2.0 t|2.0 t fakt.|1", "ABC|3 opgaver|0.4 t|0.8 t fakt.|0.2"}));
    }

    void closedDaysIgnoreThePeriod()
    {
        UiFixture fixture;
        StatsTabModel model;
        model.setServices(fixture.services());
        QCOMPARE(model.closedDayCount(), 0);
        fixture.store()->insert(ClosedDay::create(localTime(2024, 6, 1), 7.5));
        QTRY_COMPARE(model.closedDayCount(), 1);
        QCOMPARE(model.statsPeriod(), "thisWeek");
        QCOMPARE(model.workDays(), 0);
    }

    void recomputesOnStoreChangesOnlyAndOnce()
    {
        UiFixture fixture;
        Task *task = fixture.addTask("T", now(), 60);
        StatsTabModel model;
        model.setServices(fixture.services());
        QSignalSpy overview(&model, &StatsTabModel::overviewChanged);
        QSignalSpy rows(&model, &StatsTabModel::projectRowsChanged);

        fixture.timerManager()->advanceTick();
        fixture.timerManager()->advanceTick();
        QCoreApplication::processEvents();
        QCOMPARE(overview.count(), 0);

        fixture.addTask("U", now(), 120, QStringLiteral("K"));
        task->setAccumulatedSeconds(3600);
        fixture.store()->remove(task);
        QCOMPARE(overview.count(), 0);
        QTRY_COMPARE(overview.count(), 1);
        QCOMPARE(model.totalStoredSeconds(), 120);
        QCOMPARE(rows.count(), 1);

        // A change outside the period moves no figure, so nothing on screen is rebuilt.
        fixture.addTask("old", localTime(2024, 1, 1), 600, QStringLiteral("X"));
        model.refresh();
        QCOMPARE(overview.count(), 1);
        QCOMPARE(rows.count(), 1);

        model.setStatsPeriod("allTime");
        QCOMPARE(overview.count(), 2);
        QCOMPARE(rows.count(), 2);
    }

    void chartLayout_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<int>("bars");

        QTest::newRow("a week, spaced bars") << 7 << 340.0 << 7;
        QTest::newRow("more days than pixels") << 14610 << 340.0 << 340;
        QTest::newRow("slightly more days than pixels") << 341 << 340.0 << 340;
    }
    void chartLayout()
    {
        QFETCH(int, days);
        QFETCH(qreal, width);
        QFETCH(int, bars);

        DayBarChart chart;
        chart.setSize(QSizeF(width, 80));
        QList<qreal> heights;
        for (int i = 0; i < days; ++i)
            heights.append(4 + (i * 37) % 77);
        chart.setHeights(heights);
        const QList<DayBarChart::Bar> layout = chart.layout();
        QCOMPARE(layout.size(), bars);

        // Every day is drawn by exactly one bar, in order, and each bar is as high as its
        // highest day and stays inside the item.
        int next = 0;
        for (const DayBarChart::Bar &bar : layout) {
            QCOMPARE(bar.firstDay, next);
            QVERIFY(bar.lastDay >= bar.firstDay);
            next = bar.lastDay + 1;
            qreal tallest = 0;
            for (int i = bar.firstDay; i <= bar.lastDay; ++i)
                tallest = std::max(tallest, heights.at(i));
            QCOMPARE(bar.rect.height(), tallest);
            QCOMPARE(bar.rect.bottom(), 80.0);
            QVERIFY(bar.rect.left() >= 0 && bar.rect.right() <= width + 1e-9);
            QVERIFY(bar.rect.width() >= 1.0 - 1e-9);
            QCOMPARE(chart.indexAt(bar.rect.center().x()) >= bar.firstDay, true);
            QCOMPARE(chart.indexAt(bar.rect.center().x()) <= bar.lastDay, true);
        }
        QCOMPARE(next, days);
    }
};

QTEST_MAIN(StatsTabModelTest)
#include "tst_statstabmodel.moc"
