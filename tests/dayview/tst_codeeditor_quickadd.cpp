// The code editor's and the quick-add picker's operations without a window: what a chip click
// leaves in the field, what saving stores, and adding from a template at the end of the
// selected day, never on a closed one.
#include "UiFixture.h"
#include "dayview/CodeEditorModel.h"
#include "dayview/MenuBarContentViewModel.h"
#include "dayview/QuickAddPickerModel.h"
#include "records/ClosedDay.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

using OptionalCode = std::optional<QString>;

namespace {
// Wednesday 5 March 2025, 10:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(10, 0)));
} // namespace

class CodeEditorQuickAddTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;
    std::unique_ptr<MenuBarContentViewModel> vm;

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

    void chipClick_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("after");
        QTest::newRow("a chip fills an empty field") << "" << "ABC" << "ABC";
        QTest::newRow("another chip replaces the choice") << "ABC" << "INT" << "INT";
        QTest::newRow("the chosen chip again clears it") << "ABC" << "ABC" << "";
        QTest::newRow("only the exact text is the chosen chip") << "abc" << "ABC" << "ABC";
    }
    void chipClick()
    {
        QFETCH(QString, field);
        QFETCH(QString, chip);
        QFETCH(QString, after);
        QCOMPARE(vm->codeEditor()->afterChipClick(field, chip), after);
    }

    void savingACode_data()
    {
        QTest::addColumn<OptionalCode>("before");
        QTest::addColumn<QString>("typed"); // "<remove>" presses Fjern
        QTest::addColumn<OptionalCode>("after");
        QTest::newRow("stored as typed") << OptionalCode() << "Kunde-Ø 7" << OptionalCode("Kunde-Ø 7");
        QTest::newRow("blanks around are trimmed") << OptionalCode() << " \t ABC-9 \n" << OptionalCode("ABC-9");
        QTest::newRow("only blanks removes the code") << OptionalCode("ABC") << "   " << OptionalCode();
        QTest::newRow("25 characters keep the first 20") << OptionalCode() << "ABCDEFGHIJKLMNOPQRSTUVWXY"
                                                         << OptionalCode("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("Fjern removes the code") << OptionalCode("ABC") << "<remove>" << OptionalCode();
    }
    void savingACode()
    {
        QFETCH(OptionalCode, before);
        QFETCH(QString, typed);
        QFETCH(OptionalCode, after);
        Task *task = f->addTask("t", Now, 0, before);
        if (typed == "<remove>")
            vm->codeEditor()->removeCode(task);
        else
            vm->codeEditor()->saveCode(task, typed);
        QCOMPARE(task->projectCode(), after);
    }

    void aRemovedTaskIsLeftAlone()
    {
        Task *task = f->addTask("t", Now, 0, QString("OLD"));
        QSignalSpy removed(vm.get(), &MenuBarContentViewModel::taskRemoved);
        f->store()->remove(task);
        QCOMPARE(removed.count(), 1); // the banners let go of it
        QCOMPARE(removed.at(0).at(0).value<Task *>(), task);
        vm->codeEditor()->saveCode(task, "NEW");
        vm->codeEditor()->removeCode(task);
        QCOMPARE(task->projectCode(), OptionalCode("OLD"));
    }

    void addingFromATemplate_data()
    {
        QTest::addColumn<QList<qint64>>("dayOrders");
        QTest::addColumn<OptionalCode>("code");
        QTest::addColumn<qint64>("expectedOrder");
        QTest::newRow("first of an empty day") << QList<qint64>{} << OptionalCode("ABC") << qint64(0);
        // The count would be 3 and place it before the task ordered 5.
        QTest::newRow("at the end after deletions left gaps") << QList<qint64>{0, 2, 5} << OptionalCode() << qint64(6);
    }
    void addingFromATemplate()
    {
        QFETCH(QList<qint64>, dayOrders);
        QFETCH(OptionalCode, code);
        QFETCH(qint64, expectedOrder);
        for (qint64 order : dayOrders)
            f->addTask("eksisterende", Now)->setSortOrder(order);
        f->addTask("anden dag", Now - 86400)->setSortOrder(99);
        TaskTemplate *tpl = f->addTemplate(" Support ", code);

        QVERIFY(vm->quickAdd()->addTaskFromTemplate(tpl));
        Task *task = f->store()->tasks().last();
        QCOMPARE(task->name(), " Support "); // copied unchanged
        QCOMPARE(task->projectCode(), code);
        QCOMPARE(task->sortOrder(), expectedOrder);
        QVERIFY(!task->isRunning());
        QCOMPARE(vm->dayTasks().last(), task);
        QCOMPARE(vm->selectedTask(), nullptr);
    }

    void addsToTheSelectedDay()
    {
        const double tomorrow = timecalc::startOfDay(Now + 86400);
        f->timerManager()->setSelectedDateSeconds(tomorrow);
        QVERIFY(vm->quickAdd()->addTaskFromTemplate(f->addTemplate("x")));
        QCOMPARE(f->store()->tasks().first()->dateSeconds(), tomorrow);
    }

    // A picker left open takes no tasks for a closed day; it comes back to life on an open one.
    void closedDayTakesNoTasksFromThePicker()
    {
        QuickAddPickerModel *picker = vm->quickAdd();
        TaskTemplate *tpl = f->addTemplate("x");
        f->addTask("t", Now);
        QSignalSpy spy(picker, &QuickAddPickerModel::canAddChanged);
        f->store()->insert(ClosedDay::create(Now, 0));
        QVERIFY(!picker->canAdd());
        QCOMPARE(spy.count(), 1);
        QVERIFY(!picker->addTaskFromTemplate(tpl));
        QCOMPARE(vm->dayTasks().size(), 1);

        f->timerManager()->nextWeek();
        QVERIFY(picker->canAdd());
        QVERIFY(picker->addTaskFromTemplate(tpl));
        QCOMPARE(f->store()->tasks().size(), 2);
    }

    void deletedTemplateAddsNothing()
    {
        TaskTemplate *tpl = f->addTemplate("x");
        f->store()->remove(tpl);
        QVERIFY(!vm->quickAdd()->addTaskFromTemplate(tpl));
        QVERIFY(!vm->quickAdd()->addTaskFromTemplate(nullptr));
        QCOMPARE(f->store()->tasks().size(), 0);
    }
};

QTEST_MAIN(CodeEditorQuickAddTest)
#include "tst_codeeditor_quickadd.moc"
