#include "records/ClosedDay.h"

#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

std::unique_ptr<ClosedDay> ClosedDay::create(double date, double billableHours)
{
    return std::make_unique<ClosedDay>(newId(), timecalc::startOfDay(date), billableHours,
                                       timecalc::Clock::nowSeconds());
}

ClosedDay::ClosedDay(const QString &id, double date, double billableHours, double closedAt)
    : Record(id), m_date(date), m_billableHours(billableHours), m_closedAt(closedAt)
{
}

QDateTime ClosedDay::date() const
{
    return timecalc::toDateTime(m_date);
}

QDateTime ClosedDay::closedAtDateTime() const
{
    return timecalc::toDateTime(m_closedAt);
}
