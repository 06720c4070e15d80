// The XDG autostart entry that starts the program with the session. The file is the
// setting: no preference stands beside it, so removing it by hand turns it off.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace Autostart {
// $XDG_CONFIG_HOME/autostart/<app id>.desktop (~/.config when the variable is unset or relative).
QString entryPath();
// Whether the session starts us: the entry exists and neither hides nor disables itself.
bool isEnabled(const QString &path = entryPath());
// Writes or removes the entry; an empty text on success, else why not, for the user.
QString setEnabled(bool enabled, const QString &program = QCoreApplication::applicationFilePath(),
                   const QString &path = entryPath());
// The Exec value that runs `program` with no arguments, quoted and escaped as desktop
// entries require; empty for a path no desktop entry can hold.
QString execValue(const QString &program);
} // namespace Autostart
