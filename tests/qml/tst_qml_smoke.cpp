// Every top-level view loads without a QML error or warning, in light and in dark.
#include "UiFixture.h"
#include "dayview/CodeEditorModel.h"
#include "dayview/DayClosingModel.h"
#include "dayview/MenuBarContentViewModel.h"
#include "dayview/QuickAddPickerModel.h"
#include "records/ClosedDay.h"
#include "timecalc/Clock.h"

#include <QQuickItem>
#include <QtTest>

class QmlSmokeTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;

private slots:
    // Wednesday 5 March 2025, 16:00: the views load the same on any day the tests run.
    void init() { m_clock.emplace(QDateTime(QDate(2025, 3, 5), QTime(16, 0)).toSecsSinceEpoch()); }

    void loadsWithoutWarnings_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("appearance");
        const QStringList types = {QStringLiteral("Popover"),
                                   QStringLiteral("MenuBarContentView"),
                                   QStringLiteral("DayStripView"),
                                   QStringLiteral("BottomBar"),
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

    // The day screen's banners, footer and notice are built only in these states.
    void dayScreenStatesDrawWithoutWarnings_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("appearance");
        const QStringList states = {QStringLiteral("close banner"), QStringLiteral("closed day"),
                                    QStringLiteral("code editor"), QStringLiteral("quick add"),
                                    QStringLiteral("other day")};
        for (const QString &state : states) {
            QTest::newRow(qPrintable(state + " light")) << state << QStringLiteral("light");
            QTest::newRow(qPrintable(state + " dark")) << state << QStringLiteral("dark");
        }
    }

    void dayScreenStatesDrawWithoutWarnings()
    {
        QFETCH(QString, state);
        QFETCH(QString, appearance);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(appearance);
        const double now = timecalc::Clock::nowSeconds();
        Task *task = fixture.addTask(QStringLiteral("Kundemøde"), now, 5400, QStringLiteral("ABC"));
        fixture.store()->insert(ProjectCode::create(QStringLiteral("ABC"), QStringLiteral("Kunde"), 0));
        fixture.store()->insert(TaskTemplate::create(QStringLiteral("Support"), QStringLiteral("ABC"), 0));
        if (state == QLatin1String("closed day"))
            fixture.store()->insert(ClosedDay::create(now, 1.5));
        QQuickItem *root = fixture.show(QStringLiteral("Popover"));
        QVERIFY2(root, qPrintable(fixture.warnings().join('\n')));
        QObject *banners = fixture.banners();
        QVERIFY(banners);

        if (state == QLatin1String("close banner"))
            QMetaObject::invokeMethod(banners, "askCloseDay");
        else if (state == QLatin1String("code editor"))
            QMetaObject::invokeMethod(banners, "editCode", Q_ARG(QVariant, QVariant::fromValue<QObject *>(task)));
        else if (state == QLatin1String("quick add"))
            QMetaObject::invokeMethod(banners, "toggleTemplates");
        else if (state == QLatin1String("other day"))
            fixture.timerManager()->nextWeek();
        QTest::qWait(300);
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
    }
};

QTEST_MAIN(QmlSmokeTest)
#include "tst_qml_smoke.moc"
