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
} // namespace

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

    // A task started at T with 100 s banked; the spell and "now" in seconds from T.
    void choices_data()
    {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("end");
        QTest::addColumn<double>("now");
        QTest::addColumn<int>("choice");
        QTest::addColumn<qint64>("accumulated"); // after the choice
        QTest::addColumn<bool>("running");
        QTest::addColumn<qint64>("current"); // seconds the task shows right after

        const int keep = int(Choice::Keep), remove = int(Choice::RemoveTime), stop = int(Choice::RemoveAndStop);
        QTest::newRow("keep changes nothing") << 600.0 << 1800.0 << 2000.0 << keep << qint64(100) << true << qint64(2100);
        QTest::newRow("remove the spell, keep running") << 600.0 << 1800.0 << 2000.0 << remove << qint64(900) << true << qint64(900);
        QTest::newRow("remove and stop where it began") << 600.0 << 1800.0 << 2000.0 << stop << qint64(700) << false << qint64(700);
        QTest::newRow("fractions count whole seconds") << 600.4 << 1800.9 << 2000.5 << remove << qint64(900) << true << qint64(900);
        QTest::newRow("spell began before the start") << -300.0 << 1200.0 << 1500.0 << remove << qint64(400) << true << qint64(400);
        QTest::newRow("stop at a spell before the start banks nothing") << -300.0 << 1200.0 << 1500.0 << stop << qint64(100) << false << qint64(100);
        QTest::newRow("spell reaching past now is cut at now") << 600.0 << 5000.0 << 2000.0 << remove << qint64(700) << true << qint64(700);
        QTest::newRow("clock set back before the start") << 600.0 << 1800.0 << -50.0 << remove << qint64(100) << true << qint64(100);
        QTest::newRow("clock set back, stop") << 600.0 << 1800.0 << -50.0 << stop << qint64(100) << false << qint64(100);
        QTest::newRow("spell ending before it began") << 1800.0 << 600.0 << 2000.0 << remove << qint64(100) << true << qint64(2100);
    }
    void choices()
    {
        QFETCH(double, begin);
        QFETCH(double, end);
        QFETCH(double, now);
        QFETCH(int, choice);
        QFETCH(qint64, accumulated);
        QFETCH(bool, running);
        QFETCH(qint64, current);

        const double t = lateEvening();
        Task *task = m_store->insert(Task::create("Møde", t, 0, std::nullopt));
        task->setAccumulatedSeconds(100);
        task->start();
        m_clock->set(t + now);
        away::apply(*task, {t + begin, t + end}, Choice(choice));
        QCOMPARE(task->accumulatedSeconds(), accumulated);
        QCOMPARE(task->isRunning(), running);
        QCOMPARE(task->currentSeconds(), current);
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
