// The status item's label: running and idle presentations.
#include "core/MenuBarLabel.h"
#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace timecalc;

namespace {
// 2026-03-04 10:00 local time (Europe/Copenhagen, +01:00).
const double wednesdayMorning = 1772614800.0;
const QString dot = QStringLiteral(" \u00B7 ");
} // namespace

class MenuBarLabelTest : public QObject
{
    Q_OBJECT

private:
    std::optional<QTemporaryDir> m_dir;
    std::optional<TestClock> m_clock;
    std::unique_ptr<Store> m_store;

    Task *add(const QString &name, double date, qint64 seconds)
    {
        Task *t = m_store->insert(Task::create(name, date, 0, std::nullopt));
        t->setAccumulatedSeconds(seconds);
        return t;
    }

private slots:
    void init()
    {
        m_clock.emplace(wednesdayMorning);
        m_dir.emplace();
        QString error;
        m_store = Store::open(m_dir->filePath(QStringLiteral("timeglas.sqlite")), &error);
        QVERIFY2(m_store, qPrintable(error));
    }

    // A running task shows whatever today's hours are, even one dated another day.
    void runningText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<double>("startedAgo");
        QTest::addColumn<int>("daysBack");
        QTest::addColumn<QString>("expected");
        QTest::newRow("named") << "Kundemøde" << qint64(3600) << 125.7 << 0 << "01:02:05" + dot + "Kundemøde";
        QTest::newRow("unnamed") << "" << qint64(0) << 5.0 << 0 << "00:00:05" + dot + "\u00B7";
        QTest::newRow("a task of yesterday") << "I går" << qint64(60) << 10.0 << 1 << "00:01:10" + dot + "I går";
    }
    void runningText()
    {
        QFETCH(QString, name);
        QFETCH(qint64, stored);
        QFETCH(double, startedAgo);
        QFETCH(int, daysBack);
        QFETCH(QString, expected);
        add(QStringLiteral("I dag"), wednesdayMorning, 3600);
        Task *t = add(name, wednesdayMorning - daysBack * 86400, stored);
        m_clock->set(wednesdayMorning - startedAgo);
        t->start();
        m_clock->set(wednesdayMorning);
        const LabelPresentation p = MenuBarLabel::evaluate(*m_store, true);
        QCOMPARE(p.iconName, QStringLiteral("hourglass"));
        QCOMPARE(p.text, expected);
    }

    void idleTotal_data()
    {
        QTest::addColumn<QList<qint64>>("todaySeconds");
        QTest::addColumn<bool>("billable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("billable rounds per task") << QList<qint64>{7 * 60, 14 * 60} << true << "0.50t";
        QTest::newRow("actual hours") << QList<qint64>{7 * 60, 14 * 60} << false << "0.35t";
        QTest::newRow("under the threshold stays empty") << QList<qint64>{5 * 60} << true << "";
        QTest::newRow("under the threshold, actual") << QList<qint64>{5 * 60} << false << "0.08t";
    }
    void idleTotal()
    {
        QFETCH(QList<qint64>, todaySeconds);
        QFETCH(bool, billable);
        QFETCH(QString, expected);
        for (qint64 s : todaySeconds)
            add(QStringLiteral("I dag"), wednesdayMorning, s);
        add(QStringLiteral("I går"), wednesdayMorning - 86400, 7200);
        // Today's tasks are matched by exact equality with today's midnight, so a task whose
        // date is not a local midnight (made under another time zone) stays out of the total.
        m_store->insert(std::make_unique<Task>(Record::newId(), QStringLiteral("Skæv"), startOfToday() + 3600, 7200,
                                               std::nullopt, 1, wednesdayMorning, std::nullopt));
        const LabelPresentation p = MenuBarLabel::evaluate(*m_store, billable);
        QCOMPARE(p.iconName, QStringLiteral("hourglass.bottomhalf.filled"));
        QCOMPARE(p.text, expected);
    }

    // Without the tick, the label wakes itself when today's hours next read differently.
    void nextChange_data()
    {
        QTest::addColumn<bool>("billable");
        QTest::addColumn<qint64>("banked");
        QTest::addColumn<qint64>("others"); // another task of today
        QTest::addColumn<double>("readAfter");
        QTest::addColumn<QString>("when"); // "morning", "before midnight", "yesterday's task"
        QTest::addColumn<double>("expectedIn");
        QTest::newRow("billable: past the threshold") << true << qint64(0) << qint64(0) << 100.5 << "morning" << 200.5;
        QTest::newRow("billable: the next quarter") << true << qint64(301) << qint64(600) << 0.0 << "morning" << 900.0;
        QTest::newRow("actual: a tie reads as before") << false << qint64(449) << qint64(0) << 0.0 << "morning" << 2.0;
        QTest::newRow("actual: read mid-second") << false << qint64(449) << qint64(0) << 0.5 << "morning" << 1.5;
        QTest::newRow("midnight comes first") << true << qint64(0) << qint64(0) << 0.0 << "before midnight" << 60.0;
        QTest::newRow("yesterday's task moves nothing of today")
            << true << qint64(0) << qint64(0) << 0.0 << "yesterday's task" << -1.0;
    }
    void nextChange()
    {
        QFETCH(bool, billable);
        QFETCH(qint64, banked);
        QFETCH(qint64, others);
        QFETCH(double, readAfter);
        QFETCH(QString, when);
        QFETCH(double, expectedIn);
        const double today = startOfToday();
        const double tomorrow = *addDays(today, 1);
        const double start = when == "before midnight" ? tomorrow - 60 : wednesdayMorning;
        Task *task = add(QStringLiteral("Løbende"), when == "yesterday's task" ? *addDays(today, -1) : today, banked);
        if (others)
            add(QStringLiteral("Andet"), today, others);
        m_clock->set(start);
        task->start();
        const double now = start + readAfter;
        QCOMPARE(MenuBarLabel::nextChange(*m_store, billable, today, tomorrow, now) - now,
                 expectedIn < 0 ? tomorrow - now : expectedIn);
    }

    // The label follows the day's tasks, the billable preference and the tick by itself,
    // and says so only when its text changed.
    void followsWhatItShows()
    {
        Preferences preferences(m_dir->filePath(QStringLiteral("timeglas.conf")));
        preferences.setDefaultShowBillableTime(true);
        TimerManager manager(nullptr, [](const QString &) {});
        MenuBarLabel label(m_store.get(), &manager, &preferences);
        QSignalSpy changed(&label, &MenuBarLabel::presentationChanged);
        QCOMPARE(label.presentation().text, QString());
        Task *task = add(QStringLiteral("I dag"), wednesdayMorning, 7 * 60);
        QCOMPARE(label.presentation().text, QStringLiteral("0.25t"));
        preferences.setDefaultShowBillableTime(false);
        QCOMPARE(label.presentation().text, QStringLiteral("0.12t"));
        manager.start(task, m_store->tasks(), m_store.get());
        m_clock->advance(5);
        manager.advanceTick();
        QCOMPARE(label.presentation().text, "00:07:05" + dot + "I dag");
        const qsizetype said = changed.count();
        manager.advanceTick();
        QCOMPARE(changed.count(), said);
        // A stop banks the interval and ends it in one step: no label on the way counts it twice.
        m_clock->advance(5);
        manager.stop(task, m_store.get());
        QVERIFY(changed.count() > said);
        for (const QList<QVariant> &after : changed.mid(said))
            QVERIFY2(!after.constFirst().value<LabelPresentation>().text.contains(u':'),
                     qPrintable(after.constFirst().value<LabelPresentation>().text));
        // Past midnight, today's hours start again from none.
        m_clock->advance(86400);
        preferences.setDefaultShowBillableTime(true);
        QCOMPARE(label.presentation().text, QString());
    }
};

QTEST_GUILESS_MAIN(MenuBarLabelTest)
#include "tst_menubarlabel.moc"
