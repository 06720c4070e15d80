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
    return store.insert(std::make_unique<Task>(QUuid::createUuid(), name, date, 0, lastStartTime, 0,
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
        Clock::setFixed(at(2026, 5, 12, 10) + 0.123456);
    }
    void cleanup()
    {
        Clock::reset();
        m_dir.reset();
    }

    void freshStoreLayout()
    {
        QVERIFY(open());
        SqlPeek db(path());
        QCOMPARE(db.value("PRAGMA user_version"), "10000");
        QCOMPARE(db.value("PRAGMA journal_mode"), "wal");
        QCOMPARE(db.column("SELECT name FROM pragma_table_info('Task')"),
                 QStringList({"id", "name", "date", "accumulatedSeconds", "lastStartTime", "sortOrder", "createdAt",
                              "projectCode"}));
        QCOMPARE(db.column("SELECT name FROM pragma_table_info('TaskTemplate')"),
                 QStringList({"id", "name", "projectCode", "sortOrder", "createdAt"}));
        QCOMPARE(db.column("SELECT name FROM pragma_table_info('ProjectCode')"),
                 QStringList({"id", "code", "name", "sortOrder", "createdAt"}));
        QCOMPARE(db.column("SELECT name FROM pragma_table_info('ClosedDay')"),
                 QStringList({"id", "date", "billableHours", "closedAt"}));
    }

    void everyFieldSurvivesReopening()
    {
        QStringList before;
        {
            auto store = open();
            QVERIFY(store);
            const double midnight = at(2026, 3, 29);
            store->insert(std::make_unique<Task>(QUuid::createUuid(), QString::fromUtf8("Møde \"Q2\" 👍🏽\n'; --"),
                                                 midnight, 123, at(2026, 5, 12, 9) + 0.654321, -5,
                                                 at(2026, 3, 29, 8) + 0.5, QString("ABC")));
            store->insert(std::make_unique<Task>(QUuid::createUuid(), "", midnight,
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
        store.reset(); // closing saves what is pending
        store = open();
        QCOMPARE(names(store->tasks()), QStringList({"A2", "C", "D", "E"}));
    }

    void removedBeforeSavingNeverReachesDisk()
    {
        auto store = open();
        Task *t = addTask(*store, "Kladde", at(2026, 5, 12));
        store->remove(t);
        QCOMPARE(store->save(), std::nullopt);
        QVERIFY(store->tasks().isEmpty());
        QCOMPARE(SqlPeek(path()).value("SELECT count(*) FROM Task"), "0");
    }

    void savesWithoutBeingAsked()
    {
        auto store = open();
        store->setAutoSaveDelay(20);
        SqlPeek db(path());
        Task *t = addTask(*store, "Ny", at(2026, 5, 12));
        QVERIFY(store->hasPendingChanges());
        QTRY_COMPARE(db.column("SELECT name FROM Task"), QStringList({"Ny"}));
        t->setAccumulatedSeconds(5400);
        QTRY_COMPARE(db.value("SELECT accumulatedSeconds FROM Task"), "5400");
        store->remove(t);
        QTRY_COMPARE(db.value("SELECT count(*) FROM Task"), "0");
        QVERIFY(!store->hasPendingChanges());
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
        const std::optional<QString> error = store->save();
        QVERIFY(error);
        QVERIFY2(error->contains("locked"), qPrintable(*error));
        QVERIFY(store->hasPendingChanges());
        QCOMPARE(t->name(), "Efter");
        QVERIFY(other.exec("ROLLBACK"));
        QCOMPARE(other.value("SELECT name FROM Task"), "Før");

        QCOMPARE(store->save(), std::nullopt);
        QCOMPARE(other.value("SELECT name FROM Task"), "Efter");
    }

    void failedAutomaticSaveIsRetried()
    {
        auto store = open();
        store->setAutoSaveDelay(20);
        QSignalSpy failed(store.get(), &Store::autoSaveFailed);
        SqlPeek other(path());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        addTask(*store, "Vent", at(2026, 5, 12));
        QVERIFY(failed.wait(5000));
        QVERIFY(other.exec("ROLLBACK"));
        QTRY_COMPARE_WITH_TIMEOUT(other.value("SELECT name FROM Task"), "Vent", 10000);
        QVERIFY(!store->hasPendingChanges());
        // Only the retry waits longer; the next change goes out after the usual delay.
        store->tasks().first()->setName("Igen");
        QTRY_COMPARE_WITH_TIMEOUT(other.value("SELECT name FROM Task"), "Igen", 1500);
    }

    void refusesWhatIsNotItsStore_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("random bytes") << "random";
        QTest::newRow("text file") << "text";
        QTest::newRow("short text file") << "short";
        QTest::newRow("newer patch version") << "10001";
        QTest::newRow("newer major version") << "20000";
        QTest::newRow("another program's database") << "foreign";
        QTest::newRow("a folder") << "folder";
    }
    void refusesWhatIsNotItsStore()
    {
        QFETCH(QString, what);
        QDir().mkpath(QFileInfo(path()).absolutePath());
        if (what == "folder") {
            QVERIFY(QDir().mkpath(path()));
        } else if (what == "random" || what == "text" || what == "short") {
            QByteArray bytes;
            if (what == "random")
                for (int i = 0; i < 8192; ++i)
                    bytes.append(char((i * 7919 + 13) % 251));
            else
                bytes = what == "short" ? "hej\n" : QByteArray("Opgave;Dato\nMøde;2026-05-12\n").repeated(50);
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
        const QStringList siblings = QDir(QFileInfo(path()).absolutePath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

        const auto openFiles = [] { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); };
        const qsizetype filesBefore = openFiles();
        QString error;
        QVERIFY(!Store::open(path(), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(openFiles(), filesBefore); // the refused file is closed again
        QCOMPARE(bytesOf(path()), before);
        QCOMPARE(QDir(QFileInfo(path()).absolutePath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), siblings);
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
