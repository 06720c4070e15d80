#include "timecalc/Clock.h"

#include <chrono>
#include <cmath>

namespace timecalc {

namespace {
double systemSeconds()
{
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    return duration<double>(since).count();
}
} // namespace

std::function<double()> &Clock::source()
{
    static std::function<double()> s;
    return s;
}

double Clock::nowSeconds()
{
    const auto &s = source();
    return s ? s() : systemSeconds();
}

QDateTime Clock::now()
{
    return toDateTime(nowSeconds());
}

TestClock::TestClock(double secondsSinceEpoch)
    : m_now(secondsSinceEpoch), m_previous(std::move(Clock::source()))
{
    Clock::source() = [this] { return m_now; };
}

TestClock::~TestClock()
{
    Clock::source() = std::move(m_previous);
}

QDateTime toDateTime(double secondsSinceEpoch)
{
    if (!std::isfinite(secondsSinceEpoch))
        return {};
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(secondsSinceEpoch * 1000.0)));
}

double toSeconds(const QDateTime &dateTime)
{
    return double(dateTime.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace timecalc
