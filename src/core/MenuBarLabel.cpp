#include "core/MenuBarLabel.h"

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

#include <algorithm>
#include <cmath>

using namespace timecalc;

MenuBarLabel::MenuBarLabel(Store *store, TimerManager *timerManager, Preferences *preferences, QObject *parent)
    : QObject(parent), m_store(store), m_timerManager(timerManager), m_preferences(preferences)
{
    connect(timerManager, &TimerManager::tickChanged, this, &MenuBarLabel::reevaluate);
    connect(store, &Store::changed, this, [this](Record::Kind kind) {
        if (kind == Record::Kind::Task)
            reevaluate();
    });
    connect(preferences, &Preferences::defaultShowBillableTimeChanged, this, &MenuBarLabel::reevaluate);
    connect(store, &Store::saveErrorChanged, this, &MenuBarLabel::reevaluate);
    m_nextChange.setSingleShot(true);
    m_nextChange.setTimerType(Qt::PreciseTimer);
    connect(&m_nextChange, &QTimer::timeout, this, &MenuBarLabel::reevaluate);
    m_presentation = evaluate(*store, preferences->defaultShowBillableTime(), today());
    scheduleNextChange();
}

QString LabelClock::textAt(double now) const
{
    return MenuBarLabel::runningText(secondsAt(now), name);
}

double LabelClock::nextSecondAfter(double now) const
{
    // Before the start (a clock set back) the banked seconds stand until the start comes.
    const double elapsed = now - since;
    return elapsed < 0 ? since : since + std::floor(elapsed) + 1.0;
}

QString MenuBarLabel::runningText(qint64 seconds, const QString &name)
{
    return formatElapsed(seconds) + runningTail(name);
}

QString MenuBarLabel::runningTail(const QString &name)
{
    const QString middleDot = QStringLiteral("\u00B7");
    return u' ' + middleDot + u' ' + (name.isEmpty() ? middleDot : name);
}

LabelPresentation MenuBarLabel::running(const Task &task)
{
    LabelClock clock{task.accumulatedSeconds(), task.lastStartTime().value_or(Clock::nowSeconds()), task.name()};
    QString text = runningText(task.currentSeconds(), task.name());
    return {QStringLiteral("hourglass"), std::move(text), {}, {}, {}, std::move(clock)};
}

LabelPresentation MenuBarLabel::idle(double totalHours)
{
    const QString text = totalHours > 0.0 ? formatDecimalHours(totalHours) + u't' : QString();
    return {QStringLiteral("hourglass.bottomhalf.filled"), text, {}, {}, {}, {}};
}

double MenuBarLabel::todaysTotal(const Store &store, bool billable, std::optional<double> today)
{
    double total = 0.0;
    for (const Task *task : store.tasksDatedExactly(today.value_or(startOfToday())))
        total += hoursFor(task->currentSeconds(), billable);
    return total;
}

LabelPresentation MenuBarLabel::evaluate(const Store &store, bool billable, std::optional<double> today)
{
    const Task *task = store.firstRunningTask();
    const LabelPresentation idleNow = idle(todaysTotal(store, billable, today));
    LabelPresentation presentation = task ? running(*task) : idleNow;
    presentation.today = idleNow.text;
    QStringList lines;
    if (task)
        lines.append(task->displayName());
    if (!idleNow.text.isEmpty())
        lines.append(tr("I dag %1").arg(idleNow.text));
    presentation.toolTip = lines.join(u'\n');
    presentation.warning = saveWarning(store.saveError());
    return presentation;
}

QString MenuBarLabel::saveWarning(const QString &saveError)
{
    return saveError.isEmpty() ? QString() : tr("Ændringer gemmes ikke: %1").arg(saveError);
}

double MenuBarLabel::today()
{
    const double now = Clock::nowSeconds();
    if (now < m_todayStart || now >= m_todayEnd) {
        m_todayStart = startOfToday();
        m_todayEnd = addDays(m_todayStart, 1).value_or(now + 1);
    }
    return m_todayStart;
}

void MenuBarLabel::reevaluate()
{
    if (!m_store || !m_preferences)
        return;
    const LabelPresentation next = evaluate(*m_store, m_preferences->defaultShowBillableTime(), today());
    scheduleNextChange();
    if (next == m_presentation)
        return;
    m_presentation = next;
    emit presentationChanged(m_presentation);
}

double MenuBarLabel::nextChange(const Store &store, bool billable, double today, double tomorrow, double now)
{
    const Task *task = store.firstRunningTask();
    if (!task || !task->lastStartTime() || task->dateSeconds() != today)
        return tomorrow;
    // Today's hours move in steps of the running task's hours: the first second at which the
    // total reads differently is the next change, unless midnight comes first.
    double others = 0.0;
    for (const Task *t : store.tasksDatedExactly(today))
        if (t != task)
            others += hoursFor(t->currentSeconds(), billable);
    const qint64 seconds = Task::secondsAt(task->accumulatedSeconds(), *task->lastStartTime(), now);
    const double hoursNow = hoursFor(seconds, billable);
    const QString shown = idle(others + hoursNow).text;
    qint64 step = 1;
    for (double last = hoursNow; step < 3600; ++step) {
        const double hours = hoursFor(saturatingAdd(seconds, step), billable);
        if (hours != last && idle(others + hours).text != shown)
            break;
        last = hours;
    }
    // When the running task's seconds reach seconds + step.
    const double since = *task->lastStartTime();
    return std::min(tomorrow, since + std::floor(std::max(0.0, now - since)) + double(step));
}

void MenuBarLabel::scheduleNextChange()
{
    const double now = Clock::nowSeconds();
    today();
    const double next = m_store && m_preferences
                            ? nextChange(*m_store, m_preferences->defaultShowBillableTime(), m_todayStart, m_todayEnd, now)
                            : m_todayEnd;
    // A millisecond past the moment, so that the reading there has moved on.
    m_nextChange.start(int(std::clamp((next - now) * 1000.0 + 1.0, 1.0, 3600.0 * 1000.0)));
}
