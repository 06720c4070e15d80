#include "dayview/DayTaskListModel.h"

#include "records/Task.h"
#include "timecalc/TimeCalc.h"

#include <QSet>

DayTaskListModel::DayTaskListModel(QObject *parent) : QAbstractListModel(parent) {}

int DayTaskListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant DayTaskListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    Task *task = m_tasks.at(index.row());
    switch (role) {
    case TaskRole: return QVariant::fromValue(static_cast<QObject *>(task));
    case IdRole: return task->idString();
    case CanMoveUpRole: return index.row() > 0;
    case CanMoveDownRole: return index.row() < count() - 1;
    default: return {};
    }
}

QHash<int, QByteArray> DayTaskListModel::roleNames() const
{
    return {{TaskRole, "task"}, {IdRole, "taskId"}, {CanMoveUpRole, "canMoveUp"}, {CanMoveDownRole, "canMoveDown"}};
}

QObject *DayTaskListModel::at(int row) const
{
    return row >= 0 && row < count() ? m_tasks.at(row) : nullptr;
}

bool DayTaskListModel::setTasks(const QList<Task *> &tasks)
{
    if (tasks == m_tasks)
        return false;
    const int oldCount = count();

    // 1. Rows whose task is gone, from the bottom up so indexes stay valid.
    const QSet<Task *> wanted(tasks.cbegin(), tasks.cend());
    for (int i = count() - 1; i >= 0; --i) {
        if (wanted.contains(m_tasks.at(i)))
            continue;
        int first = i;
        while (first > 0 && !wanted.contains(m_tasks.at(first - 1)))
            --first;
        beginRemoveRows({}, first, i);
        m_tasks.remove(first, i - first + 1);
        endRemoveRows();
        i = first;
    }

    // 2. Walk the wanted order: a task already here moves up into place, a new one is inserted.
    for (int i = 0; i < tasks.size(); ++i) {
        Task *task = tasks.at(i);
        if (i < count() && m_tasks.at(i) == task)
            continue;
        const qsizetype from = m_tasks.indexOf(task, i);
        if (from >= 0) {
            beginMoveRows({}, int(from), int(from), {}, i);
            m_tasks.move(from, i);
            endMoveRows();
        } else {
            beginInsertRows({}, i, i);
            m_tasks.insert(i, task);
            endInsertRows();
        }
    }

    // Which rows may move up or down follows from their position; refresh it for all rows.
    if (!m_tasks.isEmpty())
        emit dataChanged(index(0), index(count() - 1), {CanMoveUpRole, CanMoveDownRole});
    if (count() != oldCount)
        emit countChanged();
    return true;
}

void DayTaskListModel::resetTasks(const QList<Task *> &tasks)
{
    if (tasks == m_tasks)
        return;
    const int oldCount = count();
    beginResetModel();
    m_tasks = tasks;
    endResetModel();
    if (count() != oldCount)
        emit countChanged();
}

qint64 DayTaskListModel::totalSeconds() const
{
    qint64 seconds = 0;
    for (const Task *t : m_tasks)
        seconds = timecalc::saturatingAdd(seconds, t->currentSeconds());
    return seconds;
}

double DayTaskListModel::totalHours(bool billable) const
{
    double hours = 0.0;
    for (const Task *t : m_tasks)
        hours += timecalc::hoursFor(t->currentSeconds(), billable);
    return hours;
}
