// The settings tabs' models without a window. General: every write reaching the preferences
// at once, where the status-bar label and the day view read it. Export: the summary of the chosen range, and the whole export from the
// button to the file on disk, with the dialog stood in for. Statistics: the texts shown for
// a period and when they are recomputed; the figures themselves are the statistics' own.
#include "UiFixture.h"
#include "platform/Autostart.h"
#include "records/ClosedDay.h"
#include "reports/ExportText.h"
#include "settings/ExportSettingsTabModel.h"
#include "settings/GeneralSettingsTabModel.h"
#include "settings/DayBarChart.h"
#include "settings/StatsTabModel.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
double localTime(int year, int month, int day, int hour = 12, int minute = 0)
{
    return double(QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch());
}
// Wednesday 5 March 2025, in the afternoon.
double now()
{
    return localTime(2025, 3, 5, 14, 0);
}
QStringList fields(const QVariantList &maps, const QStringList &keys)
{
    QStringList out;
    for (const QVariant &map : maps) {
        QStringList values;
        for (const QString &key : keys)
            values.append(map.toMap().value(key).toString());
        out.append(values.join('|'));
    }
    return out;
}
} // namespace

class SettingsTabModelsTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> m_fixture;
    std::unique_ptr<QObject> m_model;

    template<class Model>
    Model &openModel()
    {
        auto *model = new Model;
        m_model.reset(model);
        model->setServices(m_fixture->services());
        return *model;
    }

