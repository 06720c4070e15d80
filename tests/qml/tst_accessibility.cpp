// What assistive technology learns from each screen, asked in process through QAccessible:
// every figure a sighted user reads is the name of something there, every control's enabled,
// checked and selected state is true, and the day view works from the keyboard alone.
#include "Accessibility.h"
#include "UiFixture.h"
#include "dayview/MenuBarContentViewModel.h"
#include "records/ClosedDay.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QQuickItem>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

namespace {
// Wednesday 5 March 2025, 16:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(16, 0)));
const double Today = timecalc::startOfDay(Now);
// A state not asked about.
constexpr int Any = -1;
} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;

    QQuickWindow *window() const { return f->window(); }

    // Two tasks of today, the first running; a template and a code.
    void seedDay(bool closed)
    {
        Task *meeting = f->addTask(QStringLiteral("Møde"), Today, 900, QStringLiteral("ABC"));
        f->addTask(QStringLiteral("Mail"), Today, 1800);
        f->addTemplate(QStringLiteral("Support"));
        if (closed)
            f->store()->insert(ClosedDay::create(Today, 0.75));
        else
            f->timerManager()->start(meeting, f->store()->tasks(), f->store());
    }

    // The screen in the named state, shown and settled; nullptr when it could not be shown.
    QQuickItem *showScreen(const QString &screen)
    {
        if (screen.startsWith(QLatin1String("day")) && screen != QLatin1String("day, empty"))
            seedDay(screen == QLatin1String("day, closed"));
        if (screen.startsWith(QLatin1String("export, with")) || screen.startsWith(QLatin1String("stats")))
            seedDay(false);
        if (screen == QLatin1String("stats, all time")) {
            for (int day = 1; day <= 20; ++day)
                f->addTask(QStringLiteral("Før"), Today - day * 86400.0, 3600);
            f->store()->insert(ClosedDay::create(Today - 86400.0, 1));
        }
        const QString type = screen.startsWith(QLatin1String("export")) ? QStringLiteral("ExportSettingsTab")
                             : screen.startsWith(QLatin1String("stats")) ? QStringLiteral("StatsTab")
                                                                         : QStringLiteral("Popover");
        QQuickItem *root = f->show(type);
        if (!root)
            return nullptr;
        if (screen == QLatin1String("stats, all time"))
            a11y::press(window(), QStringLiteral("Alt"));
        QTest::qWait(300); // banners and cells come to rest
        return root;
    }

    QQuickItem *showDay()
    {
        seedDay(false);
        QQuickItem *root = f->show(QStringLiteral("Popover"));
        if (root) {
            window()->requestActivate();
            if (!QTest::qWaitForWindowActive(window()))
                return nullptr;
        }
        return root;
    }

    QObject *rowMenu() const
    {
        QQuickItem *area = f->all(QStringLiteral("rowNameArea")).value(0);
        for (QQuickItem *p = area; p; p = p->parentItem())
            if (QObject *menu = p->findChild<QObject *>(QStringLiteral("rowMenu"), Qt::FindDirectChildrenOnly))
                return menu;
        return nullptr;
    }

    // The accessible name of the item holding the keyboard focus.
    QString focusName() const
    {
        QQuickItem *item = window()->activeFocusItem();
        QAccessibleInterface *iface = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
        return iface ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
    }

