// Every top-level view loads without a QML error or warning, in light and in dark.
#include "UiFixture.h"

#include <QQuickItem>
#include <QtTest>

class QmlSmokeTest : public QObject
{
    Q_OBJECT

private slots:
    void loadsWithoutWarnings_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("appearance");
        const QStringList types = {QStringLiteral("Popover"),
                                   QStringLiteral("MenuBarContentView"),
                                   QStringLiteral("InlineSettingsView"),
                                   QStringLiteral("GeneralSettingsTab"),
                                   QStringLiteral("ProjectCodeListView"),
                                   QStringLiteral("TemplateListView"),
                                   QStringLiteral("ExportSettingsTab"),
                                   QStringLiteral("StatsTab")};
        for (const QString &type : types) {
            QTest::newRow(qPrintable(type + " light")) << type << QStringLiteral("light");
            QTest::newRow(qPrintable(type + " dark")) << type << QStringLiteral("dark");
        }
    }

    void loadsWithoutWarnings()
    {
        QFETCH(QString, type);
        QFETCH(QString, appearance);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(appearance);
        fixture.addTask(QStringLiteral("Kundemøde"), timecalc::Clock::nowSeconds(), 5400, QStringLiteral("ABC"));
        QQuickItem *root = fixture.show(type);
        QVERIFY2(root, qPrintable(fixture.warnings().join('\n')));
        QCoreApplication::processEvents();
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
        QCOMPARE(fixture.theme()->isDark(), appearance == QLatin1String("dark"));
    }
};

QTEST_MAIN(QmlSmokeTest)
#include "tst_qml_smoke.moc"
