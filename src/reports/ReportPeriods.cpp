#include "reports/ReportPeriods.h"

#include "records/Task.h"
#include "timecalc/Calendar.h"

#include <QCoreApplication>
#include <cmath>

using namespace timecalc;

namespace reports {

namespace {

// Tasks dated in [from, until); `until` may be infinite.
QList<Task *> datedBetween(const QList<Task *> &tasks, double from, double until)
{
    QList<Task *> out;
    for (Task *task : tasks) {
        const double date = task->dateSeconds();
        if (date >= from && date < until)
            out.append(task);
    }
    return out;
}

// A clock outside the calendar's range has no current day, week or month.
bool hasCalendarDay(double now)
{
    return std::isfinite(now) && localDate(now).isValid();
}

QList<Task *> sinceStartOfWeek(const QList<Task *> &tasks, double now, const QLocale &locale)
{
    if (!hasCalendarDay(now))
        return {};
    return datedBetween(tasks, startOfWeek(now, locale), INFINITY);
}

QList<Task *> sinceStartOfMonth(const QList<Task *> &tasks, double now)
{
    if (!hasCalendarDay(now))
        return {};
    return datedBetween(tasks, startOfMonth(now), INFINITY);
}

} // namespace

QString rawValue(ExportRange range)
{
    switch (range) {
    case ExportRange::Today: return QStringLiteral("today");
    case ExportRange::ThisWeek: return QStringLiteral("thisWeek");
    case ExportRange::ThisMonth: return QStringLiteral("thisMonth");
    case ExportRange::All: return QStringLiteral("all");
    }
    return {};
}

QString label(ExportRange range)
{
    switch (range) {
    case ExportRange::Today: return QCoreApplication::translate("ReportPeriods", "I dag");
    case ExportRange::ThisWeek: return QCoreApplication::translate("ReportPeriods", "Uge");
    case ExportRange::ThisMonth: return QCoreApplication::translate("ReportPeriods", "Måned");
    case ExportRange::All: return QCoreApplication::translate("ReportPeriods", "Alt");
    }
    return {};
}

QList<ExportRange> allExportRanges()
{
    return {ExportRange::Today, ExportRange::ThisWeek, ExportRange::ThisMonth, ExportRange::All};
}

std::optional<ExportRange> exportRangeFromRaw(const QString &raw)
{
    for (ExportRange range : allExportRanges())
        if (rawValue(range) == raw)
            return range;
    return std::nullopt;
}

QString rawValue(StatsPeriod period)
{
    switch (period) {
    case StatsPeriod::ThisWeek: return QStringLiteral("thisWeek");
    case StatsPeriod::ThisMonth: return QStringLiteral("thisMonth");
    case StatsPeriod::AllTime: return QStringLiteral("allTime");
    }
    return {};
}

QString label(StatsPeriod period)
{
    switch (period) {
    case StatsPeriod::ThisWeek: return QCoreApplication::translate("ReportPeriods", "Uge");
    case StatsPeriod::ThisMonth: return QCoreApplication::translate("ReportPeriods", "Måned");
    case StatsPeriod::AllTime: return QCoreApplication::translate("ReportPeriods", "Alt");
    }
    return {};
}

QList<StatsPeriod> allStatsPeriods()
{
    return {StatsPeriod::ThisWeek, StatsPeriod::ThisMonth, StatsPeriod::AllTime};
}

std::optional<StatsPeriod> statsPeriodFromRaw(const QString &raw)
{
    for (StatsPeriod period : allStatsPeriods())
        if (rawValue(period) == raw)
            return period;
    return std::nullopt;
}

QList<Task *> filteredTasks(const QList<Task *> &allTasks, ExportRange range, double now,
                            const QLocale &locale)
{
    switch (range) {
    case ExportRange::Today:
        // Local days are contiguous, so the same-day test is a half-open interval;
        // one time-zone conversion instead of one per task.
        if (!hasCalendarDay(now))
            return {};
        return datedBetween(allTasks, startOfDay(now), startOfNextDay(now));
    case ExportRange::ThisWeek: return sinceStartOfWeek(allTasks, now, locale);
    case ExportRange::ThisMonth: return sinceStartOfMonth(allTasks, now);
    case ExportRange::All: return allTasks;
    }
    return {};
}

QList<Task *> filteredTasks(const QList<Task *> &allTasks, StatsPeriod period, double now,
                            const QLocale &locale)
{
    switch (period) {
    case StatsPeriod::ThisWeek: return sinceStartOfWeek(allTasks, now, locale);
    case StatsPeriod::ThisMonth: return sinceStartOfMonth(allTasks, now);
    case StatsPeriod::AllTime: return allTasks;
    }
    return {};
}

} // namespace reports
