// Time away while a task runs: what each choice does to the task, and when the user is asked.
#include "AwayTime.h"
#include "Calendar.h"
#include "Clock.h"
#include "Preferences.h"
#include "Store.h"
#include "TimerManager.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace timecalc;
using away::Choice;
using Source = away::SpellMerger::Source;

namespace {
// 23:30 local time, so that an hour away runs over midnight.
double lateEvening()
{
    return toSeconds(QDateTime(QDate(2026, 5, 12), QTime(23, 30)));
}
struct Answer { double begin, end, now; int choice; qint64 accumulated; bool running; qint64 current; };
} // namespace
Q_DECLARE_METATYPE(Answer)

class TestAwayTime : public QObject
{
    Q_OBJECT

    std::optional<TestClock> m_clock;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<TimerManager> m_manager;
    QStringList m_lines;

private slots:
    void init()
    {
        m_clock.emplace(lateEvening());
        m_dir = std::make_unique<QTemporaryDir>();
        QString error;
        m_store = Store::open(m_dir->filePath("timeglas.sqlite"), &error);
        QVERIFY2(m_store, qPrintable(error));
        m_store->setAutoSaveDelay(60000); // only explicit saves
        m_preferences = std::make_unique<Preferences>(m_dir->filePath("timeglas.conf"));
        m_manager = std::make_unique<TimerManager>(nullptr, [this](const QString &line) { m_lines << line; });
    }
    void cleanup()
    {
        m_manager.reset();
        m_preferences.reset();
        m_store.reset();
    }

    // A task started at T with 100 s banked; the spell and "now" in seconds from T, then the
    // banked seconds after the choice, whether it runs, and the seconds it shows right after.
    void choices_data()
    {
        QTest::addColumn<Answer>("a");
        const int keep = int(Choice::Keep), remove = int(Choice::RemoveTime), stop = int(Choice::RemoveAndStop);
        QTest::newRow("keep changes nothing") << Answer{600, 1800, 2000, keep, 100, true, 2100};
        QTest::newRow("remove the spell, keep running") << Answer{600, 1800, 2000, remove, 900, true, 900};
        QTest::newRow("remove and stop where it began") << Answer{600, 1800, 2000, stop, 700, false, 700};
        QTest::newRow("fractions count whole seconds") << Answer{600.4, 1800.9, 2000.5, remove, 900, true, 900};
        QTest::newRow("spell began before the start") << Answer{-300, 1200, 1500, remove, 400, true, 400};
        QTest::newRow("stop at a spell before the start banks nothing") << Answer{-300, 1200, 1500, stop, 100, false, 100};
        QTest::newRow("spell reaching past now is cut at now") << Answer{600, 5000, 2000, remove, 700, true, 700};
        QTest::newRow("clock set back before the start") << Answer{600, 1800, -50, remove, 100, true, 100};
        QTest::newRow("spell ending before it began") << Answer{1800, 600, 2000, remove, 100, true, 2100};
    }
    void choices()
    {
        QFETCH(Answer, a);
        const double t = lateEvening();
        Task *task = m_store->insert(Task::create("Møde", t, 0, std::nullopt));
        task->setAccumulatedSeconds(100);
        task->start();
        m_clock->set(t + a.now);
        away::apply(*task, {t + a.begin, t + a.end}, Choice(a.choice));
        QCOMPARE(task->accumulatedSeconds(), a.accumulated);
        QCOMPARE(task->isRunning(), a.running);
        QCOMPARE(task->currentSeconds(), a.current);
    }

    // Each step is "source on|off at" (seconds from the task's start); "stop", "delete" and
    // "close" change the task at that point.
    void askedAbout_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("question"); // empty: nothing is asked

