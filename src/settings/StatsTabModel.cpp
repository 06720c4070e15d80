#include "settings/StatsTabModel.h"

#include "records/RecordListModel.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/NumberText.h"
#include "timecalc/TimeCalc.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <QVariantMap>

using namespace reports;
using timecalc::fixedDecimals;

namespace {
// "%.1f t", rounding as the C library does.
QString oneDecimalHours(double hours)
{
    //: Hours with one decimal; "t" is short for "timer".
    return QCoreApplication::translate("StatsTabModel", "%1 t").arg(fixedDecimals(hours, 1));
}
} // namespace

StatsTabModel::StatsTabModel(QObject *parent)
    : QObject(parent)
{
    // A burst of store changes (an automatic save, a closed day) gives one recomputation.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &StatsTabModel::refresh);
}

void StatsTabModel::setServices(AppServices *services)
{
    if (m_services == services)
        return;
    if (m_services) {
        disconnect(m_services, nullptr, this, nullptr);
        disconnect(m_services->allTasks(), nullptr, this, nullptr);
        disconnect(m_services->closedDays(), nullptr, this, nullptr);
    }
    m_services = services;
    if (m_services) {
        connect(m_services->allTasks(), &RecordListModel::changed, this, &StatsTabModel::scheduleRefresh);
        connect(m_services->closedDays(), &RecordListModel::changed, this, &StatsTabModel::scheduleRefresh);
        connect(m_services, &AppServices::windowBecameKey, this, &StatsTabModel::scheduleRefresh);
    }
    emit servicesChanged();
    refresh();
}

void StatsTabModel::setStatsPeriod(const QString &raw)
{
    const auto period = statsPeriodFromRaw(raw);
    if (!period || *period == m_period)
        return;
    m_period = *period;
    emit statsPeriodChanged();
    refresh();
}

QVariantList StatsTabModel::periodOptions()
{
    QVariantList out;
    for (StatsPeriod period : allStatsPeriods())
        out.append(QVariantMap{{QStringLiteral("value"), rawValue(period)}, {QStringLiteral("label"), label(period)}});
    return out;
}

QList<Task *> StatsTabModel::filteredTasks() const
{
    if (!m_services || !m_services->store())
        return {};
    return reports::filteredTasks(m_services->store()->tasks(), m_period);
}

void StatsTabModel::scheduleRefresh()
{
    m_refreshTimer.start();
}

void StatsTabModel::refresh()
{
    m_refreshTimer.stop();
    Statistics stats = computeStatistics(filteredTasks());
    const bool overviewMoved = stats.totalStoredSeconds != m_stats.totalStoredSeconds
        || stats.billableTotal != m_stats.billableTotal || stats.workDays != m_stats.workDays
        || stats.averageHoursPerDay != m_stats.averageHoursPerDay;
    QList<qreal> heights = reports::dayBarHeights(stats.dailyHours);
    const bool daysMoved = heights != m_dayBarHeights
        || !std::equal(stats.dailyHours.cbegin(), stats.dailyHours.cend(), m_stats.dailyHours.cbegin(),
                       m_stats.dailyHours.cend(), [](const DayHours &a, const DayHours &b) {
                           return a.day == b.day && a.hours == b.hours;
                       });

    const QList<double> fractions = projectBarFractions(stats.projectBreakdown);
    QVariantList rows;
    rows.reserve(stats.projectBreakdown.size());
    for (qsizetype i = 0; i < stats.projectBreakdown.size(); ++i) {
        const CodeHours &entry = stats.projectBreakdown.at(i);
        rows.append(QVariantMap{
            {QStringLiteral("code"), entry.code},
            //: i18n/timeglas_da.ts gives the singular, "1 opgave".
            {QStringLiteral("count"), tr("%n opgaver", nullptr, int(entry.count))},
            {QStringLiteral("hours"), oneDecimalHours(entry.hours)},
            {QStringLiteral("billable"), tr("%1 t fakt.").arg(fixedDecimals(entry.billable, 1))},
            {QStringLiteral("fraction"), fractions.at(i)},
        });
    }
    const bool rowsMoved = rows != m_projectRows;
    const int closedDays = m_services && m_services->store() ? int(m_services->store()->closedDays().size()) : 0;
    const bool closedMoved = closedDays != m_closedDayCount;

    m_stats = std::move(stats);
    m_dayBarHeights = std::move(heights);
    m_projectRows = std::move(rows);
    m_closedDayCount = closedDays;
    if (overviewMoved)
        emit overviewChanged();
    if (daysMoved)
        emit dailyHoursChanged();
    if (rowsMoved)
        emit projectRowsChanged();
    if (closedMoved)
        emit closedDayCountChanged();
}

QVariantList StatsTabModel::overview() const
{
    auto cell = [](const QString &title, const QString &value) {
        return QVariantMap{{QStringLiteral("title"), title}, {QStringLiteral("value"), value}};
    };
    return {
        cell(tr("Total tid"), timecalc::formatHoursMinutes(m_stats.totalStoredSeconds)),
        cell(tr("Fakturerbart"), oneDecimalHours(m_stats.billableTotal)),
        cell(tr("Arbejdsdage"), QString::number(m_stats.workDays)),
        cell(tr("Gns./dag"), oneDecimalHours(m_stats.averageHoursPerDay)),
    };
}

QVariantList StatsTabModel::dayColumns() const
{
    QVariantList out;
    if (!showsDayLabels())
        return out;
    for (qsizetype i = 0; i < m_stats.dailyHours.size(); ++i) {
        const DayHours &day = m_stats.dailyHours.at(i);
        out.append(QVariantMap{
            {QStringLiteral("hours"), fixedDecimals(day.hours, 1)},
            {QStringLiteral("height"), m_dayBarHeights.at(i)},
            {QStringLiteral("weekday"), weekdayText(day.day)},
            {QStringLiteral("date"), shortDateText(day.day)},
        });
    }
    return out;
}

QString StatsTabModel::firstDayText() const
{
    return m_stats.dailyHours.isEmpty()
        ? QString()
        : timecalc::localDate(m_stats.dailyHours.constFirst().day).toString(QStringLiteral("d/M yyyy"));
}

QString StatsTabModel::lastDayText() const
{
    return m_stats.dailyHours.isEmpty()
        ? QString()
        : timecalc::localDate(m_stats.dailyHours.constLast().day).toString(QStringLiteral("d/M yyyy"));
}

QString StatsTabModel::dayDescription(int index) const
{
    if (index < 0 || index >= m_stats.dailyHours.size())
        return {};
    const DayHours &day = m_stats.dailyHours.at(index);
    const QString date = timecalc::localDate(day.day).toString(QStringLiteral("d/M yyyy"));
    return tr("%1 %2: %3").arg(weekdayText(day.day), date, oneDecimalHours(day.hours));
}

QString StatsTabModel::weekdayText(double day)
{
    return timecalc::danishLocale().toString(timecalc::localDate(day), QStringLiteral("ddd"));
}

QString StatsTabModel::shortDateText(double day)
{
    return timecalc::localDate(day).toString(QStringLiteral("d/M"));
}
