// Draws the day screen in its states, light and dark, into PNG files for review: a running
// task, the empty day, each banner, an open context menu, a closed day, another day, the
// code editor, the quick-add picker and actual hours. A tool, not a test: run it by hand.
#include "UiFixture.h"
#include "core/AwayTime.h"
#include "platform/AppContext.h"
#include "records/ClosedDay.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QDir>
#include <QQuickItem>
#include <QRegularExpression>
#include <QtTest>
#include <sqlite3.h>


namespace {
// Wednesday 5 March 2025, 14:30 local time.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(14, 30)));

// Four tasks of today, the first started an hour and a bit ago unless the day is closed.
Task *seedRunningDay(UiFixture &fixture, timecalc::TestClock &clock, bool closed)
{
    // The clock stands still for the picture, after the start.
    clock.set(Now - 3725);
    Task *running = fixture.addTask(QStringLiteral("Kundemøde om budget"), Now, 1800, QStringLiteral("ABC-12"));
    fixture.addTask(QStringLiteral("Kodegennemgang"), Now, 5400);
    fixture.addTask(QString(), Now, 0);
    fixture.addTask(QStringLiteral("Planlægning af næste sprint med hele teamet og kunden"), Now, 1201,
                    QStringLiteral("INT"));
    if (closed)
        fixture.store()->insert(ClosedDay::create(Now, 2.75));
    else
        running->start();
    clock.set(Now);
    return running;
}

// Codes, templates and three stopped tasks of today (none when the day is empty).
Task *seedCataloguedDay(UiFixture &fixture, bool withTasks)
{
    Store *store = fixture.store();
    store->insert(ProjectCode::create("ABC-12", "Kunde A", 0));
    store->insert(ProjectCode::create("INT", "Intern", 1));
    store->insert(ProjectCode::create("SUP", "Support og drift", 2));
    store->insert(TaskTemplate::create("Daglig standup", QString("INT"), 0));
    store->insert(TaskTemplate::create("Support", std::nullopt, 1));
    store->insert(TaskTemplate::create("Kundemøde om budget og planlægning for næste kvartal", QString("ABC-12"), 2));
    if (!withTasks)
        return nullptr;
    Task *meeting = fixture.addTask("Kundemøde om budget", Now, 7 * 60, QString("ABC-12"));
    fixture.addTask("Kodegennemgang", Now, 20 * 60);
    fixture.addTask("Planlægning", Now, 95 * 60, QString("INT"));
    fixture.addTask("Næste uges opgave", Now + 7 * 86400, 3600);
    return meeting;
}
} // namespace

class DayScreenShots : public QObject
{
    Q_OBJECT

private slots:
    void shot_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("appearance");
        const QStringList states = {"running", "empty", "add-banner", "delete-banner", "context-menu", "closed-day",
                                    "editing", "other-day", "close-banner", "closed-with-key", "code-editor",
                                    "quick-add", "actual-hours", "empty-closed", "save-failing", "away-question"};
        for (const QString &state : states)
            for (const QString &appearance : {QStringLiteral("light"), QStringLiteral("dark")})
                QTest::newRow(qPrintable(state + " " + appearance)) << state << appearance;
    }

    void shot()
    {
        QFETCH(QString, state);
        QFETCH(QString, appearance);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        timecalc::TestClock clock(Now);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(appearance);

        const QStringList runningDay = {"running", "add-banner", "delete-banner", "context-menu", "closed-day", "editing",
                                        "save-failing", "away-question"};
        Task *first = nullptr;
        if (runningDay.contains(state))
            first = seedRunningDay(fixture, clock, state == "closed-day");
        else if (state != "empty")
            first = seedCataloguedDay(fixture, state != "empty-closed");
        if (state == "closed-with-key") {
            fixture.preferences()->setWorkbookAPIKey("wb-key");
            fixture.store()->insert(ClosedDay::create(Now, 2.25));
        }
        if (state == "empty-closed")
            fixture.store()->insert(ClosedDay::create(Now, 0));

        QQuickItem *root = fixture.show(QStringLiteral("Popover"));
        QVERIFY2(root, qPrintable(fixture.warnings().join('\n')));
        QObject *banners = fixture.banners();
        sqlite3 *other = nullptr; // holds the write lock while saves are to fail
        const auto release = qScopeGuard([&other] { sqlite3_close(other); });
        QVERIFY(banners);
        const auto open = [banners](const char *method, QObject *task = nullptr) {
            if (task)
                QMetaObject::invokeMethod(banners, method, Q_ARG(QVariant, QVariant::fromValue(task)));
            else
                QMetaObject::invokeMethod(banners, method);
        };

        if (state == "add-banner") {
            open("openAdd");
            banners->setProperty("newTaskName", QStringLiteral("Opfølgning på mail"));
        } else if (state == "delete-banner") {
            open("askDelete", fixture.store()->tasks().at(1));
        } else if (state == "context-menu" || state == "editing") {
            // The second row: a right click opens its menu, a left click its name field.
            fixture.click(fixture.named(QStringLiteral("taskList")),
                          state == "context-menu" ? Qt::RightButton : Qt::LeftButton, QPointF(120, 21 + 42));
        } else if (state == "other-day") {
            fixture.timerManager()->nextWeek();
        } else if (state == "close-banner") {
            open("askCloseDay");
        } else if (state == "code-editor") {
            open("editCode", first);
        } else if (state == "quick-add") {
            open("toggleTemplates");
        } else if (state == "actual-hours") {
            fixture.timerManager()->setShowBillableTime(false);
        } else if (state == "away-question") {
            // Locked for 42 minutes while the meeting ran.
            AwayTracker *away = fixture.context()->awayTracker();
            away->report(away::SpellMerger::Source::Locked, true, Now - 3000);
            away->report(away::SpellMerger::Source::Locked, false, Now - 3000 + 42 * 60);
            QVERIFY(away->hasQuestion());
        } else if (state == "save-failing") {
            // Another program holds the write lock.
            QVERIFY(!fixture.store()->save());
            QCOMPARE(sqlite3_open(QFile::encodeName(fixture.store()->path()).constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
            first->setName(QStringLiteral("Kundemøde om budget og mere"));
            QVERIFY(fixture.store()->save());
        }
        // Let banners, menus, the notice and the cells' spring come to rest.
        QTest::qWait(600);
        QVERIFY(QDir().mkpath(QStringLiteral(TIMEGLAS_SHOTS_DIR)));
        const QString path = QStringLiteral(TIMEGLAS_SHOTS_DIR "/") + state + QLatin1Char('-') + appearance + ".png";
        QVERIFY(fixture.window()->grabWindow().save(path));
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
    }
};

QTEST_MAIN(DayScreenShots)
#include "shoot_day_screen.moc"
