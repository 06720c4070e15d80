// Saves what the X display shows as a PNG, to look at the real program as a user sees it:
//   screen_grab OUT.png [DELAY_MS]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [DELAY_MS]\n", argv[0]);
        return 2;
    }
    if (argc > 2)
        QThread::msleep(std::strtoul(argv[2], nullptr, 10));
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot grab the screen\n");
        return 1;
    }
    return 0;
}
