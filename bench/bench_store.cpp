// How the store scales: opening and loading, the day and running-task lookups, one
// tick's work for the day view and the label, and memory per task, for a large store
// (40 years of tasks) and a small one with the same number of tasks per day.
//
//   bench_store [tasks]      default 100000; the small store always has 1000
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <sqlite3.h>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

using namespace timecalc;

namespace {

constexpr int codeCount = 200;
constexpr int templateCount = 200;
constexpr int closedDayCount = 5000;
constexpr int yearsOfTasks = 40;

struct Shape
{
    int tasks;
    int days;
    int closedDays;
};

Shape shapeFor(int tasks, int largeTasks)
{
    // The small store keeps the large one's tasks per day, so a day's work is the same.
    const int largeDays = int(QDate::currentDate().addYears(-yearsOfTasks).daysTo(QDate::currentDate())) + 1;
    const int days = std::max(1, int(qint64(largeDays) * tasks / largeTasks));
    return {tasks, days, std::min(closedDayCount, days)};
}

QByteArray uuid() { return Record::newId().toLatin1(); }

bool run(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "%s: %s\n", sql, message);
    sqlite3_free(message);
    return false;
}

// Creates the store through Store::open (so the schema is the program's own), then
// fills it with one direct transaction, far faster than inserting 100,000 objects.
bool generate(const QString &path, const Shape &shape)
{
    QString error;
    if (!Store::open(path, &error)) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK || !run(db, "BEGIN"))
        return false;

    const QDate today = QDate::currentDate();
    const QDate first = today.addDays(-(shape.days - 1));
    const double now = Clock::nowSeconds();
    sqlite3_stmt *st = nullptr;

    sqlite3_prepare_v2(db, "INSERT INTO Task VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)", -1, &st, nullptr);
    int sortOrder = 0;
    QDate previous;
    for (int i = 0; i < shape.tasks; ++i) {
        const QDate day = first.addDays(qint64(i) * shape.days / shape.tasks);
        if (i == shape.tasks - 1)
            Q_ASSERT(day == today);
        sortOrder = day == previous ? sortOrder + 1 : 0;
        previous = day;
        const double date = startOfDay(day);
        const QByteArray id = uuid();
        const QByteArray name = QByteArray("Opgave ") + QByteArray::number(100000 + i) + " kunde";
        const QByteArray code = "KODE-" + QByteArray::number(i % codeCount);
        sqlite3_bind_text(st, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 3, date);
        sqlite3_bind_int64(st, 4, (i * 7919) % 30000);
        if (i == shape.tasks - 1) // the one running task, today's last
            sqlite3_bind_double(st, 5, now - 1234.5);
        else
            sqlite3_bind_null(st, 5);
        sqlite3_bind_int64(st, 6, sortOrder);
        sqlite3_bind_double(st, 7, date + 8 * 3600 + sortOrder * 60);
        if (i % 3 == 0)
            sqlite3_bind_text(st, 8, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(st, 8);
        if (sqlite3_step(st) != SQLITE_DONE)
            return false;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);

    sqlite3_prepare_v2(db, "INSERT INTO ProjectCode VALUES (?1, ?2, ?3, ?4, ?5)", -1, &st, nullptr);
    for (int i = 0; i < codeCount; ++i) {
        const QByteArray id = uuid(), code = "KODE-" + QByteArray::number(i), name = "Kunde nummer " + QByteArray::number(i);
        sqlite3_bind_text(st, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, code.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 4, i);
        sqlite3_bind_double(st, 5, now - i);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);

    sqlite3_prepare_v2(db, "INSERT INTO TaskTemplate VALUES (?1, ?2, ?3, ?4, ?5)", -1, &st, nullptr);
    for (int i = 0; i < templateCount; ++i) {
        const QByteArray id = uuid(), name = "Skabelon nummer " + QByteArray::number(i), code = "KODE-" + QByteArray::number(i);
        sqlite3_bind_text(st, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), -1, SQLITE_TRANSIENT);
        if (i % 2)
            sqlite3_bind_text(st, 3, code.constData(), -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(st, 3);
        sqlite3_bind_int64(st, 4, i);
        sqlite3_bind_double(st, 5, now - i);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);

    sqlite3_prepare_v2(db, "INSERT INTO ClosedDay VALUES (?1, ?2, ?3, ?4)", -1, &st, nullptr);
    for (int i = 0; i < shape.closedDays; ++i) {
        const QByteArray id = uuid();
        const double date = startOfDay(today.addDays(-1 - i));
        sqlite3_bind_text(st, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, date);
        sqlite3_bind_double(st, 3, 0.25 * (i % 40));
        sqlite3_bind_double(st, 4, date + 17 * 3600);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);

    const bool ok = run(db, "COMMIT") && run(db, "PRAGMA wal_checkpoint(TRUNCATE)");
    sqlite3_close(db);
    return ok;
}

// Generating in a child keeps its garbage out of the measuring process's heap.
bool generateApart(const QString &path, const Shape &shape)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0)
        _exit(generate(path, shape) ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

qint64 rssBytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

qint64 heapBytes()
{
    malloc_trim(0);
    return qint64(mallinfo2().uordblks);
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Median time of one call of `work`, in microseconds, over `rounds` rounds of `batch` calls.
template<class F>
double perCallMicros(F &&work, int rounds = 21, int batch = 200)
{
    std::vector<double> samples;
    QElapsedTimer timer;
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        for (int i = 0; i < batch; ++i)
            work();
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0 / batch);
    }
    return median(samples);
}

