#include "reports/Statistics.h"

#include "records/Task.h"
#include "timecalc/Calendar.h"
#include "timecalc/TimeCalc.h"

#include <QCoreApplication>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

using namespace timecalc;

namespace reports {

namespace {

// Task dates are local midnights shared by many tasks: converting each distinct
// stored date once keeps 100,000 tasks away from 100,000 time-zone conversions.
class DayOf
{
public:
    // std::nullopt for a damaged date, which belongs to no day.
    std::optional<double> operator()(double date)
    {
        if (!std::isfinite(date))
            return std::nullopt;
        auto it = m_days.constFind(date);
        if (it == m_days.cend())
            it = m_days.insert(date, startOfDay(date));
        return *it;
    }

private:
    QHash<double, double> m_days;
};

// Sums per stored date first (cheap: one hash lookup per task) and folds the dates
// into calendar days once at the end.
class DayTotals
{
public:
    void add(double date, qint64 currentSeconds)
    {
        if (std::isfinite(date)) // a damaged date belongs to no day
            m_byDate[date] += decimalHoursFor(currentSeconds);
    }
    QList<DayHours> list() const
    {
        DayOf dayOf;
        std::map<double, double> byDay; // ordered: the days come out ascending
        for (auto it = m_byDate.cbegin(); it != m_byDate.cend(); ++it)
            if (const auto day = dayOf(it.key()))
                byDay[*day] += it.value();
        QList<DayHours> out;
        out.reserve(qsizetype(byDay.size()));
        for (const auto &[day, hours] : byDay)
            out.append(DayHours{day, hours});
        return out;
    }

private:
    QHash<double, double> m_byDate;
};

class CodeTotals
{
public:
    void add(const Task *task, qint64 currentSeconds)
    {
        const QString key = task->hasProjectCode() ? task->projectCodeText() : noCodeKey();
        auto it = m_index.constFind(key);
        if (it == m_index.cend()) {
            it = m_index.insert(key, m_entries.size());
            m_entries.append(CodeHours{key, 0.0, 0.0, 0});
        }
        CodeHours &entry = m_entries[*it];
        entry.hours += decimalHoursFor(currentSeconds);
        entry.billable += billableHoursFor(currentSeconds);
        entry.count += 1;
    }
    QList<CodeHours> sorted() const
    {
        QList<CodeHours> out = m_entries;
        std::stable_sort(out.begin(), out.end(),
                         [](const CodeHours &a, const CodeHours &b) { return a.hours > b.hours; });
        return out;
    }

private:
    QHash<QString, qsizetype> m_index;
    QList<CodeHours> m_entries; // first-seen order, so ties come out predictably
};

} // namespace

QString noCodeKey()
{
    return QCoreApplication::translate("Statistics", "Ingen kode");
}

qint64 totalStoredSeconds(const QList<Task *> &tasks)
{
    qint64 total = 0;
    for (const Task *task : tasks)
        total = saturatingAdd(total, task->accumulatedSeconds());
    return total;
}

double billableTotal(const QList<Task *> &tasks)
{
    double total = 0.0;
    for (const Task *task : tasks)
        total += billableHoursFor(task->currentSeconds());
    return total;
}

int workDays(const QList<Task *> &tasks)
{
    DayTotals days;
    for (const Task *task : tasks)
        days.add(task->dateSeconds(), 0);
    return int(days.list().size());
}

QList<DayHours> dailyHours(const QList<Task *> &tasks)
{
    DayTotals totals;
    for (const Task *task : tasks)
        totals.add(task->dateSeconds(), task->currentSeconds());
    return totals.list();
}

QList<CodeHours> projectBreakdown(const QList<Task *> &tasks)
{
    CodeTotals totals;
    for (const Task *task : tasks)
        totals.add(task, task->currentSeconds());
    return totals.sorted();
}

double averageHoursPerDay(qint64 totalStoredSeconds, int workDays)
{
    return workDays >= 1 ? (double(totalStoredSeconds) / 3600.0) / workDays : 0.0;
}

Statistics computeStatistics(const QList<Task *> &tasks)
{
    Statistics stats;
    DayTotals days;
    CodeTotals codes;
    for (const Task *task : tasks) {
        // One reading of a running task serves every figure, so they agree.
        const qint64 current = task->currentSeconds();
        stats.totalStoredSeconds = saturatingAdd(stats.totalStoredSeconds, task->accumulatedSeconds());
        stats.billableTotal += billableHoursFor(current);
        days.add(task->dateSeconds(), current);
        codes.add(task, current);
    }
    stats.dailyHours = days.list();
    stats.workDays = int(stats.dailyHours.size());
    stats.averageHoursPerDay = averageHoursPerDay(stats.totalStoredSeconds, stats.workDays);
    stats.projectBreakdown = codes.sorted();
    return stats;
}

QList<double> dayBarHeights(const QList<DayHours> &days)
{
    double maximum = days.isEmpty() ? 1.0 : -INFINITY;
    for (const DayHours &d : days)
        maximum = std::max(maximum, d.hours);
    QList<double> heights;
    heights.reserve(days.size());
    for (const DayHours &d : days) {
        // A period whose longest day holds no positive time has nothing to scale by;
        // dividing by a negative maximum would turn negative days into the tallest bars.
        const double scaled = maximum > 0.0 ? d.hours / maximum * dayBarMaxHeight : 0.0;
        heights.append(std::clamp(scaled, dayBarMinHeight, dayBarMaxHeight));
    }
    return heights;
}

QList<double> projectBarFractions(const QList<CodeHours> &breakdown)
{
    const double reference = breakdown.isEmpty() ? 1.0 : breakdown.constFirst().hours;
    QList<double> fractions;
    fractions.reserve(breakdown.size());
    for (const CodeHours &entry : breakdown)
        fractions.append(reference > 0.0 ? std::clamp(entry.hours / reference, 0.0, 1.0) : 0.0);
    return fractions;
}

} // namespace reports
