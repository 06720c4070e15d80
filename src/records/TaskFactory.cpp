#include "TaskFactory.h"

#include "Store.h"

namespace TaskFactory {

Task *insertFromTemplate(Store &store, const TaskTemplate &taskTemplate, double selectedDate)
{
    const qint64 sortOrder = store.tasksOnDay(selectedDate).size();
    std::unique_ptr<Task> task = Task::create(taskTemplate.name(), selectedDate, sortOrder, std::nullopt);
    task->setProjectCode(taskTemplate.projectCode());
    return store.insert(std::move(task));
}

} // namespace TaskFactory
