#include "Clock.h"

#include <chrono>
#include <cmath>

namespace timecalc {

namespace {
std::function<double()> &source()
{
    static std::function<double()> s;
    return s;
}

double systemSeconds()
{
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    return duration<double>(since).count();
}
} // namespace

double Clock::nowSeconds()
{
    const auto &s = source();
    return s ? s() : systemSeconds();
}

QDateTime Clock::now()
{
    return toDateTime(nowSeconds());
}

void Clock::set(std::function<double()> s)
{
    source() = std::move(s);
}

void Clock::setFixed(double secondsSinceEpoch)
{
    source() = [secondsSinceEpoch] { return secondsSinceEpoch; };
}

void Clock::reset()
{
    source() = nullptr;
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
