#include "records/TaskFactory.h"

#include "records/Store.h"
#include "timecalc/TimeCalc.h"

#include <algorithm>

namespace TaskFactory {

qint64 sortOrderAfterDay(const Store &store, double date)
{
    const QList<Task *> tasks = store.tasksOnDay(date);
    qint64 next = tasks.size();
    // The count alone would land between the day's tasks once deletions have left gaps.
    for (const Task *t : tasks)
        next = std::max(next, timecalc::saturatingAdd(t->sortOrder(), 1));
    return next;
}

Task *insertFromTemplate(Store &store, const TaskTemplate &taskTemplate, double selectedDate)
{
    std::unique_ptr<Task> task =
        Task::create(taskTemplate.name(), selectedDate, sortOrderAfterDay(store, selectedDate), std::nullopt);
    task->setProjectCode(taskTemplate.projectCode());
    return store.insert(std::move(task));
}

} // namespace TaskFactory
