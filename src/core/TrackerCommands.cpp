#include "core/TrackerCommands.h"

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "records/Store.h"
#include "records/TaskFactory.h"
#include "timecalc/Calendar.h"

namespace TrackerCommands {

Outcome startOnToday(Store &store, TimerManager &timerManager, Preferences &preferences, const QString &typed)
{
    const double today = timecalc::startOfToday();
    if (store.closedDayOn(today))
        return {Refusal::DayClosed, nullptr};
    const QString name = Task::typedName(typed);
    Task *task = nullptr;
    for (Task *t : store.tasksOnDay(today)) {
        if (t->name() == name) {
            task = t;
            break;
        }
    }
    if (!task)
        task = store.insert(Task::create(name, today, TaskFactory::sortOrderAfterDay(store, today), std::nullopt));
    preferences.setSelectedTaskID(task->idString());
    if (!task->isRunning())
        timerManager.start(task, store.tasks(), &store);
    return {Refusal::None, task};
}

Outcome stopRunning(Store &store, TimerManager &timerManager)
{
    Task *running = store.firstRunningTask();
    if (running)
        timerManager.stop(running, &store);
    return {Refusal::None, running};
}

} // namespace TrackerCommands
