// Tasks made directly, without a store, for the report tests.
#pragma once

#include "Calendar.h"
#include "Task.h"

#include <QDate>
#include <QList>
#include <QUuid>
#include <memory>
#include <optional>
#include <vector>

class TaskFixtures
{
public:
    // A task dated at the local midnight of `day`; `runningSince` starts its clock.
    Task *add(const QString &name, const QDate &day, qint64 storedSeconds,
              const std::optional<QString> &code = std::nullopt,
              std::optional<double> runningSince = std::nullopt)
    {
        m_tasks.push_back(std::make_unique<Task>(Record::newId(), name, timecalc::startOfDay(day),
                                                 storedSeconds, runningSince, qint64(m_tasks.size()),
                                                 0.0, code));
        return m_tasks.back().get();
    }

    QList<Task *> all() const
    {
        QList<Task *> out;
        for (const auto &t : m_tasks)
            out.append(t.get());
        return out;
    }

private:
    std::vector<std::unique_ptr<Task>> m_tasks;
};

// Seconds since the epoch of a local wall-clock time.
inline double localTime(int year, int month, int day, int hour = 12, int minute = 0)
{
    return double(QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch());
}
