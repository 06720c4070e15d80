// Creation, timing and derived values of the record types, without a store.
#include "Calendar.h"
#include "Clock.h"
#include "ClosedDay.h"
#include "ProjectCode.h"
#include "Task.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>

using namespace timecalc;

namespace {
constexpr qint64 maxSeconds = std::numeric_limits<qint64>::max();
const double now = toSeconds(QDateTime(QDate(2026, 5, 12), QTime(10, 0)));

std::unique_ptr<Task> storedTask(qint64 accumulated, std::optional<double> lastStartTime)
{
    return std::make_unique<Task>(Record::newId(), "Opgave", startOfDay(now), accumulated, lastStartTime, 0,
                                  now - 3600, std::nullopt);
}
} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

    std::optional<TestClock> m_clock;

private slots:
    void init() { m_clock.emplace(now); }

    void creationAtMidnight_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QDateTime>("midnight");
        QTest::newRow("afternoon") << QDateTime(QDate(2026, 5, 12), QTime(15, 42)) << QDateTime(QDate(2026, 5, 12), {0, 0});
        QTest::newRow("spring change day") << QDateTime(QDate(2026, 3, 29), QTime(15, 42))
                                           << QDateTime(QDate(2026, 3, 29), {0, 0});
        QTest::newRow("second 02:30 of the autumn change")
            << QDateTime(QDate(2026, 10, 25), QTime(1, 30)).addSecs(2 * 3600)
            << QDateTime(QDate(2026, 10, 25), {0, 0});
    }
    void creationAtMidnight()
    {
        QFETCH(QDateTime, date);
        QFETCH(QDateTime, midnight);
        m_clock->set(now + 0.25);
        const auto task = Task::create("Møde", toSeconds(date), 3, QString("ABC"));
        QCOMPARE(task->date(), midnight);
        QCOMPARE(task->accumulatedSeconds(), 0);
        QVERIFY(!task->isRunning());
        QCOMPARE(task->createdAt(), now + 0.25);
        QCOMPARE(task->sortOrder(), 3);
        QCOMPARE(task->projectCode(), std::optional<QString>("ABC"));
        QVERIFY(!task->id().isNull());

        const auto day = ClosedDay::create(toSeconds(date), 7.25);
        QCOMPARE(day->date(), midnight);
        QCOMPARE(day->billableHours(), 7.25);
        QCOMPARE(day->closedAt(), now + 0.25);
        QVERIFY(day->id() != task->id());
    }

    void currentAndStop_data()
    {
        QTest::addColumn<qint64>("accumulated");
        QTest::addColumn<bool>("running");
        QTest::addColumn<double>("startedAgo");
        QTest::addColumn<qint64>("current");
        QTest::newRow("stopped") << qint64(100) << false << 0.0 << qint64(100);
        QTest::newRow("started 90.9 s ago") << qint64(100) << true << 90.9 << qint64(190);
        QTest::newRow("fraction dropped") << qint64(0) << true << 0.6 << qint64(0);
        QTest::newRow("clock set back before the start") << qint64(100) << true << -50.0 << qint64(100);
        QTest::newRow("saturates instead of wrapping") << maxSeconds - 10 << true << 3600.0 << maxSeconds;
        QTest::newRow("start in the far past") << qint64(5) << true << 1e300 << maxSeconds;
        QTest::newRow("damaged start time") << qint64(7) << true << double(NAN) << qint64(7);
    }
    void currentAndStop()
    {
        QFETCH(qint64, accumulated);
        QFETCH(bool, running);
        QFETCH(double, startedAgo);
        QFETCH(qint64, current);
        const auto task = storedTask(accumulated, running ? std::optional(now - startedAgo) : std::nullopt);

        QCOMPARE(task->currentSeconds(), current);
        QSignalSpy banked(task.get(), &Task::accumulatedSecondsChanged);
        task->stop();
        QCOMPARE(task->accumulatedSeconds(), current);
        QVERIFY(!task->isRunning());
        QCOMPARE(task->currentSeconds(), current);
        QCOMPARE(banked.count(), current != accumulated ? 1 : 0);
    }

    void startAndStopAreIdempotent()
    {
        const auto task = storedTask(10, std::nullopt);
        QSignalSpy started(task.get(), &Task::lastStartTimeChanged);
        task->start();
        m_clock->set(now + 30);
        task->start(); // keeps the first start time
        QCOMPARE(task->lastStartTime(), std::optional(now));
        QCOMPARE(started.count(), 1);
        task->stop();
        QCOMPARE(task->accumulatedSeconds(), 40);
        m_clock->set(now + 90);
        task->stop();
        QCOMPARE(task->accumulatedSeconds(), 40);
        QCOMPARE(started.count(), 2);
    }

    void displayName_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("displayName");
        QTest::newRow("code and name") << "ABC" << "Kunde" << QString::fromUtf8("ABC \u2013 Kunde");
        QTest::newRow("empty name") << "ABC" << "" << "ABC";
        QTest::newRow("empty code") << "" << "Kunde" << QString::fromUtf8(" \u2013 Kunde");
    }
    void displayName()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, displayName);
        const auto pc = ProjectCode::create(code, name, 0);
        QCOMPARE(pc->displayName(), displayName);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
