#include "core/TimerManager.h"

#include "records/Record.h"
#include "records/Store.h"
#include "records/Task.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

using namespace timecalc;

TimerManager::TimerManager(QObject *parent, LineSink output)
    : QObject(parent), m_selectedDate(startOfToday()), m_output(std::move(output))
{
}

void TimerManager::setSelectedDateSeconds(double date)
{
    if (m_selectedDate == date)
        return;
    m_selectedDate = date;
    emit selectedDateChanged();
}

QDateTime TimerManager::selectedDate() const
{
    return toDateTime(m_selectedDate);
}

void TimerManager::setSelectedDate(const QDateTime &date)
{
    if (date.isValid())
        setSelectedDateSeconds(toSeconds(date));
}

QString TimerManager::activeTaskIDString() const
{
    return m_activeTaskID.value_or(QString());
}

void TimerManager::setActiveTaskID(std::optional<QString> id)
{
    if (m_activeTaskID == id)
        return;
    m_activeTaskID = id;
    emit activeTaskIDChanged();
}

void TimerManager::setShowBillableTime(bool show)
{
    if (m_showBillableTime == show)
        return;
    m_showBillableTime = show;
    emit showBillableTimeChanged();
}

void TimerManager::setTick(qint64 tick)
{
    if (m_tick == tick)
        return;
    m_tick = tick;
    emit tickChanged();
    if (m_viewsShown)
        emit viewTick();
}

void TimerManager::setViewsShown(bool shown)
{
    if (m_viewsShown == shown)
        return;
    m_viewsShown = shown;
    followTimer();
    // Whatever moved on while they were hidden shows at once.
    if (shown)
        emit viewTick();
}

void TimerManager::setTicksWhileHidden(bool ticks)
{
    m_ticksWhileHidden = ticks;
    followTimer();
}

void TimerManager::followTimer()
{
    const bool wanted = m_activeTaskID && (m_viewsShown || m_ticksWhileHidden);
    if (!wanted)
        stopTimer();
    else if (!m_timer)
        startTimer();
}

void TimerManager::start(Task *task, const QList<Task *> &tasks, Store *context)
{
    if (m_activeTaskID) {
        for (Task *t : tasks) {
            if (t->id() == *m_activeTaskID) {
                t->stop();
                break;
            }
        }
    }
    task->start();
    setActiveTaskID(task->id());
    stopTimer(); // the seconds count from this start
    followTimer();
    saveOrReport(context, "Failed to save after starting task: ");
}

void TimerManager::stop(Task *task, Store *context)
{
    task->stop();
    if (m_activeTaskID == task->id()) {
        setActiveTaskID(std::nullopt);
        stopTimer();
    }
    saveOrReport(context, "Failed to save after stopping task: ");
}

void TimerManager::toggle(Task *task, const QList<Task *> &tasks, Store *context)
{
    if (task->isRunning())
        stop(task, context);
    else
        start(task, tasks, context);
}

std::optional<QString> TimerManager::stopAll(const QList<Task *> &tasks, Store *context)
{
    for (Task *t : tasks)
        if (t->isRunning())
            t->stop();
    setActiveTaskID(std::nullopt);
    stopTimer();
    return saveOrReport(context, "Failed to save after stopping all tasks: ");
}

void TimerManager::syncActiveTask(const QList<Task *> &tasks)
{
    for (Task *t : tasks) {
        if (t->isRunning()) {
            if (m_activeTaskID != t->id())
                stopTimer(); // another task: its seconds set the beat
            setActiveTaskID(t->id());
            followTimer();
            return;
        }
    }
    setActiveTaskID(std::nullopt);
    stopTimer();
}

QList<double> TimerManager::weekDates() const
{
    return mondayFirstWeek(m_selectedDate);
}

QVariantList TimerManager::weekDatesList() const
{
    QVariantList out;
    for (double d : weekDates())
        out.append(toDateTime(d));
    return out;
}

void TimerManager::shiftSelectedDate(int days)
{
    if (const auto moved = addDays(m_selectedDate, days))
        setSelectedDateSeconds(*moved);
}

void TimerManager::startTimer()
{
    stopTimer();
    auto *timer = new QTimer(this);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, [this] { setTick(m_tick + 1); });
    timer->start();
    m_timer = timer;
}

void TimerManager::stopTimer()
{
    if (m_timer) {
        m_timer->stop();
        delete m_timer.data();
    }
    m_timer = nullptr;
}

std::optional<QString> TimerManager::saveOrReport(Store *context, const char *prefix)
{
    if (!context)
        return std::nullopt;
    const auto error = context->save();
    if (error)
        m_output(QString::fromLatin1(prefix) + *error);
    return error;
}
