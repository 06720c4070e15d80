// The wiring only the QML can break, on the real screens in an offscreen window: one row per
// path from a click, key or assistive-technology press to the model operation it must reach,
// checked in what the store and the screen show afterwards.
#include "Accessibility.h"
#include "UiFixture.h"
#include "dayview/MenuBarContentViewModel.h"
#include "records/ClosedDay.h"
#include "records/ProjectCode.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QQuickItem>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtQuickTest/quicktest.h>
#include <QtTest>
#include <functional>

namespace {
// Wednesday 5 March 2025, 16:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(16, 0)));

struct Screen
{
    UiFixture f;
    QQuickItem *root = nullptr;

    QQuickWindow *window() const { return f.window(); }
    QQuickItem *focused() const { return f.window()->activeFocusItem(); }
    MenuBarContentViewModel *vm() const { return root->findChild<MenuBarContentViewModel *>(); }
    QObject *banners() const { return f.banners(); }
    bool banner(const char *flag) const { return banners()->property(flag).toBool(); }
    void call(const char *method, QObject *task = nullptr) const
    {
        if (task)
            QMetaObject::invokeMethod(banners(), method, Q_ARG(QVariant, QVariant::fromValue(task)));
        else
            QMetaObject::invokeMethod(banners(), method);
    }
    bool show(const QString &type = QStringLiteral("Popover"))
    {
        root = f.show(type);
        if (!root)
            return false;
        f.window()->requestActivate();
        return QTest::qWaitForWindowActive(f.window());
    }
    // The row menu's visible entries as one line, "|" for a separator; "" while it is closed.
    QString menuLine(int row) const
    {
        QObject *menu = f.rowMenu(row);
        if (!menu || !menu->property("visible").toBool())
            return QString();
        QStringList out;
        for (int i = 0; i < menu->property("count").toInt(); ++i) {
            QQuickItem *item = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
            if (!item->isVisible())
                continue;
            const bool separator = item->inherits("QQuickMenuSeparator");
            out << (separator ? QStringLiteral("|") : item->property("text").toString());
        }
        return out.join(QLatin1Char(','));
    }
    // Opens the row's menu with a right click, checks its entries when `line` is given, and
    // clicks `entry`.
    void clickMenuEntry(int row, const QString &entry, const QString &line = {})
    {
        f.click(f.all(QStringLiteral("rowNameArea")).at(row), Qt::RightButton);
        QTRY_VERIFY(menuLine(row).contains(entry));
        if (!line.isEmpty())
            QCOMPARE(menuLine(row), line);
        // Clicks land only once the menu's entry transition is over.
        QTRY_VERIFY(f.rowMenu(row)->property("opened").toBool());
        QVERIFY(QQuickTest::qWaitForPolish(window()));
        for (QQuickItem *i : f.all(QString()))
            if (i->isVisible() && i->property("text").toString() == entry
                && QByteArray(i->metaObject()->className()).contains("MenuItem")) {
                // At a person's pace: the pointer comes to the entry, and whatever the screen
                // defers runs while the button is held.
                const QPoint at = i->mapToScene({i->width() / 2, i->height() / 2}).toPoint();
                QTest::mouseMove(window(), at);
                QTest::mousePress(window(), Qt::LeftButton, {}, at);
                QCoreApplication::processEvents();
                QTest::mouseRelease(window(), Qt::LeftButton, {}, at);
                return;
            }
        QFAIL(qPrintable("no menu entry " + entry));
    }
    // What is open over the day screen, innermost first; "hidden" once the popover was asked to hide.
    QString layers(const QSignalSpy &hidden) const
    {
        QStringList open;
        if (!menuLine(0).isEmpty())
            open << "menu";
        for (const char *flag : {"settingsOpen", "closeDayOpen", "templatesOpen"})
            if (banner(flag))
                open << flag;
        if (banners()->property("taskToDelete").value<QObject *>())
            open << "delete";
        if (!hidden.isEmpty())
            open << "hidden";
        return open.join(QLatin1Char(','));
    }
    // What a control changed on the day screen: a banner opened, the hours switched, the day moved.
    QString effect() const
    {
        for (const char *flag : {"addOpen", "templatesOpen", "settingsOpen", "closeDayOpen"})
            if (banner(flag))
                return flag;
        if (!f.timerManager()->showBillableTime())
            return "actual";
        const qint64 days = timecalc::localDate(Now).daysTo(timecalc::localDate(f.timerManager()->selectedDateSeconds()));
        return days ? QString::number(days) + " days" : QString();
    }
    // The loaded view of a module type below the root, e.g. "TemplateListView".
    QQuickItem *viewOf(const QString &type) const
    {
        for (QQuickItem *item : root->findChildren<QQuickItem *>())
            if (QString::fromLatin1(item->metaObject()->className()).startsWith(type + "_QMLTYPE_"))
                return item;
        return nullptr;
    }
};

using Path = std::function<void(Screen &)>;
QList<Path> &paths()
{
    static QList<Path> list;
    return list;
}
} // namespace

class ScreenWiringTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;

    static void add(const char *name, Path path)
    {
        QTest::newRow(name) << int(paths().size());
        paths().append(std::move(path));
    }

private slots:
    void init()
    {
        m_clock.emplace(Now);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }

    void path_data()
    {
        QTest::addColumn<int>("path");
        paths().clear();

        // ---- the editors: the add banner, a row's name and time, the code editor --------------
        // Each opens on a click with its field focused; how it is left (a key, a click on empty
        // space or another row, a button) keeps or drops what was typed and closes it or not.
        struct Edit { const char *name; const char *editor; QString typed; const char *how; QString stored; bool open; };
        for (const Edit &e : {Edit{"add: Return adds the trimmed name", "add", "  Møde  ", "return", "Møde", false},
                              Edit{"add: a click on empty space adds", "add", "Mail", "empty", "Mail", false},
                              Edit{"add: Tilføj adds", "add", "Plan", "addConfirmButton", "Plan", false},
                              Edit{"add: Annuller adds nothing", "add", "Plan", "addCancelButton", "-", false},
                              Edit{"add: Escape neither closes nor adds", "add", "Plan", "escape", "-", true},
                              Edit{"row name: commits on Return", "name", "Omdøbt", "return", "Omdøbt", false},
                              // The other row's editor opens; the edited row's own area is hidden.
                              Edit{"row name: commits on another row", "name", "Omdøbt", "other", "Omdøbt", true},
                              Edit{"row time: valid, click on empty space", "time", "90", "empty", "5400", false},
                              Edit{"row time: invalid, Return stays open", "time", "1:60", "return", "60", true},
                              Edit{"code: Return saves what was typed", "code", "NY-7", "return", "NY-7", false},
                              Edit{"code: a click on empty space saves", "code", "NY-7", "empty", "NY-7", false},
                              Edit{"code: Annuller keeps the old code", "code", "NY-7", "codeCancelButton", "OLD", false},
                              Edit{"code: Fjern removes the code", "code", "", "codeRemoveButton", "-", false},
                              Edit{"code: a chip, then Gem", "code", "<chip>", "codeSaveButton", "INT", false},
                              Edit{"code: Escape does nothing", "code", "NY-7", "escape", "OLD", true}}) {
            add(e.name, [e](Screen &s) {
                Task *first = s.f.addTask("Første", Now, 60, QString("OLD"));
                Task *second = s.f.addTask("Anden", Now, 0);
                s.f.store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
                s.f.store()->insert(ProjectCode::create("INT", "", 1));
                QVERIFY(s.show());
                const QString editor = e.editor, how = e.how;
                const QHash<QString, QStringList> parts = {{"add", {"bottomAddButton", "addField", ""}},
                                                           {"name", {"rowNameArea", "rowNameField", "Første"}},
                                                           {"time", {"rowTimeArea", "rowTimeField", "00:01:00"}},
                                                           {"code", {"rowCodeButton", "codeField", "OLD"}}};
                const QString field = parts[editor].at(1);
                s.f.click(s.f.named(parts[editor].at(0)));
                QVERIFY(s.f.settled(field));
                QTRY_COMPARE(s.focused(), s.f.named(field));
                QCOMPARE(s.f.textOf(field), parts[editor].at(2));
                if (e.typed == "<chip>") {
                    s.f.click(s.f.all("codeChip").value(1));
                    QCOMPARE(s.f.textOf("codeField"), "INT");
                    QVERIFY(s.f.all("codeChip").value(1)->property("isChosen").toBool());
                    QCOMPARE(first->projectCode(), std::optional<QString>("OLD")); // a chip is no leaving of the field
                } else {
                    if (editor != "add") // over what the field shows
                        QTest::keyClick(s.window(), Qt::Key_A, Qt::ControlModifier);
                    e.typed.isEmpty() ? QTest::keyClick(s.window(), Qt::Key_Delete) : a11y::type(s.window(), e.typed);
                }
                if (how == "return")
                    QTest::keyClick(s.window(), Qt::Key_Return);
                else if (how == "escape")
                    QTest::keyClick(s.window(), Qt::Key_Escape);
                else if (how == "empty")
                    QTest::mouseClick(s.window(), Qt::LeftButton, {}, QPoint(400, 100)); // the clock card's free part
                else if (how == "other")
                    s.f.click(s.f.all("rowNameArea").constLast());
                else
                    s.f.click(s.f.settled(e.how));
                const QHash<QString, QString> stored = {
                    {"add", s.f.store()->tasks().size() == 3 ? s.f.store()->tasks().constLast()->name() : "-"},
                    {"name", first->name()},
                    {"time", QString::number(first->accumulatedSeconds())},
                    {"code", first->projectCode().value_or("-")}};
                QCOMPARE(stored[editor], e.stored);
                QTRY_COMPARE(s.f.all(field).size(), e.open ? 1 : 0);
                if (how == "escape")
                    QCOMPARE(s.focused(), s.f.named(field));
                if (editor == "time" && e.open)
                    QCOMPARE(s.f.textOf(field), e.typed);
                if (editor == "name")
                    QCOMPARE(s.f.preferences()->selectedTaskID(), (how == "other" ? second : first)->idString());
            });
        }

        // ---- the row menu ---------------------------------------------------------------
        // Each position's entries, then one entry chosen and what it does.
        const QString head = ",|,Rediger navn,Rediger projektkode,Rediger tid,|,";
        struct Menu { const char *name; int rows; int row; QString line; const char *entry; const char *focus; };
        for (const Menu &m : {Menu{"menu: a running row, Stop", 1, 0, "Stop" + head + "Slet", "Stop", nullptr},
                              Menu{"menu: the first row, Flyt ned", 3, 0, "Start" + head + "Flyt ned,|,Slet", "Flyt ned", nullptr},
                              Menu{"menu: a middle row, Rediger navn", 3, 1, "Start" + head + "Flyt op,Flyt ned,|,Slet",
                                   "Rediger navn", "rowNameField"},
                              Menu{"menu: the last row, Rediger tid", 3, 2, "Start" + head + "Flyt op,|,Slet", "Rediger tid",
                                   "rowTimeField"},
                              Menu{"menu: Rediger projektkode", 1, 0, "Start" + head + "Slet", "Rediger projektkode",
                                   "codeField"}}) {
            add(m.name, [m](Screen &s) {
                QList<Task *> tasks;
                for (int i = 0; i < m.rows; ++i)
                    tasks << s.f.addTask(QString::number(i), Now, 60);
                Task *task = tasks.at(m.row);
                if (QLatin1String(m.entry) == "Stop")
                    s.f.timerManager()->start(task, s.f.store()->tasks(), s.f.store());
                QVERIFY(s.show());
                s.clickMenuEntry(m.row, m.entry, m.line);
                if (m.focus) {
                    QTRY_COMPARE(s.focused(), s.f.named(m.focus));
                    QCoreApplication::processEvents(); // the screen's deferred look at the focus
                    QCOMPARE(s.focused(), s.f.named(m.focus));
                } else if (QLatin1String(m.entry) == "Stop") {
                    QTRY_VERIFY(!task->isRunning());
                } else {
                    QTRY_COMPARE(s.vm()->dayTasks().at(1), task);
                }
                if (QLatin1String(m.entry) == "Rediger projektkode") { // the editor closes when its task goes
                    QVERIFY(!s.f.named("codeRemoveButton")); // no Fjern without a code
                    s.vm()->deleteTask(task);
                    QVERIFY(s.f.banners()->property("codeTask").value<QObject *>() == nullptr);
                    QTRY_VERIFY(!s.f.named("codeEditorBanner"));
                }
            });
        }
        add("menu: Slet asks first for a task with time; Slet in the banner deletes", [](Screen &s) {
            s.f.addTask("A", Now, 60);
            s.f.addTask("B", Now, 0);
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Slet");
            QVERIFY(s.f.settled("deleteCancelButton"));
            s.f.click(s.f.named("deleteCancelButton")); // a cancelled question asks again
            QTRY_VERIFY(!s.f.named("deleteBanner"));
            s.clickMenuEntry(0, "Slet");
            QVERIFY(s.f.settled("deleteConfirmButton"));
            QVERIFY(a11y::find(s.window(), "Slet \"A\"?"));
            s.f.click(s.f.named("deleteConfirmButton"));
            QCOMPARE(s.f.store()->tasks().size(), 1);
            QTRY_VERIFY(!s.f.named("deleteBanner"));
            QTRY_COMPARE(s.f.all("rowNameArea").size(), 1);
            s.clickMenuEntry(0, "Slet"); // no time: at once, as the menu closes
            QTRY_VERIFY(s.f.store()->tasks().isEmpty());
            QVERIFY(!s.f.named("deleteBanner"));
        });
        // ---- Escape: the innermost open layer closes, one per press, then the popover hides ------
        struct Escape { const char *name; QStringList open; QStringList after; };
        for (const Escape &e : {Escape{"escape: a row's menu, then the popover", {"menu"}, {"menu", "", "hidden"}},
                                Escape{"escape: a menu over the delete question", {"askDelete", "menu"},
                                       {"menu,delete", "delete", "", "hidden"}},
                                Escape{"escape: the settings over the closing question", {"askCloseDay", "settings"},
                                       {"settingsOpen,closeDayOpen", "closeDayOpen", "", "hidden"}},
                                Escape{"escape: the picker over the delete question", {"askDelete", "toggleTemplates"},
                                       {"templatesOpen,delete", "delete", "", "hidden"}},
                                Escape{"escape: a menu open as the popover hides goes with it", {"menu", "hide"}, {""}}}) {
            add(e.name, [e](Screen &s) {
                Task *task = s.f.addTask("A", Now, 60);
                s.f.addTemplate("Support");
                QVERIFY(s.show());
                QSignalSpy hidden(s.f.services(), &AppServices::popoverHideRequested);
                for (const QString &layer : e.open) {
                    if (layer == "menu") {
                        s.f.click(s.f.named("rowNameArea"), Qt::RightButton);
                        QTRY_VERIFY(s.f.rowMenu(0)->property("opened").toBool());
                    } else if (layer == "settings") {
                        s.banners()->setProperty("settingsOpen", true);
                    } else if (layer == "hide") {
                        s.window()->hide();
                    } else {
                        s.call(qPrintable(layer), layer == "askDelete" ? task : nullptr);
                    }
                }
                QTRY_COMPARE(s.layers(hidden), e.after.first());
                for (const QString &after : e.after.mid(1)) {
                    QTest::keyClick(s.window(), Qt::Key_Escape);
                    QTRY_COMPARE(s.layers(hidden), after);
                }
            });
        }

        // ---- the bottom bar and the week strip, open and closed days, by click or spoken -----
        // A spoken press names the control as assistive technology does; its handler is its own.
        struct Control { const char *control; bool closed; bool spoken; QString effect; };
        for (const Control &c : {Control{"bottomAddButton", false, false, "addOpen"},
                                 Control{"bottomAddButton", true, false, ""},
                                 Control{"bottomTemplatesButton", false, false, "templatesOpen"},
                                 Control{"hoursSwitch", true, false, "actual"},
                                 Control{"bottomSettingsButton", true, false, "settingsOpen"},
                                 Control{"nextWeekButton", true, false, "7 days"}, Control{"dayCell0", true, false, "-2 days"},
                                 Control{"Næste uge", false, true, "7 days"},
                                 Control{"torsdag 6. marts", false, true, "1 days"},
                                 Control{"Fakturerbar", false, true, "actual"},
                                 Control{"Luk dag", false, true, "closeDayOpen"}}) {
            const QString name = c.spoken ? QStringLiteral("spoken: %1").arg(c.control)
                                          : QStringLiteral("bar: %1 on %2 day").arg(c.control, c.closed ? "a closed" : "an open");
            add(qPrintable(name), [c](Screen &s) {
                s.f.addTask("Møde", Now, 900);
                s.f.addTemplate("Support");
                if (c.closed)
                    s.f.store()->insert(ClosedDay::create(Now, 0.25));
                QVERIFY(s.show());
                if (c.spoken) {
                    QVERIFY(a11y::press(s.window(), c.control));
                    QCOMPARE(s.effect(), c.effect); // in days: a week over a change to summer time is an hour short
                    return;
                }
                QQuickItem *item = s.f.named(c.control);
                QVERIFY(item);
                QCOMPARE(item->isEnabled(), !c.effect.isEmpty());
                // A disabled control must not answer assistive technology either.
                const QString spoken = item->property("text").toString();
                if (c.effect.isEmpty() && !spoken.isEmpty())
                    a11y::press(s.window(), spoken);
                QCOMPARE(s.effect(), QString());
                s.f.click(item);
                QCOMPARE(s.effect(), c.effect);
            });
        }
        // ---- closing the day --------------------------------------------------------------
        // The wording and the hours are the model's; here the buttons reach it, and the day shows
        // closed: its rows, one added with animation too, dim and are read-only, with no menu.
        add("close: Annuller closes nothing, Luk dag closes and stops", [](Screen &s) {
            Task *running = s.f.addTask("a", Now, 7 * 60);
            QVERIFY(s.show());
            QVERIFY(s.vm()->addTask("Ny"));
            QTRY_COMPARE(s.f.all("rowNameArea").size(), 2);
            QList<QQuickItem *> rows;
            for (QQuickItem *row : s.f.all("rowNameArea")) {
                while (row && !QByteArray(row->metaObject()->className()).startsWith("TaskRowView"))
                    row = row->parentItem();
                rows.append(row);
            }
            for (QQuickItem *row : rows)
                QTRY_COMPARE(row->opacity(), 1.0);
            for (const char *button : {"closeDayCancelButton", "closeDayConfirmButton"}) {
                QVERIFY(s.f.store()->closedDays().isEmpty());
                s.f.timerManager()->start(running, s.f.store()->tasks(), s.f.store());
                s.f.click(s.f.named("closeDayButton"));
                s.f.click(s.f.settled(button));
                QTRY_VERIFY(!s.f.named("closeDayBanner"));
            }
            QVERIFY(!running->isRunning());
            QCOMPARE(s.f.textOf("closedHoursText"), "0.25 timer registreret");
            QVERIFY(!s.f.named("totalsLine") && !s.f.named("bottomAddButton")->isEnabled());
            for (QQuickItem *row : rows)
                QCOMPARE(row->opacity(), 0.5);
            s.f.click(s.f.named("rowNameArea"), Qt::RightButton); // a menu would open on the click
            QCOMPARE(s.menuLine(0), QString());
            for (const char *area : {"rowNameArea", "rowTimeArea", "rowToggleButton"}) // selects, opens nothing
                s.f.click(s.f.named(area));
            QCOMPARE(s.f.all("rowNameField").size() + s.f.all("rowTimeField").size(), 0);
            QVERIFY(!running->isRunning());
            QCOMPARE(s.f.preferences()->selectedTaskID(), running->idString());
        });

        // Lists and scroll views take presses for scrolling; one on their free part must still
        // end text editing, as a press on the screen's own empty space does.
        for (const char *where : {"settings tab", "code chips"}) {
            add(qPrintable(QStringLiteral("empty space: a press in the %1 ends editing").arg(where)), [where](Screen &s) {
                s.f.addTask("Møde", Now, 60);
                s.f.store()->insert(ProjectCode::create("ABC", "", 0));
                QVERIFY(s.show());
                const bool chips = QLatin1String(where) == "code chips";
                s.f.click(s.f.named(chips ? "rowCodeButton" : "bottomSettingsButton"));
                QVERIFY(s.f.settled(chips ? "codeSaveButton" : "settingsLoader"));
                QAccessibleInterface *key = a11y::find(s.window(), "API-nøgle");
                QQuickItem *field = chips ? s.f.named("codeField") : key ? qobject_cast<QQuickItem *>(key->object()) : nullptr;
                QQuickItem *view = chips ? s.f.named("codeChips") : s.viewOf("GeneralSettingsTab");
                QVERIFY(field && view);
                field->forceActiveFocus();
                QVERIFY(field->hasActiveFocus());
                if (!chips) { // the API key reaches the preferences masked
                    a11y::type(s.window(), "k3y");
                    QCOMPARE(s.f.preferences()->workbookAPIKey(), "k3y");
                    QVERIFY(!field->property("displayText").toString().contains("k3y"));
                }
                s.f.click(view, Qt::LeftButton, QPointF(chips ? view->width() - 4 : 8, view->height() / 2));
                QVERIFY(!field->hasActiveFocus());
            });
        }

        // ---- the quick-add picker ---------------------------------------------------------
        add("picker: a template becomes the day's last task", [](Screen &s) {
            s.f.addTask("Først", Now, 60);
            s.f.addTemplate("Daglig standup");
            s.f.addTemplate("Support");
            QVERIFY(s.show());
            s.f.click(s.f.named("bottomTemplatesButton"));
            QVERIFY(s.f.settled("quickAddRow"));
            s.f.click(s.f.all("quickAddRow").at(0));
            QCOMPARE(s.vm()->dayTasks().last()->name(), "Daglig standup"); // where it goes is the model's
            QTRY_VERIFY(!s.f.named("quickAddPicker"));
        });

        // ---- the settings screen ----------------------------------------------------------
        add("settings: a template's plus adds no task there", [](Screen &s) {
            s.f.addTemplate("Support", QString("ABC"));
            QVERIFY(s.show("InlineSettingsView"));
            QVERIFY(a11y::press(s.window(), "Skabeloner"));
            QVERIFY(a11y::press(s.window(), "Tilføj opgave fra skabelon Support"));
            QCoreApplication::processEvents();
            QVERIFY(s.f.store()->tasks().isEmpty());
        });
    }

    void path()
    {
        QFETCH(int, path);
        Screen screen;
        paths().at(path)(screen);
        QVERIFY2(screen.f.warnings().isEmpty(), qPrintable(screen.f.warnings().join('\n')));
    }

    // A user's text is never markup: every text that shows it draws it as written.
    void userTextIsDrawnAsWritten_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("texts");      // at least this many texts show the markup
        QTest::addColumn<QString>("spoken"); // an accessible name that quotes it, %1 for the markup
        QTest::newRow("task name and code in the row and the clock card") << "day" << 4 << "%1";
        QTest::newRow("delete banner quoting the task name") << "askDelete" << 1 << "Slet \"%1\"?";
        QTest::newRow("code and description on the editor's chip") << "editCode" << 2 << "%1 – %1";
        QTest::newRow("template name and code in the picker") << "toggleTemplates" << 2 << "%1";
        QTest::newRow("code and description in the catalogue") << "ProjectCodeListView" << 2
                                                               << "Rediger projektkode %1 – %1";
        QTest::newRow("template name and code in the catalogue") << "TemplateListView" << 2 << "Rediger skabelon %1";
    }
    void userTextIsDrawnAsWritten()
    {
        QFETCH(QString, screen);
        QFETCH(int, texts);
        QFETCH(QString, spoken);
        const QString markup = "<b>x</b>";
        Screen s;
        s.f.store()->insert(ProjectCode::create(markup, markup, 0));
        s.f.addTemplate(markup, markup);
        Task *task = s.f.addTask(markup, Now, 600, markup);
        s.f.timerManager()->start(task, s.f.store()->tasks(), s.f.store());
        QVERIFY2(s.show(screen.front().isUpper() ? screen : "Popover"), qPrintable(s.f.warnings().join('\n')));
        if (screen == "toggleTemplates")
            s.call("toggleTemplates");
        else if (screen != "day" && !screen.front().isUpper())
            s.call(qPrintable(screen), task);
        QVERIFY(s.f.atRest()); // banners slide in

        QList<QQuickItem *> drawn;
        std::function<void(QQuickItem *)> collect = [&](QQuickItem *item) {
            if (item->inherits("QQuickText") && item->property("text").toString().contains(markup))
                drawn.append(item);
            for (QQuickItem *child : item->childItems())
                collect(child);
        };
        collect(s.window()->contentItem());
        QVERIFY2(drawn.size() >= texts, qPrintable(QString::number(drawn.size())));
        for (QQuickItem *text : std::as_const(drawn))
            QCOMPARE(text->property("textFormat").toInt(), 0); // Text.PlainText
        QVERIFY(a11y::find(s.window(), spoken.arg(markup)));
    }
};

QTEST_MAIN(ScreenWiringTest)
#include "tst_screen_wiring.moc"
