// The one running-task controller: one task at a time, the timer, the week and the
// save-failure lines.
#include "../records/SqlPeek.h"
#include "Calendar.h"
#include "Clock.h"
#include "Store.h"
#include "TimerManager.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace timecalc;

namespace {
QDateTime local(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}
double at(int y, int m, int d, int h = 0, int min = 0)
{
    return toSeconds(local(y, m, d, h, min));
}
} // namespace

class TestTimerManager : public QObject
{
    Q_OBJECT

    const double t0 = at(2026, 5, 12, 9);
    std::optional<TestClock> m_clock;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<TimerManager> m_manager;
    QStringList m_lines;
    Task *a = nullptr;
    Task *b = nullptr;

    int timers() const { return int(m_manager->findChildren<QTimer *>().size()); }
    bool saved() { return !m_store->hasPendingChanges(); }

private slots:
    void init()
    {
        m_clock.emplace(t0);
        m_dir = std::make_unique<QTemporaryDir>();
        QString error;
        m_store = Store::open(m_dir->filePath("timeglas.sqlite"), &error);
        QVERIFY2(m_store, qPrintable(error));
        m_store->setAutoSaveDelay(60000); // only the manager's own saves
        a = m_store->insert(Task::create("A", t0, 0, std::nullopt));
        b = m_store->insert(Task::create("B", t0, 1, std::nullopt));
        QCOMPARE(m_store->save(), std::nullopt);
        m_lines.clear();
        m_manager = std::make_unique<TimerManager>(nullptr, [this](const QString &line) { m_lines << line; });
    }
    void cleanup()
    {
        QVERIFY2(m_lines.isEmpty() || QTest::currentTestFailed() || QByteArray(QTest::currentTestFunction()) == "saveFailureLines",
                 qPrintable(m_lines.join('\n')));
        m_manager.reset();
        m_store.reset();
        QLocale::setDefault(QLocale::c());
    }

    void startingAnotherTaskStopsTheFirst()
    {
        m_manager->start(a, m_store->tasks(), m_store.get());
        m_clock->set(t0 + 100.7);
        m_manager->start(b, m_store->tasks(), m_store.get());
        QCOMPARE(a->accumulatedSeconds(), 100);
        QVERIFY(!a->isRunning());
        QCOMPARE(b->lastStartTime(), std::optional(t0 + 100.7));
        QCOMPARE(m_manager->activeTaskID(), std::optional(b->id()));
        QVERIFY(m_manager->hasTimer());
        QCOMPARE(timers(), 1);
        QVERIFY(saved());
        SqlPeek db(m_store->path());
        QCOMPARE(db.column("SELECT accumulatedSeconds || '/' || ifnull(lastStartTime, '-') FROM Task ORDER BY rowid"),
                 QStringList({"100/-", "0/" + QString::number(t0 + 100.7, 'f', 1)}));

        // Starting the active task again banks its interval; only the dropped fraction is lost.
        m_clock->set(t0 + 111.2);
        m_manager->start(b, m_store->tasks(), m_store.get());
        QCOMPARE(b->accumulatedSeconds(), 10);
        QCOMPARE(b->lastStartTime(), std::optional(t0 + 111.2));
        m_clock->set(t0 + 121.6);
        QCOMPARE(b->currentSeconds(), 20);
        QCOMPARE(timers(), 1);
    }

    void stopAllWithNoTasksStillSaves()
    {
        m_manager->start(a, m_store->tasks(), m_store.get());
        b->setName("B omdøbt");
        m_manager->stopAll({}, m_store.get());
        QCOMPARE(m_manager->activeTaskID(), std::nullopt);
        QVERIFY(!m_manager->hasTimer());
        QVERIFY(a->isRunning()); // not in the list
        QVERIFY(saved());
        QCOMPARE(SqlPeek(m_store->path()).value("SELECT name FROM Task WHERE rowid = 2"), "B omdøbt");
    }

