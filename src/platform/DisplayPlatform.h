// Which of Qt's platform plugins the program tries, decided before the application object
// exists, so that a session with any reachable display never ends in Qt's abort.
#pragma once

#include <QByteArray>

namespace DisplayPlatform {
// The QT_QPA_PLATFORM value for a session with these variables: a list Qt tries in order.
// Under Wayland with XWayland at hand, X11 comes first because only there does the popover
// go where it is placed (next to the item); Wayland alone leaves placement to the
// compositor. A value the user set is kept as it is.
QByteArray choose(const QByteArray &userChoice, const QByteArray &waylandDisplay, const QByteArray &x11Display);

// Sets QT_QPA_PLATFORM from the environment and, until finish(), turns Qt's fatal error
// for a display it cannot open into one line on standard error and exit status 1.
void prepare();
void finish();
} // namespace DisplayPlatform
