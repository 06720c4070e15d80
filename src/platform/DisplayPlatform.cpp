#include "platform/DisplayPlatform.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace {
QtMessageHandler previousHandler = nullptr;

void fatalAsExit(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (previousHandler)
            previousHandler(type, context, message);
        return;
    }
    // Qt's own text runs over several lines and suggests reinstalling; its first line
    // says what failed.
    std::fprintf(stderr, "Could not start Timeglas: %s\n", qPrintable(message.section(u'\n', 0, 0)));
    std::fflush(stderr);
    std::_Exit(1);
}
} // namespace

namespace DisplayPlatform {

QByteArray choose(const QByteArray &userChoice, const QByteArray &waylandDisplay, const QByteArray &x11Display)
{
    if (!userChoice.isEmpty())
        return userChoice;
    if (!waylandDisplay.isEmpty() && x11Display.isEmpty())
        return QByteArrayLiteral("wayland;xcb");
    return QByteArrayLiteral("xcb;wayland");
}

void prepare()
{
    qputenv("QT_QPA_PLATFORM", choose(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY")));
    previousHandler = qInstallMessageHandler(fatalAsExit);
}

void finish()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

} // namespace DisplayPlatform
