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

    std::unique_ptr<UiFixture> m_fixture;
    std::unique_ptr<GeneralSettingsTabModel> m_model;

    GeneralSettingsTabModel &openModel()
    {
        m_model = std::make_unique<GeneralSettingsTabModel>();
        m_model->setServices(m_fixture->services());
        return *m_model;
    }
    // The label of the option shown as chosen; empty when none is.
    static QString chosenLabel(const QVariantList &options, const QString &chosen)
    {
        QStringList labels;
        for (const QVariant &option : options)
            if (option.toMap().value("value").toString() == chosen)
                labels.append(option.toMap().value("label").toString());
        return labels.join('+');
    }

private slots:
    void init() { m_fixture = std::make_unique<UiFixture>(); }
    void cleanup()
    {
        m_model.reset();
        m_fixture.reset();
    }

    // The option shown as chosen for a stored value or a choice, the label for it elsewhere,
    // and a choice reaching the theme and the file at once.
    void appearance_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("choose"); // empty: nothing chosen
        QTest::addColumn<QString>("chosen"); // empty: no option chosen
        QTest::addColumn<bool>("dark");
        QTest::newRow("dark") << "light" << "dark" << "Mørk" << true;
        QTest::newRow("light") << "dark" << "light" << "Lys" << false;
        QTest::newRow("system follows a dark desktop") << "light" << "system" << "System" << true;
        QTest::newRow("stored system") << "system" << "" << "System" << true;
        QTest::newRow("other case is not an option") << "Dark" << "" << "" << true;
        QTest::newRow("blank around is not an option") << " light" << "" << "" << true;
    }
    void appearance()
    {
        QFETCH(QString, stored);
        QFETCH(QString, choose);
        QFETCH(QString, chosen);
        QFETCH(bool, dark);
        m_fixture->preferences()->setAppearanceMode(stored);
        m_fixture->theme()->setSystemScheme(Theme::Scheme::Dark);
        GeneralSettingsTabModel &model = openModel();
        QSignalSpy chosenSpy(&model, &GeneralSettingsTabModel::appearanceModeChanged);
        if (!choose.isEmpty())
            model.chooseAppearance(choose);
        QCOMPARE(chosenSpy.count(), choose.isEmpty() ? 0 : 1);
        QCOMPARE(chosenLabel(model.appearanceOptions(), model.chosenAppearance()), chosen);
        QCOMPARE(GeneralSettingsTabModel::appearanceLabel(m_fixture->preferences()->appearanceMode()),
                 chosen.isEmpty() ? "System" : chosen);
        QCOMPARE(m_fixture->theme()->isDark(), dark);
        QCOMPARE(Preferences(m_fixture->preferences()->filePath()).appearanceMode(), choose.isEmpty() ? stored : choose);
    }

    // The away threshold: an option chosen writes the minutes; a number set by hand that is
    // no option leaves none chosen; the row says when nothing here can tell absence.
    void awayThreshold_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("choose"); // empty: nothing chosen
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("chosen");
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
        QFETCH(QString, chosen);
        if (stored >= 0)
            m_fixture->preferences()->setAwayMinutes(stored);
        GeneralSettingsTabModel &model = openModel();
        QSignalSpy canTell(&model, &GeneralSettingsTabModel::canTellAwayChanged);
        if (!choose.isEmpty())
            model.chooseAway(choose);
        QCOMPARE(m_fixture->preferences()->awayMinutes(), minutes);
        QCOMPARE(chosenLabel(model.awayOptions(), model.chosenAway()), chosen);
        QVERIFY(!model.canTellAway()); // no desktop services in the fixture
        m_fixture->context()->awayTracker()->setCanTell(true);
        QVERIFY(model.canTellAway());
        QCOMPARE(canTell.count(), 1);
    }

    void billableSwitchIsSeenAtOnce()
    {
        GeneralSettingsTabModel &model = openModel();
        QVERIFY(model.defaultShowBillableTime()); // a fresh installation
        // The label binds to this object; its change signal is what it redraws on.
        QSignalSpy labelSees(m_fixture->preferences(), &Preferences::defaultShowBillableTimeChanged);

        model.setDefaultShowBillableTime(false);
        QCOMPARE(labelSees.count(), 1);
        QVERIFY(!m_fixture->preferences()->defaultShowBillableTime());
        QVERIFY(!Preferences(m_fixture->preferences()->filePath()).defaultShowBillableTime());

        // A change made elsewhere reaches the switch too.
        QSignalSpy switchSees(&model, &GeneralSettingsTabModel::defaultShowBillableTimeChanged);
        m_fixture->preferences()->setDefaultShowBillableTime(true);
        QCOMPARE(switchSees.count(), 1);
        QVERIFY(model.defaultShowBillableTime());
    }

    void apiKeyStoresEveryKeystrokeAndNeverLogsIt()
    {
        static QStringList messages;
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });

        GeneralSettingsTabModel &model = openModel();
        QSignalSpy dayViewSees(m_fixture->preferences(), &Preferences::workbookAPIKeyChanged);
        const QStringList typed = {"s", "se", "sec", "secr3t-KEY", ""};
        for (const QString &text : typed) {
            model.setWorkbookAPIKey(text);
            QCOMPARE(Preferences(m_fixture->preferences()->filePath()).workbookAPIKey(), text);
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
        QTest::addColumn<bool>("on"); // the file is there and the switch shows it
        QTest::addColumn<bool>("errorShown");
        QTest::newRow("switched on") << "on" << true << false;
        QTest::newRow("switched on, then off") << "on,off" << false << false;
        QTest::newRow("file removed by hand, popover opened") << "on,removeFile,opened" << false << false;
        QTest::newRow("file made by hand, popover opened") << "makeFile,opened" << true << false;
        QTest::newRow("folder cannot be made") << "blockFolder,on" << false << true;
        QTest::newRow("a success clears the error") << "blockFolder,on,unblockFolder,on" << true << false;
    }
    void startAtLoginIsTheAutostartEntry()
    {
        QFETCH(QString, action);
        QFETCH(bool, on);
        QFETCH(bool, errorShown);
        const QString entry = Autostart::entryPath();
        QVERIFY(entry.startsWith(m_fixture->dataDir()));
        const QString folder = QFileInfo(entry).absolutePath();
        GeneralSettingsTabModel &model = openModel();
        QVERIFY(!model.startAtLogin());
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
                emit m_fixture->services()->windowBecameKey();
            } else if (step == "blockFolder") {
                QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
                QFile f(folder);
                QVERIFY(f.open(QIODevice::WriteOnly));
            } else if (step == "unblockFolder") {
                QVERIFY(QFile::remove(folder));
            }
        }
        QCOMPARE(QFile::exists(entry), on);
        QCOMPARE(model.startAtLogin(), on);
        QCOMPARE(!model.startAtLoginError().isEmpty(), errorShown);
    }
};

QTEST_MAIN(GeneralSettingsTabModelTest)
#include "tst_generalsettingstabmodel.moc"
