// The periods the export and the statistics offer, and which tasks fall in them.
#pragma once

#include "timecalc/Clock.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <optional>

class Task;

namespace reports {

enum class ExportRange { Today, ThisWeek, ThisMonth, All };
enum class StatsPeriod { ThisWeek, ThisMonth, AllTime };

// Raw values are the lower-camel-case English names; labels are what the buttons read.
QString rawValue(ExportRange range);
QString label(ExportRange range);
std::optional<ExportRange> exportRangeFromRaw(const QString &raw);
QList<ExportRange> allExportRanges();

QString rawValue(StatsPeriod period);
QString label(StatsPeriod period);
std::optional<StatsPeriod> statsPeriodFromRaw(const QString &raw);
QList<StatsPeriod> allStatsPeriods();

// The tasks of a period, in the order given. Week and month periods have no upper
// bound: a task dated after the current week or month still belongs to them.
// The week begins on the locale's first weekday.
QList<Task *> filteredTasks(const QList<Task *> &allTasks, ExportRange range,
                            double now = timecalc::Clock::nowSeconds(),
                            const QLocale &locale = QLocale::system());
QList<Task *> filteredTasks(const QList<Task *> &allTasks, StatsPeriod period,
                            double now = timecalc::Clock::nowSeconds(),
                            const QLocale &locale = QLocale::system());

} // namespace reports
