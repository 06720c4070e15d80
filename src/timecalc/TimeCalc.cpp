#include "timecalc/TimeCalc.h"

#include <cstdio>

#include "timecalc/NumberText.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace timecalc {

double billableHoursFor(qint64 seconds)
{
    const double minutes = double(seconds) / 60.0;
    if (!(minutes > 0.0))
        return 0.0;
    const double remainder = std::fmod(minutes, 15.0);
    const double quarters = remainder > 5.0 ? std::ceil(minutes / 15.0) : std::floor(minutes / 15.0);
    return quarters * 0.25;
}

double decimalHoursFor(qint64 seconds)
{
    return double(seconds) / 3600.0;
}

double hoursFor(qint64 seconds, bool billable)
{
    return billable ? billableHoursFor(seconds) : decimalHoursFor(seconds);
}

double roundToHundredths(double hours)
{
    return std::round(hours * 100.0) / 100.0;
}

int formatElapsed(char *out, qint64 seconds)
{
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds % 3600) / 60;
    const qint64 s = seconds % 60;
    return std::snprintf(out, 24, "%02lld:%02lld:%02lld", h, m, s);
}

QString formatElapsed(qint64 seconds)
{
    char text[24];
    return QString::fromLatin1(text, formatElapsed(text, seconds));
}

QString formatHoursMinutes(qint64 seconds)
{
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds % 3600) / 60;
    return QString::asprintf("%lld:%02lld", h, m);
}

QString formatDecimalHours(double hours)
{
    // Like printf("%.2f") in the "C" locale, exact ties rounded to even (450 s = 0.125 h
    // reads 0.12), whatever locale QCoreApplication took from the environment.
    return fixedDecimals(hours, 2);
}

namespace {
bool isTrimmable(QChar c)
{
    // Unicode space separators and tab; line breaks stay.
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

std::optional<qint64> parseInteger(QStringView piece)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < piece.size() && (piece[i] == u'+' || piece[i] == u'-')) {
        negative = piece[i] == u'-';
        ++i;
    }
    if (i == piece.size())
        return std::nullopt;
    // Accumulate negatively so that the minimum value is reachable.
    qint64 value = 0;
    for (; i < piece.size(); ++i) {
        const QChar c = piece[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        if (value < (std::numeric_limits<qint64>::min() + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<qint64>::min())
            return std::nullopt;
        value = -value;
    }
    return value;
}

std::optional<qint64> multiplyAdd(qint64 acc, qint64 factor, qint64 add)
{
    qint64 product = 0;
    if (__builtin_mul_overflow(acc, factor, &product))
        return std::nullopt;
    qint64 sum = 0;
    if (__builtin_add_overflow(product, add, &sum))
        return std::nullopt;
    return sum;
}
} // namespace

QString trimSpacesKeepLineBreaks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text[begin]))
        ++begin;
    while (end > begin && isTrimmable(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool isBlankDuration(const QString &text)
{
    return trimSpacesKeepLineBreaks(text).isEmpty();
}

std::optional<qint64> parseTypedDuration(const QString &text)
{
    const QString trimmed = trimSpacesKeepLineBreaks(text);
    if (trimmed.isEmpty())
        return std::nullopt;

    QList<qint64> numbers;
    for (const QStringView piece : QStringView(trimmed).split(u':', Qt::SkipEmptyParts)) {
        if (const auto n = parseInteger(piece))
            numbers.append(*n);
    }

    switch (numbers.size()) {
    case 1:
        if (numbers[0] < 0)
            return std::nullopt;
        return multiplyAdd(numbers[0], 60, 0);
    case 2: {
        const qint64 h = numbers[0], m = numbers[1];
        if (h < 0 || m < 0 || m > 59)
            return std::nullopt;
        return multiplyAdd(h, 3600, m * 60);
    }
    case 3: {
        const qint64 h = numbers[0], m = numbers[1], s = numbers[2];
        if (h < 0 || m < 0 || m > 59 || s < 0 || s > 59)
            return std::nullopt;
        return multiplyAdd(h, 3600, m * 60 + s);
    }
    default:
        return std::nullopt;
    }
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

qint64 wholeSeconds(double interval)
{
    if (std::isnan(interval))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (interval >= limit)
        return std::numeric_limits<qint64>::max();
    if (interval <= -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(std::trunc(interval));
}

} // namespace timecalc
