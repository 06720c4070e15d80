// Replaces a file's content as a whole, or leaves it as it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace reports {

// Writes to a temporary file beside the target and renames it over the target, so a
// failure (full disk, no permission, a folder in the way) never leaves a half-written
// or emptied file. Returns a readable reason on failure.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);
// The text as UTF-8, without a byte-order mark of its own.
std::optional<QString> writeTextAtomically(const QString &path, const QString &text);

} // namespace reports
