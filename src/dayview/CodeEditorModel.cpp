#include "dayview/CodeEditorModel.h"

#include "records/Task.h"
#include "timecalc/TextLimit.h"

CodeEditorModel::CodeEditorModel(QObject *parent) : QObject(parent) {}

QString CodeEditorModel::afterChipClick(const QString &field, const QString &chip) const
{
    return field == chip ? QString() : chip;
}

void CodeEditorModel::saveCode(Task *task, const QString &typed) const
{
    if (!task || !task->store())
        return;
    const QString code = timecalc::trimmedAndCut(typed, Task::CodeLimit);
    task->setProjectCode(code.isEmpty() ? std::nullopt : std::optional<QString>(code));
}

void CodeEditorModel::removeCode(Task *task) const
{
    if (task && task->store())
        task->setProjectCode(std::nullopt);
}
