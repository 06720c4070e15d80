// The statistics tab's model: the texts it shows for a period and when it recomputes.
// The figures themselves are the statistics' own.
#include "ClosedDay.h"
#include "StatsTabModel.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
double localTime(int year, int month, int day, int hour = 12, int minute = 0)
{
    return double(QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch());
}
// Wednesday 5 March 2025, in the afternoon.
double now()
{
    return localTime(2025, 3, 5, 14, 0);
}
QStringList fields(const QVariantList &maps, const QStringList &keys)
{
    QStringList out;
    for (const QVariant &map : maps) {
        QStringList values;
        for (const QString &key : keys)
            values.append(map.toMap().value(key).toString());
        out.append(values.join('|'));
    }
    return out;
}
} // namespace

class StatsTabModelTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> m_fixture;
    std::unique_ptr<StatsTabModel> m_model;

    StatsTabModel &openModel()
    {
        m_model = std::make_unique<StatsTabModel>();
        m_model->setServices(m_fixture->services());
        return *m_model;
    }

private slots:
    void init()
    {
        m_clock.emplace(now());
        m_fixture = std::make_unique<UiFixture>();
    }
    void cleanup()
    {
        m_model.reset();
        m_fixture.reset();
    }

    // A running task counts its banked time in the total and its current time in billing.
    void overview_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<qint64>("runningFor");
        QTest::addColumn<QString>("values");
        QTest::newRow("running") << qint64(600) << qint64(1200) << "0:10|0.5 t|1|0.2 t";
        QTest::newRow("hours past a hundred") << qint64(360000 + 59) << qint64(0) << "100:00|100.0 t|1|100.0 t";
    }
    void overview()
    {
        QFETCH(qint64, stored);
        QFETCH(qint64, runningFor);
        QFETCH(QString, values);
        Task *task = m_fixture->addTask("T", now(), stored);
        if (runningFor > 0) {
            m_clock->set(now() - double(runningFor));
            task->start();
            m_clock->set(now());
        }
        QCOMPARE(fields(openModel().overview(), {"value"}).join('|'), values);
    }

    void periods_data()
    {
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("workDays");
        // Tasks on 28 Feb, 2 Mar (Sunday), 3 Mar (Monday), 5 Mar, 1 Apr. The week begins on
        // the system locale's first day (CTest runs this under Monday and Sunday locales).
        const bool sundayFirst = QLocale::system().firstDayOfWeek() == Qt::Sunday;
        QTest::newRow("week from its first day, later weeks too") << "thisWeek" << (sundayFirst ? 4 : 3);
        QTest::newRow("month") << "thisMonth" << 4;
        QTest::newRow("all time") << "allTime" << 5;
    }
    void periods()
    {
        QFETCH(QString, period);
        QFETCH(int, workDays);
        for (const QDate &d : {QDate(2025, 2, 28), QDate(2025, 3, 2), QDate(2025, 3, 3), QDate(2025, 3, 5),
                               QDate(2025, 4, 1)})
            m_fixture->addTask("T", localTime(d.year(), d.month(), d.day()), 60);
        StatsTabModel &model = openModel();
        model.setStatsPeriod(period);
        QCOMPARE(model.workDays(), workDays);
    }

    void dayColumnsAndProjectRows()
    {
        m_fixture->addTask("a", localTime(2025, 3, 3), 7200);
        m_fixture->addTask("b", localTime(2025, 3, 4), 14400);
        m_fixture->addTask("c", localTime(2025, 3, 5), 7200);
        for (int i = 0; i < 3; ++i)
            m_fixture->addTask("T", now(), 480, QStringLiteral("ABC"));
        StatsTabModel &model = openModel();
        QVERIFY(model.showsDayLabels());
        QCOMPARE(fields(model.dayColumns(), {"hours", "height", "weekday", "date"}),
                 (QStringList{"2.0|40|man.|3/3", "4.0|80|tir.|4/3", "2.4|48|ons.|5/3"}));
        QCOMPARE(fields(model.projectRows(), {"code", "count", "hours", "billable", "fraction"}),
                 (QStringList{"Ingen kode|3 opgaver|8.0 t|8.0 t fakt.|1", "ABC|3 opgaver|0.4 t|0.8 t fakt.|0.05"}));
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
        for (int i = 0; i < days; ++i)
            m_fixture->addTask("T", localTime(2025, 3, 1 + i), 60 * (i + 1));
        StatsTabModel &model = openModel();
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

    // Closed days are counted whatever the period; the figures follow store changes once,
    // a while after the last, and a change outside the period rebuilds nothing on screen.
    void recomputesOnStoreChangesOnlyAndOnce()
    {
        Task *task = m_fixture->addTask("T", now(), 60);
        StatsTabModel &model = openModel();
        QSignalSpy overview(&model, &StatsTabModel::overviewChanged);
        QSignalSpy rows(&model, &StatsTabModel::projectRowsChanged);
        m_fixture->timerManager()->advanceTick();
        QCoreApplication::processEvents();
        QCOMPARE(overview.count(), 0);

        m_fixture->addTask("U", now(), 120, QStringLiteral("K"));
        task->setAccumulatedSeconds(3600);
        m_fixture->store()->remove(task);
        QCOMPARE(overview.count(), 0);
        QTRY_COMPARE(overview.count(), 1);
        QCOMPARE(model.totalStoredSeconds(), 120);
        QCOMPARE(rows.count(), 1);

        m_fixture->addTask("old", localTime(2024, 1, 1), 600, QStringLiteral("X"));
        m_fixture->store()->insert(ClosedDay::create(localTime(2024, 6, 1), 7.5));
        QTRY_COMPARE(model.closedDayCount(), 1);
        QCOMPARE(overview.count(), 1);
        QCOMPARE(rows.count(), 1);

        model.setStatsPeriod("allTime");
        QCOMPARE(overview.count(), 2);
        QCOMPARE(rows.count(), 2);
    }
};

QTEST_MAIN(StatsTabModelTest)
#include "tst_statstabmodel.moc"