volatile double sink; // keeps the measured work from being optimised away

struct Result
{
    Shape shape;
    qint64 loadedTasks = 0;
    double openMs = 0, openCpuMs = 0, firstOpenMs = 0, firstOpenCpuMs = 0, dayMicros = 0, runningMicros = 0, tickRunningMicros = 0, tickIdleMicros = 0;
    double rssPerTask = 0, heapPerTask = 0;
    int tasksOnSelectedDay = 0;
};

bool measure(const QString &path, Result &result)
{
    const qint64 rssBefore = rssBytes();
    const qint64 heapBefore = heapBytes();
    QString error;
    QElapsedTimer timer;
    double cpu = cpuMs();
    timer.start();
    auto store = Store::open(path, &error);
    std::vector<double> opens{double(timer.nsecsElapsed()) / 1e6};
    std::vector<double> cpus{cpuMs() - cpu};
    result.firstOpenMs = opens.front();
    result.firstOpenCpuMs = cpus.front();
    if (!store) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    const qint64 heapAfter = heapBytes();
    const qint64 rssAfter = rssBytes();
    result.loadedTasks = store->tasks().size();
    result.rssPerTask = double(rssAfter - rssBefore) / double(result.loadedTasks);
    result.heapPerTask = double(heapAfter - heapBefore) / double(result.loadedTasks);

    for (int i = 0; i < 6; ++i) {
        store.reset();
        cpu = cpuMs();
        timer.start();
        store = Store::open(path, &error);
        opens.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpus.push_back(cpuMs() - cpu);
    }
    result.openMs = median(opens);
    result.openCpuMs = median(cpus);

    const double selected = startOfToday();
    result.tasksOnSelectedDay = int(store->tasksOnDay(selected).size());
    result.dayMicros = perCallMicros([&] { sink = double(store->tasksOnDay(selected).size()); });
    result.runningMicros = perCallMicros([&] { sink = store->firstRunningTask() ? 1.0 : 0.0; });

    // One tick: the day view's totals for the selected day, then the label.
    auto dayView = [&] {
        qint64 seconds = 0;
        double billable = 0;
        for (const Task *t : store->tasksOnDay(selected)) {
            const qint64 s = t->currentSeconds();
            seconds = saturatingAdd(seconds, s);
            billable += billableHoursFor(s);
        }
        sink = double(seconds) + billable + formatDecimalHours(billable).size();
    };
    auto idleLabel = [&] {
        double billable = 0;
        for (const Task *t : store->tasksDatedExactly(startOfToday()))
            billable += billableHoursFor(t->currentSeconds());
        return QString::asprintf("%.2ft", billable).size();
    };
    result.tickRunningMicros = perCallMicros([&] {
        dayView();
        const Task *running = store->firstRunningTask();
        sink = running ? formatElapsed(running->currentSeconds()).size() : idleLabel();
    });
    result.tickIdleMicros = perCallMicros([&] {
        dayView();
        sink = idleLabel();
    });
    return true;
}

void print(const Result &r)
{
    std::printf("\n%d tasks over %d days (%d on the selected day), %d codes, %d templates, %d closed days\n",
                r.shape.tasks, r.shape.days, r.tasksOnSelectedDay, codeCount, templateCount, r.shape.closedDays);
    std::printf("  open + load (median of 7)      %9.1f ms    target < 300 ms (CPU time %.1f ms)\n", r.openMs,
                r.openCpuMs);
    std::printf("  first open in the process      %9.1f ms    (CPU time %.1f ms)\n", r.firstOpenMs, r.firstOpenCpuMs);
    std::printf("  tasksOnDay                     %9.2f us\n", r.dayMicros);
    std::printf("  firstRunningTask               %9.3f us\n", r.runningMicros);
    std::printf("  tick, a task running           %9.2f us    target < 200 us\n", r.tickRunningMicros);
    std::printf("  tick, nothing running          %9.2f us    target < 200 us\n", r.tickIdleMicros);
    std::printf("  memory per task, RSS           %9.0f B     target < 400 B\n", r.rssPerTask);
    std::printf("  memory per task, malloc heap   %9.0f B\n", r.heapPerTask);
}

} // namespace

int main(int argc, char *argv[])
{
    const int largeTasks = argc > 1 ? std::max(1000, atoi(argv[1])) : 100000;
    const Shape shapes[] = {shapeFor(largeTasks, largeTasks), shapeFor(1000, largeTasks)};
    QTemporaryDir dir;
    QStringList paths;
    for (const Shape &shape : shapes) {
        paths << dir.filePath(QStringLiteral("store-%1/timeglas.sqlite").arg(shape.tasks));
        if (!generateApart(paths.last(), shape)) {
            std::fprintf(stderr, "could not build the %d-task store\n", shape.tasks);
            return 1;
        }
    }

    QCoreApplication app(argc, argv);
    bool ok = true;
    Result results[] = {{shapes[0]}, {shapes[1]}};
    // The small store first, so that the large one's memory is measured on a clean heap
    // rather than partly inside memory the small one gave back.
    for (int i : {1, 0}) {
        ok = measure(paths[i], results[i]) && ok;
        if (results[i].loadedTasks != shapes[i].tasks) {
            std::fprintf(stderr, "loaded %lld tasks, expected %d\n", results[i].loadedTasks, shapes[i].tasks);
            ok = false;
        }
    }
    for (const Result &r : results)
        print(r);
    return ok ? 0 : 1;
}
