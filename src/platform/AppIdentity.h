// The reverse-DNS name the desktop knows the program by: its desktop entry, icons,
// AppStream component, autostart entry and status item all carry it.
#pragma once

#include <QString>

namespace AppIdentity {
// Set by the build (TIMEGLAS_APP_ID), so the installed file names and the code agree.
inline QString id()
{
    return QStringLiteral(TIMEGLAS_APP_ID);
}
// Monochrome icons that panels recolour to their own text colour.
inline QString symbolicIconName(bool running)
{
    return id() + (running ? QStringLiteral("-running-symbolic") : QStringLiteral("-symbolic"));
}
} // namespace AppIdentity
