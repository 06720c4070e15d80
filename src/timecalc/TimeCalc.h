// Billing, clock texts and typed durations: the arithmetic every screen shares.
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace timecalc {

// Quarter hours with a five-minute threshold past each boundary.
double billableHoursFor(qint64 seconds);
double decimalHoursFor(qint64 seconds);
// One or the other, as the billable switch chooses.
double hoursFor(qint64 seconds, bool billable);
// Half away from zero, as used by the JSON export.
double roundToHundredths(double hours);

// "%02d:%02d:%02d" of hours, minutes, seconds; hours are never truncated.
QString formatElapsed(qint64 seconds);
// The same into `out` (at least 24 bytes, ASCII, NUL-terminated); its length.
int formatElapsed(char *out, qint64 seconds);
// "%d:%02d" of hours and minutes; seconds are dropped.
QString formatHoursMinutes(qint64 seconds);
// "%.2f" with "." whatever the locale.
QString formatDecimalHours(double hours);

// A duration typed by the user: "90" (minutes), "1:30", "01:02:05".
// std::nullopt for invalid input; callers decide what an empty text means
// (see isBlankDuration).
std::optional<qint64> parseTypedDuration(const QString &text);
// True when the text holds nothing but white space (line breaks excepted).
bool isBlankDuration(const QString &text);
// Trims spaces, tabs and other Unicode space separators, but not line breaks.
QString trimSpacesKeepLineBreaks(const QString &text);

// Sums of seconds saturate at the 64-bit range instead of wrapping.
qint64 saturatingAdd(qint64 a, qint64 b);
// Whole seconds of an interval, truncated toward zero, clamped to the 64-bit range.
qint64 wholeSeconds(double interval);

} // namespace timecalc
