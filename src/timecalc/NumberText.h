// Fixed-decimal number texts exactly as the C library's "%.Nf" writes them.
#pragma once

#include <QString>
#include <string_view>

namespace timecalc {

// "%.Nf" with "." as decimal point whatever the locale, and C's rounding of the exact
// binary value: a tie such as 0.125 goes to the even digit ("0.12"), where
// QString::asprintf rounds it up. Decimals from 0 to 9.
QString fixedDecimals(double value, int decimals);

// The same into a caller's buffer, for writers that must not allocate per number.
struct FixedDecimalsBuffer
{
    char data[340]; // the largest double takes 309 digits before the point
};
std::string_view fixedDecimals(FixedDecimalsBuffer &buffer, double value, int decimals);

} // namespace timecalc
