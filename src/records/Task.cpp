#include "records/Task.h"

#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TextLimit.h"
#include "timecalc/TimeCalc.h"

using namespace timecalc;

qint64 Task::secondsAt(qint64 banked, double since, double now)
{
    const qint64 elapsed = wholeSeconds(now - since);
    return saturatingAdd(banked, elapsed > 0 ? elapsed : 0);
}

std::unique_ptr<Task> Task::create(const QString &name, double date, qint64 sortOrder,
                                   const std::optional<QString> &projectCode)
{
    return std::make_unique<Task>(newId(), name, startOfDay(date), 0, std::nullopt,
                                  sortOrder, Clock::nowSeconds(), projectCode);
}

Task::Task(const QString &id, const QString &name, double date, qint64 accumulatedSeconds,
           std::optional<double> lastStartTime, qint64 sortOrder, double createdAt,
           std::optional<QString> projectCode)
    : Record(id)
    , m_name(name)
    , m_date(date)
    , m_accumulatedSeconds(accumulatedSeconds)
    , m_lastStartTime(lastStartTime)
    , m_sortOrder(sortOrder)
    , m_createdAt(createdAt)
    , m_projectCode(std::move(projectCode))
{
}

QString Task::unnamedText()
{
    return tr("Unavngivet opgave");
}

QString Task::typedName(const QString &typed)
{
    return timecalc::trimmedAndCut(typed, NameLimit);
}

void Task::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit nameChanged();
    fieldChanged(NameField);
}

QDateTime Task::date() const
{
    return toDateTime(m_date);
}

void Task::setAccumulatedSeconds(qint64 seconds)
{
    if (m_accumulatedSeconds == seconds)
        return;
    m_accumulatedSeconds = seconds;
    emit accumulatedSecondsChanged();
    fieldChanged(AccumulatedSecondsField);
}

QDateTime Task::lastStartTimeDateTime() const
{
    return m_lastStartTime ? toDateTime(*m_lastStartTime) : QDateTime();
}

void Task::setLastStartTime(std::optional<double> time)
{
    if (m_lastStartTime == time)
        return;
    m_lastStartTime = time;
    emit lastStartTimeChanged();
    fieldChanged(LastStartTimeField);
}

void Task::setSortOrder(qint64 sortOrder)
{
    if (m_sortOrder == sortOrder)
        return;
    m_sortOrder = sortOrder;
    emit sortOrderChanged();
    fieldChanged(SortOrderField);
}

QDateTime Task::createdAtDateTime() const
{
    return toDateTime(m_createdAt);
}

void Task::setProjectCode(const std::optional<QString> &code)
{
    if (m_projectCode == code)
        return;
    m_projectCode = code;
    emit projectCodeChanged();
    fieldChanged(ProjectCodeField);
}

qint64 Task::currentSeconds() const
{
    if (!m_lastStartTime)
        return m_accumulatedSeconds;
    return secondsAt(m_accumulatedSeconds, *m_lastStartTime, Clock::nowSeconds());
}

void Task::start()
{
    if (m_lastStartTime)
        return;
    setLastStartTime(Clock::nowSeconds());
}

void Task::stop()
{
    if (!m_lastStartTime)
        return;
    // Both fields move before anyone hears of either (the end first, which takes the task out
    // of the store's running ones): in between, whoever reads the clock would count the
    // banked interval twice.
    const qint64 banked = secondsAt(m_accumulatedSeconds, *m_lastStartTime, Clock::nowSeconds());
    const bool accumulatedMoved = banked != m_accumulatedSeconds;
    m_accumulatedSeconds = banked;
    m_lastStartTime.reset();
    emit lastStartTimeChanged();
    fieldChanged(LastStartTimeField);
    if (accumulatedMoved) {
        emit accumulatedSecondsChanged();
        fieldChanged(AccumulatedSecondsField);
    }
}
