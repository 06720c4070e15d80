// One task row without a window: renaming, re-timing (also of a running task), the closed-day
// rules and the ticking time.
#include "UiFixture.h"
#include "dayview/TaskRowViewModel.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QtTest>
#include <memory>

namespace {
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(10, 0)));
} // namespace

class TaskRowViewModelTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;
    std::unique_ptr<TaskRowViewModel> row;
    Task *task = nullptr;

private slots:
    void init()
    {
        row.reset(); // before what it uses
        m_clock.emplace(Now);
        f = std::make_unique<UiFixture>();
        task = f->addTask(QStringLiteral("Rapport"), Now, 600);
        row = std::make_unique<TaskRowViewModel>();
        row->setTimerManager(f->timerManager());
        row->setTask(task);
    }

    void commitNameStoresTrimmed_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");

        QTest::newRow("blanks around") << "  Møde  " << "Møde" << "Møde";
        QTest::newRow("only blanks empties the name") << "   " << "" << "Unavngivet opgave";
    }

    void commitNameStoresTrimmed()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        row->startEditingName();
        QCOMPARE(row->editedName(), QStringLiteral("Rapport"));
        QVERIFY(row->isEditingName());
        QVERIFY(row->isNameFieldFocused());
        row->setEditedName(typed);
        row->commitName();                // Return
        row->setEditedName("Bagefter");   // anything left in the field afterwards
        row->setNameFieldFocused(false);  // and the focus loss that follows commit nothing more
        QCOMPARE(task->name(), stored);
        QCOMPARE(row->displayName(), shown);
        QCOMPARE(row->isUnnamed(), stored.isEmpty());
        QVERIFY(!row->isEditingName());
    }

    void commitTimeParsesOrStaysOpen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<bool>("staysOpen");

        QTest::newRow("valid") << "1:30" << qint64(5400) << false;
        QTest::newRow("invalid stays open") << "1:60" << qint64(600) << true;
        QTest::newRow("blanks close unchanged") << "  \t " << qint64(600) << false;
    }

    void commitTimeParsesOrStaysOpen()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, stored);
        QFETCH(bool, staysOpen);
        row->startEditingTime();
        QCOMPARE(row->editedTime(), QStringLiteral("00:10:00"));
        row->setEditedTime(typed);
        row->commitTime();
        QCOMPARE(task->accumulatedSeconds(), stored);
        QCOMPARE(row->isEditingTime(), staysOpen);
        if (staysOpen)
            QCOMPARE(row->editedTime(), typed);
    }

    void editingTimeOfRunningTaskStopsIt_data()
    {
        QTest::addColumn<bool>("isTheActiveTask");
        QTest::newRow("the active task") << true;
        QTest::newRow("running but another task is active") << false;
    }

    void editingTimeOfRunningTaskStopsIt()
    {
        QFETCH(bool, isTheActiveTask);
        Task *other = f->addTask(QStringLiteral("Anden"), Now, 0);
        f->timerManager()->start(isTheActiveTask ? task : other, f->store()->tasks(), f->store());
        if (!isTheActiveTask)
            task->start(); // beside the active one, as a store a script wrote may hold it
        m_clock->set(Now + 125.7);
        f->timerManager()->advanceTick();
        QCOMPARE(row->timeText(), QStringLiteral("00:12:05")); // a running row follows the tick

        row->startEditingTime();

        QVERIFY(!task->isRunning());
        QCOMPARE(task->accumulatedSeconds(), 725); // whole seconds only
        QCOMPARE(row->editedTime(), QStringLiteral("00:12:05"));
        QCOMPARE(f->timerManager()->activeTaskID(),
                 isTheActiveTask ? std::nullopt : std::optional<QString>(other->id()));
        // Stopped by the manager: its clock stops with the last runner, and the stop is saved.
        QCOMPARE(f->timerManager()->hasTimer(), !isTheActiveTask);
        QVERIFY(!f->store()->hasPendingChanges());
        QVERIFY(!row->isActive());
    }

    void closingTheDayEndsOpenEdits()
    {
        row->startEditingName();
        row->setEditedName("Gemt");
        row->startEditingTime();
        row->setEditedTime("1:60"); // invalid: dropped, the task keeps its time
        row->setDayClosed(true);
        QCOMPARE(task->name(), QStringLiteral("Gemt"));
        QCOMPARE(task->accumulatedSeconds(), 600);
        QVERIFY(!row->isEditingName());
        QVERIFY(!row->isEditingTime());
    }

    void deletedTaskLeavesTheRowAsItWas()
    {
        f->store()->remove(task);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_VERIFY(!row->task()); // gone once the store lets go of it
        QCOMPARE(row->displayName(), QStringLiteral("Rapport"));
        QCOMPARE(row->timeText(), QStringLiteral("00:10:00"));
        row->startEditingName(); // nothing to edit any more
        QVERIFY(!row->isEditingName());
    }
};

QTEST_MAIN(TaskRowViewModelTest)
#include "tst_taskrow_viewmodel.moc"
