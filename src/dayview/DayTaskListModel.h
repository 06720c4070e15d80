// The tasks of the shown day as a list model that keeps each task's row while it exists,
// so the list can animate additions, removals and moves instead of rebuilding.
#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

class Task;

class DayTaskListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The day's tasks come from MenuBarContentViewModel")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Roles { TaskRole = Qt::UserRole + 1, IdRole, CanMoveUpRole, CanMoveDownRole };

    explicit DayTaskListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_tasks.size()); }
    const QList<Task *> &tasks() const { return m_tasks; }
    // Not invokable from QML: a record returned from a call would pass to the JavaScript
    // collector, which would delete it. QML reads records through the "record" role.
    QObject *at(int row) const;

    // The rows' time now, and their hours: billable ones are rounded per task, never on the total.
    qint64 totalSeconds() const;
    double totalHours(bool billable) const;

    // Brings the rows to `tasks` by removes, moves and inserts, matching tasks by identity,
    // so that the list can animate each change; returns whether anything changed.
    bool setTasks(const QList<Task *> &tasks);
    // Replaces all rows at once, for a change of day that nothing should animate.
    void resetTasks(const QList<Task *> &tasks);

signals:
    void countChanged();

private:
    QList<Task *> m_tasks;
};
