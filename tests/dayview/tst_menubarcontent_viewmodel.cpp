// The day screen's models without a window: which task the clock card shows and starts,
// adding, deleting, moving, the closed-day rules; closing a day (hours rounded per task, the
// wording by the stored key, the save-failure line, once only); the code editor's chips and
// saving; adding from a template at the end of the selected day.
#include "../records/SqlPeek.h"
#include "UiFixture.h"
#include "dayview/CodeEditorModel.h"
#include "dayview/DayClosingModel.h"
#include "dayview/MenuBarContentViewModel.h"
#include "dayview/QuickAddPickerModel.h"
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
const double Thursday = timecalc::startOfDay(Now + 86400);

using OptionalCode = std::optional<QString>;

QStringList names(const QList<Task *> &tasks)
{
    QStringList out;
    for (const Task *t : tasks)
        out << t->name();
    return out;
}

// `selection`: a task's name, "-" for the unnamed one, "raw:" preference text or "" for none;
// `day`: "" or "empty"; `runsAfter`: what runs after the card's button is pressed.
struct Card { const char *title; QString selection, running, day, shown, cardTitle, runsAfter; };
const Card Cards[] = {
    {"nothing chosen", "", "", "", "", "Ingen aktiv session", "A"},
    {"the selected task", "B", "", "", "B", "B", "B"},
    {"running wins, and stops", "B", "A", "", "A", "A", ""},
    {"running on another day, stops", "", "Y", "", "Y", "Y", ""},
    {"a selection of another day selects nothing", "Y", "", "", "", "Ingen aktiv session", "A"},
    {"not a UUID falls back to running", "raw:garbage", "A", "", "A", "A", ""},
    {"unnamed selected task", "-", "", "", "-", "Unavngivet opgave", "-"},
    {"nothing on an empty day", "", "", "empty", "", "Ingen aktiv session", ""},
};

// `question` is empty when the task is deleted without asking; `selected`: the task to delete,
// else another one, is selected.
struct Delete { const char *title; QString name; qint64 seconds; bool running, confirm; QString question; bool selected; };
const Delete Deletes[] = {
    {"no time, stopped: at once", "Tom", 0, false, true, "", true},
    {"recorded time: asks", "Tid", 1, false, true, "Slet \"Tid\"?", false},
    {"running, nothing banked: asks", "Kører", 0, true, true, "Slet \"Kører\"?", true},
    {"Annuller keeps it", "", 90, false, false, "Slet \"Unavngivet opgave\"?", true},
};

// The day's tasks' seconds and the stored key; the footer's hours with billable or actual
// hours shown; then the hours frozen, the question's line and the strip's text.
struct Closing { const char *title; QList<qint64> seconds; QString key; bool showBillable; double hours; QString footerHours, confirmLine, closedText; };
const Closing Closings[] = {
    // The footer follows the switch, but closing always freezes billable hours.
    {"actual hours shown", {7 * 60, 20 * 60}, "", false, 0.5, "0.45", "2 opgaver • 0.50 timer registreres",
     "0.50 timer registreret"},
    {"a key of blanks is a key", {3600}, "  ", true, 1.0, "1.00", "1 opgave • 1.00 timer sendes til Workbook",
     "1.00 timer sendt til Workbook"},
    {"rounded per task, not on the total", {8 * 60, 8 * 60, 8 * 60}, "", true, 0.75, "0.75",
     "3 opgaver • 0.75 timer registreres", "0.75 timer registreret"},
};
} // namespace

class MenuBarContentViewModelTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;
    std::unique_ptr<MenuBarContentViewModel> vm;
    DayClosingModel *closing = nullptr;
    QStringList lines; // what closing the day wrote out

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
        vm.reset(); // before what it uses
        m_clock.emplace(Now);
        f = std::make_unique<UiFixture>();
        vm = std::make_unique<MenuBarContentViewModel>();
        vm->setServices(f->services());
        closing = vm->closing();
        lines.clear();
        closing->setOutput([this](const QString &line) { lines << line; });
    }

    // The clock card shows the running task, else the selected one; its button then starts
    // or stops that one, or the day's first by sortOrder (store order differs on purpose).
    void clockCardAndItsButton_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Cards)); ++i)
            QTest::newRow(Cards[i].title) << i;
    }

    void clockCardAndItsButton()
    {
        QFETCH(int, row);
        const auto [_, selection, running, day, shown, title, runsAfter] = Cards[row];
        add("B", Now, 125, 5);
        add("A", Now, 60, 1);
        add("Y", Yesterday, 3725);
        add("-", Now, 7, 9)->setName(QString());
        auto task = [&](const QString &name) -> Task * {
            return name == "-" ? named(QString()) : name.isEmpty() ? nullptr : named(name);
        };
        if (selection.startsWith("raw:"))
            f->preferences()->setSelectedTaskID(selection.mid(4));
        else if (!selection.isEmpty())
            vm->selectTask(task(selection));
        if (!running.isEmpty())
            f->timerManager()->start(named(running), f->store()->tasks(), f->store());
        if (day == "empty")
            f->timerManager()->setSelectedDateSeconds(timecalc::startOfDay(Now + 86400));

        Task *expected = task(shown);
        QCOMPARE(vm->shownTask(), expected);
        QCOMPARE(vm->shownTitle(), title);
        QCOMPARE(vm->shownTime(), expected ? timecalc::formatElapsed(expected->currentSeconds()) : "00:00:00");

        const QString selectedBefore = f->preferences()->selectedTaskID();
        vm->heroToggle();
        QCOMPARE(vm->runningTask(), task(runsAfter));
        QCOMPARE(f->timerManager()->activeTaskID().has_value(), !runsAfter.isEmpty());
        QCOMPARE(f->preferences()->selectedTaskID(), selectedBefore);
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

    // Typed or from a template, a new task goes last on the selected day, stopped and not selected.
    void addedTaskGoesToTheEnd_data()
    {
        QTest::addColumn<bool>("fromTemplate");
        QTest::addColumn<bool>("thursday"); // the selected day, else today
        QTest::addColumn<QList<qint64>>("existing");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<OptionalCode>("code");
        QTest::addColumn<qint64>("expected");

        QTest::newRow("empty day, only blanks") << false << false << QList<qint64>{} << " \t\n " << OptionalCode() << qint64(0);
        // The count alone (3) would put the new task before the one at 5.
        QTest::newRow("gaps after deletions") << false << false << QList<qint64>{0, 2, 5} << "  Kundemøde \t" << OptionalCode()
                                              << qint64(6);
        QTest::newRow("equal values") << false << false << QList<qint64>{0, 0} << "x" << OptionalCode() << qint64(2);
        QTest::newRow("template: first of the selected, empty day") << true << true << QList<qint64>{0} << " Support "
                                                                    << OptionalCode("ABC") << qint64(0);
        QTest::newRow("template: gaps after deletions") << true << false << QList<qint64>{0, 2, 5} << " Support "
                                                        << OptionalCode() << qint64(6);
    }

    void addedTaskGoesToTheEnd()
    {
        QFETCH(bool, fromTemplate);
        QFETCH(bool, thursday);
        QFETCH(QList<qint64>, existing);
        QFETCH(QString, typed);
        QFETCH(OptionalCode, code);
        QFETCH(qint64, expected);
        for (qint64 order : existing)
            add("old", Now, 0, order);
        add("other day", Yesterday, 0, 99);
        if (thursday)
            select(Thursday);
        TaskTemplate *tpl = f->addTemplate(typed, code);
        if (fromTemplate)
            QVERIFY(vm->quickAdd()->addTaskFromTemplate(tpl));
        else
            vm->commitNewTask(typed);

        Task *t = vm->dayTasks().constLast();
        QCOMPARE(t->name(), fromTemplate ? typed : typed.trimmed()); // a template's copied unchanged
        QCOMPARE(t->projectCode(), code);
        QCOMPARE(t->sortOrder(), expected);
        QCOMPARE(t->dateSeconds(), f->timerManager()->selectedDateSeconds());
        QVERIFY(!t->isRunning());
        QVERIFY(f->preferences()->selectedTaskID().isEmpty());
        f->store()->remove(tpl); // a deleted template, or none, adds nothing
        QVERIFY(!vm->quickAdd()->addTaskFromTemplate(tpl) && !vm->quickAdd()->addTaskFromTemplate(nullptr));
        QCOMPARE(vm->dayTasks().constLast(), t);
    }

    void requestDeleteAsksOnlyForRecordedTime_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Deletes)); ++i)
            QTest::newRow(Deletes[i].title) << i;
    }

    void requestDeleteAsksOnlyForRecordedTime()
    {
        QFETCH(int, row);
        const auto [_, name, seconds, running, confirm, question, selected] = Deletes[row];
        Task *t = add(name, Now, seconds);
        Task *other = add("Anden");
        vm->selectTask(selected ? t : other);
        const QString selectedId = f->preferences()->selectedTaskID();
        if (running)
            f->timerManager()->start(t, f->store()->tasks(), f->store());
        m_clock->set(Now + 50);

        const bool asks = vm->requestDelete(t);
        QCOMPARE(asks, !question.isEmpty());
        if (asks) {
            QCOMPARE(vm->deleteTitle(t), question);
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

    void moveTaskExchangesPlaces_data()
    {
        QTest::addColumn<QList<qint64>>("orders"); // of tasks A, B, C... in store order
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("down") << QList<qint64>{0, 2, 5} << 0 << 1 << QStringList{"B", "A", "C"};
        // The day sorts by order, ties in store order; the first cannot go up.
        QTest::newRow("sorted; first cannot go up") << QList<qint64>{2, 0, 1, 1} << 0 << -1 << QStringList{"B", "C", "D", "A"};
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
        vm->moveTask(vm->dayTasks().at(position), offset);
        QCOMPARE(names(vm->dayTasks()), expected);
    }

    // A row's toggle selects only when it starts; on a closed day nothing changes.
    void rowToggleAndTheClosedDay()
    {
        Task *a = add("A", Now, 0, 0);
        Task *b = add("B", Now, 60, 1);
        vm->rowToggle(a);
        QVERIFY(a->isRunning());
        QCOMPARE(vm->selectedTask(), a);
        vm->selectTask(b);
        vm->rowToggle(a);
        QVERIFY(!a->isRunning());
        QCOMPARE(vm->selectedTask(), b);
        QVERIFY(!vm->isDayClosed());
        ClosedDay *closed = f->store()->insert(ClosedDay::create(Now + 3600, 0.25)); // any time of the same day
        QVERIFY(vm->isDayClosed());

        vm->rowToggle(a);
        vm->heroToggle();
        QVERIFY(!vm->requestDelete(a));
        QVERIFY(!vm->requestDelete(b));
        vm->moveTask(b, -1);
        QVERIFY(!vm->addTask("Ny"));
        QVERIFY(!vm->quickAdd()->addTaskFromTemplate(f->addTemplate("Support"))); // a picker left open

        QVERIFY(!a->isRunning());
        QCOMPARE(names(vm->dayTasks()), QStringList({"A", "B"}));
        QCOMPARE(f->store()->tasks().size(), 2);

        f->timerManager()->setSelectedDateSeconds(timecalc::startOfDay(Yesterday));
        QVERIFY(!vm->isDayClosed());
        f->timerManager()->setSelectedDateSeconds(timecalc::startOfDay(Now));
        QVERIFY(vm->isDayClosed());
        f->store()->remove(closed); // its record gone, the day is open again
        QVERIFY(!vm->isDayClosed());
    }

    void hoursAndWording_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Closings)); ++i)
            QTest::newRow(Closings[i].title) << i;
    }
    void hoursAndWording()
    {
        QFETCH(int, row);
        const auto [_, seconds, key, showBillable, hours, footerHours, confirmLine, closedText] = Closings[row];
        f->preferences()->setWorkbookAPIKey(key);
        f->timerManager()->setShowBillableTime(showBillable);
        Task *first = add("opgave", Now, seconds.first());
        for (qint64 s : seconds.mid(1))
            add("opgave", Now, s);
        add("anden dag", Yesterday, 7200);

        QVERIFY(closing->canClose());
        QCOMPARE(closing->totalHoursText(), footerHours);
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

        // Later changes to the tasks do not move the frozen figure; the key changes the wording.
        first->setAccumulatedSeconds(7200);
        QCOMPARE(closing->closedText(), closedText);
        f->preferences()->setWorkbookAPIKey(key.isEmpty() ? "k" : "");
        QCOMPARE(closing->closedText().endsWith("Workbook"), key.isEmpty());
    }

    // The banner stays open while a task runs and other days are picked: its hours grow with
    // the running task, and it closes the day selected at the moment of confirming, stopping
    // only that day's running task.
    void closesTheSelectedDay_data()
    {
        QTest::addColumn<bool>("thursday");
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("hoursBefore");
        QTest::addColumn<int>("lineChanges");
        QTest::newRow("today, with its running task") << false << "Luk onsdag 5. marts?" << 0.25 << 1;
        QTest::newRow("another day picked") << true << "Luk torsdag 6. marts?" << 0.5 << 0;
    }
    void closesTheSelectedDay()
    {
        QFETCH(bool, thursday);
        QFETCH(QString, title);
        QFETCH(double, hoursBefore);
        QFETCH(int, lineChanges);
        Task *earlier = add("earlier", Now, 7 * 60);
        Task *running = add("running");
        add("thursday 1", Thursday, 900);
        add("thursday 2", Thursday, 900);
        f->timerManager()->start(running, f->store()->tasks(), f->store());
        if (thursday)
            select(Thursday);
        QCOMPARE(closing->confirmTitle(), title);
        QCOMPARE(closing->closingHours(), hoursBefore);

        QSignalSpy line(closing, &DayClosingModel::confirmLineChanged);
        m_clock->set(Now + 20 * 60);
        f->timerManager()->advanceTick();
        QCOMPARE(line.count(), lineChanges);
        QCOMPARE(closing->confirmLine(), "2 opgaver • 0.50 timer registreres");

        closing->closeDay();
        QCOMPARE(closedOn(Thursday).size(), thursday ? 1 : 0);
        QCOMPARE(closedOn(Now).size(), thursday ? 0 : 1);
        QCOMPARE(running->isRunning(), thursday);
        QCOMPARE(f->timerManager()->activeTaskID().has_value(), thursday);
        QCOMPARE(earlier->accumulatedSeconds(), 7 * 60);
        if (!thursday) {
            QCOMPARE(running->accumulatedSeconds(), 20 * 60);
            QCOMPARE(closedOn(Now).first()->billableHours(), 0.5);
        }
    }

    void failedSaveWritesOneLineAndKeepsTheRecord()
    {
        add("t", Now, 3600);
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

    // A day closes once: the first record in store order is the one shown, and confirming for a
    // closed or an empty day (picked while the question was open) changes nothing.
    void closesOnlyOnce()
    {
        add("t", Now, 60);
        ClosedDay *first = f->store()->insert(ClosedDay::create(Now, 1.25));
        f->store()->insert(ClosedDay::create(Now + 3600, 3.0));
        QCOMPARE(f->store()->save(), std::nullopt);
        QCOMPARE(closing->closedDayRecord(), first);
        QCOMPARE(closing->closedText(), "1.25 timer registreret");
        QVERIFY(!closing->canClose());
        closing->closeDay();
        select(Thursday);
        QCOMPARE(closing->closedDayRecord(), nullptr);
        QCOMPARE(closing->closedText(), QString());
        QVERIFY(!closing->canClose());
        closing->closeDay();
        QCOMPARE(f->store()->closedDays().size(), 2);
        QVERIFY(!f->store()->hasPendingChanges());
        QVERIFY(lines.isEmpty());
    }

    // A chip fills the field, another replaces it, the chosen one (exact text only) clears it;
    // saving trims, blanks remove the code, and a removed task is left alone.
    void codeEditor()
    {
        CodeEditorModel *editor = vm->codeEditor();
        QCOMPARE(editor->afterChipClick("", "ABC"), "ABC");
        QCOMPARE(editor->afterChipClick("ABC", "INT"), "INT");
        QCOMPARE(editor->afterChipClick("ABC", "ABC"), "");
        QCOMPARE(editor->afterChipClick("abc", "ABC"), "ABC");
        Task *task = f->addTask("t", Now, 0, QString("OLD"));
        editor->saveCode(task, "   ");
        QCOMPARE(task->projectCode(), OptionalCode());
        editor->saveCode(task, " \t Kunde-Ø 7 \n");
        QCOMPARE(task->projectCode(), OptionalCode("Kunde-Ø 7"));
        f->store()->remove(task);
        editor->saveCode(task, "NEW");
        editor->removeCode(task);
        QCOMPARE(task->projectCode(), OptionalCode("Kunde-Ø 7"));
    }
};

QTEST_MAIN(MenuBarContentViewModelTest)
#include "tst_menubarcontent_viewmodel.moc"