private slots:
    void init()
    {
        m_clock.emplace(now());
        m_fixture = std::make_unique<UiFixture>();
    }
    void cleanup()
    {
        m_model.reset();
        m_fixture.reset();
    }

    // The label and the day view bind to the preferences; their change signals are what they redraw on.
    void writesReachThePreferencesAtOnceAndTheKeyNeverTheLog()
    {
        static QStringList messages;
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });
        auto &model = openModel<GeneralSettingsTabModel>();
        const auto saved = [this] { return Preferences(m_fixture->preferences()->filePath()); };
        QVERIFY(model.defaultShowBillableTime()); // a fresh installation
        QSignalSpy labelSees(m_fixture->preferences(), &Preferences::defaultShowBillableTimeChanged);
        model.setDefaultShowBillableTime(false);
        QCOMPARE(labelSees.count(), 1);
        QVERIFY(!saved().defaultShowBillableTime());

        QSignalSpy dayViewSees(m_fixture->preferences(), &Preferences::workbookAPIKeyChanged);
        const QStringList typed = {"s", "se", "sec", "secr3t-KEY", ""};
        for (const QString &text : typed) {
            model.setWorkbookAPIKey(text);
            QCOMPARE(saved().workbookAPIKey(), text);
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
        QTest::newRow("folder cannot be made") << "blockFolder,on" << false << true;
    }
    void startAtLoginIsTheAutostartEntry()
    {
        QFETCH(QString, action);
        QFETCH(bool, on);
        QFETCH(bool, errorShown);
        const QString entry = Autostart::entryPath();
        QVERIFY(entry.startsWith(m_fixture->dataDir()));
        const QString folder = QFileInfo(entry).absolutePath();
        auto &model = openModel<GeneralSettingsTabModel>();
        QVERIFY(!model.startAtLogin());
        for (const QString &step : action.split(u',')) {
            if (step == "on" || step == "off") {
                model.setStartAtLogin(step == "on");
            } else if (step == "removeFile") {
                QVERIFY(QFile::remove(entry));
            } else if (step == "opened") {
                emit m_fixture->services()->windowBecameKey();
            } else if (step == "blockFolder") {
                QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
                QFile f(folder);
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
        }
        QCOMPARE(QFile::exists(entry), on);
        QCOMPARE(model.startAtLogin(), on);
        QCOMPARE(!model.startAtLoginError().isEmpty(), errorShown);
    }

    // Each tab's figures for its period. The week begins on the system locale's first day (CTest
    // runs this under Monday and Sunday locales). The export summary is read again once, a while
    // after the store's changes.
    void periods_data()
    {
        QTest::addColumn<bool>("stats");
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("shown"); // export: count, hours, billable hours; statistics: work days
        const bool sundayFirst = QLocale::system().firstDayOfWeek() == Qt::Sunday;
        QTest::newRow("export today, billable summed per task") << false << "today" << "2 0.45 0.50";
        QTest::newRow("export month leaves February out, takes later weeks") << false << "thisMonth" << "6 1.80 2.25";
        QTest::newRow("statistics week from its first day, later weeks too") << true << "thisWeek" << (sundayFirst ? "5" : "4");
        QTest::newRow("statistics month") << true << "thisMonth" << "5";
        QTest::newRow("statistics all time") << true << "allTime" << "6";
    }
    void periods()
    {
        QFETCH(bool, stats);
        QFETCH(QString, period);
        QFETCH(QString, shown);
        const auto addTasks = [this] { // 2 March is a Sunday
            for (const auto &[day, seconds] : QList<std::pair<QDate, qint64>>{
                     {{2025, 2, 28}, 1800}, {{2025, 3, 2}, 420}, {{2025, 3, 3}, 420}, {{2025, 3, 5}, 420},
                     {{2025, 3, 5}, 1200}, {{2025, 3, 10}, 3600}, {{2025, 4, 1}, 420}})
                m_fixture->addTask("T", localTime(day.year(), day.month(), day.day()), seconds);
        };
        if (stats) {
            addTasks();
            auto &model = openModel<StatsTabModel>();
            model.setStatsPeriod(period);
            QCOMPARE(QString::number(model.workDays()), shown);
            return;
        }
        auto &model = openModel<ExportSettingsTabModel>();
        model.setExportRange(period);
        QSignalSpy spy(&model, &ExportSettingsTabModel::summaryChanged);
        addTasks();
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(model.taskCountText() + " " + model.hoursText() + " " + model.billableHoursText(), shown);
        QCOMPARE(spy.count(), 1);
        QVERIFY(model.canExport());
    }

    void exportWritesTheFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("answer"); // "file", "cancel" or "unwritable"
        QTest::addColumn<bool>("written");

        QTest::newRow("csv written") << "csv" << "file" << true;
        QTest::newRow("json written") << "json" << "file" << true;
        QTest::newRow("dialog cancelled") << "csv" << "cancel" << false;
        QTest::newRow("target cannot be written") << "json" << "unwritable" << false;
    }
    void exportWritesTheFile()
    {
        QFETCH(QString, format);
        QFETCH(QString, answer);
        QFETCH(bool, written);

        // Running for 20 minutes when the button is pressed; the file holds the tasks as they were then.
        m_fixture->addTask("Møde; \"A\"", localTime(2025, 3, 5), 600, QStringLiteral("ABC"))->start();
        m_clock->advance(1200);
        m_fixture->addTask("Frokost", localTime(2025, 3, 4), 1200);
        QTemporaryDir dir;
        const QString target = answer == "unwritable" ? dir.filePath("mangler/export." + format)
                                                      : dir.filePath("export." + format);

        auto &model = openModel<ExportSettingsTabModel>();
        model.setExportFormat(format);
        QString proposed;
        bool shownWhileAsking = false;
        model.setFileChooser([&](const QString &proposedPath, reports::ExportFormat,
                                 std::function<void(const QString &)> done) {
            proposed = proposedPath;
            shownWhileAsking = m_fixture->services()->isPopoverPinned() && model.isChoosingFile();
            m_clock->advance(7200); // the user takes a while in the dialog
            done(answer == "cancel" ? QString() : target);
        });
        model.setScheduler([](int, std::function<void()>) {});

        const QList<reports::ExportRow> rows = reports::exportRows(model.filteredTasks());
        model.performExport();

        QCOMPARE(proposed, QDir::home().filePath("timetracker-export." + format));
        QVERIFY(shownWhileAsking);
        QVERIFY(!m_fixture->services()->isPopoverPinned());
        QVERIFY(!model.isChoosingFile()); // the button works again
        QCOMPARE(model.showExportSuccess(), written);
        QCOMPARE(QFile::exists(target), written);
        QCOMPARE(model.lastError().isEmpty(), answer != "unwritable");
        // A failure is said where the success notice would be; nothing else is shown.
        QCOMPARE(model.exportError(),
                 answer == "unwritable" ? "Eksport mislykkedes: " + model.lastError() : QString());
        if (written) {
            const QByteArray expected = format == "csv" ? reports::csvText(rows) : reports::jsonText(rows).bytes;
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), expected);
        }
    }

    void dayColumnsAndProjectRows()
    {
        m_fixture->addTask("a", localTime(2025, 3, 3), 7200);
        m_fixture->addTask("b", localTime(2025, 3, 4), 14400);
        m_fixture->addTask("c", localTime(2025, 3, 5), 7200);
        for (int i = 0; i < 3; ++i)
            m_fixture->addTask("T", now(), 480, QStringLiteral("ABC"));
        auto &model = openModel<StatsTabModel>();
        QVERIFY(model.showsDayLabels());
        QCOMPARE(fields(model.overview(), {"value"}), (QStringList{"8:24", "8.8 t", "3", "2.8 t"}));
        QCOMPARE(fields(model.dayColumns(), {"hours", "height", "weekday", "date"}),
                 (QStringList{"2.0|40|man.|3/3", "4.0|80|tir.|4/3", "2.4|48|ons.|5/3"}));
        QCOMPARE(fields(model.projectRows(), {"code", "count", "hours", "billable", "fraction"}),
                 (QStringList{"Ingen kode|3 opgaver|8.0 t|8.0 t fakt.|1", "ABC|3 opgaver|0.4 t|0.8 t fakt.|0.05"}));
    }

    // Closed days are counted whatever the period; the figures follow store changes once,
    // a while after the last, and not the timer's tick.
    void recomputesOnStoreChangesOnlyAndOnce()
    {
        Task *task = m_fixture->addTask("T", now(), 60);
        auto &model = openModel<StatsTabModel>();
        QSignalSpy overview(&model, &StatsTabModel::overviewChanged);
        QSignalSpy days(&model, &StatsTabModel::dailyHoursChanged);
        m_fixture->timerManager()->advanceTick();
        QCoreApplication::processEvents();
        QCOMPARE(overview.count(), 0);

        Task *kept = m_fixture->addTask("U", now(), 120, QStringLiteral("K"));
        task->setAccumulatedSeconds(3600);
        m_fixture->store()->remove(task);
        QCOMPARE(overview.count(), 0);
        QTRY_COMPARE(overview.count(), 1);
        QCOMPARE(model.totalStoredSeconds(), 120);

        m_fixture->addTask("old", localTime(2024, 1, 1), 600, QStringLiteral("X"));
        m_fixture->store()->insert(ClosedDay::create(localTime(2024, 6, 1), 7.5));
        QTRY_COMPARE(model.closedDayCount(), 1);
        QCOMPARE(overview.count(), 1);
        QCOMPARE(days.count(), 1); // nothing of this week moved
        kept->setAccumulatedSeconds(240); // the same full-height bar, other hours
        QTRY_COMPARE(days.count(), 2);
        QCOMPARE(overview.count(), 2);

        model.setStatsPeriod("allTime");
        QCOMPARE(overview.count(), 3);
    }

    // With fewer pixels than days, every day is drawn by exactly one bar, in order, as high
    // as its highest day, inside the item, and a press on a bar finds one of its days.
    void chartLayout_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("bars");
        QTest::addColumn<qreal>("width");
        QTest::newRow("a week, spaced bars") << 7 << 7 << 340.0;
        // 7 slots of 4 px less the 3 px spacing: a pixel is enough for a bar of its own.
        QTest::newRow("bars exactly a pixel wide") << 7 << 7 << 25.0;
        QTest::newRow("slightly more days than pixels") << 341 << 340 << 340.0;
        QTest::newRow("forty years") << 14610 << 340 << 340.0;
    }
    void chartLayout()
    {
        QFETCH(int, days);
        QFETCH(int, bars);
        QFETCH(qreal, width);
        DayBarChart chart;
        chart.setSize(QSizeF(width, 80));
        QList<qreal> heights;
        for (int i = 0; i < days; ++i)
            heights.append(4 + (i * 37) % 77);
        chart.setHeights(heights);
        const QList<DayBarChart::Bar> layout = chart.layout();
        QCOMPARE(layout.size(), bars);
        int next = 0;
        for (const DayBarChart::Bar &bar : layout) {
            QCOMPARE(bar.firstDay, next);
            QVERIFY(bar.lastDay >= bar.firstDay);
            next = bar.lastDay + 1;
            QCOMPARE(bar.rect.height(), *std::max_element(heights.begin() + bar.firstDay, heights.begin() + next));
            QCOMPARE(bar.rect.bottom(), 80.0);
            QVERIFY(bar.rect.left() >= 0 && bar.rect.right() <= width + 1e-9 && bar.rect.width() >= 1.0 - 1e-9);
            const int hit = chart.indexAt(bar.rect.center().x());
            QVERIFY(hit >= bar.firstDay && hit <= bar.lastDay);
            // A press in the spacing after a bar is still that bar's.
            if (bars == days && bar.lastDay + 1 < days)
                QCOMPARE(chart.indexAt(bar.rect.right() + 1.5), bar.firstDay);
        }
        QCOMPARE(next, days);
    }
};

QTEST_MAIN(SettingsTabModelsTest)
#include "tst_settingstabmodels.moc"
