// The one source of "now" for the whole program; a TestClock stands in for it in tests.
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

private:
    friend class TestClock;
    static std::function<double()> &source();
};

// A clock that stands still until moved, for tests and benchmarks. While one lives, it is the
// program's clock; when it goes, the clock that was in force before comes back, so no test can
// leave its time behind for the next one.
class TestClock
{
public:
    explicit TestClock(double secondsSinceEpoch);
    ~TestClock();
    TestClock(const TestClock &) = delete;
    TestClock &operator=(const TestClock &) = delete;

    double now() const { return m_now; }
    void set(double secondsSinceEpoch) { m_now = secondsSinceEpoch; }
    void advance(double seconds) { m_now += seconds; }

private:
    double m_now;
    std::function<double()> m_previous;
};

// Conversions between the stored form of a point in time and QDateTime.
QDateTime toDateTime(double secondsSinceEpoch);
double toSeconds(const QDateTime &dateTime);

} // namespace timecalc
