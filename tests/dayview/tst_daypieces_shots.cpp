// Draws the week strip, the bottom bar, the footer and the code, quick-add and closing banners
// on the day screen, light and dark, into PNG files for review.
#include "Calendar.h"
#include "ClosedDay.h"
#include "Clock.h"
#include "CodeEditorModel.h"
#include "DayClosingModel.h"
#include "MenuBarContentViewModel.h"
#include "QuickAddPickerModel.h"
#include "UiFixture.h"

#include <QDir>
#include <QQuickItem>
#include <QRegularExpression>
#include <QtTest>

using timecalc::Clock;

namespace {
// Wednesday 5 March 2025, 16:00 local time.
const double Now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(16, 0)));
} // namespace

class DayPiecesShots : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::reset(); }

    void shot_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("appearance");
        const QStringList states = {"other-day", "close-banner", "closed-with-key", "code-editor", "quick-add",
                                    "actual-hours", "empty-closed"};
        for (const QString &state : states)
            for (const QString &appearance : {QStringLiteral("light"), QStringLiteral("dark")})
                QTest::newRow(qPrintable(state + " " + appearance)) << state << appearance;
    }

    void shot()
    {
        QFETCH(QString, state);
        QFETCH(QString, appearance);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        Clock::setFixed(Now);
        UiFixture fixture;
        fixture.preferences()->setAppearanceMode(appearance);
        Store *store = fixture.store();

        store->insert(ProjectCode::create("ABC-12", "Kunde A", 0));
        store->insert(ProjectCode::create("INT", "Intern", 1));
        store->insert(ProjectCode::create("SUP", "Support og drift", 2));
        store->insert(TaskTemplate::create("Daglig standup", QString("INT"), 0));
        store->insert(TaskTemplate::create("Support", std::nullopt, 1));
        store->insert(TaskTemplate::create("Kundemøde om budget og planlægning for næste kvartal", QString("ABC-12"), 2));
        Task *meeting = nullptr;
        if (state != "empty-closed") {
            meeting = fixture.addTask("Kundemøde om budget", Now, 7 * 60, QString("ABC-12"));
            fixture.addTask("Kodegennemgang", Now, 20 * 60);
            fixture.addTask("Planlægning", Now, 95 * 60, QString("INT"));
            fixture.addTask("Næste uges opgave", Now + 7 * 86400, 3600);
        }
        if (state == "closed-with-key") {
            fixture.preferences()->setWorkbookAPIKey("wb-key");
            store->insert(ClosedDay::create(Now, 2.25));
        }
        if (state == "empty-closed")
            store->insert(ClosedDay::create(Now, 0));

        QQuickItem *root = fixture.show(QStringLiteral("Popover"));
        QVERIFY2(root, qPrintable(fixture.warnings().join('\n')));
        auto *vm = root->findChild<MenuBarContentViewModel *>();
        QVERIFY(vm);

        if (state == "other-day")
            fixture.timerManager()->nextWeek();
        else if (state == "close-banner")
            vm->closing()->requestClose();
        else if (state == "code-editor")
            vm->codeEditor()->beginEditCode(meeting);
        else if (state == "quick-add")
            vm->quickAdd()->togglePicker();
        else if (state == "actual-hours")
            fixture.timerManager()->setShowBillableTime(false);
        // Let banners, the notice and the cells' spring come to rest.
        QTest::qWait(600);

        const QString dir = QStringLiteral(TIMEGLAS_SHOTS_DIR);
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QLatin1Char('/') + state + QLatin1Char('-') + appearance + QStringLiteral(".png");
        QVERIFY(fixture.grab(path));
        QVERIFY(QFileInfo(path).size() > 0);
        QVERIFY2(fixture.warnings().isEmpty(), qPrintable(fixture.warnings().join('\n')));
    }
};

QTEST_MAIN(DayPiecesShots)
#include "tst_daypieces_shots.moc"