        QTest::newRow("locked for the threshold") << 10 << QStringList{"lock on 100", "lock off 700"}
                                                  << "Du var væk i 0:10, mens «Møde» kørte";
        QTest::newRow("a second short") << 10 << QStringList{"lock on 100", "lock off 699"} << "";
        QTest::newRow("suspended over midnight") << 10 << QStringList{"sleep on 60", "sleep off 3660"}
                                                 << "Du var væk i 1:00, mens «Møde» kørte";
        QTest::newRow("idle from the last input") << 5 << QStringList{"idle on 100", "idle off 2620"}
                                                   << "Du var væk i 0:42, mens «Møde» kørte";
        QTest::newRow("overlapping spells are one, long enough together")
            << 10 << QStringList{"idle on 100", "lock on 400", "idle off 500", "lock off 800"}
            << "Du var væk i 0:11, mens «Møde» kørte";
        QTest::newRow("turned off") << 0 << QStringList{"lock on 100", "lock off 9000"} << "";
        QTest::newRow("task stopped meanwhile") << 10 << QStringList{"lock on 100", "stop 200", "lock off 900"} << "";
        QTest::newRow("task deleted meanwhile") << 10 << QStringList{"lock on 100", "delete 200", "lock off 900"} << "";
        QTest::newRow("day closed meanwhile") << 10 << QStringList{"lock on 100", "close 200", "lock off 900"} << "";
    }
    void askedAbout()
    {
        QFETCH(int, threshold);
        QFETCH(QStringList, steps);
        QFETCH(QString, question);
        m_preferences->setAwayMinutes(threshold);
        const double t = lateEvening();
        Task *task = m_store->insert(Task::create("Møde", t, 0, std::nullopt));
        m_manager->start(task, m_store->tasks(), m_store.get());
        AwayTracker tracker(m_store.get(), m_manager.get(), m_preferences.get(), nullptr,
                            [this](const QString &line) { m_lines << line; });
        QCOMPARE(tracker.isWatching(), threshold > 0);

        const QHash<QString, Source> sources{{"lock", Source::Locked}, {"sleep", Source::Suspended}, {"idle", Source::Idle}};
        for (const QString &step : std::as_const(steps)) {
            const QStringList words = step.split(' ');
            const double at = t + words.last().toDouble();
            m_clock->set(std::max(at, m_clock->now()));
            if (words.first() == "stop")
                m_manager->stop(task, m_store.get());
            else if (words.first() == "delete")
                m_store->remove(task);
            else if (words.first() == "close")
                m_store->insert(ClosedDay::create(t, 1.0));
            else
                tracker.report(sources.value(words.first()), words.at(1) == "on", at);
        }
        QCOMPARE(tracker.hasQuestion(), !question.isEmpty());
        QCOMPARE(tracker.questionText(), question);
    }

    // The answer reaches the task and the file at once; a task gone meanwhile is left alone.
    void answerIsSaved_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<qint64>("accumulated");
        QTest::addColumn<bool>("running");
        QTest::newRow("keep") << int(Choice::Keep) << "" << qint64(0) << true;
        QTest::newRow("remove the time") << int(Choice::RemoveTime) << "" << qint64(200) << true;
        QTest::newRow("remove and stop") << int(Choice::RemoveAndStop) << "" << qint64(100) << false;
        QTest::newRow("stopped before the answer") << int(Choice::RemoveTime) << "stop" << qint64(1000) << false;
    }
    void answerIsSaved()
    {
        QFETCH(int, choice);
        QFETCH(QString, meanwhile);
        QFETCH(qint64, accumulated);
        QFETCH(bool, running);
        const double t = lateEvening();
        Task *task = m_store->insert(Task::create("Møde", t, 0, std::nullopt));
        m_manager->start(task, m_store->tasks(), m_store.get());
        AwayTracker tracker(m_store.get(), m_manager.get(), m_preferences.get());
        tracker.report(Source::Locked, true, t + 100);
        m_clock->set(t + 900);
        tracker.report(Source::Locked, false, t + 900);
        QVERIFY(tracker.hasQuestion());
        m_clock->set(t + 1000);
        if (meanwhile == "stop")
            m_manager->stop(task, m_store.get());
        QSignalSpy asked(&tracker, &AwayTracker::questionChanged);
        tracker.answer(choice);
        QVERIFY(!tracker.hasQuestion());
        QCOMPARE(task->accumulatedSeconds(), accumulated);
        QCOMPARE(task->isRunning(), running);
        QCOMPARE(m_manager->activeTaskID().has_value(), running);
        QVERIFY(!m_store->hasPendingChanges());
        QVERIFY(m_lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAwayTime)
#include "tst_awaytime.moc"
