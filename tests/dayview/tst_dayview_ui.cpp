// The wiring only the QML can break, driven with mouse and keys on an offscreen window:
// Return and loss of focus commit the inline fields, a click on empty space commits,
// buttons do not, and the context menu offers the right entries.
#include "Calendar.h"
#include "ClosedDay.h"
#include "Clock.h"
#include "MenuBarContentViewModel.h"
#include "UiFixture.h"

#include <QQuickItem>
#include <QRegularExpression>
#include <QtQuickTest/quicktest.h>
#include <QtTest>
#include <algorithm>
#include <memory>

using timecalc::Clock;

namespace {
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(10, 0)));
} // namespace

class DayViewUiTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<UiFixture> f;
    QQuickItem *root = nullptr;

    QQuickWindow *window() const { return f->window(); }

    void showDay()
    {
        root = f->show(QStringLiteral("Popover"));
        QVERIFY2(root, qPrintable(f->warnings().join('\n')));
        window()->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window()));
    }

    void type(const QString &text)
    {
        for (const QChar c : text) {
            const auto key = c.isLetterOrNumber() && c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, window(), key, QString(c), Qt::NoModifier);
        }
    }

    QQuickItem *focusedField() const { return window()->activeFocusItem(); }

    Task *taskNamed(const QString &name) const
    {
        for (Task *t : f->store()->tasks())
            if (t->name() == name)
                return t;
        return nullptr;
    }

    static QObject *menuOf(QQuickItem *rowPart)
    {
        QObject *menu = nullptr;
        for (QQuickItem *p = rowPart; p && !menu; p = p->parentItem())
            menu = p->findChild<QObject *>(QStringLiteral("rowMenu"), Qt::FindDirectChildrenOnly);
        return menu;
    }

    // The open menu's entries as one line, "|" for a separator.
    QString openMenuLine(QQuickItem *rowPart) const
    {
        QObject *menu = menuOf(rowPart);
        if (!menu || !menu->property("visible").toBool())
            return QStringLiteral("<no menu>");
        QStringList out;
        const int count = menu->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QQuickItem *item = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
            const bool separator = QByteArray(item->metaObject()->className()).contains("MenuSeparator");
            out << (separator ? QStringLiteral("|") : item->property("text").toString());
        }
        return out.join(QLatin1Char(','));
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
        f.reset();
        Clock::reset();
    }

    void addFieldCommits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expectedTasks");
        QTest::addColumn<QString>("expectedName");

        QTest::newRow("Return adds the trimmed name") << "  Møde  " << "return" << 1 << "Møde";
        QTest::newRow("a click on empty space adds") << "Mail" << "empty" << 1 << "Mail";
        QTest::newRow("leaving it empty adds an unnamed task") << "" << "empty" << 1 << "";
        QTest::newRow("Tilføj adds") << "Plan" << "add" << 1 << "Plan";
        QTest::newRow("Annuller adds nothing") << "Plan" << "cancel" << 0 << "";
        QTest::newRow("Escape does not close or add") << "Plan" << "escape" << 0 << "";
    }

    void addFieldCommits()
    {
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(int, expectedTasks);
        QFETCH(QString, expectedName);
        showDay();
        f->click(f->named("emptyAddButton"));
        QTRY_COMPARE(focusedField(), f->named("addField"));
        type(typed);

        if (how == "return")
            QTest::keyClick(window(), Qt::Key_Return);
        else if (how == "empty")
            f->clickEmptySpace();
        else if (how == "add")
            f->click(f->named("addConfirmButton"));
        else if (how == "cancel")
            f->click(f->named("addCancelButton"));
        else if (how == "escape")
            QTest::keyClick(window(), Qt::Key_Escape);

        QCOMPARE(f->store()->tasks().size(), expectedTasks);
        if (expectedTasks > 0)
            QCOMPARE(f->store()->tasks().constFirst()->name(), expectedName);
        if (how == "escape") {
            QCOMPARE(focusedField(), f->named("addField"));
            QCOMPARE(f->named("addField")->property("text").toString(), typed);
        }
    }

    void rowNameCommits_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Return") << "return";
        QTest::newRow("click on empty space") << "empty";
        QTest::newRow("click on another row's name") << "other";
    }

    void rowNameCommits()
    {
        QFETCH(QString, how);
        f->addTask(QStringLiteral("Første"), Now, 60);
        f->addTask(QStringLiteral("Anden"), Now, 0);
        showDay();

        f->click(f->all("rowNameArea").at(0));
        QTRY_COMPARE(focusedField(), f->all("rowNameField").value(0));
        QTest::keyClick(window(), Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("Omdøbt"));
        if (how == "return")
            QTest::keyClick(window(), Qt::Key_Return);
        else if (how == "empty")
            f->clickEmptySpace();
        else
            f->click(f->all("rowNameArea").constLast()); // the edited row's own area is hidden

        QVERIFY(taskNamed(QStringLiteral("Omdøbt")));
        // The first row shows its name again; the edited one selected itself on the click.
        QCOMPARE(f->all("rowNameField").size(), how == "other" ? 1 : 0);
        QCOMPARE(f->preferences()->selectedTaskID(),
                 (how == "other" ? taskNamed("Anden") : taskNamed("Omdøbt"))->idString());
    }

    void rowTimeCommitsOrStaysOpen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("valid, Return") << "1:30" << "return" << qint64(5400) << false;
        QTest::newRow("valid, click on empty space") << "90" << "empty" << qint64(5400) << false;
        QTest::newRow("invalid, Return") << "1:60" << "return" << qint64(60) << true;
        QTest::newRow("invalid, click on empty space") << "1:60" << "empty" << qint64(60) << true;
    }

    void rowTimeCommitsOrStaysOpen()
    {
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(qint64, stored);
        QFETCH(bool, staysOpen);
        Task *task = f->addTask(QStringLiteral("Tid"), Now, 60);
        showDay();

        f->click(f->all("rowTimeArea").at(0));
        QTRY_COMPARE(focusedField(), f->all("rowTimeField").value(0));
        QCOMPARE(focusedField()->property("text").toString(), QStringLiteral("00:01:00"));
        QTest::keyClick(window(), Qt::Key_A, Qt::ControlModifier);
        type(typed);
        if (how == "return")
            QTest::keyClick(window(), Qt::Key_Return);
        else
            f->clickEmptySpace();

        QCOMPARE(task->accumulatedSeconds(), stored);
        QCOMPARE(f->all("rowTimeField").size(), staysOpen ? 1 : 0);
        if (staysOpen)
            QCOMPARE(f->all("rowTimeField").at(0)->property("text").toString(), typed);
    }

    void contextMenuEntries_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");

        const QString head = "Start,|,Rediger navn,Rediger projektkode,Rediger tid,|,";
        QTest::newRow("single row") << 1 << 0 << head + "Slet";
        QTest::newRow("first row") << 3 << 0 << head + "Flyt ned,|,Slet";
        QTest::newRow("middle row") << 3 << 1 << head + "Flyt op,Flyt ned,|,Slet";
        QTest::newRow("last row") << 3 << 2 << head + "Flyt op,|,Slet";
    }

    void contextMenuEntries()
    {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(QString, expected);
        for (int i = 0; i < rows; ++i)
            f->addTask(QString::number(i), Now, 0);
        showDay();

        QQuickItem *name = f->all("rowNameArea").at(row);
        f->click(name, Qt::RightButton);
        QTRY_COMPARE(openMenuLine(name), expected);
    }

    void contextMenuActionRuns_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("Rediger navn opens a focused editor") << "Rediger navn";
        QTest::newRow("Flyt ned moves the task") << "Flyt ned";
    }

    void contextMenuActionRuns()
    {
        QFETCH(QString, entry);
        f->addTask(QStringLiteral("A"), Now, 0);
        f->addTask(QStringLiteral("B"), Now, 0);
        showDay();
        QQuickItem *first = f->all("rowNameArea").at(0);
        f->click(first, Qt::RightButton);
        QTRY_VERIFY(openMenuLine(first).contains(entry));
        // Fully open and laid out, so the click lands where the entry is drawn.
        QTRY_VERIFY(menuOf(first)->property("opened").toBool());
        QVERIFY(QQuickTest::qWaitForPolish(window()));

        const QList<QQuickItem *> items = f->all(QString()); // menu items carry no name
        QQuickItem *target = nullptr;
        for (QQuickItem *i : items)
            if (i->property("text").toString() == entry
                && QByteArray(i->metaObject()->className()).contains("MenuItem"))
                target = i;
        f->click(target);

        if (entry == "Rediger navn") {
            QTRY_COMPARE(focusedField(), f->all("rowNameField").value(0));
            QTest::qWait(50); // nothing may take the focus back afterwards
            QCOMPARE(focusedField(), f->all("rowNameField").value(0));
        } else {
            QTRY_VERIFY(taskNamed("A")->sortOrder() > taskNamed("B")->sortOrder());
        }
    }

    void settingsReplaceTheDayScreenAndComeBackFresh()
    {
        showDay();
        auto *vm = root->findChild<MenuBarContentViewModel *>();
        QVERIFY(vm);
        QQuickItem *loader = f->named("settingsLoader");
        QVERIFY(loader);

        vm->setShowSettings(true);
        QTRY_VERIFY(loader->property("item").value<QQuickItem *>());
        QPointer<QQuickItem> first = loader->property("item").value<QQuickItem *>();
        QTRY_COMPARE(loader->x(), 0.0);

        QMetaObject::invokeMethod(first, "back");
        QVERIFY(!vm->showSettings());
        QTRY_VERIFY(!first); // dropped once it has slid away

        vm->setShowSettings(true);
        QTRY_VERIFY(loader->property("item").value<QQuickItem *>());
    }

    void rowAddedWithAnimationIsDimmedWhenTheDayCloses()
    {
        f->addTask(QStringLiteral("Før"), Now, 60);
        showDay();
        auto *vm = root->findChild<MenuBarContentViewModel *>();
        QVERIFY(vm->addTask(QStringLiteral("Ny")));
        QTRY_COMPARE(f->all("rowNameArea").size(), 2);
        QList<QQuickItem *> rows;
        for (QQuickItem *area : f->all("rowNameArea")) {
            QQuickItem *row = area;
            while (row && !QByteArray(row->metaObject()->className()).startsWith("TaskRowView"))
                row = row->parentItem();
            QVERIFY(row);
            rows.append(row);
        }
        for (QQuickItem *row : rows)
            QTRY_COMPARE(row->opacity(), 1.0); // the entry transition has ended
        f->store()->insert(ClosedDay::create(Now, 0.25));
        for (QQuickItem *row : rows)
            QCOMPARE(row->opacity(), 0.5);
    }

    void closedDayRowIsReadOnly()
    {
        Task *task = f->addTask(QStringLiteral("Lukket"), Now, 60);
        f->store()->insert(ClosedDay::create(Now, 0.25));
        showDay();

        QQuickItem *name = f->all("rowNameArea").at(0);
        f->click(name, Qt::RightButton);
        QTest::qWait(50);
        QCOMPARE(openMenuLine(name), QStringLiteral("<no menu>"));
        f->click(name); // selects, opens nothing
        f->click(f->all("rowTimeArea").at(0));
        f->click(f->all("rowToggleButton").at(0));
        QCOMPARE(f->all("rowNameField").size(), 0);
        QCOMPARE(f->all("rowTimeField").size(), 0);
        QVERIFY(!task->isRunning());
        QCOMPARE(f->preferences()->selectedTaskID(), task->idString());
    }
};

QTEST_MAIN(DayViewUiTest)
#include "tst_dayview_ui.moc"
