// Draws the day screen in its main states, light and dark, into PNG files for review:
// a running task, the empty day, each banner, an open context menu and a closed day.
#include "Calendar.h"
#include "ClosedDay.h"
#include "Clock.h"
#include "MenuBarContentViewModel.h"
#include "UiFixture.h"

#include <QDir>
#include <QQuickItem>
#include <QRegularExpression>
#include <QtTest>

using timecalc::Clock;

namespace {
// Wednesday 5 March 2025, 14:30 local time.
double fixedNow()
{
    return timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(14, 30)));
}

QQuickItem *findNamed(QQuickItem *item, const QString &name)
{
    if (item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems())
        if (QQuickItem *found = findNamed(child, name))
            return found;
    return nullptr;
}
} // namespace

class DayViewShots : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::reset(); }

    void shot_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("appearance");
        const QStringList states = {"running", "empty", "add-banner", "delete-banner", "context-menu", "closed-day",
                                    "editing"};
        for (const QString &state : states)
            for (const QString &appearance : {QStringLiteral("light"), QStringLiteral("dark")})
                QTest::newRow(qPrintable(state + " " + appearance)) << state << appearance;
    }

    void shot()
    {
        QFETCH(QString, state);
        QFETCH(QString, appearance);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        // Started an hour and a bit ago; the clock then stands still for the picture.
        Clock::setFixed(fixedNow() - 3725);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(appearance);
        const double today = fixedNow();

        Task *running = nullptr;
        if (state != QLatin1String("empty")) {
            running = fixture.addTask(QStringLiteral("Kundemøde om budget"), today, 1800, QStringLiteral("ABC-12"));
            fixture.addTask(QStringLiteral("Kodegennemgang"), today, 5400);
            fixture.addTask(QString(), today, 0);
            fixture.addTask(QStringLiteral("Planlægning af næste sprint med hele teamet og kunden"), today, 1201,
                            QStringLiteral("INT"));
            if (state != QLatin1String("closed-day"))
                running->start();
            else
                fixture.store()->insert(ClosedDay::create(today, 2.75));
        }
        Clock::setFixed(fixedNow());

        QQuickItem *root = fixture.show(QStringLiteral("Popover"));
        QVERIFY2(root, qPrintable(fixture.warnings().join('\n')));
        auto *vm = root->findChild<MenuBarContentViewModel *>();
        QVERIFY(vm);

        if (state == QLatin1String("add-banner")) {
            vm->openAddBanner();
            vm->setNewTaskName(QStringLiteral("Opfølgning på mail"));
        } else if (state == QLatin1String("delete-banner")) {
            vm->requestDelete(fixture.store()->tasks().at(1));
        } else if (state == QLatin1String("context-menu")) {
            QQuickItem *list = findNamed(root, QStringLiteral("taskList"));
            QVERIFY(list);
            QTest::mouseClick(fixture.window(), Qt::RightButton, {}, list->mapToScene(QPointF(120, 21 + 42)).toPoint());
        } else if (state == QLatin1String("editing")) {
            QQuickItem *list = findNamed(root, QStringLiteral("taskList"));
            QVERIFY(list);
            QTest::mouseClick(fixture.window(), Qt::LeftButton, {}, list->mapToScene(QPointF(120, 21 + 42)).toPoint());
        }
        // Let banners and menus finish entering.
        QTest::qWait(450);

        const QString dir = QStringLiteral(TIMEGLAS_SHOTS_DIR);
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QLatin1Char('/') + state + QLatin1Char('-') + appearance + QStringLiteral(".png");
        QVERIFY(fixture.grab(path));
        QVERIFY(QFileInfo(path).size() > 0);
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
    }
};

QTEST_MAIN(DayViewShots)
#include "tst_dayview_shots.moc"
