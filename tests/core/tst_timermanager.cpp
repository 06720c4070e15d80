// The one running-task controller: one task at a time, the timer and the save-failure
// lines; and time away while a task runs, what each answer does to the task.
#include "../records/SqlPeek.h"
#include "core/AwayTime.h"
#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace timecalc;
using away::Choice;
using Source = away::SpellMerger::Source;

namespace {
double at(int y, int m, int d, int h = 0, int min = 0)
{
    return toSeconds(QDateTime(QDate(y, m, d), QTime(h, min)));
}
struct Steps { QStringList steps; QString active; bool timer; QString running; };
struct Answer { double begin, end, now; int choice; qint64 accumulated; bool running; qint64 current; };
// `after`: the task's banked seconds and whether it runs, once all steps are done.
struct Spells { int threshold; QStringList steps; QString question; QString after; };
} // namespace
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(Spells)

class TestTimerManager : public QObject
{
    Q_OBJECT

    const double t0 = at(2026, 5, 12, 9);
    const double lateEvening = at(2026, 5, 12, 23, 30); // so that an hour away runs over midnight
    std::optional<TestClock> m_clock;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Preferences> m_preferences;
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
        m_preferences = std::make_unique<Preferences>(m_dir->filePath("timeglas.conf"));
        m_manager = std::make_unique<TimerManager>(nullptr, [this](const QString &line) { m_lines << line; });
    }
    void cleanup()
    {
        QVERIFY2(m_lines.isEmpty() || QTest::currentTestFailed() || QByteArray(QTest::currentTestFunction()) == "saveFailureLines",
                 qPrintable(m_lines.join('\n')));
        m_manager.reset();
        m_preferences.reset();
        m_store.reset();
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

    // Steps on tasks A and B; then the active task, whether a timer exists and which tasks run.
    void timerPresence_data()
    {
        QTest::addColumn<Steps>("s");
        QTest::newRow("start and stop") << Steps{{"start A", "stop A"}, "", false, ""};
        QTest::newRow("stop of another task") << Steps{{"start A", "stop B"}, "A", true, "A"};
        QTest::newRow("toggle twice") << Steps{{"toggle A", "toggle A"}, "", false, ""};
        QTest::newRow("toggle another while running") << Steps{{"toggle A", "toggle B"}, "B", true, "B"};
        QTest::newRow("stop all") << Steps{{"start A", "stopAll"}, "", false, ""};
        QTest::newRow("sync takes the first running in list order, not the earliest started")
            << Steps{{"run B", "run A", "sync"}, "A", true, "AB"};
        QTest::newRow("start leaves a foreign runner") << Steps{{"run B", "start A"}, "A", true, "AB"};
        QTest::newRow("sync after the runner stopped elsewhere") << Steps{{"start A", "halt A", "sync"}, "", false, ""};
        // Where the bus keeps the label's clock, only shown screens need the tick.
        QTest::newRow("nobody draws the clock") << Steps{{"hidden", "start A"}, "A", false, "A"};
        QTest::newRow("the screens show again") << Steps{{"hidden", "start A", "shown"}, "A", true, "A"};
    }
    void timerPresence()
    {
        QFETCH(Steps, s);
        for (const QString &step : std::as_const(s.steps)) {
            Task *task = step.endsWith(" A") ? a : b;
            const QList<Task *> all = m_store->tasks();
            if (step.startsWith("start ")) m_manager->start(task, all, m_store.get());
            else if (step.startsWith("stop ")) m_manager->stop(task, m_store.get());
            else if (step.startsWith("toggle ")) m_manager->toggle(task, all, m_store.get());
            else if (step.startsWith("run ")) task->start();
            else if (step.startsWith("halt ")) task->stop();
            else if (step == "stopAll") m_manager->stopAll(all, m_store.get());
            else if (step == "sync") m_manager->syncActiveTask(all);
            else if (step == "hidden") { m_manager->setViewsShown(false); m_manager->setTicksWhileHidden(false); }
            else if (step == "shown") m_manager->setViewsShown(true);
            else QFAIL(qPrintable("unknown step " + step));
            QVERIFY(timers() <= 1);
            m_clock->advance(1);
        }
        const std::optional<QString> expected = s.active.isEmpty() ? std::nullopt : std::optional((s.active == "A" ? a : b)->id());
        QCOMPARE(m_manager->activeTaskID(), expected);
        QCOMPARE(m_manager->hasTimer(), s.timer);
        QCOMPARE(timers(), s.timer ? 1 : 0);
        QCOMPARE(QString(a->isRunning() ? "A" : "") + (b->isRunning() ? "B" : ""), s.running);
    }

    // The only test that lets real time pass: the timer must fire on its own. The observer
    // stops the task from inside the tick, which removes the ticking timer. The screens' tick
    // follows every tick while they are shown, pauses while they are hidden and catches up
    // once when they show again.
    void ticks()
    {
        QSignalSpy views(m_manager.get(), &TimerManager::viewTick);
        m_manager->start(a, m_store->tasks(), m_store.get());
        connect(m_manager.get(), &TimerManager::tickChanged, this, [this] { m_manager->stop(a, m_store.get()); });
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->tick(), 1, 3000);
        QVERIFY(!m_manager->hasTimer());
        QVERIFY(!a->isRunning());
        QCOMPARE(timers(), 0); // so no second tick can come
        QCOMPARE(m_manager->tick(), 1);
        QCOMPARE(views.count(), 1);
        m_manager->setViewsShown(false);
        m_manager->advanceTick();
        m_manager->setViewsShown(false);
        QCOMPARE(views.count(), 1);
        m_manager->setViewsShown(true);
        m_manager->setViewsShown(true);
        QCOMPARE(views.count(), 2);
    }

    void saveFailureLines_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("start") << "start" << "Failed to save after starting task: ";
        QTest::newRow("stop") << "stop" << "Failed to save after stopping task: ";
        QTest::newRow("stop all") << "stopAll" << "Failed to save after stopping all tasks: ";
        QTest::newRow("stop all of no tasks still saves") << "stopAll none" << "Failed to save after stopping all tasks: ";
    }
    void saveFailureLines()
    {
        QFETCH(QString, operation);
        QFETCH(QString, prefix);
        if (operation != "start")
            m_manager->start(a, m_store->tasks(), m_store.get());
        SqlPeek other(m_store->path());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        m_clock->set(t0 + 60);
        b->setName("B omdøbt"); // waits for the same save
        if (operation == "start") m_manager->start(a, m_store->tasks(), m_store.get());
        else if (operation == "stop") m_manager->stop(a, m_store.get());
        else m_manager->stopAll(operation == "stopAll" ? m_store->tasks() : QList<Task *>(), m_store.get());
        QVERIFY(other.exec("ROLLBACK"));

        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines.first().startsWith(prefix), qPrintable(m_lines.first()));
        QVERIFY(m_lines.first().size() > prefix.size()); // followed by the reason
        QVERIFY(!m_lines.first().contains('\n'));
        QCOMPARE(m_manager->hasTimer(), operation == "start"); // stopping all ends the timer, listed or not
        // The change stays in memory and the next save writes it.
        const bool running = operation == "start" || operation.endsWith("none");
        QCOMPARE(a->isRunning(), running);
        QVERIFY(!saved());
        QCOMPARE(m_store->save(), std::nullopt);
        QCOMPARE(SqlPeek(m_store->path()).value("SELECT accumulatedSeconds FROM Task WHERE rowid = 1"),
                 running ? "0" : "60");
    }

    // A task started at T with 100 s banked; the spell and "now" in seconds from T, then the
    // banked seconds after the choice, whether it runs, and the seconds it shows right after.
    void choices_data()
    {
        QTest::addColumn<Answer>("answer");
        const int remove = int(Choice::RemoveTime), stop = int(Choice::RemoveAndStop);
        QTest::newRow("fractions count whole seconds") << Answer{600.4, 1800.9, 2000.5, remove, 900, true, 900};
        QTest::newRow("spell began before the start") << Answer{-300, 1200, 1500, remove, 400, true, 400};
        QTest::newRow("stop at a spell before the start banks nothing") << Answer{-300, 1200, 1500, stop, 100, false, 100};
        QTest::newRow("spell reaching past now is cut at now") << Answer{600, 5000, 2000, remove, 700, true, 700};
        QTest::newRow("clock set back before the start") << Answer{600, 1800, -50, remove, 100, true, 100};
        QTest::newRow("spell ending before it began") << Answer{1800, 600, 2000, remove, 100, true, 2100};
    }
    void choices()
    {
        QFETCH(Answer, answer);
        const double t = lateEvening;
        m_clock->set(t);
        a->setAccumulatedSeconds(100);
        a->start();
        m_clock->set(t + answer.now);
        away::apply(*a, {t + answer.begin, t + answer.end}, Choice(answer.choice));
        QCOMPARE(a->accumulatedSeconds(), answer.accumulated);
        QCOMPARE(a->isRunning(), answer.running);
        QCOMPARE(a->currentSeconds(), answer.current);
    }

    // Each step is "source on|off at" (seconds from the task's start); "stop", "delete" and
    // "close" change the task at that point; "answer keep|remove|stop" answers the question,
    // which reaches the task and the file at once.
    void askedAbout_data()
    {
        QTest::addColumn<Spells>("s");
        const QString tenMinutes = "Du var væk i 0:10, mens «Møde» kørte";
        QTest::newRow("locked for the threshold, time kept")
            << Spells{10, {"lock on 100", "lock off 700", "answer keep 800"}, tenMinutes, "0 running"};
        QTest::newRow("a second short") << Spells{10, {"lock on 100", "lock off 699"}, "", ""};
        QTest::newRow("suspended over midnight, time removed")
            << Spells{10, {"sleep on 60", "sleep off 3660", "answer remove 3700"}, "Du var væk i 1:00, mens «Møde» kørte",
                      "100 running"};
        QTest::newRow("idle from the last input, removed and stopped")
            << Spells{5, {"idle on 100", "idle off 2620", "answer stop 2700"}, "Du var væk i 0:42, mens «Møde» kørte",
                      "100 stopped"};
        QTest::newRow("overlapping spells are one, long enough together")
            << Spells{10, {"idle on 100", "lock on 400", "idle off 500", "lock off 800"},
                      "Du var væk i 0:11, mens «Møde» kørte", ""};
        QTest::newRow("turned off") << Spells{0, {"lock on 100", "lock off 9000"}, "", ""};
        QTest::newRow("task stopped meanwhile") << Spells{10, {"lock on 100", "stop 200", "lock off 900"}, "", ""};
        QTest::newRow("task deleted meanwhile") << Spells{10, {"lock on 100", "delete 200", "lock off 900"}, "", ""};
        QTest::newRow("day closed meanwhile") << Spells{10, {"lock on 100", "close 200", "lock off 900"}, "", ""};
        QTest::newRow("stopped before the answer: left alone")
            << Spells{10, {"lock on 100", "lock off 900", "stop 1000", "answer remove 1000"},
                      "Du var væk i 0:13, mens «Møde» kørte", "1000 stopped"};
    }
    void askedAbout()
    {
        QFETCH(Spells, s);
        m_preferences->setAwayMinutes(s.threshold);
        const double t = lateEvening;
        m_clock->set(t);
        Task *task = m_store->insert(Task::create("Møde", t, 0, std::nullopt));
        m_manager->start(task, m_store->tasks(), m_store.get());
        AwayTracker tracker(m_store.get(), m_manager.get(), m_preferences.get(), nullptr,
                            [this](const QString &line) { m_lines << line; });
        QCOMPARE(tracker.isWatching(), s.threshold > 0);

        const QHash<QString, Source> sources{{"lock", Source::Locked}, {"sleep", Source::Suspended}, {"idle", Source::Idle}};
        const QHash<QString, Choice> choices{{"keep", Choice::Keep}, {"remove", Choice::RemoveTime}, {"stop", Choice::RemoveAndStop}};
        QString asked;
        bool answered = false;
        for (const QString &step : std::as_const(s.steps)) {
            const QStringList words = step.split(' ');
            const double at = t + words.last().toDouble();
            m_clock->set(std::max(at, m_clock->now()));
            if (words.first() == "stop") {
                m_manager->stop(task, m_store.get());
            } else if (words.first() == "delete") {
                m_store->remove(task);
            } else if (words.first() == "close") {
                m_store->insert(ClosedDay::create(t, 1.0));
            } else if (words.first() == "answer") {
                tracker.answer(int(choices.value(words.at(1))));
                answered = true;
            } else {
                tracker.report(sources.value(words.first()), words.at(1) == "on", at);
                asked = tracker.questionText();
            }
        }
        QCOMPARE(asked, s.question);
        QCOMPARE(tracker.hasQuestion(), !s.question.isEmpty() && !answered);
        if (!s.after.isEmpty()) {
            const bool running = s.after.endsWith("running");
            QCOMPARE(QString::number(task->accumulatedSeconds()) + (running ? " running" : " stopped"), s.after);
            QCOMPARE(m_manager->activeTaskID().has_value(), running);
            QVERIFY(!m_store->hasPendingChanges());
        }
    }
};

QTEST_GUILESS_MAIN(TestTimerManager)
#include "tst_timermanager.moc"
