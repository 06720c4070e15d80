// The statistics' figures over a list of tasks, and the scaling of their bars.
#pragma once

#include <QList>
#include <QString>

class Task;

namespace reports {

struct DayHours
{
    double day = 0.0;  // local midnight, seconds since the epoch
    double hours = 0.0;
};

struct CodeHours
{
    QString code;       // the task's code, or "Ingen kode" for tasks without one
    double hours = 0.0;
    double billable = 0.0;
    qint64 count = 0;
};

// Key of the tasks that carry no code; an empty code is a key of its own.
QString noCodeKey();

// Banked seconds only: a running task's current interval is left out.
qint64 totalStoredSeconds(const QList<Task *> &tasks);
// Sum of the per-task billable hours of the current seconds.
double billableTotal(const QList<Task *> &tasks);
// Distinct local days among the task dates.
int workDays(const QList<Task *> &tasks);
// Current hours per local day, days ascending.
QList<DayHours> dailyHours(const QList<Task *> &tasks);
// Current and billable hours and task count per code, most hours first.
QList<CodeHours> projectBreakdown(const QList<Task *> &tasks);
// Stored hours per work day; 0 without work days.
double averageHoursPerDay(qint64 totalStoredSeconds, int workDays);

// Everything above from one pass over the tasks, for large periods.
struct Statistics
{
    qint64 totalStoredSeconds = 0;
    double billableTotal = 0.0;
    int workDays = 0;
    double averageHoursPerDay = 0.0;
    QList<DayHours> dailyHours;
    QList<CodeHours> projectBreakdown;
};
Statistics computeStatistics(const QList<Task *> &tasks);

// Bar heights in points: the longest day reaches the full height, none is lower than
// the minimum, and all sit at the minimum when no day has positive hours.
constexpr double dayBarMaxHeight = 80.0;
constexpr double dayBarMinHeight = 4.0;
QList<double> dayBarHeights(const QList<DayHours> &days);
// Bar widths as fractions (0 to 1) of the row width, relative to the first (largest) entry.
QList<double> projectBarFractions(const QList<CodeHours> &breakdown);

} // namespace reports
