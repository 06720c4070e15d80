// The week strip, the bottom bar, the footer and the code, quick-add and closing banners on the
// real day screen, driven with mouse, keys and assistive technology on an offscreen window.
#include "Accessibility.h"
#include "Calendar.h"
#include "ClosedDay.h"
#include "Clock.h"
#include "CodeEditorModel.h"
#include "MenuBarContentViewModel.h"
#include "ProjectCode.h"
#include "QuickAddPickerModel.h"
#include "UiFixture.h"

#include <QQuickItem>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>
#include <memory>

using timecalc::Clock;
using OptionalCode = std::optional<QString>;

namespace {
// Wednesday 5 March 2025, 16:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(16, 0)));
const double Today = timecalc::startOfDay(Now);
} // namespace

class DayPiecesUiTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<UiFixture> f;
    QQuickItem *root = nullptr;
    MenuBarContentViewModel *vm = nullptr;

    QQuickWindow *window() const { return f->window(); }

    void showDay()
    {
        root = f->show(QStringLiteral("Popover"));
        QVERIFY2(root, qPrintable(f->warnings().join('\n')));
        vm = root->findChild<MenuBarContentViewModel *>();
        QVERIFY(vm);
        window()->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window()));
    }

    void selectAllAndType(const QString &text)
    {
        QTest::keyClick(window(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(window(), Qt::Key_Delete);
        else
            a11y::type(window(), text);
    }

    // Every text item of the window, popups included, that shows `text` somewhere in its own.
    static void textsHolding(QQuickItem *item, const QString &text, QList<QQuickItem *> *out)
    {
        if (item->inherits("QQuickText") && item->property("text").toString().contains(text))
            out->append(item);
        for (QQuickItem *child : item->childItems())
            textsHolding(child, text, out);
    }

private slots:
    void init()
    {
        Clock::setFixed(Now);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        f = std::make_unique<UiFixture>();
    }
    void cleanup()
    {
        root = nullptr;
        vm = nullptr;
        f.reset();
        Clock::reset();
    }

    // ---- what a closed day disables, and what keeps working -------------------------------

    void controlsOnOpenAndClosedDays_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("works");

        const QStringList kept = {"hoursSwitch", "bottomSettingsButton", "previousWeekButton", "nextWeekButton",
                                  "dayCell0"};
        for (const QString &c : {QStringLiteral("bottomAddButton"), QStringLiteral("bottomTemplatesButton")}) {
            QTest::newRow(qPrintable(c + " on an open day")) << c << false << true;
            QTest::newRow(qPrintable(c + " on a closed day")) << c << true << false;
        }
        for (const QString &c : kept)
            QTest::newRow(qPrintable(c + " on a closed day")) << c << true << true;
    }
    void controlsOnOpenAndClosedDays()
    {
        QFETCH(QString, control);
        QFETCH(bool, closed);
        QFETCH(bool, works);
        f->addTask("Møde", Now, 900);
        f->addTemplate("Support");
        if (closed)
            f->store()->insert(ClosedDay::create(Now, 0.25));
        showDay();
        QQuickItem *item = f->named(control);
        QVERIFY(item);
        QCOMPARE(item->isEnabled(), works);

        // What the control does, seen in the state it changes.
        auto effect = [&]() -> QString {
            if (control == "bottomAddButton")
                return vm->showAddBanner() ? "add banner" : "";
            if (control == "bottomTemplatesButton")
                return vm->showTemplateBanner() ? "picker" : "";
            if (control == "hoursSwitch")
                return f->timerManager()->showBillableTime() ? "" : "actual";
            if (control == "bottomSettingsButton")
                return vm->showSettings() ? "settings" : "";
            const double moved = f->timerManager()->selectedDateSeconds() - Today;
            return moved == 0 ? "" : QString::number(qRound(moved / 86400)) + " days";
        };
        const QHash<QString, QString> expected = {{"bottomAddButton", "add banner"},
                                                  {"bottomTemplatesButton", "picker"},
                                                  {"hoursSwitch", "actual"},
                                                  {"bottomSettingsButton", "settings"},
                                                  {"previousWeekButton", "-7 days"},
                                                  {"nextWeekButton", "7 days"},
                                                  {"dayCell0", "-2 days"}};
        // A disabled control must not answer assistive technology either.
        const QString name = item->property("text").toString();
        if (!works && !name.isEmpty()) {
            a11y::press(window(), name);
            QCOMPARE(effect(), QString());
        }
        f->click(item);
        QCOMPARE(effect(), works ? expected.value(control) : QString());
    }

    void templatesButtonOnlyWhileTemplatesExist()
    {
        f->addTask("Møde", Now);
        showDay();
        QVERIFY(!f->named("bottomTemplatesButton"));
        TaskTemplate *tpl = f->addTemplate("Support");
        QTRY_VERIFY(f->named("bottomTemplatesButton"));
        f->store()->remove(tpl);
        QTRY_VERIFY(!f->named("bottomTemplatesButton"));
    }

    // ---- the week strip -----------------------------------------------------------------

    void noticeLeadsBackToToday_data()
    {
        QTest::addColumn<QString>("away");  // how another day is picked
        QTest::addColumn<QString>("back");  // how today comes back
        QTest::newRow("arrow, then Gå til i dag") << "nextWeekButton" << "goToTodayButton";
        QTest::newRow("a cell, then today's cell") << "dayCell6" << "dayCell2";
        QTest::newRow("arrow, then the other arrow") << "previousWeekButton" << "nextWeekButton";
    }
    void noticeLeadsBackToToday()
    {
        QFETCH(QString, away);
        QFETCH(QString, back);
        showDay();
        QVERIFY(!f->named("otherDayNotice"));

        f->click(f->named(away));
        QVERIFY(f->timerManager()->selectedDateSeconds() != Today);
        QVERIFY(f->settled("goToTodayButton"));
        QTRY_COMPARE(f->named("dayStrip")->property("noticeReveal").toReal(), 1.0);

        f->click(f->named(back));
        QCOMPARE(f->timerManager()->selectedDateSeconds(), Today);
        QTRY_VERIFY(!f->named("otherDayNotice"));
    }

    void selectedCellSpringsToFullSize()
    {
        showDay();
        QCOMPARE(f->named("dayCell2")->scale(), 1.0);
        QCOMPARE(f->named("dayCell3")->scale(), 0.95);
        f->click(f->named("dayCell3"));
        // It sets off from where it stood instead of jumping, then comes to rest.
        QVERIFY(f->named("dayCell3")->scale() < 0.96);
        QTRY_COMPARE(f->named("dayCell3")->scale(), 1.0);
        QTRY_COMPARE(f->named("dayCell2")->scale(), 0.95);
    }

    // ---- closing the day ----------------------------------------------------------------

    void closingFromTheFooter_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("strip");
        QTest::newRow("without a key") << "" << "2 opgaver • 0.50 timer registreres" << "0.50 timer registreret";
        QTest::newRow("with a key") << "abc" << "2 opgaver • 0.50 timer sendes til Workbook"
                                    << "0.50 timer sendt til Workbook";
    }
    void closingFromTheFooter()
    {
        QFETCH(QString, key);
        QFETCH(QString, line);
        QFETCH(QString, strip);
        f->preferences()->setWorkbookAPIKey(key);
        Task *running = f->addTask("a", Now, 7 * 60);
        f->addTask("b", Now, 20 * 60);
        showDay();
        QCOMPARE(f->textOf("totalTimeText"), "00:27:00");

        f->click(f->named("closeDayButton"));
        QVERIFY(f->settled("closeDayConfirmButton"));
        QCOMPARE(f->textOf("closeDayTitle"), "Luk onsdag 5. marts?");
        QCOMPARE(f->textOf("closeDayLine"), line);

        f->timerManager()->start(running, f->store()->tasks(), f->store());
        f->click(f->named("closeDayConfirmButton"));
        QVERIFY(!running->isRunning());
        QTRY_VERIFY(!f->named("closeDayBanner"));
        QVERIFY(f->named("closedStrip"));
        QVERIFY(!f->named("totalsLine"));
        QCOMPARE(f->textOf("closedHoursText"), strip);
        QVERIFY(!f->named("bottomAddButton")->isEnabled());
    }

    void emptyDayHasNoFooter()
    {
        f->addTask("i går", Now - 86400, 3600);
        showDay();
        QVERIFY(!f->named("closeDayButton"));
        QVERIFY(!f->named("totalsLine"));
        f->click(f->named("dayCell1"));
        QTRY_VERIFY(f->named("closeDayButton"));
    }

    // ---- the code editor ----------------------------------------------------------------

    void codeEditorFromTheRow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<OptionalCode>("stored");
        QTest::addColumn<bool>("stillOpen");

        QTest::newRow("Return saves what was typed") << "return" << OptionalCode("NY-7") << false;
        QTest::newRow("Gem saves what was typed") << "gem" << OptionalCode("NY-7") << false;
        QTest::newRow("a click on empty space saves") << "empty" << OptionalCode("NY-7") << false;
        QTest::newRow("Annuller keeps the old code") << "cancel" << OptionalCode("OLD") << false;
        QTest::newRow("Fjern removes the code") << "remove" << OptionalCode() << false;
        QTest::newRow("a chip, then Gem") << "chip" << OptionalCode("INT") << false;
        QTest::newRow("the chosen chip again, then Gem") << "chip twice" << OptionalCode() << false;
        QTest::newRow("an emptied field removes the code") << "clear" << OptionalCode() << false;
        QTest::newRow("Escape does nothing") << "escape" << OptionalCode("OLD") << true;
    }
    void codeEditorFromTheRow()
    {
        QFETCH(QString, how);
        QFETCH(OptionalCode, stored);
        QFETCH(bool, stillOpen);
        Task *task = f->addTask("Møde", Now, 60, QString("OLD"));
        f->store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
        f->store()->insert(ProjectCode::create("INT", "", 1));
        showDay();

        f->click(f->named("rowCodeButton"));
        QVERIFY(f->settled("codeSaveButton"));
        QCOMPARE(f->textOf("codeEditorTaskName"), "Møde");
        QCOMPARE(f->textOf("codeField"), "OLD");
        QTRY_COMPARE(window()->activeFocusItem(), f->named("codeField"));
        QVERIFY(f->named("codeRemoveButton"));

        if (how == "return" || how == "gem" || how == "empty" || how == "cancel" || how == "escape")
            selectAllAndType("NY-7");
        if (how == "return")
            QTest::keyClick(window(), Qt::Key_Return);
        else if (how == "gem")
            f->click(f->named("codeSaveButton"));
        else if (how == "empty")
            f->clickEmptySpace();
        else if (how == "cancel")
            f->click(f->named("codeCancelButton"));
        else if (how == "remove")
            f->click(f->named("codeRemoveButton"));
        else if (how == "escape")
            QTest::keyClick(window(), Qt::Key_Escape);
        else if (how == "clear") {
            selectAllAndType(QString());
            f->click(f->named("codeSaveButton"));
        } else if (how.startsWith("chip")) {
            f->click(f->all("codeChip").value(1));
            QCOMPARE(f->textOf("codeField"), "INT");
            QCOMPARE(f->all("codeChip").value(1)->property("isChosen").toBool(), true);
            if (how == "chip twice")
                f->click(f->all("codeChip").value(1));
            // Choosing a chip is no leaving of the field: nothing is stored yet.
            QCOMPARE(task->projectCode(), OptionalCode("OLD"));
            f->click(f->named("codeSaveButton"));
        }

        QCOMPARE(task->projectCode(), stored);
        if (stillOpen) {
            QVERIFY(f->named("codeEditorBanner"));
            QCOMPARE(window()->activeFocusItem(), f->named("codeField"));
        } else {
            QTRY_VERIFY(!f->named("codeEditorBanner"));
        }
    }

    void noChipForAHandTypedCode()
    {
        f->addTask("Møde", Now, 60, QString("abc"));
        f->store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
        showDay();
        f->click(f->named("rowCodeButton"));
        QTRY_VERIFY(f->named("codeEditorBanner"));
        QCOMPARE(f->all("codeChip").size(), 1);
        QVERIFY(!f->named("codeChip")->property("isChosen").toBool());
    }

    void noChipsWithoutCodesAndNoFjernWithoutACode()
    {
        f->addTask("Møde", Now, 60);
        showDay();
        f->click(f->named("rowCodeButton"));
        QTRY_VERIFY(f->named("codeEditorBanner"));
        QVERIFY(!f->named("codeChips"));
        QVERIFY(!f->named("codeRemoveButton"));
    }

    // ---- the quick-add picker -----------------------------------------------------------

    void pickingATemplate()
    {
        Task *first = f->addTask("Først", Now, 60);
        first->setSortOrder(4);
        f->addTemplate("Daglig standup", QString("INT"));
        f->addTemplate("Support");
        showDay();

        f->click(f->named("bottomTemplatesButton"));
        QVERIFY(f->settled("quickAddRow"));
        QCOMPARE(f->all("quickAddRow").size(), 2);
        f->click(f->all("quickAddRow").at(0));

        QCOMPARE(vm->dayTasks().size(), 2);
        Task *added = vm->dayTasks().last();
        QCOMPARE(added->name(), "Daglig standup");
        QCOMPARE(added->projectCode(), OptionalCode("INT"));
        QCOMPARE(added->sortOrder(), 5);
        QVERIFY(!added->isRunning());
        QTRY_VERIFY(!f->named("quickAddPicker"));

        // The bar's button opens and closes it; so does the cross.
        f->click(f->named("bottomTemplatesButton"));
        QTRY_VERIFY(f->named("quickAddPicker"));
        f->click(f->named("bottomTemplatesButton"));
        QTRY_VERIFY(!f->named("quickAddPicker"));
        f->click(f->named("bottomTemplatesButton"));
        QVERIFY(f->settled("quickAddCloseButton"));
        f->click(f->named("quickAddCloseButton"));
        QTRY_VERIFY(!f->named("quickAddPicker"));
        QCOMPARE(vm->dayTasks().size(), 2);
    }

    // ---- a user's text is never markup ----------------------------------------------------

    void userTextIsDrawnAsWritten_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("markup");
        QTest::addColumn<int>("texts");      // at least this many texts show the markup
        QTest::addColumn<QString>("spoken"); // an accessible name that quotes it, %1 for the markup
        const QStringList markups = {"<b>x</b>", "<img src=\"http://127.0.0.1:1/x.png\">"};
        for (const QString &m : markups) {
            const QString kind = m.startsWith("<b") ? " (bold)" : " (image)";
            auto row = [&](const char *what, const char *screen, int texts, const char *spoken) {
                QTest::newRow(qPrintable(what + kind)) << screen << m << texts << spoken;
            };
            row("task name and code in the row and the clock card", "day", 4, "%1");
            row("delete banner quoting the task name", "delete banner", 1, "Slet \"%1\"?");
            row("code and description on the editor's chip", "code editor", 2, "%1 – %1");
            row("template name and code in the picker", "quick add", 2, "%1");
            row("code and description in the catalogue", "ProjectCodeListView", 2, "Rediger projektkode %1 – %1");
            row("template name and code in the catalogue", "TemplateListView", 2, "Rediger skabelon %1");
        }
    }
    void userTextIsDrawnAsWritten()
    {
        QFETCH(QString, screen);
        QFETCH(QString, markup);
        QFETCH(int, texts);
        QFETCH(QString, spoken);
        f->store()->insert(ProjectCode::create(markup, markup, 0));
        f->addTemplate(markup, markup);
        Task *task = f->addTask(markup, Now, 600, markup);
        f->timerManager()->start(task, f->store()->tasks(), f->store());
        if (screen.front().isUpper()) {
            QVERIFY2(f->show(screen), qPrintable(f->warnings().join('\n')));
        } else {
            showDay();
            if (screen == "delete banner")
                vm->requestDelete(task);
            else if (screen == "code editor")
                vm->codeEditor()->beginEditCode(task);
            else if (screen == "quick add")
                vm->quickAdd()->togglePicker();
        }
        QTest::qWait(300); // banners slide in

        QList<QQuickItem *> drawn;
        textsHolding(window()->contentItem(), markup, &drawn);
        QVERIFY2(drawn.size() >= texts, qPrintable(QString::number(drawn.size())));
        for (QQuickItem *text : std::as_const(drawn))
            QCOMPARE(text->property("textFormat").toInt(), 0); // Text.PlainText
        QVERIFY(a11y::find(window(), spoken.arg(markup)));
    }

    // ---- assistive technology -------------------------------------------------------------

    void everyControlCanBePressedByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Næste uge") << "Næste uge" << "week";
        QTest::newRow("Forrige uge") << "Forrige uge" << "week";
        QTest::newRow("a day cell") << "torsdag 6. marts" << "day";
        QTest::newRow("Tilføj opgave") << "Tilføj opgave" << "add";
        QTest::newRow("Vis skabeloner") << "Vis skabeloner" << "picker";
        QTest::newRow("the hours switch") << "Fakturerbar" << "switch";
        QTest::newRow("Indstillinger") << "Indstillinger" << "settings";
        QTest::newRow("Luk dag") << "Luk dag" << "close banner";
    }
    void everyControlCanBePressedByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, effect);
        f->addTask("Møde", Now, 60);
        f->addTemplate("Support");
        showDay();
        QVERIFY2(a11y::press(window(), name), qPrintable(name));
        // In days, not seconds: a week over a change to summer time is an hour short.
        const qint64 moved = timecalc::localDate(Today).daysTo(timecalc::localDate(f->timerManager()->selectedDateSeconds()));
        if (effect == "week")
            QCOMPARE(qAbs(moved), 7);
        else if (effect == "day")
            QCOMPARE(moved, 1);
        else if (effect == "add")
            QVERIFY(vm->showAddBanner());
        else if (effect == "picker")
            QVERIFY(vm->showTemplateBanner());
        else if (effect == "switch")
            QVERIFY(!f->timerManager()->showBillableTime());
        else if (effect == "settings")
            QVERIFY(vm->showSettings());
        else if (effect == "close banner")
            QVERIFY(vm->showCloseDayConfirm());
    }

    void bannersCanBeAnsweredByName()
    {
        f->addTask("Møde", Now, 60);
        f->addTemplate("Support");
        showDay();
        // The picker: a template by its name, then "Gå til i dag" after a move.
        QVERIFY(a11y::press(window(), "Vis skabeloner"));
        QTRY_VERIFY(a11y::find(window(), "Support"));
        QVERIFY(a11y::press(window(), "Support"));
        QCOMPARE(vm->dayTasks().size(), 2);
        QVERIFY(a11y::press(window(), "Næste uge"));
        QTRY_VERIFY(a11y::find(window(), "Gå til i dag"));
        QVERIFY(a11y::press(window(), "Gå til i dag"));
        QCOMPARE(f->timerManager()->selectedDateSeconds(), Today);
    }
};

QTEST_MAIN(DayPiecesUiTest)
#include "tst_daypieces_ui.moc"
