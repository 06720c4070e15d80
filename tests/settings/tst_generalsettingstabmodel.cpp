// The general settings: which appearance option is chosen, and that every write reaches the
// preferences at once, where the status-bar label, the day view and the theme read it.
#include "AppContext.h"
#include "Autostart.h"
#include "AwayTime.h"
#include "GeneralSettingsTabModel.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QtTest>

class GeneralSettingsTabModelTest : public QObject
{
    Q_OBJECT

private slots:
    // The option shown as chosen for a stored value, and the label for it elsewhere.
    void chosenAppearance_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("chosenLabel"); // empty: no option chosen
        QTest::addColumn<QString>("label");
        QTest::newRow("system") << "system" << "System" << "System";
        QTest::newRow("light") << "light" << "Lys" << "Lys";
        QTest::newRow("dark") << "dark" << "Mørk" << "Mørk";
        QTest::newRow("other case is not an option") << "Dark" << "" << "System";
        QTest::newRow("blank around is not an option") << " dark" << "" << "System";
        QTest::newRow("unknown value") << "sepia" << "" << "System";
    }
    void chosenAppearance()
    {
        QFETCH(QString, stored);
        QFETCH(QString, chosenLabel);
        QFETCH(QString, label);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(stored);
        GeneralSettingsTabModel model;
        model.setServices(fixture.services());
        QStringList chosen;
        for (const QVariant &option : model.appearanceOptions()) {
            const QVariantMap map = option.toMap();
            if (map.value("value").toString() == model.chosenAppearance())
                chosen.append(map.value("label").toString());
        }
        QCOMPARE(chosen, chosenLabel.isEmpty() ? QStringList{} : QStringList{chosenLabel});
        QCOMPARE(GeneralSettingsTabModel::appearanceLabel(stored), label);
    }

    // The away threshold: an option chosen writes the minutes; a number set by hand that is
    // no option leaves none chosen; the row says when nothing here can tell absence.
    void awayThreshold_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("choose"); // empty: nothing chosen
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("chosenLabel");
        QTest::newRow("default") << -1 << "" << 10 << "10 min";
        QTest::newRow("turned off") << 10 << "0" << 0 << "Fra";
        QTest::newRow("an hour") << 10 << "60" << 60 << "60 min";
        QTest::newRow("set by hand") << 7 << "" << 7 << "";
        QTest::newRow("not a number") << 15 << "x" << 15 << "15 min";
    }
    void awayThreshold()
    {
        QFETCH(int, stored);
        QFETCH(QString, choose);
        QFETCH(int, minutes);
        QFETCH(QString, chosenLabel);
        UiFixture fixture;
        if (stored >= 0)
            fixture.preferences()->setAwayMinutes(stored);
        GeneralSettingsTabModel model;
        model.setServices(fixture.services());
        QSignalSpy canTell(&model, &GeneralSettingsTabModel::canTellAwayChanged);
        if (!choose.isEmpty())
            model.chooseAway(choose);
        QCOMPARE(fixture.preferences()->awayMinutes(), minutes);
        QString chosen;
        for (const QVariant &option : model.awayOptions())
            if (option.toMap().value("value").toString() == model.chosenAway())
                chosen = option.toMap().value("label").toString();
        QCOMPARE(chosen, chosenLabel);
        QVERIFY(!model.canTellAway()); // no desktop services in the fixture
        fixture.context()->awayTracker()->setCanTell(true);
        QVERIFY(model.canTellAway());
        QCOMPARE(canTell.count(), 1);
    }

    void choosingAppearanceAppliesAtOnce_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("dark");
        QTest::newRow("dark") << "dark" << true;
        QTest::newRow("light") << "light" << false;
        QTest::newRow("system follows a dark desktop") << "system" << true;
    }
    void choosingAppearanceAppliesAtOnce()
    {
        QFETCH(QString, choice);
        QFETCH(bool, dark);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(choice == QLatin1String("light") ? "dark" : "light");
        fixture.theme()->setSystemScheme(Theme::Scheme::Dark);
        GeneralSettingsTabModel model;
        model.setServices(fixture.services());
        QSignalSpy chosenSpy(&model, &GeneralSettingsTabModel::appearanceModeChanged);

        model.chooseAppearance(choice);
        QCOMPARE(chosenSpy.count(), 1);
        QCOMPARE(model.chosenAppearance(), choice);
        QCOMPARE(fixture.theme()->isDark(), dark);
        QCOMPARE(Preferences(fixture.preferences()->filePath()).appearanceMode(), choice);
    }

    void billableSwitchIsSeenAtOnce()
    {
        UiFixture fixture;
        GeneralSettingsTabModel model;
        model.setServices(fixture.services());
        QVERIFY(model.defaultShowBillableTime()); // a fresh installation
        // The label binds to this object; its change signal is what it redraws on.
        QSignalSpy labelSees(fixture.preferences(), &Preferences::defaultShowBillableTimeChanged);

        model.setDefaultShowBillableTime(false);
        QCOMPARE(labelSees.count(), 1);
        QVERIFY(!fixture.preferences()->defaultShowBillableTime());
        QVERIFY(!Preferences(fixture.preferences()->filePath()).defaultShowBillableTime());

        // A change made elsewhere reaches the switch too.
        QSignalSpy switchSees(&model, &GeneralSettingsTabModel::defaultShowBillableTimeChanged);
        fixture.preferences()->setDefaultShowBillableTime(true);
        QCOMPARE(switchSees.count(), 1);
        QVERIFY(model.defaultShowBillableTime());
    }

    void apiKeyStoresEveryKeystrokeAndNeverLogsIt()
    {
        static QStringList messages;
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });

        UiFixture fixture;
        GeneralSettingsTabModel model;
        model.setServices(fixture.services());
        QSignalSpy dayViewSees(fixture.preferences(), &Preferences::workbookAPIKeyChanged);
        const QStringList typed = {"s", "se", "sec", "secr3t-KEY", ""};
        for (const QString &text : typed) {
            model.setWorkbookAPIKey(text);
            QCOMPARE(Preferences(fixture.preferences()->filePath()).workbookAPIKey(), text);
        }
        QCOMPARE(dayViewSees.count(), typed.size());
        qInstallMessageHandler(previous);
        for (const QString &message : std::as_const(messages))
            QVERIFY2(!message.contains("secr3t"), "the API key reached the log");
    }

    // The switch is the autostart entry: it writes and removes it, and shows what is on
    // disk whenever the popover opens, whoever changed the file.
    void startAtLoginIsTheAutostartEntry_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("fileAfter");
        QTest::addColumn<bool>("switchAfter");
        QTest::addColumn<bool>("errorShown");
        QTest::newRow("switched on") << "on" << true << true << false;
        QTest::newRow("switched on, then off") << "on,off" << false << false << false;
        QTest::newRow("file removed by hand, popover opened") << "on,removeFile,opened" << false << false << false;
        QTest::newRow("file made by hand, popover opened") << "makeFile,opened" << true << true << false;
        QTest::newRow("folder cannot be made") << "blockFolder,on" << false << false << true;
        QTest::newRow("a success clears the error") << "blockFolder,on,unblockFolder,on" << true << true << false;
    }
    void startAtLoginIsTheAutostartEntry()
    {
        QFETCH(QString, action);
        QFETCH(bool, fileAfter);
        QFETCH(bool, switchAfter);
        QFETCH(bool, errorShown);
        UiFixture fixture;
        const QString entry = Autostart::entryPath();
        QVERIFY(entry.startsWith(fixture.dataDir()));
        const QString folder = QFileInfo(entry).absolutePath();
        GeneralSettingsTabModel model;
        model.setServices(fixture.services());
        QVERIFY(!model.startAtLogin());
        QSignalSpy switchSees(&model, &GeneralSettingsTabModel::startAtLoginChanged);

        for (const QString &step : action.split(u',')) {
            if (step == "on" || step == "off") {
                model.setStartAtLogin(step == "on");
            } else if (step == "removeFile") {
                QVERIFY(QFile::remove(entry));
            } else if (step == "makeFile") {
                QVERIFY(QDir().mkpath(folder));
                QFile f(entry);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("[Desktop Entry]\nType=Application\nExec=timeglas\n");
            } else if (step == "opened") {
                emit fixture.services()->windowBecameKey();
            } else if (step == "blockFolder") {
                QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
                QFile f(folder);
                QVERIFY(f.open(QIODevice::WriteOnly));
            } else if (step == "unblockFolder") {
                QVERIFY(QFile::remove(folder));
            }
        }
        QCOMPARE(QFile::exists(entry), fileAfter);
        QCOMPARE(model.startAtLogin(), switchAfter);
        QCOMPARE(!model.startAtLoginError().isEmpty(), errorShown);
        // Every change of the switch, and every refused flip, reaches the view.
        QVERIFY(switchSees.count() >= 1);
    }
};

QTEST_MAIN(GeneralSettingsTabModelTest)
#include "tst_generalsettingstabmodel.moc"
