// Renders the export and statistics tabs offscreen with sample data, light and dark, into
// PNG files for looking at; with --large it also times the statistics tab on a store of
// 100,000 tasks. A tool, not a test.
#include "UiFixture.h"
#include "records/ClosedDay.h"
#include "settings/ExportSettingsTabModel.h"
#include "settings/StatsTabModel.h"
#include "timecalc/Calendar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

double daysFromToday(int days)
{
    return timecalc::startOfDay(timecalc::localDate(timecalc::Clock::nowSeconds()).addDays(days));
}

void fillSample(UiFixture &fixture)
{
    const QDate today = timecalc::localDate(timecalc::Clock::nowSeconds());
    const int sinceMonday = today.dayOfWeek() - 1;
    struct Entry { int day; const char *name; qint64 seconds; const char *code; };
    const Entry entries[] = {
        {0, "Kundemøde", 5400, "ABC"}, {0, "Frokost", 1800, nullptr}, {1, "Kodegennemgang", 9000, "DEV-12"},
        {1, "Planlægning; uge \"10\"", 2700, "ABC"}, {2, "Support", 12600, "SUP"}, {3, "Rejse", 900, nullptr},
        {3, "Dokumentation", 6300, "DEV-12"},
    };
    for (const Entry &e : entries) {
        const int offset = std::min(e.day, sinceMonday) - sinceMonday;
        fixture.addTask(QString::fromUtf8(e.name), daysFromToday(offset), e.seconds,
                        e.code ? std::optional<QString>(QString::fromUtf8(e.code)) : std::nullopt);
    }
    // Older days for "Måned" and "Alt".
    for (int i = 1; i <= 60; ++i)
        fixture.addTask(QStringLiteral("Opgave %1").arg(i), daysFromToday(-7 - i), 1800 + (i * 977) % 20000,
                        i % 3 ? std::optional<QString>(QStringLiteral("P-%1").arg(i % 5)) : std::nullopt);
    fixture.store()->insert(ClosedDay::create(daysFromToday(-8), 7.5));
    fixture.store()->insert(ClosedDay::create(daysFromToday(-9), 6.0));
}

// Compiles the view on its own first: a view that does not compile is reported with its
// errors instead of reaching createWithInitialProperties, which Qt 6.4 does not survive.
bool compiles(const QString &type)
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&engine);
    component.setData("import Timeglas\n" + type.toUtf8() + " {}\n", QUrl(QStringLiteral("qrc:/check.qml")));
    for (const QQmlError &e : component.errors())
        qWarning("%s: %s", qPrintable(type), qPrintable(e.toString()));
    return !component.isError();
}

bool shoot(UiFixture &fixture, const QString &type, const QString &appearance, const QString &name,
           const std::function<void(QQuickItem *)> &prepare = {})
{
    if (!compiles(type))
        return false;
    fixture.preferences()->setAppearanceMode(appearance);
    QQuickItem *root = fixture.show(type);
    if (!root) {
        qWarning("%s", qPrintable(fixture.warnings().join('\n')));
        return false;
    }
    // The tabs are transparent; in the app the settings screen behind them is the popover's colour.
    fixture.window()->setColor(fixture.theme()->background());
    if (prepare)
        prepare(root);
    QTest::qWait(400); // let the notice's animation and a frame finish
    const QString path = QStringLiteral("/tmp/timeglas-%1-%2.png").arg(name, appearance);
    const bool ok = fixture.window()->grabWindow().save(path);
    qInfo("%s %s", ok ? "wrote" : "could not write", qPrintable(path));
    for (const QString &w : fixture.warnings())
        qWarning("QML: %s", qPrintable(w));
    return ok;
}

void timeLargeStore()
{
    UiFixture fixture;
    fixture.store()->setAutoSaveDelay(3600 * 1000);
    QRandomGenerator random(7);
    const QDate today = timecalc::localDate(timecalc::Clock::nowSeconds());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100000; ++i) {
        const QDate day = today.addDays(-qint64(random.bounded(40 * 365)));
        fixture.addTask(QStringLiteral("Opgave %1").arg(i), timecalc::startOfDay(day), random.bounded(4 * 3600),
                        i % 7 ? std::optional<QString>(QStringLiteral("P-%1").arg(random.bounded(200))) : std::nullopt);
    }
    for (int i = 0; i < 5000; ++i)
        fixture.store()->insert(ClosedDay::create(daysFromToday(-i), 7.5));
    QCoreApplication::processEvents();
    qInfo("large store: 100,000 tasks and 5,000 closed days made in %lld ms", timer.elapsed());

    timer.restart();
    QQuickItem *root = fixture.show(QStringLiteral("StatsTab"));
    QCoreApplication::processEvents();
    qInfo("StatsTab opened (\"Uge\") and shown in %lld ms", timer.elapsed());
    auto *model = root ? root->findChild<StatsTabModel *>() : nullptr;
    if (!model)
        return;
    for (const char *period : {"allTime", "thisMonth", "allTime"}) {
        timer.restart();
        model->setStatsPeriod(QString::fromLatin1(period));
        const qint64 computed = timer.elapsed();
        fixture.window()->grabWindow().save(QStringLiteral("/tmp/timeglas-stats-large-%1.png").arg(QLatin1String(period)));
        qInfo("switch to %s: figures in %lld ms, figures and a rendered frame in %lld ms", period, computed,
              timer.elapsed());
    }
    timer.restart();
    model->refresh(); // nothing changed: the figures alone, nothing rebuilt on screen
    qInfo("figures of \"Alt\" recomputed without a change in %lld ms", timer.elapsed());
    timer.restart();
    fixture.addTask(QStringLiteral("Ny"), daysFromToday(0), 60);
    QCoreApplication::processEvents();
    qInfo("one store change on \"Alt\": recomputed in %lld ms", timer.elapsed());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--large"))) {
        timeLargeStore();
        return 0;
    }
    UiFixture fixture;
    fillSample(fixture);
    QTemporaryDir dir;
    bool ok = true;
    for (const QString &appearance : {QStringLiteral("light"), QStringLiteral("dark")}) {
        ok &= shoot(fixture, QStringLiteral("ExportSettingsTab"), appearance, QStringLiteral("export"),
                    [&](QQuickItem *root) {
                        auto *model = root->findChild<ExportSettingsTabModel *>();
                        model->setFileChooser([&](const QString &, reports::ExportFormat,
                                                  std::function<void(const QString &)> done) {
                            done(dir.filePath(QStringLiteral("export.csv")));
                        });
                        model->setScheduler([](int, std::function<void()>) {}); // keep the notice for the picture
                        model->performExport();
                    });
        ok &= shoot(fixture, QStringLiteral("ExportSettingsTab"), appearance, QStringLiteral("export-empty"),
                    [](QQuickItem *root) { root->findChild<ExportSettingsTabModel *>()->setExportRange("today"); });
        ok &= shoot(fixture, QStringLiteral("StatsTab"), appearance, QStringLiteral("stats-week"));
        ok &= shoot(fixture, QStringLiteral("StatsTab"), appearance, QStringLiteral("stats-all"),
                    [](QQuickItem *root) { root->findChild<StatsTabModel *>()->setStatsPeriod("allTime"); });
    }
    // The lower half of the statistics tab.
    ok &= shoot(fixture, QStringLiteral("StatsTab"), QStringLiteral("light"), QStringLiteral("stats-all-scrolled"),
                [](QQuickItem *root) {
                    root->findChild<StatsTabModel *>()->setStatsPeriod("allTime");
                    root->setProperty("contentY", 400);
                });
    return ok ? 0 : 1;
}
