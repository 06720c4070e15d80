// Closing a day without a window: the hours rounded per task, the wording by the stored key,
// stopping the day's running task, the save-failure line, and refusing to close a day twice.
#include "../records/SqlPeek.h"
#include "UiFixture.h"
#include "dayview/DayClosingModel.h"
#include "dayview/MenuBarContentViewModel.h"
#include "records/ClosedDay.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {
double at(const QDate &d, int hour, int minute = 0)
{
    return timecalc::toSeconds(QDateTime(d, QTime(hour, minute)));
}
// Wednesday 5 March 2025, 16:00.
const QDate Wednesday(2025, 3, 5);
const double Now = at(Wednesday, 16);
const double Thursday = timecalc::startOfDay(Now + 86400);
} // namespace

class DayClosingModelTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;
    std::unique_ptr<MenuBarContentViewModel> vm;
    DayClosingModel *closing = nullptr;
    QStringList lines;

    Task *add(const QString &name, qint64 seconds, double day = Now) { return f->addTask(name, day, seconds); }
    void select(double day) { f->timerManager()->setSelectedDateSeconds(timecalc::startOfDay(day)); }
    QList<ClosedDay *> closedOn(double day) const
    {
        QList<ClosedDay *> out;
        for (ClosedDay *c : f->store()->closedDays())
            if (timecalc::isSameDay(c->dateSeconds(), day))
                out << c;
        return out;
    }

