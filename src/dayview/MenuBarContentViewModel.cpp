#include "dayview/MenuBarContentViewModel.h"

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "dayview/CodeEditorModel.h"
#include "dayview/DayClosingModel.h"
#include "dayview/QuickAddPickerModel.h"
#include "qml/AppServices.h"
#include "records/Store.h"
#include "records/Task.h"
#include "records/TaskFactory.h"
#include "timecalc/Calendar.h"
#include "timecalc/TimeCalc.h"

#include <QUuid>
#include <algorithm>

using namespace timecalc;

namespace {
// The preference holds the id as text. Text that is no plain 36-character UUID and names no
// task means nothing was chosen, and the running task stands in; a UUID that names no task of
// the day selects nothing.
bool namesAChoice(const QString &text)
{
    if (text.size() != 36)
        return false;
    return !QUuid::fromString(text).isNull() || text == QLatin1String("00000000-0000-0000-0000-000000000000");
}
} // namespace

QString MenuBarContentViewModel::noSessionText()
{
    return tr("Ingen aktiv session");
}

MenuBarContentViewModel::MenuBarContentViewModel(QObject *parent) : QObject(parent)
{
    m_shownTime = formatElapsed(0);
    m_closing = new DayClosingModel(&m_dayTasks, this);
    m_codeEditor = new CodeEditorModel(this);
    m_quickAdd = new QuickAddPickerModel(this);
}

MenuBarContentViewModel::~MenuBarContentViewModel()
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
}

AppServices *MenuBarContentViewModel::services() const
{
    return m_services;
}

Task *MenuBarContentViewModel::runningTask() const
{
    return m_runningTask;
}

Task *MenuBarContentViewModel::selectedTask() const
{
    return m_selectedTask;
}

Task *MenuBarContentViewModel::shownTask() const
{
    return m_runningTask ? m_runningTask.data() : m_selectedTask.data();
}

Store *MenuBarContentViewModel::store() const
{
    return m_services ? m_services->store() : nullptr;
}

TimerManager *MenuBarContentViewModel::timerManager() const
{
    return m_services ? m_services->timerManager() : nullptr;
}

Preferences *MenuBarContentViewModel::preferences() const
{
    return m_services ? m_services->preferences() : nullptr;
}

void MenuBarContentViewModel::setServices(AppServices *services)
{
    if (m_services == services)
        return;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_services = services;

    if (services) {
        Store *s = services->store();
        TimerManager *tm = services->timerManager();
        Preferences *prefs = services->preferences();
        m_connections << connect(s, &Store::recordInserted, this, &MenuBarContentViewModel::onRecordInserted)
                      << connect(s, &Store::recordRemoved, this, &MenuBarContentViewModel::onRecordRemoved)
                      << connect(s, &Store::recordChanged, this, &MenuBarContentViewModel::onRecordChanged)
                      << connect(tm, &TimerManager::selectedDateChanged, this, [this] {
                             refreshDayTasks(ListChange::Replace);
                             refreshIsDayClosed();
                         })
                      << connect(tm, &TimerManager::viewTick, this, &MenuBarContentViewModel::refreshTimes)
                      << connect(tm, &TimerManager::showBillableTimeChanged, this, &MenuBarContentViewModel::refreshTimes)
                      << connect(prefs, &Preferences::selectedTaskIDChanged, this, &MenuBarContentViewModel::refreshSelectedTask)
                      << connect(services, &AppServices::windowBecameKey, this, &MenuBarContentViewModel::wake);
    }
    refreshDayTasks(ListChange::Replace);
    refreshRunningTask();
    refreshIsDayClosed();
    // After the connections above, so that the list is up to date when these hear the store.
    m_closing->setSources(store(), timerManager(), preferences());
    m_quickAdd->setSources(store(), timerManager());
    emit servicesChanged();
}

bool MenuBarContentViewModel::belongsToStore(const Task *task) const
{
    return task && store() && task->store() == store();
}

qsizetype MenuBarContentViewModel::positionOf(const Task *task) const
{
    if (!task)
        return -1;
    const QList<Task *> &tasks = dayTasks();
    for (qsizetype i = 0; i < tasks.size(); ++i)
        if (tasks.at(i)->id() == task->id())
            return i;
    return -1;
}

