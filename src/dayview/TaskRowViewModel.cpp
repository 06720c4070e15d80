#include "dayview/TaskRowViewModel.h"

#include "core/TimerManager.h"
#include "records/Task.h"
#include "timecalc/TimeCalc.h"

using namespace timecalc;

TaskRowViewModel::TaskRowViewModel(QObject *parent) : QObject(parent)
{
    refreshTimes();
}

Task *TaskRowViewModel::task() const
{
    return m_task;
}

TimerManager *TaskRowViewModel::timerManager() const
{
    return m_timerManager;
}

void TaskRowViewModel::setTask(Task *task)
{
    if (m_task == task)
        return;
    for (const auto &c : std::as_const(m_taskConnections))
        disconnect(c);
    m_taskConnections.clear();
    m_task = task;
    if (task) {
        m_taskConnections << connect(task, &Task::nameChanged, this, &TaskRowViewModel::refreshName)
                          << connect(task, &Task::projectCodeChanged, this, &TaskRowViewModel::refreshCode)
                          << connect(task, &Task::accumulatedSecondsChanged, this, &TaskRowViewModel::refreshTimes)
                          << connect(task, &Task::lastStartTimeChanged, this, &TaskRowViewModel::onRunningChanged);
        refreshName();
        refreshCode();
        onRunningChanged();
    } else {
        // A row outlives its deleted task for the length of its exit animation; it keeps
        // showing what it showed, and only stops following the clock.
        disconnect(m_tickConnection);
    }
    emit taskChanged();
}

void TaskRowViewModel::refreshName()
{
    const QString name = m_task ? m_task->name() : QString();
    if (name == m_name)
        return;
    m_name = name;
    emit nameChanged();
}

void TaskRowViewModel::refreshCode()
{
    const QString code = m_task ? m_task->projectCodeText() : QString();
    if (code == m_code)
        return;
    m_code = code;
    emit codeChanged();
}

void TaskRowViewModel::setTimerManager(TimerManager *timerManager)
{
    if (m_timerManager == timerManager)
        return;
    disconnect(m_billableConnection);
    disconnect(m_tickConnection);
    m_timerManager = timerManager;
    if (timerManager)
        m_billableConnection = connect(timerManager, &TimerManager::showBillableTimeChanged, this,
                                       &TaskRowViewModel::refreshTimes);
    emit timerManagerChanged();
    onRunningChanged();
}

void TaskRowViewModel::onRunningChanged()
{
    // Only a running row follows the tick; a stopped one changes only with its record.
    disconnect(m_tickConnection);
    const bool active = m_task && m_task->isRunning();
    if (m_timerManager && active)
        m_tickConnection = connect(m_timerManager, &TimerManager::viewTick, this, &TaskRowViewModel::refreshTimes);
    if (m_isActive != active) {
        m_isActive = active;
        emit isActiveChanged();
    }
    refreshTimes();
}

void TaskRowViewModel::setDayClosed(bool closed)
{
    if (m_isDayClosed == closed)
        return;
    m_isDayClosed = closed;
    if (closed) {
        // A read-only row keeps no editor open: finish what can be finished, drop the rest.
        commitName();
        commitTime();
        setEditingTime(false);
    }
    emit isDayClosedChanged();
    emit canMoveChanged();
}

void TaskRowViewModel::setCanMoveUp(bool can)
{
    if (m_canMoveUp == can)
        return;
    m_canMoveUp = can;
    emit canMoveChanged();
}

void TaskRowViewModel::setCanMoveDown(bool can)
{
    if (m_canMoveDown == can)
        return;
    m_canMoveDown = can;
    emit canMoveChanged();
}

QString TaskRowViewModel::displayName() const
{
    return m_name.isEmpty() ? Task::unnamedText() : m_name;
}

void TaskRowViewModel::refreshTimes()
{
    if (!m_task && !m_timeText.isEmpty())
        return; // keeps the last figures of a deleted task
    const qint64 seconds = m_task ? m_task->currentSeconds() : 0;
    const bool billable = m_timerManager ? m_timerManager->showBillableTime() : true;
    const QString time = formatElapsed(seconds);
    const QString hours = formatDecimalHours(hoursFor(seconds, billable));
    if (time == m_timeText && hours == m_hoursText)
        return;
    m_timeText = time;
    m_hoursText = hours;
    emit timeChanged();
}

// ---- name editor ---------------------------------------------------------------------------

void TaskRowViewModel::setEditingName(bool editing)
{
    if (m_isEditingName == editing)
        return;
    m_isEditingName = editing;
    emit isEditingNameChanged();
}

void TaskRowViewModel::setEditedName(const QString &name)
{
    if (m_editedName == name)
        return;
    m_editedName = name;
    emit editedNameChanged();
}

void TaskRowViewModel::setNameFieldFocused(bool focused)
{
    if (m_isNameFieldFocused == focused)
        return;
    m_isNameFieldFocused = focused;
    emit isNameFieldFocusedChanged();
    if (!focused)
        commitName();
}

void TaskRowViewModel::startEditingName()
{
    if (!m_task || m_isDayClosed)
        return;
    setEditedName(m_task->name());
    setEditingName(true);
    setNameFieldFocused(true);
}

void TaskRowViewModel::commitName()
{
    // Also reached by the loss of focus that follows Return: the second call finds nothing to do.
    if (!m_isEditingName)
        return;
    if (m_task)
        m_task->setName(Task::typedName(m_editedName));
    setEditingName(false);
}

// ---- time editor ---------------------------------------------------------------------------

void TaskRowViewModel::setEditingTime(bool editing)
{
    if (m_isEditingTime == editing)
        return;
    m_isEditingTime = editing;
    emit isEditingTimeChanged();
}

void TaskRowViewModel::setEditedTime(const QString &text)
{
    if (m_editedTime == text)
        return;
    m_editedTime = text;
    emit editedTimeChanged();
}

void TaskRowViewModel::setTimeFieldFocused(bool focused)
{
    if (m_isTimeFieldFocused == focused)
        return;
    m_isTimeFieldFocused = focused;
    emit isTimeFieldFocusedChanged();
    if (!focused)
        commitTime();
}

void TaskRowViewModel::startEditingTime()
{
    if (!m_task || m_isDayClosed)
        return;
    if (m_task->isRunning()) {
        // Editing a running clock would race the typed value; the time is banked first.
        if (m_timerManager)
            m_timerManager->stop(m_task, m_task->store());
        else
            m_task->stop();
    }
    setEditedTime(formatElapsed(m_task->currentSeconds()));
    setEditingTime(true);
    setTimeFieldFocused(true);
}

void TaskRowViewModel::commitTime()
{
    if (!m_isEditingTime)
        return;
    if (isBlankDuration(m_editedTime)) {
        setEditingTime(false);
        return;
    }
    const std::optional<qint64> seconds = parseTypedDuration(m_editedTime);
    if (!seconds)
        return; // stays open with the text, so the user can correct it
    if (m_task)
        m_task->setAccumulatedSeconds(*seconds);
    setEditingTime(false);
}
