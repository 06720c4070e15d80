// What assistive technology learns from each screen, asked in process through QAccessible with
// accessibility turned on as a screen reader's bridge turns it on: every figure a sighted user reads is the name of something there, every control's enabled,
// checked and selected state is true, and the day view works from the keyboard alone.
#include "Accessibility.h"
#include "UiFixture.h"
#include "dayview/MenuBarContentViewModel.h"
#include "records/ClosedDay.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QQuickItem>
#include <QRegularExpression>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QtTest>
#include <memory>

namespace {
// Wednesday 5 March 2025, 16:00.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(16, 0)));
const double Today = timecalc::startOfDay(Now);
// A state not asked about.
constexpr int Any = -1;

struct Name { const char *title, *screen; QString name; int disabled = Any, checked = Any, selected = Any; bool showsMenu = false; };
const Name Names[] = {
    // The day: clock card, column header, rows, totals, week strip and bar.
    {"day: clock", "day", "00:15:00"},
    {"day: clock card's task line", "day", "ABC Møde"},
    {"day: column header", "day", "Fakt."},
    {"day: a row's hours", "day", "0.25 timer"},
    {"day: a row offers its menu", "day", "Mail", false, Any, Any, true},
    {"day: total time", "day", "I alt 00:45:00"},
    {"day: total hours", "day", "0.75 timer"},
    {"day: today's cell", "day", "onsdag 5. marts", false, true, true},
    {"day: another day's cell", "day", "torsdag 6. marts", false, false, false},
    // A closed day: its controls are off, its frozen hours on the strip.
    {"closed: start button", "day, closed", "Dag lukket", true},
    {"closed: the strip", "day, closed", "0.75 timer registreret"},
    {"empty: heading", "day, empty", "Ingen opgaver"},
    {"empty: Ny opgave", "day, empty", "Ny opgave", false},
    // Statistics: the closed days, and the texts of the chart of many days.
    {"stats: period", "stats, week", "Uge", Any, true},
    // Chosen options and the settings tab the screen opens on say so before any press.
    {"settings: the tab it opens on", "settings", "Indstillinger", Any, true},
    {"settings: another tab", "settings", "Eksport", Any, false},
    {"export: period", "settings, export", "Uge", Any, true},
    {"export: format", "settings, export", "CSV", Any, true},
    {"stats: closed days", "stats, all time", "Dage afsluttet: 1"},
    {"stats: chart's day count", "stats, all time", "21 dage"},
    {"stats: chart's first day", "stats, all time", "13/2 2025"},
};
} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> f;

    QQuickWindow *window() const { return f->window(); }

    // The screen in the named state, shown, active and settled; nullptr when it could not be
    // shown. The day has two tasks, the first running, a template and a code.
    QQuickItem *showScreen(const QString &screen)
    {
        if (screen != QLatin1String("day, empty")) {
            Task *meeting = f->addTask(QStringLiteral("Møde"), Today, 900, QStringLiteral("ABC"));
            f->addTask(QStringLiteral("Mail"), Today, 1800);
            f->addTemplate(QStringLiteral("Support"));
            if (screen == QLatin1String("day, closed"))
                f->store()->insert(ClosedDay::create(Today, 0.75));
            else
                f->timerManager()->start(meeting, f->store()->tasks(), f->store());
        }
        if (screen == QLatin1String("stats, all time")) {
            for (int day = 1; day <= 20; ++day)
                f->addTask(QStringLiteral("Før"), Today - day * 86400.0, 3600);
            f->store()->insert(ClosedDay::create(Today - 86400.0, 1));
        }
        const QString type = screen.startsWith(QLatin1String("stats"))      ? "StatsTab"
                             : screen.startsWith(QLatin1String("settings")) ? "InlineSettingsView"
                                                                            : "Popover";
        QQuickItem *root = f->show(type);
        window()->requestActivate();
        if (!root || !QTest::qWaitForWindowActive(window()))
            return nullptr;
        if (screen == QLatin1String("stats, all time"))
            a11y::press(window(), QStringLiteral("Alt"));
        if (screen == QLatin1String("settings, export"))
            a11y::press(window(), QStringLiteral("Eksport"));
        if (!f->atRest()) // banners and cells come to rest
            return nullptr;
        // What a screen reader reads: its bridge turns accessibility on, and Qt Quick's
        // controls then publish their own states over what the QML bound.
        platformAccessibility()->setActive(true);
        return root;
    }

    static QPlatformAccessibility *platformAccessibility()
    {
        return QGuiApplicationPrivate::platformIntegration()->accessibility();
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
    // Off again before the next screen is made: Qt 6.4's Switch, made while it is on, leaks
    // the attached object its constructor asks for.
    void cleanup() { platformAccessibility()->setActive(false); }

    void namesAndStates_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Names)); ++i)
            QTest::newRow(Names[i].title) << i;
    }
    void namesAndStates()
    {
        QFETCH(int, row);
        const Name &n = Names[row];
        QVERIFY2(showScreen(n.screen), qPrintable(f->warnings().join('\n')));

        QAccessibleInterface *iface = a11y::find(window(), n.name);
        QVERIFY2(iface, qPrintable(n.name + " is not on the bus"));
        const QAccessible::State state = iface->state();
        if (n.disabled != Any)
            QCOMPARE(bool(state.disabled), bool(n.disabled));
        if (n.checked != Any) {
            QVERIFY(state.checkable);
            QCOMPARE(bool(state.checked), bool(n.checked));
        }
        if (n.selected != Any)
            QCOMPARE(bool(state.selected), bool(n.selected));
        if (n.showsMenu)
            QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
    }

    // The same menu as a right click, from assistive technology and from the keyboard.
    void rowMenuWithoutAPointer_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("back"); // where the focus goes when the menu closes
        QTest::newRow("show menu action") << "action" << "Møde";
        QTest::newRow("menu key") << "menu key" << "Rediger navn";
        QTest::newRow("Shift+F10") << "shift f10" << "Rediger navn";
    }
    void rowMenuWithoutAPointer()
    {
        QFETCH(QString, how);
        QFETCH(QString, back);
        QVERIFY2(showScreen("day"), qPrintable(f->warnings().join('\n')));
        QSignalSpy hide(f->services(), &AppServices::popoverHideRequested);
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
        QObject *menu = f->rowMenu(0);
        QVERIFY(menu);
        QTRY_VERIFY(menu->property("opened").toBool());
        QVERIFY(menu->property("count").toInt() > 5);
        // The open menu owns the keyboard: Down reaches its first entry, and Escape closes only
        // the menu, handing the focus back to the row; the next Escape hides the popover.
        QTest::keyClick(window(), Qt::Key_Down);
        QVERIFY(window()->activeFocusItem()->inherits("QQuickMenuItem"));
        QCOMPARE(focusName(), QStringLiteral("Stop"));
        QTest::keyClick(window(), Qt::Key_Escape);
        QTRY_VERIFY(!menu->property("visible").toBool());
        QCOMPARE(hide.count(), 0);
        QCoreApplication::processEvents(); // the screen's deferred look at the focus
        QCOMPARE(focusName(), back);
        QTest::keyClick(window(), Qt::Key_Escape);
        QCOMPARE(hide.count(), 1);
    }

    // From the keyboard alone: focus starts on the start/stop button, Tab walks the screen
    // top to bottom, Return commits.
    void dayViewByKeyboard()
    {
        QQuickItem *root = showScreen("day");
        QVERIFY2(root, qPrintable(f->warnings().join('\n')));
        auto *vm = root->findChild<MenuBarContentViewModel *>();
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
        QTest::keyClick(window(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QStringLiteral("Tilføj opgave"));
        QTest::keyClick(window(), Qt::Key_Space);
        QTRY_COMPARE(focusName(), QStringLiteral("Opgavenavn"));
        a11y::type(window(), QStringLiteral("Ny"));
        QTest::keyClick(window(), Qt::Key_Return);
        QCOMPARE(vm->dayTasks().size(), 3);
        // The banner slides away with the field; the focus does not stay on the hidden field.
        QTRY_COMPARE(focusName(), QStringLiteral("Stop"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
