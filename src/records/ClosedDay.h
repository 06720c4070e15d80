// The mark that a day was closed, with its billable hours frozen at that moment.
#pragma once

#include "records/Record.h"

#include <QDateTime>
#include <memory>

class ClosedDay : public Record
{
    Q_OBJECT
    Q_PROPERTY(QDateTime date READ date CONSTANT)
    Q_PROPERTY(double billableHours READ billableHours CONSTANT)
    Q_PROPERTY(QDateTime closedAt READ closedAtDateTime CONSTANT)

public:
    enum Field { IdField, DateField, BillableHoursField, ClosedAtField };

    // Dated at the start of the local day of `date`, closed now.
    static std::unique_ptr<ClosedDay> create(double date, double billableHours);
    ClosedDay(const QString &id, double date, double billableHours, double closedAt);

    Kind kind() const override { return Kind::ClosedDay; }

    double dateSeconds() const { return m_date; }
    QDateTime date() const;
    double billableHours() const { return m_billableHours; }
    double closedAt() const { return m_closedAt; }
    QDateTime closedAtDateTime() const;

private:
    double m_date;
    double m_billableHours;
    double m_closedAt;
};
