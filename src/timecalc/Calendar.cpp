#include "timecalc/Calendar.h"

#include "timecalc/Clock.h"

#include <QDateTime>
#include <QTime>

namespace timecalc {

QDate localDate(double secondsSinceEpoch)
{
    return toDateTime(secondsSinceEpoch).date();
}

double startOfDay(const QDate &date)
{
    return toSeconds(date.startOfDay());
}

double startOfDay(double secondsSinceEpoch)
{
    return startOfDay(localDate(secondsSinceEpoch));
}

double startOfNextDay(double secondsSinceEpoch)
{
    return startOfDay(localDate(secondsSinceEpoch).addDays(1));
}

bool isSameDay(double a, double b)
{
    return localDate(a) == localDate(b);
}

bool isToday(double secondsSinceEpoch)
{
    return isSameDay(secondsSinceEpoch, Clock::nowSeconds());
}

double startOfToday()
{
    return startOfDay(Clock::nowSeconds());
}

std::optional<double> addDays(double secondsSinceEpoch, int days)
{
    const QDateTime from = toDateTime(secondsSinceEpoch);
    const QDate date = from.date().addDays(days);
    if (!date.isValid())
        return std::nullopt;
    // A local midnight stays a midnight even across a DST change.
    if (from == from.date().startOfDay())
        return startOfDay(date);
    const QDateTime moved(date, from.time());
    if (!moved.isValid())
        return std::nullopt;
    return toSeconds(moved);
}

int weekdayComponent(double secondsSinceEpoch)
{
    // Qt: Monday 1 ... Sunday 7; calendars: Sunday 1 ... Saturday 7.
    return localDate(secondsSinceEpoch).dayOfWeek() % 7 + 1;
}

int dayOfMonth(double secondsSinceEpoch)
{
    return localDate(secondsSinceEpoch).day();
}

double startOfWeek(double secondsSinceEpoch, const QLocale &locale)
{
    const QDate date = localDate(secondsSinceEpoch);
    const int back = (date.dayOfWeek() - int(locale.firstDayOfWeek()) + 7) % 7;
    return startOfDay(date.addDays(-back));
}

double startOfMonth(double secondsSinceEpoch)
{
    const QDate date = localDate(secondsSinceEpoch);
    return startOfDay(QDate(date.year(), date.month(), 1));
}

QList<double> mondayFirstWeek(double secondsSinceEpoch)
{
    const int weekday = weekdayComponent(secondsSinceEpoch);
    const int offset = weekday == 1 ? 6 : weekday - 2;
    const QDate monday = localDate(secondsSinceEpoch).addDays(-offset);
    QList<double> days;
    if (!monday.isValid())
        return days;
    days.reserve(7);
    for (int i = 0; i < 7; ++i) {
        const QDate d = monday.addDays(i);
        if (d.isValid())
            days.append(startOfDay(d));
    }
    return days;
}

const QLocale &danishLocale()
{
    static const QLocale danish(QLocale::Danish, QLocale::Denmark);
    return danish;
}

QString longDayText(const QDate &date)
{
    return danishLocale().toString(date, QStringLiteral("dddd d. MMMM"));
}

QString twoLetterWeekday(int dayOfWeek)
{
    // The short names are "man.", "tir." …; the strip shows their first two letters.
    const QString name = danishLocale().dayName(dayOfWeek, QLocale::ShortFormat);
    return name.left(1).toUpper() + name.mid(1, 1);
}

} // namespace timecalc
