#include "timecalc/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace timecalc {

std::string_view fixedDecimals(FixedDecimalsBuffer &buffer, double value, int decimals)
{
    // std::to_chars with a precision is specified to give what printf gives in the C
    // locale; the buffer holds any finite double, and inf and nan are short.
    const auto [end, ec] = std::to_chars(buffer.data, buffer.data + sizeof buffer.data, value,
                                         std::chars_format::fixed, std::clamp(decimals, 0, 9));
    if (ec != std::errc())
        return {};
    return {buffer.data, size_t(end - buffer.data)};
}

QString fixedDecimals(double value, int decimals)
{
    FixedDecimalsBuffer buffer;
    const std::string_view text = fixedDecimals(buffer, value, decimals);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace timecalc
