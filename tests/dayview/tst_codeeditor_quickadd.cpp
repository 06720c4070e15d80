// The code editor and the quick-add picker without a window: chips, hand-typed codes, the
// 20-character cut on user-perceived characters, removing a code, saving on leaving the field,
// and adding from a template at the end of the selected day.
#include "Calendar.h"
#include "ClosedDay.h"
#include "Clock.h"
#include "CodeEditorModel.h"
#include "MenuBarContentViewModel.h"
#include "QuickAddPickerModel.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

using timecalc::Clock;
using OptionalCode = std::optional<QString>;

namespace {
// Wednesday 5 March 2025, 10:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(10, 0)));
} // namespace

class CodeEditorQuickAddTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<UiFixture> f;
    std::unique_ptr<MenuBarContentViewModel> vm;
    CodeEditorModel *editor = nullptr;
    QuickAddPickerModel *picker = nullptr;

    Task *add(const QString &name, const OptionalCode &code = std::nullopt, qint64 sortOrder = -1)
    {
        Task *t = f->addTask(name, Now, 0, code);
        if (sortOrder >= 0)
            t->setSortOrder(sortOrder);
        return t;
    }

private slots:
    void init()
    {
        Clock::setFixed(Now);
        f = std::make_unique<UiFixture>();
        vm = std::make_unique<MenuBarContentViewModel>();
        vm->setServices(f->services());
        editor = vm->codeEditor();
        picker = vm->quickAdd();
        f->store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
        f->store()->insert(ProjectCode::create("INT", "", 1));
    }
    void cleanup()
    {
        vm.reset();
        f.reset();
        Clock::reset();
    }

    // ---- the code editor ---------------------------------------------------------------

    void editingACode_data()
    {
        QTest::addColumn<OptionalCode>("before");
        QTest::addColumn<QStringList>("steps"); // "chip:X", "type:X", "save", "remove", "cancel"
        QTest::addColumn<OptionalCode>("after");

        const QString a19(19, u'A');
        const QString flag = QString::fromUtf8("\U0001F1E9\U0001F1F0");     // Danish flag: one character, 4 units
        const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467"); // one character
        QTest::newRow("a chip sets the code") << OptionalCode() << QStringList{"chip:ABC", "save"} << OptionalCode("ABC");
        QTest::newRow("a second click on the chip clears it, saving removes the code")
            << OptionalCode("INT") << QStringList{"chip:ABC", "chip:ABC", "save"} << OptionalCode();
        QTest::newRow("another chip replaces the choice")
            << OptionalCode() << QStringList{"chip:ABC", "chip:INT", "save"} << OptionalCode("INT");
        QTest::newRow("a code typed by hand is stored as typed")
            << OptionalCode() << QStringList{"type:Kunde-Ø 7", "save"} << OptionalCode("Kunde-Ø 7");
        QTest::newRow("typed blanks around are trimmed")
            << OptionalCode() << QStringList{"type: \t ABC-9 \n", "save"} << OptionalCode("ABC-9");
        QTest::newRow("only blanks removes the code") << OptionalCode("ABC") << QStringList{"type:   ", "save"}
                                                      << OptionalCode();
        QTest::newRow("an empty field removes the code") << OptionalCode("ABC") << QStringList{"type:", "save"}
                                                         << OptionalCode();
        QTest::newRow("25 characters keep the first 20")
            << OptionalCode() << QStringList{"type:ABCDEFGHIJKLMNOPQRSTUVWXY", "save"}
            << OptionalCode("ABCDEFGHIJKLMNOPQRST");
        QTest::newRow("a flag at the limit stays whole")
            << OptionalCode() << QStringList{"type:" + a19 + flag + "ZZ", "save"} << OptionalCode(a19 + flag);
        QTest::newRow("a joined emoji at the limit stays whole")
            << OptionalCode() << QStringList{"type:" + a19 + family + "Z", "save"} << OptionalCode(a19 + family);
        QTest::newRow("a combining accent counts with its letter")
            << OptionalCode() << QStringList{"type:" + a19 + "e\u0301Z", "save"} << OptionalCode(a19 + "e\u0301");
        QTest::newRow("Fjern removes the code") << OptionalCode("ABC") << QStringList{"type:XYZ", "remove"}
                                                << OptionalCode();
        QTest::newRow("Annuller changes nothing") << OptionalCode("ABC") << QStringList{"chip:INT", "cancel"}
                                                  << OptionalCode("ABC");
    }
    void editingACode()
    {
        QFETCH(OptionalCode, before);
        QFETCH(QStringList, steps);
        QFETCH(OptionalCode, after);
        Task *t = add("Opgave", before);
        editor->beginEditCode(t);
        QCOMPARE(vm->codeEditTask(), t);
        QCOMPARE(vm->editedCode(), before.value_or(QString()));

        for (const QString &step : std::as_const(steps)) {
            if (step.startsWith("chip:"))
                editor->chooseChip(step.mid(5));
            else if (step.startsWith("type:"))
                vm->setEditedCode(step.mid(5));
            else if (step == "save")
                editor->saveCode();
            else if (step == "remove")
                editor->removeCode();
            else if (step == "cancel")
                editor->closeCodeEditor();
        }

        QCOMPARE(t->projectCode(), after);
        QCOMPARE(vm->codeEditTask(), nullptr);
        QCOMPARE(vm->editedCode(), QString());
        QCOMPARE(t->accumulatedSeconds(), 0);
        QCOMPARE(t->name(), QStringLiteral("Opgave"));
    }

    void fjernOnlyForATaskWithACode_data()
    {
        QTest::addColumn<OptionalCode>("code");
        QTest::addColumn<bool>("offered");
        QTest::newRow("with a code") << OptionalCode("ABC") << true;
        QTest::newRow("without a code") << OptionalCode() << false;
        // An empty code is still a code: the task has one to remove.
        QTest::newRow("with an empty code") << OptionalCode("") << true;
    }
    void fjernOnlyForATaskWithACode()
    {
        QFETCH(OptionalCode, code);
        QFETCH(bool, offered);
        QVERIFY(!editor->canRemove());
        editor->beginEditCode(add("t", code));
        QCOMPARE(editor->canRemove(), offered);
    }

    void editorTitleNamesTheTask()
    {
        Task *named = add("Kundemøde");
        Task *unnamed = add(QString());
        editor->beginEditCode(named);
        QCOMPARE(editor->taskTitle(), "Kundemøde");
        QSignalSpy spy(editor, &CodeEditorModel::taskTitleChanged);
        named->setName("Kundemøde 2");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(editor->taskTitle(), "Kundemøde 2");
        editor->beginEditCode(unnamed);
        QCOMPARE(editor->taskTitle(), "Unavngivet opgave");
    }

    // Opening the editor for another task drops what was typed for the first.
    void reopeningForAnotherTaskRefills()
    {
        Task *a = add("a", OptionalCode("ABC"));
        Task *b = add("b", OptionalCode("INT"));
        editor->beginEditCode(a);
        vm->setEditedCode("typed");
        editor->beginEditCode(b);
        QCOMPARE(vm->editedCode(), "INT");
        editor->saveCode();
        QCOMPARE(a->projectCode(), OptionalCode("ABC"));
        QCOMPARE(b->projectCode(), OptionalCode("INT"));
    }

    void fieldTakesFocusAfterTheDelayAndSavesOnLeaving()
    {
        Task *t = add("t");
        editor->beginEditCode(t);
        QVERIFY(!vm->isCodeFieldFocused());
        QTRY_VERIFY_WITH_TIMEOUT(vm->isCodeFieldFocused(), 1000);

        vm->setEditedCode("ABC");
        vm->setCodeFieldFocused(false); // the user clicked elsewhere
        QCOMPARE(t->projectCode(), OptionalCode("ABC"));
        QCOMPARE(vm->codeEditTask(), nullptr);

        // Once closed, further focus changes store nothing.
        vm->setCodeFieldFocused(true);
        vm->setCodeFieldFocused(false);
        QCOMPARE(t->projectCode(), OptionalCode("ABC"));
    }

    void closingBeforeTheDelayLeavesFocusAlone()
    {
        editor->beginEditCode(add("t"));
        editor->closeCodeEditor();
        QTest::qWait(MenuBarContentViewModel::FocusDelayMs * 2);
        QVERIFY(!vm->isCodeFieldFocused());
    }

    void deletedTaskClosesTheEditor()
    {
        Task *t = add("t");
        editor->beginEditCode(t);
        vm->setEditedCode("ABC");
        f->store()->remove(t);
        QCOMPARE(vm->codeEditTask(), nullptr);
        editor->saveCode(); // nothing left to store into
        QCOMPARE(vm->editedCode(), QString());
    }

    // ---- the quick-add picker ----------------------------------------------------------

    void addingFromATemplate_data()
    {
        QTest::addColumn<QList<qint64>>("dayOrders");
        QTest::addColumn<OptionalCode>("code");
        QTest::addColumn<qint64>("expectedOrder");

        QTest::newRow("first of an empty day") << QList<qint64>{} << OptionalCode("ABC") << qint64(0);
        QTest::newRow("after three tasks") << QList<qint64>{0, 1, 2} << OptionalCode() << qint64(3);
        // The count would be 3 and place it before the task ordered 5.
        QTest::newRow("at the end after deletions left gaps") << QList<qint64>{0, 2, 5} << OptionalCode("INT")
                                                              << qint64(6);
    }
    void addingFromATemplate()
    {
        QFETCH(QList<qint64>, dayOrders);
        QFETCH(OptionalCode, code);
        QFETCH(qint64, expectedOrder);
        for (qint64 order : dayOrders)
            add("eksisterende", std::nullopt, order);
        f->addTask("anden dag", Now - 86400, 0)->setSortOrder(99);
        TaskTemplate *tpl = f->addTemplate(" Support ", code);
        vm->setShowTemplateBanner(true);

        const qsizetype before = f->store()->tasks().size();
        picker->addTaskFromTemplate(tpl);

        QCOMPARE(f->store()->tasks().size(), before + 1);
        Task *task = f->store()->tasks().last();
        QCOMPARE(task->name(), " Support "); // copied unchanged
        QCOMPARE(task->projectCode(), code);
        QCOMPARE(task->sortOrder(), expectedOrder);
        QCOMPARE(task->dateSeconds(), timecalc::startOfDay(Now));
        QVERIFY(!task->isRunning());
        QCOMPARE(vm->dayTasks().last(), task);
        QCOMPARE(vm->selectedTask(), nullptr);
        QVERIFY(!vm->showTemplateBanner());
    }

    void addsToTheSelectedDay()
    {
        const double tomorrow = timecalc::startOfDay(Now + 86400);
        f->timerManager()->setSelectedDateSeconds(tomorrow);
        picker->addTaskFromTemplate(f->addTemplate("x", std::nullopt));
        QCOMPARE(f->store()->tasks().size(), 1);
        QCOMPARE(f->store()->tasks().first()->dateSeconds(), tomorrow);
    }

    // A picker left open takes no tasks for a closed day; it comes back to life on an open one.
    void closedDayTakesNoTasksFromThePicker()
    {
        TaskTemplate *tpl = f->addTemplate("x", std::nullopt);
        add("t");
        vm->setShowTemplateBanner(true);
        QSignalSpy spy(picker, &QuickAddPickerModel::canAddChanged);
        f->store()->insert(ClosedDay::create(Now, 0));
        QVERIFY(!picker->canAdd());
        QCOMPARE(spy.count(), 1);

        picker->addTaskFromTemplate(tpl);
        QCOMPARE(vm->dayTasks().size(), 1);
        QVERIFY(vm->showTemplateBanner());

        f->timerManager()->nextWeek();
        QVERIFY(picker->canAdd());
        picker->addTaskFromTemplate(tpl);
        QCOMPARE(vm->dayTasks().size(), 1);
        QCOMPARE(f->store()->tasks().size(), 2);
    }

    void deletedTemplateAddsNothing()
    {
        TaskTemplate *tpl = f->addTemplate("x", std::nullopt);
        f->store()->remove(tpl);
        picker->addTaskFromTemplate(tpl);
        picker->addTaskFromTemplate(nullptr);
        QCOMPARE(f->store()->tasks().size(), 0);
    }
};

QTEST_MAIN(CodeEditorQuickAddTest)
#include "tst_codeeditor_quickadd.moc"