    void timerPresence_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("active");
        QTest::addColumn<bool>("timer");
        QTest::addColumn<QString>("running");
        QTest::newRow("start and stop") << QStringList({"start A", "stop A"}) << "" << false << "";
        QTest::newRow("stop of another task") << QStringList({"start A", "stop B"}) << "A" << true << "A";
        QTest::newRow("start another") << QStringList({"start A", "start B"}) << "B" << true << "B";
        QTest::newRow("toggle twice") << QStringList({"toggle A", "toggle A"}) << "" << false << "";
        QTest::newRow("toggle another while running") << QStringList({"toggle A", "toggle B"}) << "B" << true << "B";
        QTest::newRow("stop all") << QStringList({"start A", "stopAll"}) << "" << false << "";
        QTest::newRow("time edit clears only the id") << QStringList({"start A", "edit A"}) << "" << true << "";
        QTest::newRow("start after a time edit") << QStringList({"start A", "edit A", "start B"}) << "B" << true << "B";
        QTest::newRow("sync takes the first running in list order, not the earliest started")
            << QStringList({"run B", "run A", "sync"}) << "A" << true << "AB";
        QTest::newRow("sync with none running") << QStringList({"start A", "stop A", "sync"}) << "" << false << "";
        QTest::newRow("start leaves a foreign runner") << QStringList({"run B", "start A"}) << "A" << true << "AB";
    }
    void timerPresence()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, active);
        QFETCH(bool, timer);
        QFETCH(QString, running);
        for (const QString &step : steps) {
            Task *task = step.endsWith(" A") ? a : b;
            const QList<Task *> all = m_store->tasks();
            if (step.startsWith("start ")) m_manager->start(task, all, m_store.get());
            else if (step.startsWith("stop ")) m_manager->stop(task, m_store.get());
            else if (step.startsWith("toggle ")) m_manager->toggle(task, all, m_store.get());
            else if (step.startsWith("run ")) task->start();
            else if (step == "stopAll") m_manager->stopAll(all, m_store.get());
            else if (step.startsWith("edit ")) { task->stop(); m_manager->setActiveTaskID(std::nullopt); }
            else if (step == "sync") m_manager->syncActiveTask(all);
            else QFAIL(qPrintable("unknown step " + step));
            QVERIFY(timers() <= 1);
            m_clock->advance(1);
        }
        const std::optional<QString> expected = active.isEmpty() ? std::nullopt : std::optional((active == "A" ? a : b)->id());
        QCOMPARE(m_manager->activeTaskID(), expected);
        QCOMPARE(m_manager->hasTimer(), timer);
        QCOMPARE(timers(), timer ? 1 : 0);
        QCOMPARE(QString(a->isRunning() ? "A" : "") + (b->isRunning() ? "B" : ""), running);
    }

    // The only test that lets real time pass: the timer must fire on its own. The
    // observer stops the task from inside the tick, which removes the ticking timer.
    void tickAdvancesAndMayStopFromInside()
    {
        m_manager->start(a, m_store->tasks(), m_store.get());
        connect(m_manager.get(), &TimerManager::tickChanged, this, [this] { m_manager->stop(a, m_store.get()); });
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->tick(), 1, 3000);
        QVERIFY(!m_manager->hasTimer());
        QVERIFY(!a->isRunning());
        QTest::qWait(0);
        QCOMPARE(timers(), 0);
        QCOMPARE(m_manager->tick(), 1);
    }

    // Screens follow the tick only while shown, and catch up once when shown again; the
    // tick itself (the status item's label) never pauses.
    void viewTickPausesWhileHidden_data()
    {
        QTest::addColumn<QString>("steps"); // t = tick, h = hide, s = show
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("viewTicks");
        QTest::newRow("shown by default") << "ttt" << 3 << 3;
        QTest::newRow("hidden: nothing") << "httt" << 3 << 0;
        QTest::newRow("shown again: one catch-up, then every tick") << "htttstt" << 5 << 3;
        QTest::newRow("showing when shown: nothing extra") << "stst" << 2 << 2;
        QTest::newRow("hidden twice, shown once") << "hhtss" << 1 << 1;
    }

    void viewTickPausesWhileHidden()
    {
        QFETCH(QString, steps);
        QFETCH(int, ticks);
        QFETCH(int, viewTicks);
        QSignalSpy tickSpy(m_manager.get(), &TimerManager::tickChanged);
        QSignalSpy viewSpy(m_manager.get(), &TimerManager::viewTick);
        for (const QChar step : steps) {
            if (step == u't')
                m_manager->advanceTick();
            else
                m_manager->setViewsShown(step == u's');
        }
        QCOMPARE(tickSpy.size(), ticks);
        QCOMPARE(viewSpy.size(), viewTicks);
    }

    void weekDates_data()
    {
        QTest::addColumn<QDateTime>("selected");
        QTest::addColumn<QDate>("monday");
        QTest::newRow("Sunday of the spring change") << local(2026, 3, 29) << QDate(2026, 3, 23);
        QTest::newRow("Monday after it") << local(2026, 3, 30) << QDate(2026, 3, 30);
        QTest::newRow("Wednesday over the year end") << local(2026, 12, 30) << QDate(2026, 12, 28);
    }
    void weekDates()
    {
        QFETCH(QDateTime, selected);
        QFETCH(QDate, monday);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // Sunday-first locale
        m_manager->setSelectedDate(selected);
        QVariantList expected;
        for (int i = 0; i < 7; ++i)
            expected << monday.addDays(i).startOfDay();
        QCOMPARE(m_manager->weekDatesList(), expected);
    }

    void moving_data()
    {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QDateTime>("to");
        QTest::newRow("next week over the spring change") << local(2026, 3, 25) << "next" << local(2026, 4, 1);
        QTest::newRow("previous week over the autumn change") << local(2026, 10, 28) << "previous"
                                                              << local(2026, 10, 21);
        QTest::newRow("one day onto the 23-hour day") << local(2026, 3, 28) << "1" << local(2026, 3, 29);
        QTest::newRow("one day off the 25-hour day") << local(2026, 10, 25) << "1" << local(2026, 10, 26);
        QTest::newRow("back over the year end") << local(2027, 1, 1) << "-1" << local(2026, 12, 31);
    }
    void moving()
    {
        QFETCH(QDateTime, from);
        QFETCH(QString, how);
        QFETCH(QDateTime, to);
        m_manager->setSelectedDate(from);
        QSignalSpy spy(m_manager.get(), &TimerManager::selectedDateChanged);
        if (how == "next") m_manager->nextWeek();
        else if (how == "previous") m_manager->previousWeek();
        else m_manager->shiftSelectedDate(how.toInt());
        QCOMPARE(m_manager->selectedDate(), to);
        QCOMPARE(spy.count(), 1);
    }

    void startsOnToday()
    {
        m_clock->set(at(2026, 10, 25, 23, 59));
        QCOMPARE(TimerManager().selectedDate(), local(2026, 10, 25));
    }

    void saveFailureLines_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("start") << "start" << "Failed to save after starting task: ";
        QTest::newRow("stop") << "stop" << "Failed to save after stopping task: ";
        QTest::newRow("stop all") << "stopAll" << "Failed to save after stopping all tasks: ";
    }
    void saveFailureLines()
    {
        QFETCH(QString, operation);
        QFETCH(QString, prefix);
        if (operation != "start")
            a->start();
        SqlPeek other(m_store->path());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        m_clock->set(t0 + 60);
        if (operation == "start") m_manager->start(a, m_store->tasks(), m_store.get());
        else if (operation == "stop") m_manager->stop(a, m_store.get());
        else m_manager->stopAll(m_store->tasks(), m_store.get());
        QVERIFY(other.exec("ROLLBACK"));

        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines.first().startsWith(prefix), qPrintable(m_lines.first()));
        QVERIFY(m_lines.first().size() > prefix.size()); // followed by the reason
        QVERIFY(!m_lines.first().contains('\n'));
        // The change stays in memory and the next save writes it.
        QCOMPARE(a->isRunning(), operation == "start");
        QVERIFY(!saved());
        QCOMPARE(m_store->save(), std::nullopt);
        QCOMPARE(SqlPeek(m_store->path()).value("SELECT accumulatedSeconds FROM Task WHERE rowid = 1"),
                 operation == "start" ? "0" : "60");
    }
};

QTEST_GUILESS_MAIN(TestTimerManager)
#include "tst_timermanager.moc"
