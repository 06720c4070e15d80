#include "core/AwayTime.h"

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "records/Store.h"
#include "records/Task.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

#include <algorithm>
#include <cmath>

namespace away {

namespace {
// Counted as the task counts its running interval, so the two always agree.
qint64 wholeSecondsBetween(double from, double to)
{
    return std::max<qint64>(0, timecalc::wholeSeconds(to - from));
}
} // namespace

qint64 Spell::seconds() const
{
    return wholeSecondsBetween(begin, end);
}

qint64 overlapSeconds(double lastStart, double now, const Spell &spell)
{
    const qint64 interval = wholeSecondsBetween(lastStart, now);
    const qint64 overlap = wholeSecondsBetween(std::max(lastStart, spell.begin), std::min(now, spell.end));
    return std::min(overlap, interval);
}

bool apply(Task &task, const Spell &spell, Choice choice)
{
    const std::optional<double> lastStart = task.lastStartTime();
    if (!lastStart || choice == Choice::Keep)
        return false;
    const double now = timecalc::Clock::nowSeconds();
    const qint64 banked = task.accumulatedSeconds();
    if (choice == Choice::RemoveTime) {
        const qint64 away = overlapSeconds(*lastStart, now, spell);
        if (away == 0)
            return false;
        // The interval so far is banked without the spell, and a new one starts now.
        task.stop();
        task.setAccumulatedSeconds(task.accumulatedSeconds() - away);
        task.start();
        return true;
    }
    // Stopped where the spell began: only the time before it counts.
    const qint64 before = std::min(wholeSecondsBetween(*lastStart, spell.begin), wholeSecondsBetween(*lastStart, now));
    task.stop();
    task.setAccumulatedSeconds(timecalc::saturatingAdd(banked, before));
    return true;
}

std::optional<Spell> SpellMerger::report(Source source, bool active, double at)
{
    const bool wasAway = isAway();
    if (active) {
        m_begin = wasAway ? std::min(m_begin, at) : at;
        m_active[source] = true;
        return std::nullopt;
    }
    if (!m_active[source])
        return std::nullopt;
    m_active[source] = false;
    if (isAway())
        return std::nullopt;
    return Spell{m_begin, at};
}

bool SpellMerger::isAway() const
{
    return std::any_of(m_active.cbegin(), m_active.cend(), [](bool a) { return a; });
}

void SpellMerger::reset()
{
    m_active.fill(false);
}

} // namespace away

AwayTracker::AwayTracker(Store *store, TimerManager *timerManager, Preferences *preferences, QObject *parent,
                         LineSink output)
    : QObject(parent)
    , m_store(store)
    , m_timerManager(timerManager)
    , m_preferences(preferences)
    , m_output(std::move(output))
{
    connect(store, &Store::changed, this, [this](Record::Kind kind) {
        if (kind == Record::Kind::Task || kind == Record::Kind::ClosedDay)
            refreshWatching();
    });
    connect(preferences, &Preferences::awayMinutesChanged, this, &AwayTracker::refreshWatching);
    m_watching = isWatching();
}

int AwayTracker::thresholdMinutes() const
{
    return m_preferences ? m_preferences->awayMinutes() : 0;
}

bool AwayTracker::isWatching() const
{
    return thresholdMinutes() > 0 && runningTask();
}

Task *AwayTracker::runningTask() const
{
    return m_store ? m_store->firstRunningTask() : nullptr;
}

Task *AwayTracker::taskWithId(const QString &id) const
{
    if (!m_store)
        return nullptr;
    // Questions are about running tasks, and the store keeps the first of those at hand.
    if (Task *running = m_store->firstRunningTask(); running && running->id() == id)
        return running;
    const QList<Task *> &tasks = m_store->tasks();
    const auto it = std::find_if(tasks.cbegin(), tasks.cend(), [&id](const Task *t) { return t->id() == id; });
    return it == tasks.cend() ? nullptr : *it;
}

bool AwayTracker::isOnClosedDay(const Task &task) const
{
    const QList<ClosedDay *> &days = m_store->closedDays();
    return std::any_of(days.cbegin(), days.cend(), [&task](const ClosedDay *day) {
        return timecalc::isSameDay(day->dateSeconds(), task.dateSeconds());
    });
}

void AwayTracker::report(away::SpellMerger::Source source, bool active, double at)
{
    if (!isWatching()) {
        m_merger.reset();
        return;
    }
    if (active && !m_merger.isAway()) {
        m_awayTaskId = runningTask()->id();
    }
    const std::optional<away::Spell> spell = m_merger.report(source, active, at);
    if (!spell || spell->seconds() < qint64(thresholdMinutes()) * 60)
        return;
    Task *task = taskWithId(m_awayTaskId);
    const double now = timecalc::Clock::nowSeconds();
    if (!task || !task->lastStartTime() || isOnClosedDay(*task))
        return;
    const qint64 seconds = away::overlapSeconds(*task->lastStartTime(), now, *spell);
    if (seconds < qint64(thresholdMinutes()) * 60)
        return;
    m_questions.append({task->id(), task->name(), *spell});
    emit questionChanged();
}

QString AwayTracker::textFor(const QString &taskName, qint64 seconds)
{
    const QString name = taskName.isEmpty() ? Task::unnamedText() : taskName;
    const qint64 minutes = seconds / 60;
    return tr("Du var væk i %1:%2, mens «%3» kørte")
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .arg(name);
}

QString AwayTracker::questionText() const
{
    if (m_questions.isEmpty())
        return QString();
    const Question &question = m_questions.constFirst();
    const Task *task = taskWithId(question.taskId);
    const double now = timecalc::Clock::nowSeconds();
    const qint64 seconds = task && task->lastStartTime()
                               ? away::overlapSeconds(*task->lastStartTime(), now, question.spell)
                               : question.spell.seconds();
    return textFor(task ? task->name() : question.taskName, seconds);
}

void AwayTracker::answer(int choice)
{
    if (m_questions.isEmpty() || choice < int(away::Choice::Keep) || choice > int(away::Choice::RemoveAndStop))
        return;
    const Question question = m_questions.takeFirst();
    Task *task = taskWithId(question.taskId);
    const auto chosen = away::Choice(choice);
    if (task && !isOnClosedDay(*task)
        && away::apply(*task, question.spell, chosen)) {
        if (chosen == away::Choice::RemoveAndStop && m_timerManager)
            m_timerManager->syncActiveTask(m_store->tasks());
        if (const auto error = m_store->save())
            m_output(QStringLiteral("Failed to save after removing time away: ") + *error);
    }
    emit questionChanged();
}

void AwayTracker::refreshWatching()
{
    // A question about a task that stopped, went away or whose day was closed has no answer
    // left to give; one whose task was restarted since covers nothing of the new interval.
    const double now = timecalc::Clock::nowSeconds();
    const auto stale = [&](const Question &question) {
        const Task *task = taskWithId(question.taskId);
        return !task || !task->lastStartTime() || isOnClosedDay(*task)
               || away::overlapSeconds(*task->lastStartTime(), now, question.spell) == 0;
    };
    if (m_questions.removeIf(stale) > 0)
        emit questionChanged();

    const bool watching = isWatching();
    if (!watching)
        m_merger.reset();
    if (m_watching == watching)
        return;
    m_watching = watching;
    emit watchingChanged();
}

void AwayTracker::setCanTell(bool canTell)
{
    if (m_canTell == canTell)
        return;
    m_canTell = canTell;
    emit canTellChanged();
}
