// The settings screen in a window: tabs, fresh tab content, the back button, the general tab's
// controls, and screenshots of every tab when TIMEGLAS_SCREENSHOTS names a folder.
#include "Accessibility.h"
#include "InlineSettingsViewModel.h"
#include "UiFixture.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

namespace {
// The loaded view of a module type below `root`, e.g. "TemplateListView".
QQuickItem *viewOf(QQuickItem *root, const QString &type)
{
    const QString prefix = type + QStringLiteral("_QMLTYPE_");
    for (QQuickItem *item : root->findChildren<QQuickItem *>())
        if (QString::fromLatin1(item->metaObject()->className()).startsWith(prefix))
            return item;
    return nullptr;
}

void fill(UiFixture &fixture)
{
    Store *store = fixture.store();
    store->insert(ProjectCode::create("ABC", "Kunde A/S", 0));
    store->insert(ProjectCode::create("INT", "", 1));
    store->insert(ProjectCode::create("K-2041", "Lang beskrivelse af et projekt der ikke kan stå på én linje", 2));
    store->insert(TaskTemplate::create("Support", QStringLiteral("ABC"), 0));
    store->insert(TaskTemplate::create("Ugemøde", std::nullopt, 1));
    store->insert(TaskTemplate::create("Kodegennemgang", QStringLiteral("K-2041"), 2));
}
} // namespace

class InlineSettingsViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { timecalc::Clock::setFixed(1741168800.0); }
    void cleanup() { timecalc::Clock::reset(); }

    void tabsShowTheirViews_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QString>("view");
        QTest::newRow("opens on the general tab") << QStringList{} << "GeneralSettingsTab";
        QTest::newRow("templates") << QStringList{"Skabeloner"} << "TemplateListView";
        QTest::newRow("project codes") << QStringList{"Projektkoder"} << "ProjectCodeListView";
        QTest::newRow("back to general") << QStringList{"Projektkoder", "Indstillinger"} << "GeneralSettingsTab";
        QTest::newRow("export") << QStringList{"Eksport"} << "ExportSettingsTab";
        QTest::newRow("statistics") << QStringList{"Statistik"} << "StatsTab";
    }
    void tabsShowTheirViews()
    {
        QFETCH(QStringList, presses);
        QFETCH(QString, view);
        UiFixture fixture;
        QQuickItem *root = fixture.show("InlineSettingsView");
        QVERIFY(root);
        for (const QString &tab : presses)
            QVERIFY2(a11y::press(fixture.window(), tab), qPrintable(tab));
        QCoreApplication::processEvents();

        QVERIFY2(viewOf(root, view), qPrintable(view));
        // Only the chosen tab's view exists.
        for (const SettingsTabInfo &info : settingsTabs())
            if (QLatin1String(info.view) != view)
                QTRY_VERIFY2(!viewOf(root, QLatin1String(info.view)), info.view);
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
    }

    void unknownTabIsIgnored()
    {
        InlineSettingsViewModel model;
        model.selectTab("stats");
        model.selectTab("Statistik");
        model.selectTab("");
        QCOMPARE(model.selectedTab(), QStringLiteral("stats"));
        QVERIFY(!settingsTabFromRawValue("Stats"));
    }

    void switchingTabsStartsTheirStateOver()
    {
        UiFixture fixture;
        QQuickItem *root = fixture.show("InlineSettingsView");
        QQuickWindow *window = fixture.window();
        QVERIFY(a11y::press(window, "Projektkoder"));
        QVERIFY(a11y::press(window, "Ny projektkode"));
        QTRY_VERIFY(a11y::find(window, "Annuller"));
        QPointer<QQuickItem> first = viewOf(root, "ProjectCodeListView");

        QVERIFY(a11y::press(window, "Skabeloner"));
        QVERIFY(a11y::press(window, "Projektkoder"));
        QTRY_VERIFY(first.isNull());
        QVERIFY(viewOf(root, "ProjectCodeListView"));
        QVERIFY(!a11y::find(window, "Annuller"));
    }

    void backButtonCallsBack()
    {
        UiFixture fixture;
        QQuickItem *root = fixture.show("InlineSettingsView");
        QSignalSpy back(root, SIGNAL(back()));
        QVERIFY(a11y::press(fixture.window(), "Statistik"));
        QVERIFY(a11y::press(fixture.window(), "Tilbage"));
        QCOMPARE(back.count(), 1);
    }

    void templatePlusAddsNoTaskHere()
    {
        UiFixture fixture;
        fill(fixture);
        fixture.show("InlineSettingsView");
        QVERIFY(a11y::press(fixture.window(), "Skabeloner"));
        QVERIFY(a11y::press(fixture.window(), "Tilføj opgave fra skabelon Support"));
        QCoreApplication::processEvents();
        QVERIFY(fixture.store()->tasks().isEmpty());
        QVERIFY(fixture.warnings().isEmpty());
    }

    void generalTabWritesAtOnce()
    {
        UiFixture fixture;
        QQuickItem *root = fixture.show("InlineSettingsView");
        QQuickWindow *window = fixture.window();
        Preferences *prefs = fixture.preferences();

        fixture.preferences()->setAppearanceMode("dark");
        QVERIFY(a11y::find(window, "Mørk")->state().checked);
        QVERIFY(a11y::press(window, "System"));
        QCOMPARE(prefs->appearanceMode(), QStringLiteral("system"));
        QVERIFY(a11y::find(window, "System")->state().checked);
        QVERIFY(!a11y::find(window, "Mørk")->state().checked);

        QVERIFY(a11y::press(window, "Vis fakturerbar tid i menulinjen"));
        QVERIFY(!prefs->defaultShowBillableTime());

        static QStringList messages;
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });
        QQuickItem *field = a11y::item(window, "API-nøgle");
        QVERIFY(field);
        field->forceActiveFocus();
        QStringList stored;
        for (const QChar c : QStringLiteral("k3y")) {
            QTest::keyClick(window, c.toLatin1());
            stored.append(prefs->workbookAPIKey());
        }
        QCOMPARE(stored, (QStringList{"k", "k3", "k3y"}));
        // Shown masked.
        QVERIFY(!field->property("displayText").toString().contains("k3y"));
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(prefs->workbookAPIKey(), QStringLiteral("k3y"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(window, Qt::Key_Backspace);
        QCOMPARE(prefs->workbookAPIKey(), QString());
        qInstallMessageHandler(previous);
        for (const QString &message : std::as_const(messages))
            QVERIFY2(!message.contains("k3y"), "the API key reached the log");
        QVERIFY(root);
    }

    void screenshots_data()
    {
        QTest::addColumn<QString>("appearance");
        QTest::newRow("light") << "light";
        QTest::newRow("dark") << "dark";
    }
    void screenshots()
    {
        QFETCH(QString, appearance);
        const QString folder = qEnvironmentVariable("TIMEGLAS_SCREENSHOTS");
        if (folder.isEmpty())
            QSKIP("set TIMEGLAS_SCREENSHOTS to a folder to write the screenshots");
        QDir().mkpath(folder);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(appearance);
        fixture.preferences()->setWorkbookAPIKey("hemmelig-nøgle");
        QVERIFY(fixture.show("InlineSettingsView"));
        QQuickWindow *window = fixture.window();
        auto shot = [&](const QString &name) {
            QTest::qWait(250); // let the banner animations finish before drawing
            return fixture.grab(QStringLiteral("%1/%2-%3.png").arg(folder, name, appearance));
        };
        QVERIFY(shot("general"));
        QVERIFY(a11y::press(window, "Projektkoder"));
        QVERIFY(shot("projektkoder-tom"));
        QVERIFY(a11y::press(window, "Skabeloner"));
        QVERIFY(shot("skabeloner-tom"));
        fill(fixture);
        for (const QString &tab : {QStringLiteral("Skabeloner"), QStringLiteral("Projektkoder"),
                                   QStringLiteral("Eksport"), QStringLiteral("Statistik")}) {
            QVERIFY(a11y::press(window, tab));
            QVERIFY(shot(tab.toLower()));
        }
        QVERIFY(a11y::press(window, "Projektkoder"));
        QVERIFY(a11y::press(window, "Rediger projektkode ABC – Kunde A/S"));
        QTRY_VERIFY(a11y::item(window, "Slet projektkode INT"));
        QTest::mouseMove(window, a11y::item(window, "Slet projektkode INT")->mapToScene({5, 5}).toPoint());
        QVERIFY(shot("projektkoder-banner"));
        QVERIFY(a11y::press(window, "Skabeloner"));
        QVERIFY(a11y::press(window, "Rediger skabelon Support"));
        QVERIFY(shot("skabeloner-banner"));
        QVERIFY(a11y::press(window, "Annuller"));
        QVERIFY(a11y::press(window, "Ny skabelon"));
        QVERIFY(shot("skabeloner-ny"));
        // The other appearance chosen on the general tab recolours the open screen at once.
        QVERIFY(a11y::press(window, "Indstillinger"));
        QVERIFY(a11y::press(window, appearance == QLatin1String("light") ? "Mørk" : "Lys"));
        QVERIFY(shot("general-skiftet"));
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
    }
};

QTEST_MAIN(InlineSettingsViewTest)
#include "tst_inlinesettingsview.moc"
