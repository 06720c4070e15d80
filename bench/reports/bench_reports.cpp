// Times the export texts and the statistics over a store of 100,000 tasks spread over
// 40 years, the size the reports must stay quick at. Prints one line per figure.
#include "records/ClosedDay.h"
#include "records/Task.h"
#include "records/TaskTemplate.h"
#include "reports/ExportText.h"
#include "reports/ReportPeriods.h"
#include "reports/Statistics.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace reports;

namespace {

constexpr int taskCount = 100000;
constexpr int years = 40;
constexpr int codeCount = 200;
constexpr int templateCount = 200;
constexpr int closedDayCount = 5000;
constexpr int runs = 7;

struct Sample
{
    std::vector<std::unique_ptr<Task>> tasks;
    std::vector<std::unique_ptr<TaskTemplate>> templates;
    std::vector<std::unique_ptr<ClosedDay>> closedDays;
    QList<Task *> all;
};

// A store grows day by day, so its tasks lie in memory roughly in date order;
// `scattered` dates them at random instead, the worst case for the caches.
Sample makeSample(double now, bool scattered)
{
    QRandomGenerator random(20250305);
    Sample s;
    const QDate today = timecalc::localDate(now);
    const QDate first = today.addYears(-years);
    const qint64 span = first.daysTo(today);
    QStringList codes;
    for (int i = 0; i < codeCount; ++i)
        codes.append(QStringLiteral("P-%1").arg(i, 4, 10, QLatin1Char('0')));
    for (int i = 0; i < templateCount; ++i)
        s.templates.push_back(std::make_unique<TaskTemplate>(Record::newId(), QStringLiteral("Skabelon %1").arg(i),
                                                             codes.at(i % codeCount), i, now));
    QList<qint64> offsets;
    for (int i = 0; i < taskCount; ++i)
        offsets.append(qint64(random.bounded(int(span) + 1)));
    if (!scattered)
        std::sort(offsets.begin(), offsets.end());
    s.tasks.reserve(taskCount);
    for (int i = 0; i < taskCount; ++i) {
        const QDate day = first.addDays(offsets.at(i));
        // Names of every kind the CSV writer meets, quoting included.
        QString name = QStringLiteral("Opgave %1").arg(i);
        if (i % 50 == 0)
            name += QStringLiteral("; \"citat\"");
        const std::optional<QString> code =
            i % 7 == 0 ? std::nullopt : std::optional<QString>(codes.at(random.bounded(codeCount)));
        const std::optional<double> running = i == taskCount - 1 ? std::optional<double>(now - 600) : std::nullopt;
        s.tasks.push_back(std::make_unique<Task>(Record::newId(), name, timecalc::startOfDay(day),
                                                 qint64(random.bounded(4 * 3600)), running, i, now, code));
        s.all.append(s.tasks.back().get());
    }
    for (int i = 0; i < closedDayCount; ++i)
        s.closedDays.push_back(std::make_unique<ClosedDay>(Record::newId(),
                                                           timecalc::startOfDay(first.addDays(i)), 7.5, now));
    return s;
}

double processCpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Median and fastest of several runs in wall-clock milliseconds, and the median CPU
// time of this process: on a machine shared with compilers the CPU time is the
// steadier of the two.
void measure(QTextStream &out, const QString &what, const std::function<qsizetype()> &work)
{
    QList<double> wall;
    QList<double> cpu;
    qsizetype size = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = processCpuMilliseconds();
        timer.start();
        size = work();
        wall.append(double(timer.nsecsElapsed()) / 1e6);
        cpu.append(processCpuMilliseconds() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    out << qSetFieldWidth(44) << Qt::left << what << qSetFieldWidth(0)
        << QStringLiteral("wall median %1 ms, best %2 ms; cpu median %3 ms (%4)")
               .arg(wall.at(runs / 2), 0, 'f', 1)
               .arg(wall.constFirst(), 0, 'f', 1)
               .arg(cpu.at(runs / 2), 0, 'f', 1)
               .arg(size)
        << Qt::endl;
}

void run(QTextStream &out, const Sample &sample)
{
    measure(out, "export rows of all tasks (filter, sort, rows)", [&] {
        return exportRows(filteredTasks(sample.all, ExportRange::All)).size();
    });
    measure(out, "CSV text of all tasks (filter, rows, text)", [&] {
        return csvText(exportRows(filteredTasks(sample.all, ExportRange::All))).size();
    });
    measure(out, "JSON text of all tasks (filter, rows, text)", [&] {
        return jsonText(exportRows(filteredTasks(sample.all, ExportRange::All))).bytes.size();
    });
    measure(out, "export summary, \"Alt\"", [&] {
        return exportSummary(filteredTasks(sample.all, ExportRange::All)).taskCount;
    });
    measure(out, "export summary, \"Uge\"", [&] {
        return exportSummary(filteredTasks(sample.all, ExportRange::ThisWeek)).taskCount;
    });
    measure(out, "every statistics figure, \"Alt\"", [&] {
        const Statistics s = computeStatistics(filteredTasks(sample.all, StatsPeriod::AllTime));
        return dayBarHeights(s.dailyHours).size() + projectBarFractions(s.projectBreakdown).size();
    });
    measure(out, "every statistics figure, \"Uge\"", [&] {
        const Statistics s = computeStatistics(filteredTasks(sample.all, StatsPeriod::ThisWeek));
        return dayBarHeights(s.dailyHours).size() + projectBarFractions(s.projectBreakdown).size();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    // The whole run sees one instant, so every pass measures the same figures.
    const timecalc::TestClock clock(timecalc::Clock::nowSeconds());
    const double now = clock.now();
    for (const bool scattered : {false, true}) {
        QElapsedTimer build;
        build.start();
        const Sample sample = makeSample(now, scattered);
        out << Qt::endl
            << "store: " << sample.all.size() << " tasks over " << years << " years, " << codeCount << " codes, "
            << templateCount << " templates, " << closedDayCount << " closed days, "
            << (scattered ? "dated at random in memory order" : "in date order as a store grows") << " (made in "
            << build.elapsed() << " ms)" << Qt::endl;
        run(out, sample);
    }
    return 0;
}
