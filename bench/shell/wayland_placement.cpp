// Where the popover lands on a Wayland session: starts the program on a private bus with a
// stand-in panel watcher, clicks the item at a given point (Activate(x, y), as a panel does),
// and compares two screenshots of the compositor to find the window: Weston's (started with
// --debug, so that weston-screenshooter may take them), or Sway's by grim when SWAYSOCK is
// set. A measurement tool, not a test.
//
//   wayland_placement BINARY PLATFORM X Y [APPEARANCE]
//   (PLATFORM: wayland, xcb, or "" for the program's choice; APPEARANCE: light or dark)
#include "FakeWatcher.h"
#include "PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {
QImage screenshot(const QString &dir)
{
    QDir d(dir);
    for (const QString &old : d.entryList({QStringLiteral("wayland-screenshot-*.png")}))
        d.remove(old);
    QProcess shooter;
    shooter.setWorkingDirectory(dir);
    // Sway (wlroots) takes screenshots with grim, Weston with its own tool.
    if (qEnvironmentVariableIsSet("SWAYSOCK"))
        shooter.start(QStringLiteral("grim"), {QStringLiteral("wayland-screenshot-sway.png")});
    else
        shooter.start(QStringLiteral("weston-screenshooter"), {});
    shooter.waitForFinished(10000);
    const QStringList shots = d.entryList({QStringLiteral("wayland-screenshot-*.png")});
    return shots.isEmpty() ? QImage() : QImage(d.filePath(shots.first()));
}

QRect changedArea(const QImage &before, const QImage &after)
{
    QRect area;
    for (int y = 0; y < qMin(before.height(), after.height()); ++y) {
        for (int x = 0; x < qMin(before.width(), after.width()); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}
} // namespace

int main(int argc, char *argv[])
{
    PrivateBus bus;
    QCoreApplication app(argc, argv);
    if (argc < 5 || !bus.isRunning()) {
        std::fprintf(stderr, "usage: wayland_placement BINARY PLATFORM X Y (under a Weston with --debug)\n");
        return 2;
    }
    const QString platform = QString::fromLocal8Bit(argv[2]);
    const int x = atoi(argv[3]);
    const int y = atoi(argv[4]);
    QTemporaryDir dir;
    WatcherOnBus watcher(bus.address());
    watcher.claim();

    const QImage before = screenshot(dir.path());
    const QString appearance = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QStringLiteral("light");
    QDir().mkpath(dir.filePath(QStringLiteral("config/timeglas")));
    QFile config(dir.filePath(QStringLiteral("config/timeglas/timeglas.conf")));
    if (config.open(QIODevice::WriteOnly))
        config.write("[General]\nappearanceMode=" + appearance.toUtf8() + "\n");
    config.close();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    // A headless Weston has no seat, and Qt 6.4's Wayland text input then crashes when the
    // first text field is made; no input method is needed to look at placement.
    env.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("none"));
    if (platform.isEmpty())
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    else
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QString::fromLocal8Bit(argv[1]), {});
    for (int i = 0; i < 200 && watcher.registrations().isEmpty(); ++i)
        QThread::msleep(50);
    if (watcher.registrations().isEmpty()) {
        std::fprintf(stderr, "the item never registered\n");
        program.kill();
        return 1;
    }
    QDBusConnection panel = QDBusConnection::connectToBus(bus.address(), QStringLiteral("panel"));
    panel.call(QDBusMessage::createMethodCall(watcher.registrations().constFirst().service,
                                              QStringLiteral("/StatusNotifierItem"),
                                              QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"))
               << x << y);
    QThread::sleep(10); // the module loads and the first frame is drawn, on a busy machine too
    const QImage after = screenshot(dir.path());
    const QRect area = changedArea(before, after);
    const QString out = QStringLiteral("/tmp/timeglas-wayland-%1-%2.png")
                            .arg(platform.isEmpty() ? QStringLiteral("default") : platform, appearance);
    after.save(out);
    std::printf("platform %s, click at (%d, %d): window drawn at x %d..%d, y %d..%d (%d x %d); screenshot %s\n",
                platform.isEmpty() ? "(program's choice)" : qPrintable(platform), x, y, area.left(), area.right(),
                area.top(), area.bottom(), area.width(), area.height(), qPrintable(out));
    program.terminate();
    program.waitForFinished(10000);
    std::printf("exit status %d\n", program.exitCode());
    return 0;
}