private slots:
    void init()
    {
        m_clock.emplace(Now);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        f = std::make_unique<UiFixture>();
    }
    void cleanup()
    {
        f.reset();
    }

    void namesAndStates_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("disabled");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("action");
        auto row = [](const char *title, const char *screen, const QString &name, int disabled = Any,
                      int checked = Any, int selected = Any, const QString &action = {}) {
            QTest::newRow(title) << QString::fromUtf8(screen) << name << disabled << checked << selected << action;
        };
        // The day: clock card, column header, rows, totals, week strip and bar.
        row("day: clock", "day", "00:15:00");
        row("day: clock card's task line", "day", "ABC Møde");
        row("day: column header", "day", "Fakt.");
        row("day: a row's hours", "day", "0.25 timer");
        row("day: a row offers its menu", "day", "Mail", false, Any, Any, QAccessibleActionInterface::showMenuAction());
        row("day: total time", "day", "I alt 00:45:00");
        row("day: total hours", "day", "0.75 timer");
        row("day: today's cell", "day", "onsdag 5. marts", false, true, true);
        row("day: another day's cell", "day", "torsdag 6. marts", false, false, false);
        // A closed day: its controls are off, its frozen hours on the strip.
        row("closed: start button", "day, closed", "Dag lukket", true);
        row("closed: a row's time", "day, closed", "Rediger tid", true);
        row("closed: a row's code", "day, closed", "Rediger projektkode", true);
        row("closed: the strip", "day, closed", "0.75 timer registreret");
        row("empty: heading", "day, empty", "Ingen opgaver");
        row("empty: help", "day, empty", "Tilføj en opgave for at komme i gang");
        row("empty: Ny opgave", "day, empty", "Ny opgave", false);
        // The export tab: what is chosen when it opens, and no export of nothing.
        row("export, empty: button", "export, empty store", "Eksportér", true);
        row("export, empty: period", "export, empty store", "Uge", Any, true);
        row("export, empty: format", "export, empty store", "CSV", Any, true);
        row("export: button", "export, with tasks", "Eksportér", false);
        // Statistics: the closed days, and the texts of the chart of many days.
        row("stats: period", "stats, week", "Uge", Any, true);
        row("stats: closed days", "stats, all time", "Dage afsluttet: 1");
        row("stats: chart's day count", "stats, all time", "21 dage");
        row("stats: chart's first day", "stats, all time", "13/2 2025");
        row("stats: chart's last day", "stats, all time", "5/3 2025");
    }
    void namesAndStates()
    {
        QFETCH(QString, screen);
        QFETCH(QString, name);
        QFETCH(int, disabled);
        QFETCH(int, checked);
        QFETCH(int, selected);
        QFETCH(QString, action);
        QVERIFY2(showScreen(screen), qPrintable(f->warnings().join('\n')));

        QAccessibleInterface *iface = a11y::find(window(), name);
        QVERIFY2(iface, qPrintable(name + " is not on the bus"));
        const QAccessible::State state = iface->state();
        if (disabled != Any)
            QCOMPARE(bool(state.disabled), bool(disabled));
        if (checked != Any)
            QCOMPARE(bool(state.checked), bool(checked));
        if (selected != Any)
            QCOMPARE(bool(state.selected), bool(selected));
        if (!action.isEmpty()) {
            QVERIFY(iface->actionInterface());
            QVERIFY(iface->actionInterface()->actionNames().contains(action));
        }
    }

    // The same menu as a right click, from assistive technology and from the keyboard.
    void rowMenuWithoutAPointer_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("show menu action") << "action";
        QTest::newRow("menu key") << "menu key";
        QTest::newRow("Shift+F10") << "shift f10";
    }
    void rowMenuWithoutAPointer()
    {
        QFETCH(QString, how);
        QVERIFY2(showDay(), qPrintable(f->warnings().join('\n')));
        if (how == "action") {
            QAccessibleInterface *row = a11y::find(window(), QStringLiteral("Møde"));
            QVERIFY(row && row->actionInterface());
            row->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        } else {
            f->all(QStringLiteral("rowNameArea")).at(0)->forceActiveFocus(Qt::TabFocusReason);
            if (how == "menu key")
                QTest::keyClick(window(), Qt::Key_Menu);
            else
                QTest::keyClick(window(), Qt::Key_F10, Qt::ShiftModifier);
        }
        QObject *menu = rowMenu();
        QVERIFY(menu);
        QTRY_VERIFY(menu->property("opened").toBool());
        QVERIFY(menu->property("count").toInt() > 5);
    }

    // From the keyboard alone: focus starts on the start/stop button, Tab walks the screen
    // top to bottom, Return commits, Escape closes a banner and then the popover.
    void dayViewByKeyboard()
    {
        QQuickItem *root = showDay();
        QVERIFY2(root, qPrintable(f->warnings().join('\n')));
        auto *vm = root->findChild<MenuBarContentViewModel *>();
        QSignalSpy hide(f->services(), &AppServices::popoverHideRequested);
        QCOMPARE(focusName(), QStringLiteral("Stop"));

        QStringList order;
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(window(), Qt::Key_Tab);
            order << focusName();
        }
        const QStringList expected = {"Forrige uge", "mandag 3. marts", "tirsdag 4. marts", "onsdag 5. marts",
                                      "torsdag 6. marts", "fredag 7. marts", "lørdag 8. marts", "søndag 9. marts",
                                      "Næste uge", "Stop", "Rediger navn", "Rediger projektkode", "Rediger tid",
                                      "Start", "Rediger navn", "Rediger projektkode", "Rediger tid", "Luk dag",
                                      "Tilføj opgave", "Vis skabeloner"};
        QCOMPARE(order, expected);

        // Space on "Tilføj opgave" opens the add banner; Return adds what was typed.
        for (int i = 0; i < 40 && focusName() != QStringLiteral("Tilføj opgave"); ++i)
            QTest::keyClick(window(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QStringLiteral("Tilføj opgave"));
        QTest::keyClick(window(), Qt::Key_Space);
        QTRY_COMPARE(focusName(), QStringLiteral("Opgavenavn"));
        a11y::type(window(), QStringLiteral("Ny"));
        QTest::keyClick(window(), Qt::Key_Return);
        QCOMPARE(vm->dayTasks().size(), 3);

        // Escape: first the banner that asks, then the popover.
        // The banner slides away with the field; the focus does not stay on the hidden field.
        QTRY_COMPARE(focusName(), QStringLiteral("Stop"));
        QMetaObject::invokeMethod(f->banners(), "askCloseDay");
        QVERIFY(f->banners()->property("closeDayOpen").toBool());
        QTest::keyClick(window(), Qt::Key_Escape);
        QVERIFY(!f->banners()->property("closeDayOpen").toBool());
        QCOMPARE(hide.count(), 0);
        QTest::keyClick(window(), Qt::Key_Escape);
        QCOMPARE(hide.count(), 1);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
