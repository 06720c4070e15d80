// Calendar rules of days, weeks and months in the local time zone.
// Points in time are seconds since the Unix epoch, as the store keeps them.
#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <optional>

namespace timecalc {

QDate localDate(double secondsSinceEpoch);
// Start of the given local calendar day (DST-safe).
double startOfDay(const QDate &date);
double startOfDay(double secondsSinceEpoch);
// Start of the following day: the end of the half-open interval of a day.
double startOfNextDay(double secondsSinceEpoch);

bool isSameDay(double a, double b);
bool isToday(double secondsSinceEpoch);
double startOfToday();

// Moves a point in time by whole calendar days, keeping its local wall-clock time;
// std::nullopt when the result does not exist on the calendar.
std::optional<double> addDays(double secondsSinceEpoch, int days);

// 1 = Sunday ... 7 = Saturday, as calendars number weekdays.
int weekdayComponent(double secondsSinceEpoch);
int dayOfMonth(double secondsSinceEpoch);

// First instant of the week holding the date, the week beginning on the locale's
// first weekday, and of the month holding it.
double startOfWeek(double secondsSinceEpoch, const QLocale &locale = QLocale::system());
double startOfMonth(double secondsSinceEpoch);

// The locale the interface writes dates and weekday names in.
const QLocale &danishLocale();
// "onsdag 5. marts".
QString longDayText(const QDate &date);
// "Ma", "Ti" … "Sø" for Monday = 1 … Sunday = 7.
QString twoLetterWeekday(int dayOfWeek);

// The seven days Monday to Sunday of the week that holds the date, as local midnights.
QList<double> mondayFirstWeek(double secondsSinceEpoch);

} // namespace timecalc
