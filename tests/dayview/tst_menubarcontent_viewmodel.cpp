// The day screen's state and operations, without a window: which task the clock card shows
// and starts, adding, deleting, moving, the closed-day rules and the day's totals.
#include "UiFixture.h"
#include "dayview/MenuBarContentViewModel.h"
#include "records/ClosedDay.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {
// Wednesday 5 March 2025, 10:00 local time.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(10, 0)));
const double Yesterday = Now - 86400;

QStringList names(const QList<Task *> &tasks)
{
    QStringList out;
    for (const Task *t : tasks)
        out << t->name();
    return out;
}

QList<qint64> sortOrders(const QList<Task *> &tasks)
{
    QList<qint64> out;
    for (const Task *t : tasks)
        out << t->sortOrder();
    return out;
}
} // namespace

class MenuBarContentViewModelTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;
    std::unique_ptr<MenuBarContentViewModel> vm;

    Task *add(const QString &name, double day = Now, qint64 seconds = 0, qint64 sortOrder = -1)
    {
        Task *t = f->addTask(name, day, seconds);
        if (sortOrder >= 0)
            t->setSortOrder(sortOrder);
        return t;
    }
    Task *named(const QString &name) const
    {
        for (Task *t : f->store()->tasks())
            if (t->name() == name)
                return t;
        return nullptr;
    }
    void startRunning(Task *t)
    {
        f->timerManager()->start(t, f->store()->tasks(), f->store());
    }

