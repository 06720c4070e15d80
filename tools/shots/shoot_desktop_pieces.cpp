// Renders the general settings tab (light and dark; dark also with the start-at-login switch
// refused and on), the status item's menu as the tray
// shows it, its dbusmenu layout as panels read it, and the symbolic status icons, into
// /tmp/timeglas-*.png for looking at. A tool, not a test.
#include "UiFixture.h"
#include "platform/AppIdentity.h"
#include "platform/Autostart.h"
#include "platform/BusLoop.h"
#include "platform/DBusMenuExporter.h"
#include "platform/StatusMenu.h"
#include "settings/GeneralSettingsTabModel.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QMenu>
#include <QQuickItem>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    bool ok = true;
    {
        UiFixture fixture;
        for (const QString &appearance : {QStringLiteral("light"), QStringLiteral("dark")}) {
            fixture.preferences()->setAppearanceMode(appearance);
            if (!fixture.show(QStringLiteral("GeneralSettingsTab"))) {
                qWarning("%s", qPrintable(fixture.warnings().join(u'\n')));
                return 1;
            }
            fixture.window()->setColor(fixture.theme()->background());
            QTest::qWait(300);
            const QString path = QStringLiteral("/tmp/timeglas-general-%1.png").arg(appearance);
            ok &= fixture.window()->grabWindow().save(path);
            qInfo("wrote %s", qPrintable(path));
            for (const QString &w : fixture.warnings())
                qWarning("QML: %s", qPrintable(w));
        }
        // The switch refused: a file stands where the autostart folder should be.
        QQuickItem *root = fixture.show(QStringLiteral("GeneralSettingsTab"));
        auto *model = root ? root->findChild<GeneralSettingsTabModel *>() : nullptr;
        if (!model)
            return 1;
        const QString folder = QFileInfo(Autostart::entryPath()).absolutePath();
        QDir().mkpath(QFileInfo(folder).absolutePath());
        QFile blocker(folder);
        blocker.open(QIODevice::WriteOnly);
        blocker.close();
        model->setStartAtLogin(true);
        fixture.window()->setColor(fixture.theme()->background());
        QTest::qWait(300);
        ok &= fixture.window()->grabWindow().save(QStringLiteral("/tmp/timeglas-general-refused-dark.png"));
        QFile::remove(folder);
        model->setStartAtLogin(true);
        QTest::qWait(300);
        ok &= fixture.window()->grabWindow().save(QStringLiteral("/tmp/timeglas-general-on-dark.png"));
        qInfo("wrote /tmp/timeglas-general-refused-dark.png and /tmp/timeglas-general-on-dark.png");
    }

    StatusMenu menu;
    menu.menu()->popup(QPoint(0, 0));
    QTest::qWait(100);
    ok &= menu.menu()->grab().save(QStringLiteral("/tmp/timeglas-menu.png"));
    menu.menu()->hide();
    qInfo("wrote /tmp/timeglas-menu.png");
    BusLoop bus; // never opened: the entries are read here, not over the bus
    DBusMenuExporter exporter(menu.menu(), &bus);
    int id = 0;
    for (const DBusMenuExporter::Entry &entry : exporter.entries()) {
        QStringList properties;
        const QVariantMap all = entry.properties();
        for (auto it = all.cbegin(); it != all.cend(); ++it)
            properties.append(it.key() + u'=' + it.value().toString());
        qInfo("dbusmenu entry %d: %s", ++id, qPrintable(properties.join(QStringLiteral(", "))));
    }

    // The symbolic icons at panel sizes, as a panel recolours them (light on dark, dark on light).
    QImage sheet(4 * 40, 2 * 40, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.fillRect(0, 0, sheet.width(), 40, QColor(0x30, 0x30, 0x30));
    int column = 0;
    for (const bool running : {false, true}) {
        QSvgRenderer svg(QStringLiteral(TIMEGLAS_SOURCE_DIR "/data/icons/") + AppIdentity::symbolicIconName(running)
                         + QStringLiteral(".svg"));
        for (const int size : {16, 24}) {
            for (const int row : {0, 1}) {
                QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
                icon.fill(Qt::transparent);
                QPainter ip(&icon);
                svg.render(&ip);
                ip.setCompositionMode(QPainter::CompositionMode_SourceIn);
                ip.fillRect(icon.rect(), row == 0 ? QColor(0xee, 0xee, 0xee) : QColor(0x22, 0x22, 0x22));
                ip.end();
                p.drawImage(column * 40 + (40 - size) / 2, row * 40 + (40 - size) / 2, icon);
            }
            ++column;
        }
    }
    p.end();
    ok &= sheet.scaled(sheet.size() * 3).save(QStringLiteral("/tmp/timeglas-symbolic-icons.png"));
    qInfo("wrote /tmp/timeglas-symbolic-icons.png");
    return ok ? 0 : 1;
}
