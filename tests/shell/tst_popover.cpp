// The popover as the shell drives it: placed at the item, loaded from its module on demand.
#include "AppContext.h"
#include "PopoverLoader.h"
#include "Store.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QtTest>

class PopoverTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<AppContext> openContext()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        QString error;
        auto context = AppContext::open(m_dir.filePath(QStringLiteral("timeglas.sqlite")), &error);
        if (!context)
            qWarning("%s", qPrintable(error));
        return context;
    }

private slots:
    void placement_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 28, 1920, 1052); // a panel of 28 px at the top
        QTest::newRow("top panel: centred below the item") << QPoint(1000, 28) << screen << QPoint(790, 32);
        QTest::newRow("bottom panel: above the item") << QPoint(1000, 1080) << QRect(0, 0, 1920, 1040)
                                                      << QPoint(790, 440);
        QTest::newRow("item at the right edge: kept on screen") << QPoint(1910, 28) << screen << QPoint(1500, 32);
        QTest::newRow("screen lower than the window: top-aligned") << QPoint(500, 600) << QRect(0, 0, 1024, 500)
                                                                  << QPoint(290, 0);
        QTest::newRow("item at the left edge of a second screen") << QPoint(1925, 0) << QRect(1920, 0, 1280, 1024)
                                                                  << QPoint(1920, 4);
    }

    void placement()
    {
        QFETCH(QPoint, anchor);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        QCOMPARE(Popover::placement(anchor, QSize(420, 600), available), expected);
    }

    void unusableModuleIsReported_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("no-such-module.so")) << "no-such-module.so";
        // A Qt plugin, but not ours: the one every test here draws with.
        QTest::newRow("a foreign plugin") << QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqoffscreen.so"
                                          << "not the popover module";
    }
    void unusableModuleIsReported()
    {
        QFETCH(QString, module);
        QFETCH(QString, error);
        auto context = openContext();
        QVERIFY(context);
        PopoverLoader loader(context.get(), module);
        QVERIFY(!loader.popover());
        QVERIFY2(loader.errorString().contains(error), qPrintable(loader.errorString()));
        // The click that follows does not try again, and nothing crashes.
        loader.toggle(QPoint(100, 20));
        QVERIFY(!loader.isLoaded());
    }
};

QTEST_MAIN(PopoverTest)
#include "tst_popover.moc"