private slots:
    void init()
    {
        m_clock.emplace(Now);
        f = std::make_unique<UiFixture>();
        vm = std::make_unique<MenuBarContentViewModel>();
        vm->setServices(f->services());
    }

    void cleanup()
    {
        vm.reset();
        f.reset();
    }

    // ---- the clock card ----------------------------------------------------------------

    void clockCardShowsRunningElseSelected_data()
    {
        QTest::addColumn<QString>("selection"); // a task's name, "" for none, or raw preference text
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("expectedShown");
        QTest::addColumn<QString>("expectedTitle");

        QTest::newRow("nothing selected or running") << "" << "" << "" << "Ingen aktiv session";
        QTest::newRow("selected task of the day") << "B" << "" << "B" << "B";
        QTest::newRow("running task wins over selection") << "B" << "A" << "A" << "A";
        QTest::newRow("running on another day") << "" << "Y" << "Y" << "Y";
        QTest::newRow("selection of another day selects nothing") << "Y" << "" << "" << "Ingen aktiv session";
        QTest::newRow("not a UUID falls back to running") << "raw:garbage" << "A" << "A" << "A";
        QTest::newRow("unnamed selected task") << "unnamed" << "" << "" << "Unavngivet opgave";
    }

    void clockCardShowsRunningElseSelected()
    {
        QFETCH(QString, selection);
        QFETCH(QString, running);
        QFETCH(QString, expectedShown);
        QFETCH(QString, expectedTitle);
        add("A", Now, 60);
        add("B", Now, 125);
        add("Y", Yesterday, 3725);
        Task *unnamed = add(QString(), Now, 7);

        if (selection.startsWith("raw:"))
            f->preferences()->setSelectedTaskID(selection.mid(4));
        else if (selection == "unnamed")
            vm->selectTask(unnamed);
        else if (!selection.isEmpty())
            vm->selectTask(named(selection));
        if (!running.isEmpty())
            startRunning(named(running));

        Task *expected = expectedShown.isEmpty() ? (selection == "unnamed" ? unnamed : nullptr) : named(expectedShown);
        QCOMPARE(vm->shownTask(), expected);
        QCOMPARE(vm->shownTitle(), expectedTitle);
        QCOMPARE(vm->shownTime(), expected ? timecalc::formatElapsed(expected->currentSeconds()) : "00:00:00");
    }

    void heroToggleStartsOrStops_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("dayClosed");
        QTest::addColumn<QString>("expectedRunning");

        QTest::newRow("first task by sortOrder when nothing chosen") << "" << "" << false << "First";
        QTest::newRow("the selected task") << "Second" << "" << false << "Second";
        QTest::newRow("stops the running task") << "" << "Second" << false << "";
        QTest::newRow("stops a task of another day") << "" << "Y" << false << "";
        QTest::newRow("nothing on a closed day") << "Second" << "" << true << "";
        // Such a selection selects nothing, so the day's first task is taken.
        QTest::newRow("selection naming another day") << "Y" << "" << false << "First";
    }

    void heroToggleStartsOrStops()
    {
        QFETCH(QString, selection);
        QFETCH(QString, running);
        QFETCH(bool, dayClosed);
        QFETCH(QString, expectedRunning);
        // Store order differs from sortOrder, so "first" must come from sortOrder.
        add("Second", Now, 0, 5);
        add("First", Now, 0, 1);
        add("Y", Yesterday);
        if (!selection.isEmpty())
            vm->selectTask(named(selection));
        if (!running.isEmpty())
            startRunning(named(running));
        if (dayClosed)
            f->store()->insert(ClosedDay::create(Now, 0));
        const QString selectedBefore = f->preferences()->selectedTaskID();

        vm->heroToggle();

        QCOMPARE(vm->runningTask() ? vm->runningTask()->name() : QString(), expectedRunning);
        QCOMPARE(f->preferences()->selectedTaskID(), selectedBefore);
    }

    void heroToggleOnEmptyDayDoesNothing()
    {
        add("Y", Yesterday);
        vm->heroToggle();
        QVERIFY(!vm->runningTask());
        QVERIFY(!f->timerManager()->activeTaskID());
    }

    void rowToggleSelectsOnlyWhenStarting()
    {
        Task *a = add("A");
        Task *b = add("B");
        vm->rowToggle(a);
        QVERIFY(a->isRunning());
        QCOMPARE(vm->selectedTask(), a);
        vm->selectTask(b);
        vm->rowToggle(a); // stopping leaves the selection alone
        QVERIFY(!a->isRunning());
        QCOMPARE(vm->selectedTask(), b);
    }

    // ---- the day's tasks ---------------------------------------------------------------

    void dayTasksSortByOrderKeepingStoreOrderForTies()
    {
        add("C", Now, 0, 2);
        add("A", Now, 0, 0);
        add("B1", Now, 0, 1);
        add("Y", Yesterday, 0, 0);
        add("B2", Now, 0, 1);
        QCOMPARE(names(vm->dayTasks()), QStringList({"A", "B1", "B2", "C"}));

        // Another day replaces the rows in one go, so the list does not animate them.
        QSignalSpy reset(vm->dayTasksModel(), &QAbstractItemModel::modelReset);
        QSignalSpy removed(vm->dayTasksModel(), &QAbstractItemModel::rowsRemoved);
        f->timerManager()->setSelectedDateSeconds(timecalc::startOfDay(Yesterday));
        QCOMPARE(names(vm->dayTasks()), QStringList({"Y"}));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(removed.count(), 0);
    }

    void dayTasksAreNotRebuiltOnTick()
    {
        Task *a = add("A");
        add("B");
        startRunning(a);
        QSignalSpy inserted(vm->dayTasksModel(), &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(vm->dayTasksModel(), &QAbstractItemModel::modelReset);
        QSignalSpy moved(vm->dayTasksModel(), &QAbstractItemModel::rowsMoved);
        QSignalSpy shownTime(vm.get(), &MenuBarContentViewModel::shownTimeChanged);

        m_clock->set(Now + 61);
        f->timerManager()->advanceTick();

        QCOMPARE(inserted.count() + reset.count() + moved.count(), 0);
        QCOMPARE(shownTime.count(), 1);
        QCOMPARE(vm->shownTime(), QStringLiteral("00:01:01"));
        QCOMPARE(vm->dayTasksModel()->totalSeconds(), 61);
    }

    void wakeAdvancesTickAndAdoptsRunningTask()
    {
        Task *a = add("A");
        a->start(); // left running by an earlier run: not the active task yet
        const qint64 tick = f->timerManager()->tick();
        f->services()->windowBecameKey();
        QCOMPARE(f->timerManager()->tick(), tick + 1);
        QCOMPARE(f->timerManager()->activeTaskID(), std::optional<QString>(a->id()));
    }

    // ---- adding ------------------------------------------------------------------------

    void addTaskTrimsAndCutsNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");

        QTest::newRow("blanks around") << "  Kundemøde \t" << "Kundemøde";
        QTest::newRow("only blanks gives empty name") << " \t\n " << "";
    }

    void addTaskTrimsAndCutsNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        vm->commitNewTask(typed);

        QCOMPARE(f->store()->tasks().size(), 1);
        Task *t = f->store()->tasks().constFirst();
        QCOMPARE(t->name(), stored);
        QCOMPARE(t->dateSeconds(), timecalc::startOfDay(Now));
        QVERIFY(!t->isRunning());
        QVERIFY(!t->hasProjectCode());
        QVERIFY(f->preferences()->selectedTaskID().isEmpty()); // not selected
    }

    void addedTaskGoesToTheEnd_data()
    {
        QTest::addColumn<QList<qint64>>("existing");
        QTest::addColumn<qint64>("expected");

        QTest::newRow("empty day") << QList<qint64>{} << qint64(0);
        // The count alone (3) would put the new task before the one at 5.
        QTest::newRow("gaps after deletions") << QList<qint64>{0, 2, 5} << qint64(6);
        QTest::newRow("equal values") << QList<qint64>{0, 0} << qint64(2);
    }

    void addedTaskGoesToTheEnd()
    {
        QFETCH(QList<qint64>, existing);
        QFETCH(qint64, expected);
        for (qint64 order : existing)
            add("old", Now, 0, order);
        add("other day", Yesterday, 0, 99);

        Task *t = vm->addTask("new");
        QVERIFY(t);
        QCOMPARE(t->sortOrder(), expected);
        QCOMPARE(vm->dayTasks().constLast(), t);
    }

    // ---- deleting ----------------------------------------------------------------------

    void requestDeleteAsksOnlyForRecordedTime_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("title"); // empty when it is deleted without asking
        QTest::addColumn<bool>("selected"); // the deleted task, else another one, is selected

        QTest::newRow("no time, stopped: at once") << "Tom" << qint64(0) << false << true << "" << true;
        QTest::newRow("recorded time: asks") << "Tid" << qint64(1) << false << true << "Slet \"Tid\"?" << false;
        QTest::newRow("running, nothing banked: asks") << "Kører" << qint64(0) << true << true << "Slet \"Kører\"?"
                                                       << true;
        QTest::newRow("Annuller keeps it") << "" << qint64(90) << false << false << "Slet \"Unavngivet opgave\"?"
                                           << true;
    }

    void requestDeleteAsksOnlyForRecordedTime()
    {
        QFETCH(QString, name);
        QFETCH(qint64, seconds);
        QFETCH(bool, running);
        QFETCH(bool, confirm);
        QFETCH(QString, title);
        QFETCH(bool, selected);
        Task *t = add(name, Now, seconds);
        Task *other = add("Anden");
        vm->selectTask(selected ? t : other);
        const QString selectedId = f->preferences()->selectedTaskID();
        if (running)
            startRunning(t);
        m_clock->set(Now + 50);

        const bool asks = vm->requestDelete(t);
        QCOMPARE(asks, !title.isEmpty());
        if (asks) {
            QCOMPARE(vm->deleteTitle(t), title);
            if (confirm)
                vm->deleteTask(t);
        }
        QCOMPARE(f->store()->tasks().contains(t), !confirm);
        // Deleting clears only its own selection.
        QCOMPARE(f->preferences()->selectedTaskID(), selected && confirm ? QString() : selectedId);
        if (running) {
            // The record lives until the event loop runs; the stop banked and saved its time.
            QCOMPARE(t->accumulatedSeconds(), 50);
            QVERIFY(!f->timerManager()->activeTaskID());
            QVERIFY(!f->timerManager()->hasTimer());
        }
    }

    // ---- moving ------------------------------------------------------------------------

    void moveTaskExchangesPlaces_data()
    {
        QTest::addColumn<QList<qint64>>("orders"); // of tasks A, B, C... in store order
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("down keeps the gaps") << QList<qint64>{0, 2, 5} << 0 << 1 << QStringList{"B", "A", "C"};
        QTest::newRow("up keeps the gaps") << QList<qint64>{0, 2, 5} << 2 << -1 << QStringList{"A", "C", "B"};
        QTest::newRow("first cannot go up") << QList<qint64>{0, 1} << 0 << -1 << QStringList{"A", "B"};
        QTest::newRow("last cannot go down") << QList<qint64>{0, 1} << 1 << 1 << QStringList{"A", "B"};
        // An exchange of equal values alone would leave the order as it was.
        QTest::newRow("equal values still move") << QList<qint64>{3, 3} << 1 << -1 << QStringList{"B", "A"};
        QTest::newRow("a tie elsewhere is not jumped") << QList<qint64>{1, 1, 2} << 2 << -1
                                                       << QStringList{"A", "C", "B"};
    }

    void moveTaskExchangesPlaces()
    {
        QFETCH(QList<qint64>, orders);
        QFETCH(int, position);
        QFETCH(int, offset);
        QFETCH(QStringList, expected);
        for (int i = 0; i < orders.size(); ++i)
            add(QString(QChar('A' + i)), Now, 0, orders.at(i));
        const QList<qint64> before = sortOrders(vm->dayTasks());

        vm->moveTask(vm->dayTasks().at(position), offset);

        QCOMPARE(names(vm->dayTasks()), expected);
        const QSet<qint64> valuesBefore(before.cbegin(), before.cend());
        const QList<qint64> after = sortOrders(vm->dayTasks());
        if (valuesBefore.size() == before.size()) // the same values, only exchanged
            QCOMPARE(QSet<qint64>(after.cbegin(), after.cend()), valuesBefore);
    }

    // ---- a closed day --------------------------------------------------------------------

    void closedDayIsReadOnly()
    {
        Task *a = add("A", Now, 0, 0);
        Task *b = add("B", Now, 60, 1);
        QVERIFY(!vm->isDayClosed());
        f->store()->insert(ClosedDay::create(Now + 3600, 0.25)); // any time of the same day
        QVERIFY(vm->isDayClosed());

        vm->rowToggle(a);
        vm->heroToggle();
        QVERIFY(!vm->requestDelete(a));
        QVERIFY(!vm->requestDelete(b));
        vm->moveTask(b, -1);
        QVERIFY(!vm->addTask("Ny"));

        QVERIFY(!a->isRunning());
        QCOMPARE(names(vm->dayTasks()), QStringList({"A", "B"}));
        QCOMPARE(f->store()->tasks().size(), 2);

        f->timerManager()->setSelectedDateSeconds(timecalc::startOfDay(Yesterday));
        QVERIFY(!vm->isDayClosed());
    }

    // ---- totals --------------------------------------------------------------------------

    void dayTotalsSumPerTask_data()
    {
        QTest::addColumn<bool>("billable");
        QTest::addColumn<double>("hours");
        // 7 minutes and 20 minutes 1 second: billable 0.25 + 0.5, each rounded on its own.
        QTest::newRow("billable") << true << 0.75;
        QTest::newRow("actual") << false << (420.0 + 1201.0) / 3600.0;
    }

    void dayTotalsSumPerTask()
    {
        QFETCH(bool, billable);
        QFETCH(double, hours);
        add("A", Now, 420);
        add("B", Now, 1201);
        add("Y", Yesterday, 3600);
        QCOMPARE(vm->dayTasksModel()->totalSeconds(), 1621);
        QCOMPARE(vm->dayTasksModel()->totalHours(billable), hours);
    }

};

QTEST_MAIN(MenuBarContentViewModelTest)
#include "tst_menubarcontent_viewmodel.moc"
