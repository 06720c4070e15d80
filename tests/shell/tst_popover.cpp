// The popover's module as the shell loads it: one it cannot use is reported, not tried again.
#include "platform/AppContext.h"
#include "platform/PopoverLoader.h"
#include "records/Store.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QtTest>

class PopoverTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    // A module it cannot use is reported, and the click that follows does not try again. With ours, a close and
    // an open a moment apart (a shortcut pressed twice): the loss of focus the platform reports late for the close
    // must not hide the popover opened again, while a loss of focus after it was active hides it as ever.
    void loadsAndToggles_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("error"); // empty: it loads
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("no-such-module.so")) << "no-such-module.so";
        // A Qt plugin, but not ours: the one every test here draws with.
        QTest::newRow("a foreign plugin") << QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqoffscreen.so"
                                          << "not the popover module";
        QTest::newRow("ours") << QStringLiteral(TIMEGLAS_POPOVER_MODULE) << QString();
    }
    void loadsAndToggles()
    {
        QFETCH(QString, module);
        QFETCH(QString, error);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
        QString why;
        auto context = AppContext::open(m_dir.filePath(QStringLiteral("timeglas.sqlite")), &why);
        QVERIFY2(context, qPrintable(why));
        PopoverLoader loader(context.get(), module);
        if (!error.isEmpty()) {
            QVERIFY(!loader.popover());
            QVERIFY2(loader.errorString().contains(error), qPrintable(loader.errorString()));
            loader.toggle(QPoint(100, 20));
            QVERIFY(!loader.isLoaded());
            return;
        }
        QVERIFY2(loader.popover(), qPrintable(loader.errorString()));
        QWindow elsewhere;
        loader.toggle(QPoint(100, 20));
        QTRY_VERIFY(QGuiApplication::focusWindow());
        QWindow *window = QGuiApplication::focusWindow();
        loader.toggle(QPoint(100, 20));
        QVERIFY(!loader.popover()->isVisible());
        loader.toggle(QPoint(100, 20));
        // The offscreen platform, like X11 under a slow window manager, still counts the
        // hidden window as active: the next loss of focus is the one the close caused.
        elsewhere.show();
        QTRY_COMPARE(QGuiApplication::focusWindow(), &elsewhere);
        QVERIFY(loader.popover()->isVisible());

        window->requestActivate();
        QTRY_VERIFY(window->isActive());
        elsewhere.requestActivate();
        QTRY_VERIFY(!loader.popover()->isVisible());
    }
};

QTEST_MAIN(PopoverTest)
#include "tst_popover.moc"
