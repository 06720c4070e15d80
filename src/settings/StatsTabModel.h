// The statistics tab: the chosen period and every figure of it, recomputed when the store
// or the period changes and never on the clock's tick.
#pragma once

#include "qml/AppServices.h"
#include "reports/ReportPeriods.h"
#include "reports/Statistics.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class Task;

class StatsTabModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppServices *services READ services WRITE setServices NOTIFY servicesChanged)
    // Raw values: "thisWeek", "thisMonth", "allTime".
    Q_PROPERTY(QString statsPeriod READ statsPeriod WRITE setStatsPeriod NOTIFY statsPeriodChanged)
    Q_PROPERTY(QVariantList periodOptions READ periodOptions CONSTANT)

    // Each group of figures notifies only when it really changed, so a store change that
    // leaves the breakdown as it was does not rebuild its rows on screen.
    Q_PROPERTY(qint64 totalStoredSeconds READ totalStoredSeconds NOTIFY overviewChanged)
    Q_PROPERTY(double billableTotal READ billableTotal NOTIFY overviewChanged)
    Q_PROPERTY(int workDays READ workDays NOTIFY overviewChanged)
    // The four "Overblik" cells as shown: {title, value}.
    Q_PROPERTY(QVariantList overview READ overview NOTIFY overviewChanged)

    Q_PROPERTY(int dayCount READ dayCount NOTIFY dailyHoursChanged)
    // Bar heights in points, one per day, days ascending.
    Q_PROPERTY(QList<qreal> dayBarHeights READ dayBarHeights NOTIFY dailyHoursChanged)
    // Whether every day gets its own labels (hours, weekday, date); past that the bars
    // share the width unlabelled between the first and the last date.
    Q_PROPERTY(bool showsDayLabels READ showsDayLabels NOTIFY dailyHoursChanged)
    // {hours, height, weekday, date} per day while showsDayLabels, else empty.
    Q_PROPERTY(QVariantList dayColumns READ dayColumns NOTIFY dailyHoursChanged)
    Q_PROPERTY(QString firstDayText READ firstDayText NOTIFY dailyHoursChanged)
    Q_PROPERTY(QString lastDayText READ lastDayText NOTIFY dailyHoursChanged)

    // {code, count, hours, billable, fraction} per code, most hours first.
    Q_PROPERTY(QVariantList projectRows READ projectRows NOTIFY projectRowsChanged)
    Q_PROPERTY(int closedDayCount READ closedDayCount NOTIFY closedDayCountChanged)

public:
    // Columns narrower than this cannot hold "man." and "12/3" side by side.
    static constexpr int labelledDayLimit = 14;

    explicit StatsTabModel(QObject *parent = nullptr);

    AppServices *services() const { return m_services; }
    void setServices(AppServices *services);

    QString statsPeriod() const { return reports::rawValue(m_period); }
    void setStatsPeriod(const QString &raw);
    static QVariantList periodOptions();

    // The tasks of the chosen period, in store order, read afresh on every call.
    QList<Task *> filteredTasks() const;

    qint64 totalStoredSeconds() const { return m_stats.totalStoredSeconds; }
    double billableTotal() const { return m_stats.billableTotal; }
    int workDays() const { return m_stats.workDays; }
    const QList<reports::DayHours> &dailyHours() const { return m_stats.dailyHours; }
    const QList<reports::CodeHours> &projectBreakdown() const { return m_stats.projectBreakdown; }
    QVariantList overview() const;

    int dayCount() const { return int(m_stats.dailyHours.size()); }
    QList<qreal> dayBarHeights() const { return m_dayBarHeights; }
    bool showsDayLabels() const { return dayCount() <= labelledDayLimit; }
    QVariantList dayColumns() const;
    QString firstDayText() const;
    QString lastDayText() const;
    // "man. 3/3: 2.5 t", for the tooltip of a bar.
    Q_INVOKABLE QString dayDescription(int index) const;

    QVariantList projectRows() const { return m_projectRows; }
    int closedDayCount() const { return m_closedDayCount; }

    // Recomputes now; store changes otherwise arrive coalesced on the next turn of the loop.
    Q_INVOKABLE void refresh();

    // "man." and "3/3" of a local midnight.
    static QString weekdayText(double day);
    static QString shortDateText(double day);

signals:
    void servicesChanged();
    void statsPeriodChanged();
    void overviewChanged();
    void dailyHoursChanged();
    void projectRowsChanged();
    void closedDayCountChanged();

private:
    void scheduleRefresh();

    QPointer<AppServices> m_services;
    reports::StatsPeriod m_period = reports::StatsPeriod::ThisWeek;
    reports::Statistics m_stats;
    QList<qreal> m_dayBarHeights;
    QVariantList m_projectRows;
    int m_closedDayCount = 0;
    QTimer m_refreshTimer;
};