// ---- keeping up with the store ------------------------------------------------------------

void MenuBarContentViewModel::onRecordInserted(Record *record)
{
    if (record->kind() == Record::Kind::Task) {
        refreshDayTasks();
        refreshRunningTask();
    } else if (record->kind() == Record::Kind::ClosedDay) {
        refreshIsDayClosed();
    }
}

void MenuBarContentViewModel::onRecordRemoved(Record *record)
{
    if (record->kind() == Record::Kind::Task) {
        refreshDayTasks();
        refreshRunningTask();
        // Nothing may keep pointing at a task that is gone.
        emit taskRemoved(static_cast<Task *>(record));
    } else if (record->kind() == Record::Kind::ClosedDay) {
        refreshIsDayClosed();
    }
}

void MenuBarContentViewModel::onRecordChanged(Record *record, int field)
{
    if (record->kind() == Record::Kind::ClosedDay) {
        refreshIsDayClosed();
        return;
    }
    if (record->kind() != Record::Kind::Task)
        return;
    switch (field) {
    case Task::SortOrderField:
        refreshDayTasks();
        break;
    case Task::LastStartTimeField:
        refreshRunningTask();
        refreshTimes();
        break;
    case Task::AccumulatedSecondsField:
        refreshTimes();
        break;
    case Task::NameField:
    case Task::ProjectCodeField:
        if (record == shownTask())
            emit shownTextChanged();
        break;
    default:
        break;
    }
}

void MenuBarContentViewModel::refreshDayTasks(ListChange change)
{
    if (m_batching)
        return;
    QList<Task *> tasks;
    if (Store *s = store()) {
        tasks = s->tasksOnDay(timerManager()->selectedDateSeconds());
        // tasksOnDay gives store order, so a stable sort keeps it among equal sortOrders.
        std::stable_sort(tasks.begin(), tasks.end(),
                         [](const Task *a, const Task *b) { return a->sortOrder() < b->sortOrder(); });
    }
    if (change == ListChange::Replace)
        m_dayTasks.resetTasks(tasks);
    else
        m_dayTasks.setTasks(tasks);
    refreshSelectedTask();
}

void MenuBarContentViewModel::refreshRunningTask()
{
    Task *running = store() ? store()->firstRunningTask() : nullptr;
    if (m_runningTask == running)
        return;
    m_runningTask = running;
    emit runningTaskChanged();
    refreshSelectedTask();
    refreshShown();
}

void MenuBarContentViewModel::refreshSelectedTask()
{
    Task *selected = nullptr;
    if (Preferences *prefs = preferences()) {
        const QString id = prefs->selectedTaskID();
        const QList<Task *> tasks = dayTasks();
        const auto named = std::find_if(tasks.cbegin(), tasks.cend(), [&id](const Task *t) { return t->id() == id; });
        if (named != tasks.cend())
            selected = *named;
        else if (!namesAChoice(id))
            selected = m_runningTask;
    }
    if (m_selectedTask != selected) {
        m_selectedTask = selected;
        emit selectedTaskChanged();
    }
    refreshShown();
}

void MenuBarContentViewModel::refreshShown()
{
    Task *shown = shownTask();
    if (m_shownTask != shown) {
        m_shownTask = shown;
        emit shownTaskChanged();
        emit shownTextChanged();
    }
    refreshTimes();
}

void MenuBarContentViewModel::refreshIsDayClosed()
{
    const bool closed = store() && store()->closedDayOn(timerManager()->selectedDateSeconds());
    if (m_isDayClosed == closed)
        return;
    m_isDayClosed = closed;
    m_quickAdd->setDayClosed(closed);
    emit isDayClosedChanged();
}

void MenuBarContentViewModel::refreshTimes()
{
    const Task *shown = shownTask();
    const QString time = formatElapsed(shown ? shown->currentSeconds() : 0);
    if (m_shownTime != time) {
        m_shownTime = time;
        emit shownTimeChanged();
    }

}

// ---- clock card ----------------------------------------------------------------------------

QString MenuBarContentViewModel::shownTitle() const
{
    const Task *shown = shownTask();
    if (!shown)
        return noSessionText();
    return shown->displayName();
}

