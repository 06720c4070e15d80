// The store: what reaches the disk, what comes back, what it refuses, and its queries.
#include "Calendar.h"
#include "Clock.h"
#include "SqlPeek.h"
#include "Store.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <sys/stat.h>

using namespace timecalc;

namespace {
double at(int y, int m, int d, int h = 0, int min = 0)
{
    return toSeconds(QDateTime(QDate(y, m, d), QTime(h, min)));
}
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
template<class R>
QStringList names(const QList<R *> &records)
{
    QStringList out;
    for (const R *r : records)
        out << r->name();
    return out;
}
Task *addTask(Store &store, const QString &name, double date, std::optional<double> lastStartTime = std::nullopt)
{
    return store.insert(std::make_unique<Task>(Record::newId(), name, date, 0, lastStartTime, 0,
                                               Clock::nowSeconds(), std::nullopt));
}
QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace

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
        m_clock.emplace(at(2026, 5, 12, 10) + 0.123456);
    }

    void freshStoreLayout()
    {
        QVERIFY(open());
        SqlPeek db(path());
        QCOMPARE(db.value("PRAGMA user_version") + " " + db.value("PRAGMA journal_mode"), "10000 wal");
        QCOMPARE(db.column("SELECT m.name || ':' || group_concat(c.name, ',') FROM sqlite_schema m, "
                           "pragma_table_info(m.name) c WHERE m.type = 'table' GROUP BY m.name ORDER BY m.name"),
                 QStringList({"ClosedDay:id,date,billableHours,closedAt",
                              "ProjectCode:id,code,name,sortOrder,createdAt",
                              "Task:id,name,date,accumulatedSeconds,lastStartTime,sortOrder,createdAt,projectCode",
                              "TaskTemplate:id,name,projectCode,sortOrder,createdAt"}));
    }

    void everyFieldSurvivesReopening()
    {
        QStringList before;
        {
            auto store = open();
            QVERIFY(store);
            const double midnight = at(2026, 3, 29);
            store->insert(std::make_unique<Task>(Record::newId(), QString::fromUtf8("Møde \"Q2\" 👍🏽\n'; --"),
                                                 midnight, 123, at(2026, 5, 12, 9) + 0.654321, -5,
                                                 at(2026, 3, 29, 8) + 0.5, QString("ABC")));
            store->insert(std::make_unique<Task>(Record::newId(), "", midnight,
                                                 std::numeric_limits<qint64>::max(), std::nullopt,
                                                 std::numeric_limits<qint64>::min(), 1e9, std::nullopt));
            store->insert(Task::create("Tom kode", at(2026, 10, 25, 15, 42), 2, QString()));
            store->insert(TaskTemplate::create("Standup", QString("ABC"), 1));
            store->insert(TaskTemplate::create("Frokost", std::nullopt, 0));
            store->insert(ProjectCode::create("ABC", "Kunde", 0));
            store->insert(ProjectCode::create("INT", "", 1));
            store->insert(ClosedDay::create(at(2026, 10, 25, 23), 7.25));
            store->insert(ClosedDay::create(at(2026, 10, 26), 0.0));
            before = snapshot(*store);
            QCOMPARE(store->save(), std::nullopt);
            QVERIFY(!store->hasPendingChanges());
            store->tasks().first()->setName(store->tasks().first()->name());
            QVERIFY(!store->hasPendingChanges()); // an unchanged value is no change
        }
        auto reopened = open();
        QVERIFY(reopened);
        QCOMPARE(snapshot(*reopened), before);

        SqlPeek db(path());
        QCOMPARE(db.column("SELECT typeof(projectCode) FROM Task ORDER BY rowid"), QStringList({"text", "null", "text"}));
        QCOMPARE(db.column("SELECT typeof(date) || typeof(lastStartTime) FROM Task ORDER BY rowid").first(), "realreal");
        const QString id = db.value("SELECT id FROM Task ORDER BY rowid");
        QCOMPARE(id, reopened->tasks().first()->idString());
        QCOMPARE(id, id.toUpper());
    }

    void storeOrderSurvivesReopening()
    {
        auto store = open();
        for (const char *name : {"A", "B", "C"})
            addTask(*store, name, at(2026, 5, 12));
        QCOMPARE(store->save(), std::nullopt);
        store = open();
        QCOMPARE(names(store->tasks()), QStringList({"A", "B", "C"}));

        store->tasks().first()->setName("A2");
        store->remove(store->tasks().at(1));
        addTask(*store, "D", at(2026, 5, 11));
        QCOMPARE(store->save(), std::nullopt);
        SqlPeek db(path());
        QCOMPARE(db.column("SELECT name FROM Task ORDER BY rowid"), QStringList({"A2", "C", "D"}));

        addTask(*store, "E", at(2026, 5, 12));
        store->remove(addTask(*store, "Kladde", at(2026, 5, 12))); // never reaches the disk
        store.reset(); // closing saves what is pending
        QCOMPARE(db.column("SELECT name FROM Task ORDER BY rowid"), QStringList({"A2", "C", "D", "E"}));
        store = open();
        QCOMPARE(names(store->tasks()), QStringList({"A2", "C", "D", "E"}));
    }

    void failedSaveKeepsChangesForTheNextSave()
    {
        auto store = open();
        store->setAutoSaveDelay(60000); // only explicit saves here
        Task *t = addTask(*store, "Før", at(2026, 5, 12));
        QCOMPARE(store->save(), std::nullopt);

        SqlPeek other(path());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        t->setName("Efter");
        QSignalSpy saveErrorChanged(store.get(), &Store::saveErrorChanged);
        const std::optional<QString> error = store->save();
        QVERIFY(error);
        QVERIFY2(error->contains("locked"), qPrintable(*error));
        QCOMPARE(store->saveError(), *error); // told until a save goes through
        QVERIFY(store->hasPendingChanges());
        QCOMPARE(t->name(), "Efter");
        QVERIFY(other.exec("ROLLBACK"));
        QCOMPARE(other.value("SELECT name FROM Task"), "Før");

        QCOMPARE(store->save(), std::nullopt);
        QCOMPARE(other.value("SELECT name FROM Task"), "Efter");
        QCOMPARE(store->saveError(), QString());
        QCOMPARE(saveErrorChanged.count(), 2);
    }

    // Scripts write the store too, with ids in whatever form their language prints.
    void updatesReachTheRowsTheyCameFrom()
    {
        const QString uuid = "0f8fad5b-d9cb-469f-a165-70867728950e";
        const QStringList ids{uuid, uuid.toUpper(), "{" + uuid + "}", "opgave-1"};
        {
            QVERIFY(open());
            SqlPeek db(path());
            for (const QString &id : ids) {
                const QByteArray sql = "INSERT INTO Task VALUES ('" + id.toUtf8()
                                       + "', 'før', 0, 10, 5, 0, 0, NULL)"; // running since second 5
                QVERIFY(db.exec(sql.constData()));
            }
        }
        {
            auto store = open();
            QVERIFY(store);
            QCOMPARE(store->tasks().size(), ids.size());
            for (Task *t : store->tasks()) {
                QCOMPARE(t->id(), ids.at(store->tasks().indexOf(t)));
                t->setName("efter " + t->id());
                t->stop();
            }
            store->remove(store->tasks().last());
            QCOMPARE(store->save(), std::nullopt);
        }
        SqlPeek db(path());
        QStringList expected;
        for (const QString &id : ids.mid(0, 3))
            expected << id + "|efter " + id + "|NULL";
        QCOMPARE(db.column("SELECT id || '|' || name || '|' || ifnull(lastStartTime, 'NULL') FROM Task ORDER BY rowid"),
                 expected);
    }

    void newStoreIsPrivate_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<int>("folderMode");
        QTest::newRow("new folder") << false << 0700;
        QTest::newRow("the user's own folder keeps its mode") << true << 0755;
    }
    void newStoreIsPrivate()
    {
        QFETCH(bool, folderExists);
        QFETCH(int, folderMode);
        const QByteArray folder = QFile::encodeName(QFileInfo(path()).absolutePath());
        if (folderExists)
            QVERIFY(::mkdir(folder.constData(), 0755) == 0 && ::chmod(folder.constData(), 0755) == 0);
        auto store = open();
        QVERIFY(store);
        addTask(*store, "Hemmelig", at(2026, 5, 12));
        QCOMPARE(store->save(), std::nullopt);
        const auto mode = [](const QString &file) {
            struct stat st {};
            return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        QCOMPARE(mode(QString::fromLocal8Bit(folder)), folderMode);
        for (const char *suffix : {"", "-wal", "-shm"})
            QCOMPARE(mode(path() + suffix), 0600);
    }

    // Changes go out on their own after a short delay; a failed automatic save is tried again.
    void savesWithoutBeingAsked()
    {
        auto store = open();
        store->setAutoSaveDelay(20);
        QSignalSpy failed(store.get(), &Store::autoSaveFailed);
        SqlPeek db(path());
        Task *t = addTask(*store, "Ny", at(2026, 5, 12));
        QVERIFY(store->hasPendingChanges());
        QTRY_COMPARE(db.column("SELECT name FROM Task"), QStringList({"Ny"}));
        QVERIFY(db.exec("BEGIN IMMEDIATE"));
        t->setAccumulatedSeconds(5400);
        QVERIFY(failed.wait(5000));
        QVERIFY(db.exec("ROLLBACK"));
        QTRY_COMPARE_WITH_TIMEOUT(db.value("SELECT accumulatedSeconds FROM Task"), "5400", 10000);
        QVERIFY(!store->hasPendingChanges());
        // Only the retry waits longer; the next change goes out after the usual delay.
        store->remove(t);
        QTRY_COMPARE_WITH_TIMEOUT(db.value("SELECT count(*) FROM Task"), "0", 1500);
        QVERIFY(!store->hasPendingChanges());
    }

    void refusesWhatIsNotItsStore_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QByteArray>("schema"); // for a store that looks like ours but cannot be written
        QTest::newRow("random bytes") << "random" << QByteArray();
        QTest::newRow("short text file") << "short" << QByteArray();
        QTest::newRow("newer patch version") << "10001" << QByteArray();
        QTest::newRow("newer version with a WAL") << "20000 wal" << QByteArray();
        QTest::newRow("newer version with a hot journal") << "20000 journal" << QByteArray();
        QTest::newRow("another program's database") << "foreign" << QByteArray();
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
        QTest::newRow("no key constraint") << "ours" << "CREATE TABLE Task (id TEXT, " + taskColumns + ");" + others;
        QTest::newRow("an integer id key") << "ours" << "CREATE TABLE Task (id INTEGER PRIMARY KEY, " + taskColumns + ");" + others;
        QTest::newRow("an extra NOT NULL column")
            << "ours" << "CREATE TABLE Task (id TEXT PRIMARY KEY, " + taskColumns + ", extra TEXT NOT NULL);" + others;
        QTest::newRow("Task as a view")
            << "ours" << "CREATE TABLE T (id TEXT PRIMARY KEY, " + taskColumns + ");"
                         "CREATE VIEW Task AS SELECT * FROM T;" + others;
        QTest::newRow("in rollback mode, a column missing")
            << "ours delete" << "CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT NOT NULL);" + others;
        QTest::newRow("a FIFO as its -wal") << "ours fifo" << QByteArray();
        QTest::newRow("a folder as its -shm") << "ours shmdir" << QByteArray();
    }
    void refusesWhatIsNotItsStore()
    {
        QFETCH(QString, what);
        QFETCH(QByteArray, schema);
        QDir().mkpath(QFileInfo(path()).absolutePath());
        if (what.startsWith("ours")) {
            if (schema.isEmpty()) {
                QVERIFY(open()); // a sound store, spoilt by what lies beside it
                if (what.endsWith("fifo"))
                    QCOMPARE(::mkfifo(QFile::encodeName(path() + "-wal").constData(), 0600), 0);
                else
                    QVERIFY(QDir().mkpath(path() + "-shm"));
            } else {
                SqlPeek db(path(), true);
                QVERIFY(db.exec(what.endsWith("delete") ? "PRAGMA journal_mode = DELETE" : "PRAGMA journal_mode = WAL"));
                QVERIFY(db.exec(schema.constData()));
                QVERIFY(db.exec("PRAGMA user_version = 10000"));
            }
        } else if (what.endsWith("wal")) {
            SqlPeek db(path(), true);
            QVERIFY(db.exec("PRAGMA journal_mode = WAL"));
            QVERIFY(db.exec("CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT); PRAGMA user_version = 20000"));
            QVERIFY(db.exec("PRAGMA wal_autocheckpoint = 0; INSERT INTO Task VALUES ('x', 'y')"));
            db.keepWalOnClose();
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
        } else if (what == "random" || what == "short") {
            QByteArray bytes = "hej\n";
            if (what == "random")
                for (int i = 0; i < 8192; ++i)
                    bytes.append(char((i * 7919 + 13) % 251));
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        } else {
            SqlPeek db(path(), true);
            QVERIFY(db.exec("CREATE TABLE Task (id TEXT PRIMARY KEY, name TEXT)"));
            QVERIFY(db.exec("INSERT INTO Task VALUES ('x', 'y')"));
            if (what != "foreign")
                QVERIFY(db.exec(QByteArray("PRAGMA user_version = " + what.toLatin1()).constData()));
        }
        const QByteArray before = bytesOf(path());
        const bool fifo = what.endsWith("fifo"); // reading it would wait for a writer
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
        QTest::newRow("empty day") << at(2026, 3, 28, 12) << QStringList() << QStringList();
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

        for (int pass = 0; pass < 2; ++pass) { // the index is rebuilt on loading
            QCOMPARE(names(store->tasksOnDay(day)), onDay);
            QCOMPARE(names(store->tasksDatedExactly(startOfDay(day))), datedExactly);
            QCOMPARE(store->save(), std::nullopt);
            store = open();
        }
    }

    void firstRunningTaskFollowsStoreOrder()
    {
        auto store = open();
        const double day = at(2026, 5, 12);
        Task *t1 = addTask(*store, "t1", day);
        Task *t2 = addTask(*store, "t2", day, Clock::nowSeconds() - 10);
        addTask(*store, "t3", day, Clock::nowSeconds() - 500); // started earlier, still second
        QCOMPARE(store->firstRunningTask(), t2);
        t1->start();
        QCOMPARE(store->firstRunningTask(), t1);
        t1->stop();
        QCOMPARE(store->firstRunningTask(), t2);
        store->remove(t2);
        QCOMPARE(store->save(), std::nullopt);
        store = open();
        QVERIFY(store->firstRunningTask());
        QCOMPARE(store->firstRunningTask()->name(), "t3");
        store->firstRunningTask()->stop();
        QCOMPARE(store->firstRunningTask(), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