private slots:
    void init()
    {
        m_clock.emplace(Now);
        lines.clear();
        f = std::make_unique<UiFixture>();
        vm = std::make_unique<MenuBarContentViewModel>();
        vm->setServices(f->services());
        closing = vm->closing();
        closing->setOutput([this](const QString &line) { lines << line; });
    }
    void cleanup()
    {
        vm.reset();
        f.reset();
    }

    void hoursAndWording_data()
    {
        QTest::addColumn<QList<qint64>>("seconds");
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("hours");
        QTest::addColumn<QString>("confirmLine");
        QTest::addColumn<QString>("closedText");

        QTest::newRow("7 and 20 minutes give 0.50, no key")
            << QList<qint64>{7 * 60, 20 * 60} << "" << 0.5 << "2 opgaver • 0.50 timer registreres"
            << "0.50 timer registreret";
        QTest::newRow("a key of blanks is a key")
            << QList<qint64>{3600} << "  " << 1.0 << "1 opgave • 1.00 timer sendes til Workbook"
            << "1.00 timer sendt til Workbook";
        QTest::newRow("rounded per task, not on the total")
            << QList<qint64>{8 * 60, 8 * 60, 8 * 60} << "" << 0.75 << "3 opgaver • 0.75 timer registreres"
            << "0.75 timer registreret";
    }
    void hoursAndWording()
    {
        QFETCH(QList<qint64>, seconds);
        QFETCH(QString, key);
        QFETCH(double, hours);
        QFETCH(QString, confirmLine);
        QFETCH(QString, closedText);
        f->preferences()->setWorkbookAPIKey(key);
        for (qint64 s : seconds)
            add("opgave", s);
        add("anden dag", 7200, Now - 86400);

        QVERIFY(closing->canClose());
        QCOMPARE(closing->closingHours(), hours);
        QCOMPARE(closing->confirmLine(), confirmLine);

        closing->closeDay();
        QCOMPARE(closedOn(Now).size(), 1);
        QCOMPARE(closedOn(Now).first()->billableHours(), hours);
        QCOMPARE(closedOn(Now).first()->dateSeconds(), timecalc::startOfDay(Now));
        QCOMPARE(closedOn(Now).first()->closedAt(), Now);
        QVERIFY(vm->isDayClosed());
        QCOMPARE(closing->closedDayRecord(), closedOn(Now).first());
        QCOMPARE(closing->closedText(), closedText);
        QVERIFY(lines.isEmpty());
        // Saved at once, not left to the automatic save.
        QVERIFY(!f->store()->hasPendingChanges());
    }

    void closedHoursOnlyForTheWording_data()
    {
        QTest::addColumn<bool>("showBillable");
        QTest::addColumn<QString>("totalHours");
        QTest::newRow("billable shown") << true << "0.50";
        QTest::newRow("actual shown") << false << "0.45";
    }
    // The footer follows the switch, but closing always freezes billable hours.
    void closedHoursOnlyForTheWording()
    {
        QFETCH(bool, showBillable);
        QFETCH(QString, totalHours);
        add("a", 7 * 60);
        add("b", 20 * 60);
        f->timerManager()->setShowBillableTime(showBillable);
        QCOMPARE(closing->totalTimeText(), "00:27:00");
        QCOMPARE(closing->totalHoursText(), totalHours);
        QCOMPARE(closing->closingHours(), 0.5);
        closing->closeDay();
        QCOMPARE(closedOn(Now).first()->billableHours(), 0.5);
    }

    void closingStopsTheDaysRunningTask()
    {
        Task *earlier = add("earlier", 7 * 60);
        Task *running = add("running", 0);
        // Left running on another day: closing this day must not touch it.
        Task *otherDay = add("yesterday", 0, Now - 86400);
        otherDay->start();
        m_clock->set(Now - 20 * 60);
        f->timerManager()->start(running, f->store()->tasks(), f->store());
        m_clock->set(Now);
        f->timerManager()->advanceTick();
        QCOMPARE(closing->confirmLine(), "2 opgaver • 0.50 timer registreres");

        closing->closeDay();

        QVERIFY(!running->isRunning());
        QCOMPARE(running->accumulatedSeconds(), 20 * 60);
        QCOMPARE(earlier->accumulatedSeconds(), 7 * 60);
        QVERIFY(otherDay->isRunning());
        QVERIFY(!f->timerManager()->activeTaskID());
        QCOMPARE(closedOn(Now).first()->billableHours(), 0.5);
    }

    void offeredHoursGrowWhileATaskRuns()
    {
        Task *t = add("t", 0);
        f->timerManager()->start(t, f->store()->tasks(), f->store());
        QCOMPARE(closing->closingHours(), 0.0);

        QSignalSpy line(closing, &DayClosingModel::confirmLineChanged);
        m_clock->set(Now + 21 * 60);
        f->timerManager()->advanceTick();
        QCOMPARE(closing->closingHours(), 0.5);
        QCOMPARE(closing->confirmLine(), "1 opgave • 0.50 timer registreres");
        QCOMPARE(line.count(), 1);
    }

    // The banner stays open while other days are picked; it describes and closes the day
    // selected at the moment of confirming.
    void bannerFollowsTheSelectedDay()
    {
        add("wednesday", 3600);
        add("thursday 1", 900, Thursday);
        add("thursday 2", 900, Thursday);
        select(Thursday);
        QCOMPARE(closing->confirmTitle(), "Luk torsdag 6. marts?");
        QCOMPARE(closing->confirmLine(), "2 opgaver • 0.50 timer registreres");

        closing->closeDay();
        QCOMPARE(closedOn(Thursday).size(), 1);
        QCOMPARE(closedOn(Now).size(), 0);
    }

    void confirmingForADayThatCannotBeClosed_data()
    {
        QTest::addColumn<bool>("alreadyClosed");
        QTest::newRow("already closed") << true;
        QTest::newRow("no tasks") << false;
    }
    // Confirming after switching to a closed (or empty) day changes nothing and closes the banner.
    void confirmingForADayThatCannotBeClosed()
    {
        QFETCH(bool, alreadyClosed);
        add("wednesday", 3600);
        if (alreadyClosed) {
            add("thursday", 1800, Thursday);
            f->store()->insert(ClosedDay::create(Thursday, 0.5));
        }
        QCOMPARE(f->store()->save(), std::nullopt);
        select(Thursday);
        QCOMPARE(closing->canClose(), false);

        closing->closeDay();

        QCOMPARE(closedOn(Thursday).size(), alreadyClosed ? 1 : 0);
        QCOMPARE(f->store()->closedDays().size(), alreadyClosed ? 1 : 0);
        QVERIFY(!f->store()->hasPendingChanges());
        QVERIFY(lines.isEmpty());
        if (alreadyClosed)
            QCOMPARE(closing->closedText(), "0.50 timer registreret");
    }

    void failedSaveWritesOneLineAndKeepsTheRecord()
    {
        add("t", 3600);
        QCOMPARE(f->store()->save(), std::nullopt);
        {
            SqlPeek other(f->store()->path());
            QVERIFY(other.exec("BEGIN IMMEDIATE"));
            closing->closeDay();
            QVERIFY(other.exec("ROLLBACK"));
        }
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith("Failed to save closed day: "), qPrintable(lines.first()));
        // Nothing is undone: the day is closed and the record is written by the next save.
        QVERIFY(vm->isDayClosed());
        QCOMPARE(f->store()->save(), std::nullopt);
        QCOMPARE(SqlPeek(f->store()->path()).value("SELECT billableHours FROM ClosedDay"), "1.0");
    }

    void stripKeepsTheFrozenHours()
    {
        Task *t = add("t", 7 * 60);
        add("u", 20 * 60);
        closing->closeDay();
        QCOMPARE(closing->closedText(), "0.50 timer registreret");

        // Later changes to the tasks do not move the frozen figure; the key changes the wording.
        t->setAccumulatedSeconds(7200);
        QCOMPARE(closing->closedText(), "0.50 timer registreret");
        f->preferences()->setWorkbookAPIKey("k");
        QCOMPARE(closing->closedText(), "0.50 timer sendt til Workbook");
    }

    void firstClosedRecordInStoreOrderWins()
    {
        add("t", 60);
        ClosedDay *first = f->store()->insert(ClosedDay::create(Now, 1.25));
        f->store()->insert(ClosedDay::create(Now + 3600, 3.0));
        QCOMPARE(closing->closedDayRecord(), first);
        QCOMPARE(closing->closedText(), "1.25 timer registreret");
        select(Thursday);
        QCOMPARE(closing->closedDayRecord(), nullptr);
        QCOMPARE(closing->closedText(), QString());
    }
};

QTEST_GUILESS_MAIN(DayClosingModelTest)
#include "tst_dayclosing_model.moc"
