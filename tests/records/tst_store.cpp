// The store: what reaches the disk, what comes back, what it refuses, and its queries; the
// record types' own rules, and the list models that re-deliver after every change.
#include "SqlPeek.h"
#include "records/RecordListModel.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numeric>
#include <limits>
#include <sys/stat.h>

using namespace timecalc;

namespace {
double at(int y, int m, int d, int h = 0, int min = 0)
{
    return toSeconds(QDateTime(QDate(y, m, d), QTime(h, min)));
}
constexpr qint64 maxSeconds = std::numeric_limits<qint64>::max();
const double t0 = at(2026, 5, 12, 10) + 0.123456;
QString num(double v) { return QString::number(v, 'g', 17); }
QString opt(const std::optional<QString> &s) { return s ? '"' + *s + '"' : QStringLiteral("NULL"); }

// Every field in schema order, so that two snapshots compare field by field.
QString fields(const Record *r)
{
    QStringList f{r->idString()};
    if (const auto *t = qobject_cast<const Task *>(r))
        f << t->name() << num(t->dateSeconds()) << QString::number(t->accumulatedSeconds())
          << (t->lastStartTime() ? num(*t->lastStartTime()) : "NULL") << QString::number(t->sortOrder())
          << num(t->createdAt()) << opt(t->projectCode());
    else if (const auto *tt = qobject_cast<const TaskTemplate *>(r))
        f << tt->name() << opt(tt->projectCode()) << QString::number(tt->sortOrder()) << num(tt->createdAt());
    else if (const auto *p = qobject_cast<const ProjectCode *>(r))
        f << p->code() << p->name() << QString::number(p->sortOrder()) << num(p->createdAt());
    else if (const auto *c = qobject_cast<const ClosedDay *>(r))
        f << num(c->dateSeconds()) << num(c->billableHours()) << num(c->closedAt());
    return f.join('|');
}
QStringList snapshot(const Store &store)
{
    QStringList out;
    for (const Record *r : store.tasks()) out << fields(r);
    for (const Record *r : store.templates()) out << fields(r);
    for (const Record *r : store.projectCodes()) out << fields(r);
    for (const Record *r : store.closedDays()) out << fields(r);
    return out;
}
Task *addTask(Store &store, const QString &name, double date, std::optional<double> lastStartTime = std::nullopt)
{
    return store.insert(std::make_unique<Task>(Record::newId(), name, date, 0, lastStartTime, 0,
                                               Clock::nowSeconds(), std::nullopt));
}
// Tasks are labelled by name, project codes by code.
QStringList labels(const RecordListModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto *r = qvariant_cast<Record *>(model.data(model.index(row), RecordListModel::RecordRole));
        out << r->property(r->kind() == Record::Kind::ProjectCode ? "code" : "name").toString();
    }
    return out;
}
struct Timing { qint64 accumulated; bool running; double startedAgo; qint64 current; };
QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace
Q_DECLARE_METATYPE(Timing)

class TestStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<TestClock> m_clock;
    QString path() const { return m_dir->filePath("data/timeglas.sqlite"); }
    std::unique_ptr<Store> open()
    {
        QString error;
        auto store = Store::open(path(), &error);
        if (!store)
            qWarning() << "open failed:" << error;
        return store;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_clock.emplace(t0);
    }

    // A fresh store's layout; every field, the order of the rows and what was changed, deleted
    // or left pending at closing survive reopening.
    void everythingSurvivesReopening()
    {
        QStringList before;
        {
            auto store = open();
            QVERIFY(store);
            SqlPeek db(path());
            QCOMPARE(db.value("PRAGMA user_version") + " " + db.value("PRAGMA journal_mode"), "10000 wal");
            QCOMPARE(db.column("SELECT m.name || ':' || group_concat(c.name, ',') FROM sqlite_schema m, "
                               "pragma_table_info(m.name) c WHERE m.type = 'table' GROUP BY m.name ORDER BY m.name"),
                     QStringList({"ClosedDay:id,date,billableHours,closedAt",
                                  "ProjectCode:id,code,name,sortOrder,createdAt",
                                  "Task:id,name,date,accumulatedSeconds,lastStartTime,sortOrder,createdAt,projectCode",
                                  "TaskTemplate:id,name,projectCode,sortOrder,createdAt"}));
            const double midnight = at(2026, 3, 29);
            Task *first = store->insert(std::make_unique<Task>(
                Record::newId(), QString::fromUtf8("Møde \"Q2\" 👍🏽\n'; --"), midnight, 123,
                at(2026, 5, 12, 9) + 0.654321, -5, at(2026, 3, 29, 8) + 0.5, QString("ABC")));
            store->insert(std::make_unique<Task>(Record::newId(), "", midnight, maxSeconds, std::nullopt,
                                                 std::numeric_limits<qint64>::min(), 1e9, std::nullopt));
            Task *doomed = addTask(*store, "Slettes", midnight);
            store->insert(Task::create("Tom kode", at(2026, 10, 25, 15, 42), 2, QString()));
            store->insert(TaskTemplate::create("Standup", QString("ABC"), 1));
            store->insert(TaskTemplate::create("Frokost", std::nullopt, 0));
            store->insert(ProjectCode::create("ABC", "Kunde", 0));
            store->insert(ProjectCode::create("INT", "", 1));
            store->insert(ClosedDay::create(at(2026, 10, 25, 23), 7.25));
            store->insert(ClosedDay::create(at(2026, 10, 26), 0.0));
            QCOMPARE(store->save(), std::nullopt);
            QVERIFY(!store->hasPendingChanges());
            first->setName(first->name());
            QVERIFY(!store->hasPendingChanges()); // an unchanged value is no change
            first->setName(first->name() + " 2"); // keeps its row's place
            store->remove(doomed);
            addTask(*store, "Ny", at(2026, 5, 11), at(2026, 5, 12, 8)); // started before the first, still second
            store->remove(addTask(*store, "Kladde", at(2026, 5, 12))); // never reaches the disk
            before = snapshot(*store);
        } // closing saves what is pending
        auto reopened = open();
        QVERIFY(reopened);
        QCOMPARE(snapshot(*reopened), before);
        // The running ones are found again in store order, not by their start times.
        Task *first = reopened->tasks().first();
        QCOMPARE(reopened->firstRunningTask(), first);
        first->stop();
        QCOMPARE(reopened->firstRunningTask(), reopened->tasks().last());
        first->start();
        QCOMPARE(reopened->firstRunningTask(), first);

        SqlPeek db(path());
        QCOMPARE(db.column("SELECT typeof(projectCode) FROM Task ORDER BY rowid"),
                 QStringList({"text", "null", "text", "null"}));
        QCOMPARE(db.column("SELECT typeof(date) || typeof(lastStartTime) FROM Task ORDER BY rowid").first(), "realreal");
        const QString id = db.value("SELECT id FROM Task ORDER BY rowid");
        QCOMPARE(id, reopened->tasks().first()->idString());
        QCOMPARE(id, id.toUpper());
    }

    // A failed save keeps the changes and says so until a save goes through; a failed
    // automatic save is tried again, and only the retry waits longer.
    void failedSavesKeepTheChanges()
    {
        auto store = open();
        store->setAutoSaveDelay(20);
        QSignalSpy failed(store.get(), &Store::autoSaveFailed);
        QSignalSpy saveErrorChanged(store.get(), &Store::saveErrorChanged);
        SqlPeek db(path());
        Task *t = addTask(*store, "Før", at(2026, 5, 12));
        QVERIFY(store->hasPendingChanges());
        QTRY_COMPARE(db.column("SELECT name FROM Task"), QStringList({"Før"}));

        QVERIFY(db.exec("BEGIN IMMEDIATE"));
        t->setName("Efter");
        const std::optional<QString> error = store->save();
        QVERIFY2(error && error->contains("locked"), qPrintable(error.value_or("none")));
        QCOMPARE(store->saveError(), *error);
        QVERIFY(store->hasPendingChanges());
        QVERIFY(failed.wait(5000));
        QVERIFY(db.exec("ROLLBACK"));
        QCOMPARE(db.value("SELECT name FROM Task"), "Før");
        QTRY_COMPARE_WITH_TIMEOUT(db.value("SELECT name FROM Task"), "Efter", 10000);
        QVERIFY(!store->hasPendingChanges());
        QCOMPARE(store->saveError(), QString());
        QCOMPARE(saveErrorChanged.count(), 2);

        store->remove(t);
        QTRY_COMPARE_WITH_TIMEOUT(db.value("SELECT count(*) FROM Task"), "0", 1500);
    }

    // Scripts write the store too, with ids in whatever form their language prints.
    void updatesReachTheRowsTheyCameFrom()
    {
        const QString uuid = "0f8fad5b-d9cb-469f-a165-70867728950e";
        const QStringList ids{uuid, uuid.toUpper(), "{" + uuid + "}", "opgave-1"};
        {
            QVERIFY(open());
            SqlPeek db(path());
            for (const QString &id : ids) // running since second 5
                QVERIFY(db.exec(("INSERT INTO Task VALUES ('" + id.toUtf8() + "', 'før', 0, 10, 5, 0, 0, NULL)").constData()));
        }
        {
            auto store = open();
            QVERIFY(store);
            QCOMPARE(store->tasks().size(), ids.size());
            for (Task *t : store->tasks()) {
                QCOMPARE(t->id(), ids.at(store->tasks().indexOf(t)));
                t->setName("efter " + t->id());
                t->setSortOrder(7);
                t->stop();
            }
            store->remove(store->tasks().last());
            QCOMPARE(store->save(), std::nullopt);
        }
        SqlPeek db(path());
        QStringList expected;
        for (const QString &id : ids.mid(0, 3))
            expected << id + "|efter " + id + "|NULL|7";
        QCOMPARE(db.column("SELECT id || '|' || name || '|' || ifnull(lastStartTime, 'NULL') || '|' || sortOrder FROM Task "
                           "ORDER BY rowid"),
                 expected);
    }

    // A new folder is the user's alone; a folder of the user's own keeps its mode.
    void newStoreIsPrivate()
    {
        const auto mode = [](const QString &file) {
            struct stat st {};
            return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        const QString own = m_dir->filePath("own");
        const QByteArray ownName = QFile::encodeName(own);
        QVERIFY(::mkdir(ownName.constData(), 0755) == 0 && ::chmod(ownName.constData(), 0755) == 0);
        for (const QString &file : {path(), own + "/timeglas.sqlite"}) {
            auto store = Store::open(file, nullptr);
            QVERIFY(store);
            addTask(*store, "Hemmelig", at(2026, 5, 12));
            QCOMPARE(store->save(), std::nullopt);
            for (const char *suffix : {"", "-wal", "-shm"})
                QCOMPARE(mode(file + suffix), 0600);
        }
        QCOMPARE(mode(QFileInfo(path()).absolutePath()), 0700);
        QCOMPARE(mode(own), 0755);
    }

    void refusesWhatIsNotItsStore_data()
    {
        QTest::addColumn<QString>("what"); // "sql": a database that `sql` makes
        QTest::addColumn<QByteArray>("sql");
        const QByteArray foreign = "CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT); INSERT INTO Task VALUES ('x', 'y');";
        QTest::newRow("random bytes") << "random" << QByteArray();
        QTest::newRow("short text file") << "short" << QByteArray();
        QTest::newRow("newer patch version") << "sql" << foreign + "PRAGMA user_version = 10001";
        QTest::newRow("newer version with a WAL")
            << "sql wal" << QByteArray("PRAGMA journal_mode = WAL; CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT);"
                                       "PRAGMA user_version = 20000; PRAGMA wal_autocheckpoint = 0; INSERT INTO Task VALUES ('x', 'y')");
        QTest::newRow("newer version with a hot journal") << "journal" << QByteArray();
        QTest::newRow("another program's database") << "sql" << foreign;
        QTest::newRow("a folder") << "folder" << QByteArray();

        const QByteArray others = "CREATE TABLE TaskTemplate (id TEXT PRIMARY KEY NOT NULL, name TEXT NOT NULL, "
                                  "projectCode TEXT, sortOrder INTEGER NOT NULL, createdAt REAL NOT NULL);"
                                  "CREATE TABLE ProjectCode (id TEXT PRIMARY KEY NOT NULL, code TEXT NOT NULL, "
                                  "name TEXT NOT NULL, sortOrder INTEGER NOT NULL, createdAt REAL NOT NULL);"
                                  "CREATE TABLE ClosedDay (id TEXT PRIMARY KEY NOT NULL, date REAL NOT NULL, "
                                  "billableHours REAL NOT NULL, closedAt REAL NOT NULL);";
        const QByteArray taskColumns = "name TEXT NOT NULL, date REAL NOT NULL, accumulatedSeconds INTEGER NOT NULL, "
                                       "lastStartTime REAL, sortOrder INTEGER NOT NULL, createdAt REAL NOT NULL, "
                                       "projectCode TEXT";
        // A store that looks like ours but cannot be written.
        const auto ours = [&](const QByteArray &task, const QByteArray &rows = {}, const QByteArray &mode = "WAL") {
            return "PRAGMA journal_mode = " + mode + ";" + task + others + rows + "PRAGMA user_version = 10000";
        };
        QTest::newRow("no key constraint") << "sql" << ours("CREATE TABLE Task (id TEXT, " + taskColumns + ");");
        QTest::newRow("an integer id key") << "sql" << ours("CREATE TABLE Task (id INTEGER PRIMARY KEY, " + taskColumns + ");");
        QTest::newRow("an extra NOT NULL column")
            << "sql" << ours("CREATE TABLE Task (id TEXT PRIMARY KEY, " + taskColumns + ", extra TEXT NOT NULL);");
        QTest::newRow("Task as a view")
            << "sql" << ours("CREATE TABLE T (id TEXT PRIMARY KEY, " + taskColumns + "); CREATE VIEW Task AS SELECT * FROM T;");
        // Written back as text, such an id would become a second row: the day's hours counted twice.
        const QByteArray task = "CREATE TABLE Task (id TEXT PRIMARY KEY NOT NULL, " + taskColumns + ");";
        QTest::newRow("a Task id of 16 bytes")
            << "sql" << ours(task, "INSERT INTO Task VALUES (x'0f8fad5bd9cb469fa16570867728950e', 'a', 0, 10, NULL, 0, 0, NULL);");
        QTest::newRow("a ClosedDay id that is not UTF-8")
            << "sql" << ours(task, "INSERT INTO ClosedDay VALUES (CAST(x'ff' AS TEXT), 0, 0, 0);");
        QTest::newRow("in rollback mode, a column missing")
            << "sql" << ours("CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT NOT NULL);", {}, "DELETE");
        QTest::newRow("a FIFO as its -wal") << "fifo" << QByteArray();
        QTest::newRow("a folder as its -shm") << "shmdir" << QByteArray();
    }
    void refusesWhatIsNotItsStore()
    {
        QFETCH(QString, what);
        QFETCH(QByteArray, sql);
        QDir().mkpath(QFileInfo(path()).absolutePath());
        if (what.startsWith("sql")) {
            SqlPeek db(path(), true);
            QVERIFY(db.exec(sql.constData()));
            if (what.endsWith("wal"))
                db.keepWalOnClose();
        } else if (what == "fifo" || what == "shmdir") {
            QVERIFY(open()); // a sound store, spoilt by what lies beside it
            if (what == "fifo")
                QCOMPARE(::mkfifo(QFile::encodeName(path() + "-wal").constData(), 0600), 0);
            else
                QVERIFY(QDir().mkpath(path() + "-shm"));
        } else if (what.endsWith("journal")) {
            // A transaction caught half-way: the database and its journal as a crash leaves them.
            const QString live = m_dir->filePath("live.sqlite");
            SqlPeek db(live, true);
            QVERIFY(db.exec("PRAGMA journal_mode = DELETE; PRAGMA cache_size = 1; PRAGMA user_version = 20000;"
                            "CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT)"));
            QVERIFY(db.exec("BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400)"
                            " INSERT INTO Task SELECT i, hex(randomblob(200)) FROM n"));
            QVERIFY(QFile::copy(live, path()));
            QVERIFY(QFile::copy(live + "-journal", path() + "-journal"));
            QVERIFY(db.exec("ROLLBACK"));
        } else if (what == "folder") {
            QVERIFY(QDir().mkpath(path()));
        } else { // random bytes or a short text
            QByteArray bytes = "hej\n";
            if (what == "random")
                for (int i = 0; i < 8192; ++i)
                    bytes.append(char((i * 7919 + 13) % 251));
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QByteArray before = bytesOf(path());
        const bool fifo = what == "fifo"; // reading it would wait for a writer
        const QByteArray sidecarsBefore = fifo ? QByteArray() : bytesOf(path() + "-wal") + bytesOf(path() + "-journal");
        const QStringList siblings = QDir(QFileInfo(path()).absolutePath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System);

        const auto openFiles = [] { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); };
        const qsizetype filesBefore = openFiles();
        QString error;
        QVERIFY(!Store::open(path(), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(openFiles(), filesBefore); // the refused file is closed again
        QCOMPARE(bytesOf(path()), before);
        if (!fifo)
            QCOMPARE(bytesOf(path() + "-wal") + bytesOf(path() + "-journal"), sidecarsBefore);
        QCOMPARE(QDir(QFileInfo(path()).absolutePath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System), siblings);
    }

    void tasksByDay_data()
    {
        QTest::addColumn<double>("day");
        QTest::addColumn<QStringList>("onDay");
        QTest::addColumn<QStringList>("datedExactly");
        QTest::newRow("spring change day") << at(2026, 3, 29, 23, 59) << QStringList({"a1", "off-midnight", "a2"})
                                           << QStringList({"a1", "a2"});
        QTest::newRow("autumn change day") << at(2026, 10, 25, 23, 30) << QStringList({"b1", "b2"})
                                           << QStringList({"b1", "b2"});
        QTest::newRow("day after") << at(2026, 3, 30) << QStringList({"c1"}) << QStringList({"c1"});
    }
    void tasksByDay()
    {
        QFETCH(double, day);
        QFETCH(QStringList, onDay);
        QFETCH(QStringList, datedExactly);
        auto store = open();
        store->insert(Task::create("a1", at(2026, 3, 29, 15, 42), 0, std::nullopt));
        store->insert(Task::create("b1", at(2026, 10, 25, 23, 30), 0, std::nullopt));
        store->insert(Task::create("gone", at(2026, 3, 29, 9), 0, std::nullopt));
        // As written by a store kept in another time zone: not a local midnight.
        addTask(*store, "off-midnight", at(2026, 3, 29, 10));
        store->insert(Task::create("a2", at(2026, 3, 29), 0, std::nullopt));
        store->insert(Task::create("c1", at(2026, 3, 30, 0, 1), 0, std::nullopt));
        store->insert(Task::create("b2", at(2026, 10, 25, 2, 30), 0, std::nullopt));
        store->remove(store->tasks().at(2));

        const auto names = [](const QList<Task *> &tasks) {
            return std::accumulate(tasks.begin(), tasks.end(), QStringList(),
                                   [](QStringList out, const Task *t) { return out << t->name(); });
        };
        for (int pass = 0; pass < 2; ++pass) { // the index is rebuilt on loading
            QCOMPARE(names(store->tasksOnDay(day)), onDay);
            QCOMPARE(names(store->tasksDatedExactly(startOfDay(day))), datedExactly);
            QCOMPARE(store->save(), std::nullopt);
            store = open();
        }
    }

    // A new record lands on its day's local midnight, also from the second 02:30 of the autumn change.
    void creationAtMidnight()
    {
        const double secondHalfPastTwo = toSeconds(QDateTime(QDate(2026, 10, 25), QTime(1, 30)).addSecs(2 * 3600));
        const auto task = Task::create("Møde", secondHalfPastTwo, 3, QString("ABC"));
        const auto day = ClosedDay::create(secondHalfPastTwo, 7.25);
        for (const QDateTime &date : {task->date(), day->date()})
            QCOMPARE(date, QDateTime(QDate(2026, 10, 25), {0, 0}));
        QVERIFY(!task->isRunning() && task->accumulatedSeconds() == 0 && task->sortOrder() == 3);
        QCOMPARE(task->projectCode(), std::optional<QString>("ABC"));
        QCOMPARE(task->createdAt(), t0);
        QCOMPARE(day->closedAt(), t0);
        QCOMPARE(day->billableHours(), 7.25);
    }

    // Also: a second start keeps the first start time, a second stop banks nothing.
    void currentAndStop_data()
    {
        QTest::addColumn<Timing>("t");
        QTest::newRow("stopped") << Timing{100, false, 0.0, 100};
        QTest::newRow("started 90.9 s ago") << Timing{100, true, 90.9, 190};
        QTest::newRow("clock set back before the start") << Timing{100, true, -50.0, 100};
        QTest::newRow("saturates instead of wrapping") << Timing{maxSeconds - 10, true, 3600.0, maxSeconds};
        QTest::newRow("start in the far past") << Timing{5, true, 1e300, maxSeconds};
        QTest::newRow("damaged start time") << Timing{7, true, double(NAN), 7};
    }
    void currentAndStop()
    {
        QFETCH(Timing, t);
        const auto task = std::make_unique<Task>(Record::newId(), "Opgave", startOfDay(t0), t.accumulated,
                                                 t.running ? std::optional(t0 - t.startedAgo) : std::nullopt, 0, 0.0,
                                                 std::nullopt);
        QSignalSpy banked(task.get(), &Task::accumulatedSecondsChanged);
        QSignalSpy started(task.get(), &Task::lastStartTimeChanged);
        if (t.running)
            task->start();
        QCOMPARE(task->currentSeconds(), t.current);
        task->stop();
        task->stop();
        QCOMPARE(task->accumulatedSeconds(), t.current);
        QVERIFY(!task->isRunning());
        QCOMPARE(started.count(), t.running ? 1 : 0);
        QCOMPARE(banked.count(), t.current != t.accumulated ? 1 : 0);
    }

    // Live queries re-deliver after every change of their own kind: tasks in store order,
    // catalogue entries by sort order with ties in store order.
    void listModelsFollowTheStore()
    {
        const auto store = open();
        RecordListModel tasks(store.get(), Record::Kind::Task, RecordListModel::Order::Store);
        RecordListModel codes(store.get(), Record::Kind::ProjectCode, RecordListModel::Order::SortOrder);
        QAbstractItemModelTester tasksTester(&tasks);
        QAbstractItemModelTester codesTester(&codes);
        QSignalSpy changed(&tasks, &RecordListModel::changed);
        Task *a = store->insert(Task::create("A", 0, 5, std::nullopt));
        Task *b = store->insert(Task::create("B", 0, 1, std::nullopt));
        ProjectCode *x = store->insert(ProjectCode::create("X", "", 2));
        ProjectCode *y = store->insert(ProjectCode::create("Y", "", 1));
        store->insert(ProjectCode::create("Z", "", 2));
        store->insert(ProjectCode::create("W", "", 0));
        QCOMPARE(labels(tasks), QStringList({"A", "B"}));
        QCOMPARE(labels(codes), QStringList({"W", "Y", "X", "Z"}));
        QCOMPARE(changed.count(), 2);

        b->setName("B2");
        a->setSortOrder(0); // the unsorted query keeps store order
        x->setSortOrder(0);
        QSignalSpy shownName(y, &ProjectCode::displayNameChanged);
        y->setCode("Y2");
        QCOMPARE(shownName.count(), 1);
        QCOMPARE(labels(tasks), QStringList({"A", "B2"}));
        QCOMPARE(labels(codes), QStringList({"X", "W", "Y2", "Z"}));
        store->remove(a);
        store->remove(x);
        QCOMPARE(labels(tasks), QStringList({"B2"}));
        QCOMPARE(tasks.at(0), b);
        QCOMPARE(tasks.at(1), nullptr);
        QCOMPARE(labels(codes), QStringList({"W", "Y2", "Z"}));
        QCOMPARE(changed.count(), 5);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
