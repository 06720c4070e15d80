// The wiring only the QML can break, on the real screens in an offscreen window: one row per
// path from a click, key or assistive-technology press to the model operation it must reach,
// checked in what the store and the screen show afterwards.
#include "Accessibility.h"
#include "UiFixture.h"
#include "dayview/MenuBarContentViewModel.h"
#include "records/ClosedDay.h"
#include "records/ProjectCode.h"
#include "settings/InlineSettingsViewModel.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QQuickItem>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtQuickTest/quicktest.h>
#include <QtTest>
#include <functional>
#include <memory>

using OptionalCode = std::optional<QString>;

namespace {
// Wednesday 5 March 2025, 16:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(16, 0)));
const double Today = timecalc::startOfDay(Now);

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
    void retype(const QString &text) const
    {
        QTest::keyClick(window(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(window(), Qt::Key_Delete);
        else
            a11y::type(window(), text);
    }
    Task *task(const QString &name) const
    {
        for (Task *t : f.store()->tasks())
            if (t->name() == name)
                return t;
        return nullptr;
    }
    qint64 daysMoved() const
    {
        return timecalc::localDate(Today).daysTo(timecalc::localDate(f.timerManager()->selectedDateSeconds()));
    }
    // The row menu's visible entries as one line, "|" for a separator; "" while it is closed.
    QString menuLine(int row) const
    {
        QQuickItem *part = f.all(QStringLiteral("rowNameArea")).value(row);
        QObject *menu = nullptr;
        for (QQuickItem *p = part; p && !menu; p = p->parentItem())
            menu = p->findChild<QObject *>(QStringLiteral("rowMenu"), Qt::FindDirectChildrenOnly);
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
    void clickMenuEntry(int row, const QString &entry)
    {
        f.click(f.all(QStringLiteral("rowNameArea")).at(row), Qt::RightButton);
        QTRY_VERIFY(menuLine(row).contains(entry));
        QVERIFY(QQuickTest::qWaitForPolish(window()));
        QTest::qWait(250); // the menu's entry transition
        for (QQuickItem *i : f.all(QString()))
            if (i->property("text").toString() == entry && QByteArray(i->metaObject()->className()).contains("MenuItem"))
                return f.click(i);
        QFAIL(qPrintable("no menu entry " + entry));
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

        // ---- the add banner -------------------------------------------------------------
        struct Add { const char *name; QString typed; const char *how; int tasks; QString stored; };
        for (const Add &a : {Add{"add: Return adds the trimmed name", "  Møde  ", "return", 1, "Møde"},
                             Add{"add: a click on empty space adds", "Mail", "empty", 1, "Mail"},
                             Add{"add: leaving it empty adds an unnamed task", "", "empty", 1, ""},
                             Add{"add: Tilføj adds", "Plan", "add", 1, "Plan"},
                             Add{"add: Annuller adds nothing", "Plan", "cancel", 0, ""},
                             Add{"add: Escape neither closes nor adds", "Plan", "escape", 0, ""}}) {
            add(a.name, [a](Screen &s) {
                QVERIFY(s.show());
                s.f.click(s.f.named("emptyAddButton"));
                QTRY_COMPARE(s.focused(), s.f.named("addField"));
                a11y::type(s.window(), a.typed);
                const QString how = a.how;
                if (how == "return")
                    QTest::keyClick(s.window(), Qt::Key_Return);
                else if (how == "empty")
                    s.f.clickEmptySpace();
                else if (how == "escape")
                    QTest::keyClick(s.window(), Qt::Key_Escape);
                else
                    s.f.click(s.f.named(how == "add" ? "addConfirmButton" : "addCancelButton"));
                QCOMPARE(s.f.store()->tasks().size(), a.tasks);
                if (a.tasks)
                    QCOMPARE(s.f.store()->tasks().constFirst()->name(), a.stored);
                QCOMPARE(s.banner("addOpen"), how == "escape");
                if (how == "escape")
                    QCOMPARE(s.focused(), s.f.named("addField"));
            });
        }

        // ---- a row's name and time editors ----------------------------------------------
        for (const char *how : {"return", "empty", "other"}) {
            add(qPrintable(QStringLiteral("row name: commits on ") + how), [how = QString(how)](Screen &s) {
                s.f.addTask("Første", Now, 60);
                s.f.addTask("Anden", Now, 0);
                QVERIFY(s.show());
                s.f.click(s.f.all("rowNameArea").at(0));
                QTRY_COMPARE(s.focused(), s.f.all("rowNameField").value(0));
                s.retype("Omdøbt");
                if (how == "return")
                    QTest::keyClick(s.window(), Qt::Key_Return);
                else if (how == "empty")
                    s.f.clickEmptySpace();
                else
                    s.f.click(s.f.all("rowNameArea").constLast()); // the edited row's own area is hidden
                QVERIFY(s.task("Omdøbt"));
                QCOMPARE(s.f.all("rowNameField").size(), how == "other" ? 1 : 0);
                QCOMPARE(s.f.preferences()->selectedTaskID(), s.task(how == "other" ? "Anden" : "Omdøbt")->idString());
            });
        }
        struct Time { const char *name; QString typed; bool enter; qint64 stored; bool open; };
        for (const Time &t : {Time{"row time: valid, Return", "1:30", true, 5400, false},
                              Time{"row time: valid, click on empty space", "90", false, 5400, false},
                              Time{"row time: invalid, Return stays open", "1:60", true, 60, true},
                              Time{"row time: invalid, empty space stays open", "1:60", false, 60, true}}) {
            add(t.name, [t](Screen &s) {
                Task *task = s.f.addTask("Tid", Now, 60);
                QVERIFY(s.show());
                s.f.click(s.f.named("rowTimeArea"));
                QTRY_COMPARE(s.focused(), s.f.named("rowTimeField"));
                QCOMPARE(s.focused()->property("text").toString(), "00:01:00");
                s.retype(t.typed);
                if (t.enter)
                    QTest::keyClick(s.window(), Qt::Key_Return);
                else
                    s.f.clickEmptySpace();
                QCOMPARE(task->accumulatedSeconds(), t.stored);
                QCOMPARE(s.f.all("rowTimeField").size(), t.open ? 1 : 0);
                if (t.open)
                    QCOMPARE(s.f.textOf("rowTimeField"), t.typed);
            });
        }

        // ---- the row menu ---------------------------------------------------------------
        const QString head = "Start,|,Rediger navn,Rediger projektkode,Rediger tid,|,";
        struct Menu { const char *name; int rows; int row; QString line; };
        for (const Menu &m : {Menu{"menu: a single row", 1, 0, head + "Slet"},
                              Menu{"menu: the first row", 3, 0, head + "Flyt ned,|,Slet"},
                              Menu{"menu: a middle row", 3, 1, head + "Flyt op,Flyt ned,|,Slet"},
                              Menu{"menu: the last row", 3, 2, head + "Flyt op,|,Slet"}}) {
            add(m.name, [m](Screen &s) {
                for (int i = 0; i < m.rows; ++i)
                    s.f.addTask(QString::number(i), Now, 0);
                QVERIFY(s.show());
                s.f.click(s.f.all("rowNameArea").at(m.row), Qt::RightButton);
                QTRY_COMPARE(s.menuLine(m.row), m.line);
            });
        }
        add("menu: Stop on a running row stops it", [](Screen &s) {
            Task *a = s.f.addTask("A", Now, 60);
            s.f.timerManager()->start(a, s.f.store()->tasks(), s.f.store());
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Stop");
            QTRY_VERIFY(!a->isRunning());
        });
        add("menu: Rediger navn opens a focused editor", [](Screen &s) {
            s.f.addTask("A", Now, 0);
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Rediger navn");
            QTRY_COMPARE(s.focused(), s.f.named("rowNameField"));
            QTest::qWait(50); // nothing may take the focus back afterwards
            QCOMPARE(s.focused(), s.f.named("rowNameField"));
        });
        add("menu: Rediger tid opens the time editor", [](Screen &s) {
            s.f.addTask("A", Now, 0);
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Rediger tid");
            QTRY_COMPARE(s.focused(), s.f.named("rowTimeField"));
        });
        add("menu: Flyt ned moves the task", [](Screen &s) {
            s.f.addTask("A", Now, 0);
            s.f.addTask("B", Now, 0);
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Flyt ned");
            QTRY_VERIFY(s.task("A")->sortOrder() > s.task("B")->sortOrder());
        });
        add("menu: Slet asks first for a task with time; Slet in the banner deletes", [](Screen &s) {
            Task *a = s.f.addTask("A", Now, 60);
            s.f.addTask("B", Now, 0);
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Slet");
            QVERIFY(s.f.settled("deleteConfirmButton"));
            QVERIFY(a11y::find(s.window(), "Slet \"A\"?"));
            a->setName("Omdøbt");
            QTRY_VERIFY(a11y::find(s.window(), "Slet \"Omdøbt\"?"));
            s.f.click(s.f.named("deleteConfirmButton"));
            QCOMPARE(s.f.store()->tasks().size(), 1);
            QTRY_VERIFY(!s.f.named("deleteBanner"));
            QTRY_COMPARE(s.f.all("rowNameArea").size(), 1);
            s.clickMenuEntry(0, "Slet"); // no time: at once
            QVERIFY(s.f.store()->tasks().isEmpty());
            QVERIFY(!s.f.named("deleteBanner"));
        });
        add("menu: Rediger projektkode opens the editor, which closes when its task goes", [](Screen &s) {
            Task *a = s.f.addTask("A", Now, 60);
            QVERIFY(s.show());
            s.clickMenuEntry(0, "Rediger projektkode");
            QTRY_COMPARE(s.focused(), s.f.named("codeField"));
            s.vm()->deleteTask(a);
            QVERIFY(s.f.banners()->property("codeTask").value<QObject *>() == nullptr);
            QTRY_VERIFY(!s.f.named("codeEditorBanner"));
        });
        add("closed day: the row is read-only and has no menu", [](Screen &s) {
            Task *task = s.f.addTask("Lukket", Now, 60);
            s.f.store()->insert(ClosedDay::create(Now, 0.25));
            QVERIFY(s.show());
            s.f.click(s.f.named("rowNameArea"), Qt::RightButton);
            QTest::qWait(50);
            QCOMPARE(s.menuLine(0), QString());
            s.f.click(s.f.named("rowNameArea")); // selects, opens nothing
            s.f.click(s.f.named("rowTimeArea"));
            s.f.click(s.f.named("rowToggleButton"));
            QCOMPARE(s.f.all("rowNameField").size() + s.f.all("rowTimeField").size(), 0);
            QVERIFY(!task->isRunning());
            QCOMPARE(s.f.preferences()->selectedTaskID(), task->idString());
        });
        add("closed day: rows added with animation dim when the day closes", [](Screen &s) {
            s.f.addTask("Før", Now, 60);
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
            s.f.store()->insert(ClosedDay::create(Now, 0.25));
            for (QQuickItem *row : rows)
                QCOMPARE(row->opacity(), 0.5);
        });

        // ---- the bottom bar and the week strip, open and closed days ---------------------
        struct Control { const char *control; bool closed; QString effect; };
        for (const Control &c : {Control{"bottomAddButton", false, "add banner"}, Control{"bottomAddButton", true, ""},
                                 Control{"bottomTemplatesButton", false, "picker"},
                                 Control{"bottomTemplatesButton", true, ""}, Control{"hoursSwitch", true, "actual"},
                                 Control{"bottomSettingsButton", true, "settings"},
                                 Control{"previousWeekButton", true, "-7 days"}, Control{"nextWeekButton", true, "7 days"},
                                 Control{"dayCell0", true, "-2 days"}}) {
            const QString name = QStringLiteral("bar: %1 on %2 day").arg(c.control, c.closed ? "a closed" : "an open");
            add(qPrintable(name), [c](Screen &s) {
                s.f.addTask("Møde", Now, 900);
                s.f.addTemplate("Support");
                if (c.closed)
                    s.f.store()->insert(ClosedDay::create(Now, 0.25));
                QVERIFY(s.show());
                QQuickItem *item = s.f.named(c.control);
                QVERIFY(item);
                auto effect = [&]() -> QString {
                    if (s.banner("addOpen"))
                        return "add banner";
                    if (s.banner("templatesOpen"))
                        return "picker";
                    if (s.banner("settingsOpen"))
                        return "settings";
                    if (!s.f.timerManager()->showBillableTime())
                        return "actual";
                    return s.daysMoved() ? QString::number(s.daysMoved()) + " days" : QString();
                };
                QCOMPARE(item->isEnabled(), !c.effect.isEmpty());
                // A disabled control must not answer assistive technology either.
                const QString spoken = item->property("text").toString();
                if (c.effect.isEmpty() && !spoken.isEmpty())
                    a11y::press(s.window(), spoken);
                QCOMPARE(effect(), QString());
                s.f.click(item);
                QCOMPARE(effect(), c.effect);
            });
        }
        add("bar: the templates button shows only while templates exist", [](Screen &s) {
            s.f.addTask("Møde", Now);
            QVERIFY(s.show());
            QVERIFY(!s.f.named("bottomTemplatesButton"));
            TaskTemplate *tpl = s.f.addTemplate("Support");
            QTRY_VERIFY(s.f.named("bottomTemplatesButton"));
            s.f.store()->remove(tpl);
            QTRY_VERIFY(!s.f.named("bottomTemplatesButton"));
        });
        struct Notice { const char *name; const char *away; const char *back; };
        for (const Notice &n : {Notice{"strip: arrow, then Gå til i dag", "nextWeekButton", "goToTodayButton"},
                                Notice{"strip: a cell, then today's cell", "dayCell6", "dayCell2"},
                                Notice{"strip: arrow, then the other arrow", "previousWeekButton", "nextWeekButton"}}) {
            add(n.name, [n](Screen &s) {
                QVERIFY(s.show());
                QVERIFY(!s.f.named("otherDayNotice"));
                s.f.click(s.f.named(n.away));
                QVERIFY(s.daysMoved() != 0);
                QVERIFY(s.f.settled("goToTodayButton"));
                s.f.click(s.f.named(n.back));
                QCOMPARE(s.f.timerManager()->selectedDateSeconds(), Today);
                QTRY_VERIFY(!s.f.named("otherDayNotice"));
            });
        }

        // ---- closing the day --------------------------------------------------------------
        struct Close { const char *name; QString key; QString line; QString strip; };
        for (const Close &c : {Close{"close: without a key", "", "2 opgaver • 0.50 timer registreres", "0.50 timer registreret"},
                               Close{"close: with a key", "abc", "2 opgaver • 0.50 timer sendes til Workbook",
                                     "0.50 timer sendt til Workbook"}}) {
            add(c.name, [c](Screen &s) {
                s.f.preferences()->setWorkbookAPIKey(c.key);
                Task *running = s.f.addTask("a", Now, 7 * 60);
                s.f.addTask("b", Now, 20 * 60);
                QVERIFY(s.show());
                QCOMPARE(s.f.textOf("totalTimeText"), "00:27:00");
                s.f.click(s.f.named("closeDayButton"));
                QVERIFY(s.f.settled("closeDayConfirmButton"));
                QCOMPARE(s.f.textOf("closeDayTitle"), "Luk onsdag 5. marts?");
                QCOMPARE(s.f.textOf("closeDayLine"), c.line);
                s.f.timerManager()->start(running, s.f.store()->tasks(), s.f.store());
                s.f.click(s.f.named("closeDayConfirmButton"));
                QVERIFY(!running->isRunning());
                QTRY_VERIFY(!s.f.named("closeDayBanner"));
                QVERIFY(!s.f.named("totalsLine"));
                QCOMPARE(s.f.textOf("closedHoursText"), c.strip);
                QVERIFY(!s.f.named("bottomAddButton")->isEnabled());
            });
        }
        add("close: Annuller and Escape close the question, nothing is closed", [](Screen &s) {
            s.f.addTask("a", Now, 60);
            QVERIFY(s.show());
            s.f.click(s.f.named("closeDayButton"));
            QVERIFY(s.f.settled("closeDayCancelButton"));
            s.f.click(s.f.named("closeDayCancelButton"));
            QVERIFY(!s.banner("closeDayOpen"));
            s.f.click(s.f.named("closeDayButton"));
            QTest::keyClick(s.window(), Qt::Key_Escape);
            QVERIFY(!s.banner("closeDayOpen"));
            QVERIFY(s.f.store()->closedDays().isEmpty());
        });
        add("close: an empty day has no footer", [](Screen &s) {
            s.f.addTask("i går", Now - 86400, 3600);
            QVERIFY(s.show());
            QVERIFY(!s.f.named("closeDayButton"));
            s.f.click(s.f.named("dayCell1"));
            QTRY_VERIFY(s.f.named("closeDayButton"));
        });

        // ---- the code editor --------------------------------------------------------------
        struct Code { const char *name; const char *how; OptionalCode stored; bool open; };
        for (const Code &c : {Code{"code: Return saves what was typed", "return", QString("NY-7"), false},
                              Code{"code: Gem saves what was typed", "gem", QString("NY-7"), false},
                              Code{"code: a click on empty space saves", "empty", QString("NY-7"), false},
                              Code{"code: Annuller keeps the old code", "cancel", QString("OLD"), false},
                              Code{"code: Fjern removes the code", "remove", std::nullopt, false},
                              Code{"code: a chip, then Gem", "chip", QString("INT"), false},
                              Code{"code: the chosen chip again, then Gem", "chip twice", std::nullopt, false},
                              Code{"code: an emptied field removes the code", "clear", std::nullopt, false},
                              Code{"code: Escape does nothing", "escape", QString("OLD"), true}}) {
            add(c.name, [c](Screen &s) {
                Task *task = s.f.addTask("Møde", Now, 60, QString("OLD"));
                s.f.store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
                s.f.store()->insert(ProjectCode::create("INT", "", 1));
                QVERIFY(s.show());
                s.f.click(s.f.named("rowCodeButton"));
                QVERIFY(s.f.settled("codeSaveButton"));
                QCOMPARE(s.f.textOf("codeEditorTaskName"), "Møde");
                QCOMPARE(s.f.textOf("codeField"), "OLD");
                QTRY_COMPARE(s.focused(), s.f.named("codeField"));
                const QString how = c.how;
                if (how == "return" || how == "gem" || how == "empty" || how == "cancel" || how == "escape")
                    s.retype("NY-7");
                if (how == "return")
                    QTest::keyClick(s.window(), Qt::Key_Return);
                else if (how == "empty")
                    s.f.clickEmptySpace();
                else if (how == "escape")
                    QTest::keyClick(s.window(), Qt::Key_Escape);
                else if (how == "clear")
                    s.retype(QString());
                else if (how.startsWith("chip")) {
                    s.f.click(s.f.all("codeChip").value(1));
                    QCOMPARE(s.f.textOf("codeField"), "INT");
                    QVERIFY(s.f.all("codeChip").value(1)->property("isChosen").toBool());
                    if (how == "chip twice")
                        s.f.click(s.f.all("codeChip").value(1));
                    QCOMPARE(task->projectCode(), OptionalCode("OLD")); // a chip is no leaving of the field
                }
                const QHash<QString, const char *> buttons = {{"gem", "codeSaveButton"}, {"cancel", "codeCancelButton"},
                                                              {"remove", "codeRemoveButton"}, {"chip", "codeSaveButton"},
                                                              {"chip twice", "codeSaveButton"}, {"clear", "codeSaveButton"}};
                if (buttons.contains(how))
                    s.f.click(s.f.named(buttons.value(how)));
                QCOMPARE(task->projectCode(), c.stored);
                if (c.open)
                    QCOMPARE(s.focused(), s.f.named("codeField"));
                else
                    QTRY_VERIFY(!s.f.named("codeEditorBanner"));
            });
        }
        add("code: no chip for a hand-typed code, no Fjern without a code", [](Screen &s) {
            s.f.addTask("Møde", Now, 60, QString("abc"));
            s.f.addTask("Uden", Now, 60);
            s.f.store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
            QVERIFY(s.show());
            s.f.click(s.f.all("rowCodeButton").at(0));
            QTRY_VERIFY(s.f.named("codeRemoveButton"));
            QVERIFY(!s.f.named("codeChip")->property("isChosen").toBool());
            s.f.click(s.f.all("rowCodeButton").at(1)); // a second task's code drops what was typed
            QTRY_COMPARE(s.f.textOf("codeEditorTaskName"), "Uden");
            QCOMPARE(s.f.textOf("codeField"), QString());
            QVERIFY(!s.f.named("codeRemoveButton"));
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
                QQuickItem *field = chips ? s.f.named("codeField") : a11y::item(s.window(), "API-nøgle");
                QQuickItem *view = chips ? s.f.named("codeChips") : s.viewOf("GeneralSettingsTab");
                QVERIFY(field && view);
                field->forceActiveFocus();
                QVERIFY(field->hasActiveFocus());
                s.f.click(view, Qt::LeftButton, QPointF(chips ? view->width() - 4 : 8, view->height() / 2));
                QVERIFY(!field->hasActiveFocus());
            });
        }

        // ---- the quick-add picker ---------------------------------------------------------
        add("picker: a template becomes the day's last task; the bar and the cross close it", [](Screen &s) {
            s.f.addTask("Først", Now, 60)->setSortOrder(4);
            s.f.addTemplate("Daglig standup", QString("INT"));
            s.f.addTemplate("Support");
            QVERIFY(s.show());
            s.f.click(s.f.named("bottomTemplatesButton"));
            QVERIFY(s.f.settled("quickAddRow"));
            s.f.click(s.f.all("quickAddRow").at(0));
            Task *added = s.vm()->dayTasks().last();
            QCOMPARE(added->name(), "Daglig standup");
            QCOMPARE(added->projectCode(), OptionalCode("INT"));
            QCOMPARE(added->sortOrder(), 5);
            QTRY_VERIFY(!s.f.named("quickAddPicker"));
            s.f.click(s.f.named("bottomTemplatesButton"));
            QTRY_VERIFY(s.f.named("quickAddPicker"));
            s.f.click(s.f.named("bottomTemplatesButton"));
            QTRY_VERIFY(!s.f.named("quickAddPicker"));
            s.f.click(s.f.named("bottomTemplatesButton"));
            QVERIFY(s.f.settled("quickAddCloseButton"));
            s.f.click(s.f.named("quickAddCloseButton"));
            QTRY_VERIFY(!s.f.named("quickAddPicker"));
            QCOMPARE(s.vm()->dayTasks().size(), 2);
        });
        add("picker: opened before the day closed, it adds nothing", [](Screen &s) {
            s.f.addTask("Først", Now, 60);
            s.f.addTemplate("Support");
            QVERIFY(s.show());
            s.f.click(s.f.named("bottomTemplatesButton"));
            QVERIFY(s.f.settled("quickAddRow"));
            s.f.store()->insert(ClosedDay::create(Now, 0.25));
            s.f.click(s.f.named("quickAddRow"));
            QCOMPARE(s.f.store()->tasks().size(), 1);
        });

        // ---- assistive technology ---------------------------------------------------------
        struct Spoken { const char *name; QString effect; };
        for (const Spoken &p : {Spoken{"Næste uge", "7 days"}, Spoken{"Forrige uge", "-7 days"},
                                Spoken{"torsdag 6. marts", "1 days"}, Spoken{"Tilføj opgave", "addOpen"},
                                Spoken{"Vis skabeloner", "templatesOpen"}, Spoken{"Fakturerbar", "actual"},
                                Spoken{"Indstillinger", "settingsOpen"}, Spoken{"Luk dag", "closeDayOpen"}}) {
            add(qPrintable("spoken: " + QString(p.name)), [p](Screen &s) {
                s.f.addTask("Møde", Now, 60);
                s.f.addTemplate("Support");
                QVERIFY(s.show());
                QVERIFY(a11y::press(s.window(), p.name));
                if (p.effect.endsWith("days")) // in days: a week over a change to summer time is an hour short
                    QCOMPARE(QString::number(s.daysMoved()) + " days", p.effect);
                else if (p.effect == "actual")
                    QVERIFY(!s.f.timerManager()->showBillableTime());
                else
                    QVERIFY(s.banner(qPrintable(p.effect)));
            });
        }
        add("spoken: a template by name, then Gå til i dag", [](Screen &s) {
            s.f.addTask("Møde", Now, 60);
            s.f.addTemplate("Support");
            QVERIFY(s.show());
            QVERIFY(a11y::press(s.window(), "Vis skabeloner"));
            QTRY_VERIFY(a11y::find(s.window(), "Support"));
            QVERIFY(a11y::press(s.window(), "Support"));
            QCOMPARE(s.vm()->dayTasks().size(), 2);
            QVERIFY(a11y::press(s.window(), "Næste uge"));
            QTRY_VERIFY(a11y::find(s.window(), "Gå til i dag"));
            QVERIFY(a11y::press(s.window(), "Gå til i dag"));
            QCOMPARE(s.f.timerManager()->selectedDateSeconds(), Today);
        });

        // ---- the settings screen ----------------------------------------------------------
        add("settings: replace the day screen and come back fresh", [](Screen &s) {
            QVERIFY(s.show());
            QQuickItem *loader = s.f.named("settingsLoader");
            s.f.click(s.f.named("bottomSettingsButton"));
            QTRY_VERIFY(loader->property("item").value<QQuickItem *>());
            QPointer<QQuickItem> first = loader->property("item").value<QQuickItem *>();
            QTRY_COMPARE(loader->x(), 0.0);
            QVERIFY(a11y::press(s.window(), "Tilbage"));
            QVERIFY(!s.banner("settingsOpen"));
            QTRY_VERIFY(!first); // dropped once it has slid away
            s.f.click(s.f.named("bottomSettingsButton"));
            QTRY_VERIFY(loader->property("item").value<QQuickItem *>());
            QTest::keyClick(s.window(), Qt::Key_Escape);
            QVERIFY(!s.banner("settingsOpen"));
        });
        struct Tab { QStringList presses; QString view; };
        for (const Tab &t : {Tab{{}, "GeneralSettingsTab"}, Tab{{"Skabeloner"}, "TemplateListView"},
                             Tab{{"Projektkoder"}, "ProjectCodeListView"},
                             Tab{{"Projektkoder", "Indstillinger"}, "GeneralSettingsTab"},
                             Tab{{"Eksport"}, "ExportSettingsTab"}, Tab{{"Statistik"}, "StatsTab"}}) {
            add(qPrintable("settings: tabs " + t.presses.join('>') + " show " + t.view), [t](Screen &s) {
                QVERIFY(s.show("InlineSettingsView"));
                for (const QString &tab : t.presses)
                    QVERIFY2(a11y::press(s.window(), tab), qPrintable(tab));
                QVERIFY(s.viewOf(t.view));
                for (const SettingsTabInfo &info : settingsTabs()) // only the chosen tab's view exists
                    if (QLatin1String(info.view) != t.view)
                        QTRY_VERIFY2(!s.viewOf(QLatin1String(info.view)), info.view);
            });
        }
        add("settings: an unknown tab is ignored", [](Screen &) {
            InlineSettingsViewModel model;
            model.selectTab("stats");
            model.selectTab("Statistik");
            model.selectTab("");
            QCOMPARE(model.selectedTab(), QStringLiteral("stats"));
            QVERIFY(!settingsTabFromRawValue("Stats"));
        });
        add("settings: switching tabs starts their state over", [](Screen &s) {
            QVERIFY(s.show("InlineSettingsView"));
            QVERIFY(a11y::press(s.window(), "Projektkoder"));
            QVERIFY(a11y::press(s.window(), "Ny projektkode"));
            QTRY_VERIFY(a11y::find(s.window(), "Annuller"));
            QPointer<QQuickItem> first = s.viewOf("ProjectCodeListView");
            QVERIFY(a11y::press(s.window(), "Skabeloner"));
            QVERIFY(a11y::press(s.window(), "Projektkoder"));
            QTRY_VERIFY(first.isNull());
            QVERIFY(!a11y::find(s.window(), "Annuller"));
        });
        add("settings: a template's plus adds no task there", [](Screen &s) {
            s.f.addTemplate("Support", QString("ABC"));
            QVERIFY(s.show("InlineSettingsView"));
            QVERIFY(a11y::press(s.window(), "Skabeloner"));
            QVERIFY(a11y::press(s.window(), "Tilføj opgave fra skabelon Support"));
            QCoreApplication::processEvents();
            QVERIFY(s.f.store()->tasks().isEmpty());
        });
        add("settings: the general tab writes at once and keeps the key out of the log", [](Screen &s) {
            QVERIFY(s.show("InlineSettingsView"));
            Preferences *prefs = s.f.preferences();
            prefs->setAppearanceMode("dark");
            QVERIFY(a11y::find(s.window(), "Mørk")->state().checked);
            QVERIFY(a11y::press(s.window(), "System"));
            QCOMPARE(prefs->appearanceMode(), QStringLiteral("system"));
            QVERIFY(!a11y::find(s.window(), "Mørk")->state().checked);
            QVERIFY(a11y::press(s.window(), "Vis fakturerbar tid i menulinjen"));
            QVERIFY(!prefs->defaultShowBillableTime());

            static QStringList messages;
            messages.clear();
            const QtMessageHandler previous = qInstallMessageHandler(
                [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });
            QQuickItem *field = a11y::item(s.window(), "API-nøgle");
            field->forceActiveFocus();
            QStringList stored;
            for (const QChar c : QStringLiteral("k3y")) {
                QTest::keyClick(s.window(), c.toLatin1());
                stored.append(prefs->workbookAPIKey());
            }
            QCOMPARE(stored, (QStringList{"k", "k3", "k3y"}));
            QVERIFY(!field->property("displayText").toString().contains("k3y")); // masked
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(s.window(), Qt::Key_Backspace);
            QCOMPARE(prefs->workbookAPIKey(), QString());
            qInstallMessageHandler(previous);
            for (const QString &message : std::as_const(messages))
                QVERIFY2(!message.contains("k3y"), "the API key reached the log");
        });

        // ---- the catalogues -----------------------------------------------------------------
        struct NewCode { const char *name; QString code; QString label; int count; QString storedCode; QString storedName; };
        for (const NewCode &n : {NewCode{"catalogue: a code and a name", " abc ", "Kunde ", 1, "abc", "Kunde"},
                                 NewCode{"catalogue: a code only", "X1", "", 1, "X1", ""},
                                 NewCode{"catalogue: a blank code closes without storing", "  ", "Kunde", 0, "", ""}}) {
            add(n.name, [n](Screen &s) {
                QVERIFY(s.show("ProjectCodeListView"));
                QVERIFY(a11y::press(s.window(), "Ny projektkode"));
                QVERIFY(!a11y::find(s.window(), "Ingen projektkoder"));
                QTRY_COMPARE(s.focused(), a11y::item(s.window(), "Kode"));
                a11y::type(s.window(), n.code);
                QTest::keyClick(s.window(), Qt::Key_Return);
                // Return in the code field only moves on to the name field.
                QCOMPARE(s.focused(), a11y::item(s.window(), "Navn (valgfrit)"));
                QCOMPARE(s.f.store()->projectCodes().size(), 0);
                a11y::type(s.window(), n.label);
                QTest::keyClick(s.window(), Qt::Key_Return);
                QCOMPARE(s.f.store()->projectCodes().size(), n.count);
                if (n.count) {
                    QCOMPARE(s.f.store()->projectCodes().constFirst()->code(), n.storedCode);
                    QCOMPARE(s.f.store()->projectCodes().constFirst()->name(), n.storedName);
                }
                QTRY_VERIFY(!a11y::find(s.window(), "Annuller"));
            });
        }
        struct Hover { const char *view; const char *remove; const char *empty; };
        for (const Hover &h : {Hover{"ProjectCodeListView", "Slet projektkode ABC – Kunde", "Ingen projektkoder"},
                               Hover{"TemplateListView", "Slet skabelon Support", "Ingen skabeloner"}}) {
            add(qPrintable(QStringLiteral("catalogue: %1 shows its delete button on hover").arg(h.view)), [h](Screen &s) {
                s.f.store()->insert(ProjectCode::create("ABC", "Kunde", 0));
                s.f.addTemplate("Support", QString("ABC"));
                QVERIFY(s.show(h.view));
                QQuickItem *remove = a11y::item(s.window(), h.remove);
                QQuickItem *icon = remove->property("contentItem").value<QQuickItem *>();
                QTest::mouseMove(s.window(), QPoint(5, 5));
                QCOMPARE(icon->opacity(), 0.0);
                const QPoint centre = remove->mapToScene(QPointF(remove->width() / 2, remove->height() / 2)).toPoint();
                QTest::mouseMove(s.window(), QPoint(100, centre.y()));
                QTRY_COMPARE(icon->opacity(), 1.0);
                QTest::mouseMove(s.window(), QPoint(5, 5));
                QTRY_COMPARE(icon->opacity(), 0.0);
                QTest::mouseMove(s.window(), centre);
                QTRY_COMPARE(icon->opacity(), 1.0);
                QTest::mouseClick(s.window(), Qt::LeftButton, {}, centre);
                QTRY_VERIFY(a11y::find(s.window(), h.empty)); // deleted at once, with no question asked
            });
        }
        add("catalogue: a template with a chosen chip, then its editor", [](Screen &s) {
            s.f.store()->insert(ProjectCode::create("ABC", "Kunde", 0));
            s.f.store()->insert(ProjectCode::create("XYZ", "", 1));
            QVERIFY(s.show("TemplateListView"));
            QVERIFY(a11y::press(s.window(), "Ny skabelon"));
            QTRY_VERIFY(a11y::find(s.window(), "ABC – Kunde"));
            QVERIFY(a11y::press(s.window(), "ABC – Kunde"));
            QTRY_VERIFY(a11y::find(s.window(), "ABC – Kunde")->state().checked);
            QVERIFY(!a11y::find(s.window(), "XYZ")->state().checked);
            QTRY_COMPARE(s.focused(), a11y::item(s.window(), "Skabelonnavn"));
            a11y::type(s.window(), "  Møde ");
            QVERIFY(a11y::press(s.window(), "Tilføj"));
            QCOMPARE(s.f.store()->templates().constFirst()->name(), QStringLiteral("Møde"));
            QCOMPARE(s.f.store()->templates().constFirst()->projectCode(), OptionalCode("ABC"));
            QVERIFY(a11y::press(s.window(), "Rediger skabelon Møde"));
            QVERIFY(a11y::find(s.window(), "Gem"));
            QTRY_VERIFY(a11y::find(s.window(), "ABC – Kunde")->state().checked);
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
        QTest::addColumn<QString>("markup");
        QTest::addColumn<int>("texts");      // at least this many texts show the markup
        QTest::addColumn<QString>("spoken"); // an accessible name that quotes it, %1 for the markup
        for (const QString m : {"<b>x</b>", "<img src=\"http://127.0.0.1:1/x.png\">"}) {
            const QString kind = m.startsWith("<b") ? " (bold)" : " (image)";
            auto row = [&](const char *what, const char *screen, int texts, const char *spoken) {
                QTest::newRow(qPrintable(what + kind)) << screen << m << texts << spoken;
            };
            row("task name and code in the row and the clock card", "day", 4, "%1");
            row("delete banner quoting the task name", "askDelete", 1, "Slet \"%1\"?");
            row("code and description on the editor's chip", "editCode", 2, "%1 – %1");
            row("template name and code in the picker", "toggleTemplates", 2, "%1");
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
        QTest::qWait(300); // banners slide in

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
