// Saves what the X display shows as a PNG, to look at the real program as a user sees it:
//   screen_grab OUT.png [DELAY_MS] [X,Y,W,H,ZOOM]
// The optional area is cut out and enlarged ZOOM times, to look at a tray icon closely.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
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
    QPixmap shot;
    if (screen) {
        const QStringList area = argc > 3 ? QString::fromLocal8Bit(argv[3]).split(QLatin1Char(',')) : QStringList();
        if (area.size() == 5) {
            const int zoom = area[4].toInt();
            shot = screen->grabWindow(0, area[0].toInt(), area[1].toInt(), area[2].toInt(), area[3].toInt());
            shot = shot.scaled(shot.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        } else {
            shot = screen->grabWindow(0);
        }
    }
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot grab the screen\n");
        return 1;
    }
    return 0;
}
