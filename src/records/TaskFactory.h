// Making a task from a template: the one rule that the template list and the day view's
// quick-add picker share.
#pragma once

#include <QtGlobal>

class Store;
class Task;
class TaskTemplate;

namespace TaskFactory {

// The sortOrder that places a new task after every task of the day of `date`: the day's
// count, or one past its highest value once deletions have left gaps.
qint64 sortOrderAfterDay(const Store &store, double date);

// Inserts a task named exactly as the template (no trimming, no length limit) on the day of
// `selectedDate`, placed after the tasks that day already has, carrying the template's code.
// The task is neither started, selected nor saved explicitly. Returns the inserted task.
Task *insertFromTemplate(Store &store, const TaskTemplate &taskTemplate, double selectedDate);

} // namespace TaskFactory
