// The one source of "now" for the whole program; tests replace it.
#pragma once

#include <QDateTime>
#include <functional>

namespace timecalc {

class Clock
{
public:
    // Seconds since the Unix epoch, with sub-second precision.
    static double nowSeconds();
    static QDateTime now();

    // Replaces the clock until reset(); `source` returns seconds since the epoch.
    static void set(std::function<double()> source);
    static void setFixed(double secondsSinceEpoch);
    static void reset();
};

// Conversions between the stored form of a point in time and QDateTime.
QDateTime toDateTime(double secondsSinceEpoch);
double toSeconds(const QDateTime &dateTime);

} // namespace timecalc
