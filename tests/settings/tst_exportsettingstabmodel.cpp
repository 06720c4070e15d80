// The export tab's model: the summary of the chosen range, and the whole export from the
// button to the file on disk, with the dialog and the notice's timer stood in for.
#include "ExportSettingsTabModel.h"
#include "ExportText.h"
#include "UiFixture.h"

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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class ExportSettingsTabModelTest : public QObject
{
    Q_OBJECT

    // Wednesday 5 March 2025, in the afternoon.
    static double now() { return localTime(2025, 3, 5, 14, 0); }

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> m_fixture;
    std::unique_ptr<ExportSettingsTabModel> m_model;

    ExportSettingsTabModel &openModel()
    {
        m_model = std::make_unique<ExportSettingsTabModel>();
        m_model->setServices(m_fixture->services());
        return *m_model;
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

    // Unknown values leave the choice alone; an empty range cannot be exported.
    void startsAtWeekAndCsv()
    {
        m_fixture->addTask("i går", localTime(2025, 3, 4), 1800);
        ExportSettingsTabModel &model = openModel();
        QCOMPARE(model.exportRange() + " " + model.exportFormat(), "thisWeek csv");
        QVERIFY(!model.showExportSuccess());
        model.setExportRange("yesterday");
        model.setExportFormat("xml");
        QCOMPARE(model.exportRange() + " " + model.exportFormat(), "thisWeek csv");
        bool asked = false;
        model.setFileChooser([&](const QString &, reports::ExportFormat, std::function<void(const QString &)>) {
            asked = true;
        });
        model.setExportRange("today");
        QCOMPARE(model.taskCountText() + " " + model.hoursText() + " " + model.billableHoursText(), "0 0.00 0.00");
        QVERIFY(!model.canExport());
        model.performExport();
        QVERIFY(!asked);
        QVERIFY(!model.showExportSuccess());
    }

    // The summary is read again once, a while after the store's changes.
    void summary_data()
    {
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("summary"); // count, hours, billable hours
        // Tasks: 4 March 7 min, 5 March 7 min and 20 min, 10 March 1 h, 28 February 30 min.
        QTest::newRow("today, billable summed per task") << "today" << "2 0.45 0.50";
        QTest::newRow("month leaves February out, takes later weeks") << "thisMonth" << "4 1.57 1.75";
    }
    void summary()
    {
        QFETCH(QString, range);
        QFETCH(QString, summary);
        ExportSettingsTabModel &model = openModel();
        model.setExportRange(range);
        QSignalSpy spy(&model, &ExportSettingsTabModel::summaryChanged);
        m_fixture->addTask("a", localTime(2025, 3, 4), 420);
        m_fixture->addTask("b", localTime(2025, 3, 5), 420);
        m_fixture->addTask("c", localTime(2025, 3, 5), 1200);
        m_fixture->addTask("d", localTime(2025, 3, 10), 3600);
        m_fixture->addTask("e", localTime(2025, 2, 28), 1800);
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(model.taskCountText() + " " + model.hoursText() + " " + model.billableHoursText(), summary);
        QCOMPARE(spy.count(), 1);
        QVERIFY(model.canExport());
    }

    void exportsTheFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("answer"); // "file", "cancel" or "unwritable"
        QTest::addColumn<bool>("written");

        QTest::newRow("csv written") << "csv" << "file" << true;
        QTest::newRow("json written") << "json" << "file" << true;
        QTest::newRow("dialog cancelled") << "csv" << "cancel" << false;
        QTest::newRow("target cannot be written") << "json" << "unwritable" << false;
    }
    void exportsTheFile()
    {
        QFETCH(QString, format);
        QFETCH(QString, answer);
        QFETCH(bool, written);

        m_fixture->addTask("Møde; \"A\"", localTime(2025, 3, 5), 1800, QStringLiteral("ABC"));
        m_fixture->addTask("Frokost", localTime(2025, 3, 4), 1200);
        QTemporaryDir dir;
        const QString target = answer == "unwritable" ? dir.filePath("mangler/export." + format)
                                                      : dir.filePath("export." + format);

        ExportSettingsTabModel &model = openModel();
        model.setExportFormat(format);
        QString proposed;
        bool pinnedWhileAsking = false;
        model.setFileChooser([&](const QString &proposedPath, reports::ExportFormat,
                                 std::function<void(const QString &)> done) {
            proposed = proposedPath;
            pinnedWhileAsking = m_fixture->services()->isPopoverPinned();
            done(answer == "cancel" ? QString() : target);
        });
        QList<int> delays;
        model.setScheduler([&](int ms, std::function<void()>) { delays.append(ms); });

        const QList<reports::ExportRow> rows = reports::exportRows(model.filteredTasks());
        model.performExport();

        QCOMPARE(proposed, QDir::home().filePath("timetracker-export." + format));
        QVERIFY(pinnedWhileAsking);
        QVERIFY(!m_fixture->services()->isPopoverPinned());
        QVERIFY(!model.isChoosingFile());
        QCOMPARE(model.showExportSuccess(), written);
        QCOMPARE(delays, written ? QList<int>{2000} : QList<int>{});
        QCOMPARE(QFile::exists(target), written);
        QCOMPARE(model.lastError().isEmpty(), answer != "unwritable");
        // A failure is said where the success notice would be; nothing else is shown.
        QCOMPARE(model.exportError(),
                 answer == "unwritable" ? "Eksport mislykkedes: " + model.lastError() : QString());
        if (written) {
            const QByteArray expected = format == "csv" ? reports::csvText(rows) : reports::jsonText(rows).bytes;
            QCOMPARE(readAll(target), expected);
        }
    }

    void fileIsMadeWhenTheButtonIsPressed()
    {
        Task *running = m_fixture->addTask("Kører", now(), 600);
        running->start();
        m_clock->advance(1200); // 30 minutes in all when the button is pressed

        ExportSettingsTabModel &model = openModel();
        std::function<void(const QString &)> answer;
        model.setFileChooser([&](const QString &, reports::ExportFormat, std::function<void(const QString &)> done) {
            answer = std::move(done);
        });
        model.setScheduler([](int, std::function<void()>) {});
        model.performExport();
        QVERIFY(model.isChoosingFile());
        QVERIFY(m_fixture->services()->isPopoverPinned());

        // A second press while the dialog is open does nothing.
        bool askedAgain = false;
        auto first = answer;
        model.setFileChooser([&](const QString &, reports::ExportFormat, std::function<void(const QString &)>) {
            askedAgain = true;
        });
        model.performExport();
        QVERIFY(!askedAgain);

        m_clock->set(now() + 7200); // the user takes a while in the dialog
        QTemporaryDir dir;
        first(dir.filePath("x.csv"));
        const QList<QByteArray> lines = readAll(dir.filePath("x.csv")).split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1), QByteArray("2025-03-05;Kører;;600;0,50;0,50"));
        QVERIFY(!m_fixture->services()->isPopoverPinned());
    }

    void noticeHidesWithTheFirstScheduledBlock()
    {
        m_fixture->addTask("a", now(), 60);
        ExportSettingsTabModel &model = openModel();
        QTemporaryDir dir;
        model.setFileChooser([&](const QString &, reports::ExportFormat, std::function<void(const QString &)> done) {
            done(dir.filePath("a.csv"));
        });
        QList<std::function<void()>> blocks;
        model.setScheduler([&](int, std::function<void()> work) { blocks.append(std::move(work)); });

        model.performExport();
        model.performExport();
        QCOMPARE(blocks.size(), 2);
        QVERIFY(model.showExportSuccess());
        blocks.at(0)();
        QVERIFY(!model.showExportSuccess());
        blocks.at(1)();
        QVERIFY(!model.showExportSuccess());
    }
};

QTEST_MAIN(ExportSettingsTabModelTest)
#include "tst_exportsettingstabmodel.moc"