QString MenuBarContentViewModel::shownCode() const
{
    const Task *shown = shownTask();
    return shown ? shown->projectCodeText().toUpper() : QString();
}

void MenuBarContentViewModel::appear()
{
    if (timerManager() && store())
        timerManager()->syncActiveTask(store()->tasks());
}

void MenuBarContentViewModel::wake()
{
    if (!timerManager() || !store())
        return;
    timerManager()->advanceTick();
    timerManager()->syncActiveTask(store()->tasks());
}

void MenuBarContentViewModel::heroToggle()
{
    if (m_isDayClosed || !store())
        return;
    if (Task *running = m_runningTask) {
        timerManager()->stop(running, store());
        return;
    }
    Task *task = m_selectedTask ? m_selectedTask.data() : (dayTasks().isEmpty() ? nullptr : dayTasks().first());
    if (!task)
        return;
    timerManager()->start(task, store()->tasks(), store());
}

void MenuBarContentViewModel::rowToggle(Task *task)
{
    if (m_isDayClosed || !belongsToStore(task))
        return;
    if (!task->isRunning())
        selectTask(task);
    timerManager()->toggle(task, store()->tasks(), store());
}

void MenuBarContentViewModel::selectTask(Task *task)
{
    if (task && preferences())
        preferences()->setSelectedTaskID(task->idString());
}

// ---- adding --------------------------------------------------------------------------------

void MenuBarContentViewModel::commitNewTask(const QString &name)
{
    addTask(name);
}

qint64 MenuBarContentViewModel::nextSortOrder() const
{
    // The same rule as a task made from a template.
    return store() ? TaskFactory::sortOrderAfterDay(*store(), timerManager()->selectedDateSeconds()) : 0;
}

Task *MenuBarContentViewModel::addTask(const QString &name)
{
    Task *added = nullptr;
    // A closed day is read-only: its hours are frozen, so nothing new joins it.
    if (store() && !m_isDayClosed) {
        added = store()->insert(Task::create(Task::typedName(name), timerManager()->selectedDateSeconds(),
                                             nextSortOrder(), std::nullopt));
    }
    return added;
}

// ---- deleting ------------------------------------------------------------------------------

QString MenuBarContentViewModel::deleteTitle(Task *task) const
{
    return task ? tr("Slet \"%1\"?").arg(task->displayName()) : QString();
}

bool MenuBarContentViewModel::requestDelete(Task *task)
{
    if (m_isDayClosed || !belongsToStore(task))
        return false;
    if (task->accumulatedSeconds() != 0 || task->isRunning())
        return true;
    deleteTask(task);
    return false;
}

void MenuBarContentViewModel::deleteTask(Task *task)
{
    if (!belongsToStore(task))
        return;
    if (task->isRunning())
        timerManager()->stop(task, store());
    if (preferences()->selectedTaskID() == task->id())
        preferences()->setSelectedTaskID(QString());
    store()->remove(task);
}

// ---- moving --------------------------------------------------------------------------------

void MenuBarContentViewModel::moveTask(Task *task, int offset)
{
    if (m_isDayClosed)
        return;
    const qsizetype i = positionOf(task);
    if (i < 0)
        return;
    const qsizetype j = i + offset;
    const QList<Task *> tasks = dayTasks();
    if (j < 0 || j >= tasks.size())
        return;

    m_batching = true;
    // With shared values an exchange can leave the order as it was, or move a task past a
    // third one; number the day's tasks in their shown order first so it moves one place.
    const auto shared = std::adjacent_find(tasks.cbegin(), tasks.cend(), [](const Task *x, const Task *y) {
        return x->sortOrder() == y->sortOrder();
    });
    if (shared != tasks.cend()) {
        for (qsizetype k = 0; k < tasks.size(); ++k)
            tasks.at(k)->setSortOrder(k);
    }
    Task *a = tasks.at(i);
    Task *b = tasks.at(j);
    const qint64 orderA = a->sortOrder();
    a->setSortOrder(b->sortOrder());
    b->setSortOrder(orderA);
    m_batching = false;
    refreshDayTasks();
}
