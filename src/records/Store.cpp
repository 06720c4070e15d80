#include "records/Store.h"

#include "timecalc/Calendar.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(storeLog, "timeglas.store")

namespace {

// Prepared statement that finalises itself.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_rc == SQLITE_OK; }
    sqlite3_stmt *get() const { return m_stmt; }

    void bindText(int i, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindOptionalText(int i, const std::optional<QString> &text)
    {
        if (text)
            bindText(i, *text);
        else
            sqlite3_bind_null(m_stmt, i);
    }
    void bindReal(int i, double v) { sqlite3_bind_double(m_stmt, i, v); }
    void bindOptionalReal(int i, std::optional<double> v)
    {
        if (v)
            bindReal(i, *v);
        else
            sqlite3_bind_null(m_stmt, i);
    }
    void bindInt(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); }

    int step() { return sqlite3_step(m_stmt); }
    void reset()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

    QString text(int col) const
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, col));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, col)) : QString();
    }
    std::optional<QString> optionalText(int col) const
    {
        if (sqlite3_column_type(m_stmt, col) == SQLITE_NULL)
            return std::nullopt;
        return text(col);
    }
    double real(int col) const { return sqlite3_column_double(m_stmt, col); }
    std::optional<double> optionalReal(int col) const
    {
        if (sqlite3_column_type(m_stmt, col) == SQLITE_NULL)
            return std::nullopt;
        return real(col);
    }
    qint64 integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    // The id as a text that, written back, names the same row. A BLOB, a number or bytes
    // that are not UTF-8 would be written as another text: a second row beside the first.
    std::optional<QString> id(int col) const
    {
        if (sqlite3_column_type(m_stmt, col) != SQLITE_TEXT)
            return std::nullopt;
        const QString id = text(col);
        const QByteArrayView stored(sqlite3_column_text(m_stmt, col), sqlite3_column_bytes(m_stmt, col));
        if (id.toUtf8() != stored)
            return std::nullopt;
        return id;
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

QString lastError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

bool exec(sqlite3 *db, const char *sql, QString *error)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = message ? QString::fromUtf8(message) : lastError(db);
    sqlite3_free(message);
    return false;
}

const char *const schemaSql = R"(
CREATE TABLE Task (
    id TEXT PRIMARY KEY NOT NULL,
    name TEXT NOT NULL,
    date REAL NOT NULL,
    accumulatedSeconds INTEGER NOT NULL,
    lastStartTime REAL,
    sortOrder INTEGER NOT NULL,
    createdAt REAL NOT NULL,
    projectCode TEXT
);
CREATE TABLE TaskTemplate (
    id TEXT PRIMARY KEY NOT NULL,
    name TEXT NOT NULL,
    projectCode TEXT,
    sortOrder INTEGER NOT NULL,
    createdAt REAL NOT NULL
);
CREATE TABLE ProjectCode (
    id TEXT PRIMARY KEY NOT NULL,
    code TEXT NOT NULL,
    name TEXT NOT NULL,
    sortOrder INTEGER NOT NULL,
    createdAt REAL NOT NULL
);
CREATE TABLE ClosedDay (
    id TEXT PRIMARY KEY NOT NULL,
    date REAL NOT NULL,
    billableHours REAL NOT NULL,
    closedAt REAL NOT NULL
);
PRAGMA user_version = 10000;
)";

const char *tableName(Record::Kind kind)
{
    switch (kind) {
    case Record::Kind::Task: return "Task";
    case Record::Kind::TaskTemplate: return "TaskTemplate";
    case Record::Kind::ProjectCode: return "ProjectCode";
    case Record::Kind::ClosedDay: return "ClosedDay";
    }
    return "";
}

const char *upsertSql(Record::Kind kind)
{
    switch (kind) {
    case Record::Kind::Task:
        return "INSERT INTO Task (id, name, date, accumulatedSeconds, lastStartTime, sortOrder, createdAt, projectCode)"
               " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT(id) DO UPDATE SET name = ?2, date = ?3,"
               " accumulatedSeconds = ?4, lastStartTime = ?5, sortOrder = ?6, createdAt = ?7, projectCode = ?8";
    case Record::Kind::TaskTemplate:
        return "INSERT INTO TaskTemplate (id, name, projectCode, sortOrder, createdAt) VALUES (?1, ?2, ?3, ?4, ?5)"
               " ON CONFLICT(id) DO UPDATE SET name = ?2, projectCode = ?3, sortOrder = ?4, createdAt = ?5";
    case Record::Kind::ProjectCode:
        return "INSERT INTO ProjectCode (id, code, name, sortOrder, createdAt) VALUES (?1, ?2, ?3, ?4, ?5)"
               " ON CONFLICT(id) DO UPDATE SET code = ?2, name = ?3, sortOrder = ?4, createdAt = ?5";
    case Record::Kind::ClosedDay:
        return "INSERT INTO ClosedDay (id, date, billableHours, closedAt) VALUES (?1, ?2, ?3, ?4)"
               " ON CONFLICT(id) DO UPDATE SET date = ?2, billableHours = ?3, closedAt = ?4";
    }
    return "";
}

void bindRecord(Statement &st, const Record *record)
{
    st.bindText(1, record->idString());
    switch (record->kind()) {
    case Record::Kind::Task: {
        const auto *t = static_cast<const Task *>(record);
        st.bindText(2, t->name());
        st.bindReal(3, t->dateSeconds());
        st.bindInt(4, t->accumulatedSeconds());
        st.bindOptionalReal(5, t->lastStartTime());
        st.bindInt(6, t->sortOrder());
        st.bindReal(7, t->createdAt());
        st.bindOptionalText(8, t->projectCode());
        break;
    }
    case Record::Kind::TaskTemplate: {
        const auto *t = static_cast<const TaskTemplate *>(record);
        st.bindText(2, t->name());
        st.bindOptionalText(3, t->projectCode());
        st.bindInt(4, t->sortOrder());
        st.bindReal(5, t->createdAt());
        break;
    }
    case Record::Kind::ProjectCode: {
        const auto *p = static_cast<const ProjectCode *>(record);
        st.bindText(2, p->code());
        st.bindText(3, p->name());
        st.bindInt(4, p->sortOrder());
        st.bindReal(5, p->createdAt());
        break;
    }
    case Record::Kind::ClosedDay: {
        const auto *c = static_cast<const ClosedDay *>(record);
        st.bindReal(2, c->dateSeconds());
        st.bindReal(3, c->billableHours());
        st.bindReal(4, c->closedAt());
        break;
    }
    }
}

constexpr Record::Kind allKinds[] = {Record::Kind::Task, Record::Kind::TaskTemplate, Record::Kind::ProjectCode,
                                     Record::Kind::ClosedDay};

} // namespace

QString Store::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/timeglas/timeglas.sqlite");
}

namespace {
// The files SQLite keeps beside a database.
constexpr const char *sidecarSuffixes[] = {"-wal", "-shm", "-journal"};

sqlite3 *openDatabase(const QString &path, QString *why)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        return db;
    *why = db ? lastError(db) : QStringLiteral("out of memory");
    sqlite3_close(db);
    return nullptr;
}

// Whether the file is a database of ours this program may open; its schema version on success.
std::optional<QString> checkHeader(sqlite3 *db, qint64 *version)
{
    qint64 tables = 0;
    {
        Statement v(db, "PRAGMA user_version");
        if (!v.ok() || v.step() != SQLITE_ROW)
            return QStringLiteral("cannot read the store: %1").arg(lastError(db));
        *version = v.integer(0);
        Statement t(db, "SELECT count(*) FROM sqlite_master");
        if (!t.ok() || t.step() != SQLITE_ROW)
            return QStringLiteral("cannot read the store: %1").arg(lastError(db));
        tables = t.integer(0);
    }
    if (*version > Store::SchemaVersion)
        return QStringLiteral("the store has schema version %1.%2.%3, newer than this program's 1.0.0")
            .arg(*version / 10000).arg(*version / 100 % 100).arg(*version % 100);
    if (*version != Store::SchemaVersion && !(*version == 0 && tables == 0))
        return QStringLiteral("the file is not a store of this program (schema version %1)").arg(*version);
    return std::nullopt;
}

// Every statement a save runs, on one made-up record of each kind, inside a transaction
// that is rolled back: a store whose tables cannot take them (a missing key, a view, a
// column we do not fill) is refused at start instead of failing every save later.
std::optional<QString> proveWritable(sqlite3 *db)
{
    const QString probeId = QStringLiteral("timeglas-write-probe");
    const Task task(probeId, QString(), 0, 0, 0.0, 0, 0, QStringLiteral("x"));
    const TaskTemplate taskTemplate(probeId, QString(), QStringLiteral("x"), 0, 0);
    const ProjectCode code(probeId, QString(), QString(), 0, 0);
    const ClosedDay day(probeId, 0, 0, 0);
    const Record *probes[] = {&task, &taskTemplate, &code, &day};

    QString why;
    if (!exec(db, "BEGIN IMMEDIATE", &why))
        return why;
    const auto attempt = [&]() -> std::optional<QString> {
        for (const Record *probe : probes) {
            Statement up(db, upsertSql(probe->kind()));
            if (!up.ok())
                return lastError(db);
            // Once as a new row, once as a change to it.
            for (int pass = 0; pass < 2; ++pass) {
                bindRecord(up, probe);
                if (up.step() != SQLITE_DONE)
                    return lastError(db);
                up.reset();
            }
            const QByteArray sql = QByteArray("DELETE FROM ") + tableName(probe->kind()) + " WHERE id = ?1";
            Statement del(db, sql.constData());
            if (!del.ok())
                return lastError(db);
            del.bindText(1, probeId);
            if (del.step() != SQLITE_DONE)
                return lastError(db);
        }
        return std::nullopt;
    };
    const std::optional<QString> failed = attempt();
    if (!exec(db, "ROLLBACK", &why) && !failed)
        return why;
    return failed;
}

// Brings an accepted database to what this program writes: WAL, the schema on a new
// file, and the proof that saves will go through.
std::optional<QString> prepare(sqlite3 *db, qint64 version)
{
    QString why;
    {
        Statement mode(db, "PRAGMA journal_mode = WAL");
        if (!mode.ok() || mode.step() != SQLITE_ROW)
            return QStringLiteral("cannot prepare the store: %1").arg(lastError(db));
        if (mode.text(0) != QLatin1String("wal"))
            return QStringLiteral("cannot prepare the store: it cannot use a write-ahead log");
    }
    if (!exec(db, "PRAGMA synchronous = NORMAL", &why))
        return QStringLiteral("cannot prepare the store: %1").arg(why);
    // Only another program writing the file competes for the lock; waiting long would freeze the UI.
    sqlite3_busy_timeout(db, 200);
    if (version == 0) {
        if (!exec(db, "BEGIN IMMEDIATE", &why))
            return QStringLiteral("cannot create the store: %1").arg(why);
        if (!exec(db, schemaSql, &why)) {
            exec(db, "ROLLBACK", nullptr);
            return QStringLiteral("cannot create the store: %1").arg(why);
        }
        if (!exec(db, "COMMIT", &why))
            return QStringLiteral("cannot create the store: %1").arg(why);
    }
    if (const auto failed = proveWritable(db))
        return QStringLiteral("the store cannot be written: %1").arg(*failed);
    return std::nullopt;
}

// The data folder is created private: time records are nobody else's business. A folder
// that exists keeps the modes its owner gave it.
bool makePrivateFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir();
}
} // namespace

std::unique_ptr<Store> Store::open(const QString &path, QString *error)
{
    auto fail = [&](const QString &why) -> std::unique_ptr<Store> {
        if (error)
            *error = QStringLiteral("%1 (%2)").arg(why, QDir::toNativeSeparators(path));
        return nullptr;
    };

    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!makePrivateFolder(folder))
        return fail(QStringLiteral("cannot create the folder of the store"));
    if ((info.exists() || info.isSymLink()) && !info.isFile())
        return fail(QStringLiteral("the store path is not a regular file"));
    for (const char *suffix : sidecarSuffixes) {
        const QFileInfo sidecar(path + QLatin1String(suffix));
        if ((sidecar.exists() || sidecar.isSymLink()) && !sidecar.isFile())
            return fail(QStringLiteral("the store's %1 file is not a regular file").arg(QLatin1String(suffix)));
    }

    const QByteArray nativePath = QFile::encodeName(path);
    const bool created = !info.exists();
    std::unique_ptr<Store> store;
    if (created) {
        // Readable by its owner only; SQLite gives the -wal and -shm files the same mode.
        const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return fail(QStringLiteral("cannot create the store: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        ::close(fd);
    } else {
        // Decided without writing a byte of the user's file: a hot journal or a WAL
        // would be rolled back or checkpointed by merely opening it, so the verdict and
        // the records come from a private copy, and only an accepted file is opened.
        if (::access(nativePath.constData(), R_OK | W_OK) != 0)
            return fail(QStringLiteral("the store file is read-only"));
        if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
            return fail(QStringLiteral("the folder of the store is read-only"));
        const QTemporaryDir scratch;
        if (!scratch.isValid())
            return fail(QStringLiteral("cannot make a private copy of the store: %1").arg(scratch.errorString()));
        const QString copy = scratch.filePath(QStringLiteral("store.sqlite"));
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-journal")}) {
            if ((suffix.isEmpty() || QFileInfo::exists(path + suffix)) && !QFile::copy(path + suffix, copy + suffix))
                return fail(QStringLiteral("cannot make a private copy of the store"));
        }
        QString why;
        sqlite3 *db = openDatabase(copy, &why);
        if (!db)
            return fail(QStringLiteral("cannot open the store: %1").arg(why));
        qint64 version = 0;
        std::optional<QString> refused = checkHeader(db, &version);
        if (!refused)
            refused = prepare(db, version);
        if (refused) {
            sqlite3_close(db);
            return fail(*refused);
        }
        store.reset(new Store(db, path));
        if (const auto loadError = store->load())
            return fail(QStringLiteral("cannot read the store: %1").arg(*loadError));
        sqlite3_close(store->m_db);
        store->m_db = nullptr;
    }

    QString why;
    sqlite3 *db = openDatabase(path, &why);
    std::optional<QString> refused;
    qint64 version = 0;
    if (!db)
        refused = QStringLiteral("cannot open the store: %1").arg(why);
    else if (sqlite3_db_readonly(db, "main") == 1)
        refused = QStringLiteral("the store file is read-only");
    else if (!(refused = checkHeader(db, &version)))
        refused = prepare(db, version);
    if (refused) {
        sqlite3_close(db);
        if (created) {
            for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
                QFile::remove(path + suffix);
        }
        return fail(*refused);
    }
    if (store) {
        store->m_db = db;
        return store;
    }
    store.reset(new Store(db, path));
    if (const auto loadError = store->load())
        return fail(QStringLiteral("cannot read the store: %1").arg(*loadError));
    return store;
}

Store::Store(sqlite3 *db, const QString &path)
    : m_db(db), m_path(path)
{
    m_autoSave.setSingleShot(true);
    connect(&m_autoSave, &QTimer::timeout, this, [this] {
        if (const auto error = save()) {
            emit autoSaveFailed(*error);
            // Try again later; the changes stay pending. Only this retry waits longer:
            // the next change is saved after the usual delay again.
            m_autoSave.start(std::max(2000, m_autoSaveDelay));
        }
    });
}

Store::~Store()
{
    if (hasPendingChanges()) {
        if (const auto error = save())
            qCWarning(storeLog, "Changes could not be saved before closing the store: %s", qPrintable(*error));
    }
    sqlite3_close(m_db);
    purgeRemoved();
    qDeleteAll(m_tasks);
    qDeleteAll(m_templates);
    qDeleteAll(m_projectCodes);
    qDeleteAll(m_closedDays);
}

namespace {
QString idRefusal(const char *table)
{
    return QStringLiteral("a %1 row's id is not UTF-8 text, and saving would add a second row beside it")
        .arg(QLatin1String(table));
}
} // namespace

std::optional<QString> Store::load()
{
    {
        Statement count(m_db, "SELECT count(*) FROM Task");
        if (count.ok() && count.step() == SQLITE_ROW) {
            m_tasks.reserve(count.integer(0));
            m_byDate.reserve(size_t(count.integer(0)));
        }
    }
    {
        Statement st(m_db, "SELECT id, name, date, accumulatedSeconds, lastStartTime, sortOrder, createdAt, projectCode"
                           " FROM Task ORDER BY rowid");
        if (!st.ok())
            return lastError(m_db);
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            const std::optional<QString> id = st.id(0);
            if (!id)
                return idRefusal("Task");
            auto *t = new Task(*id, st.text(1), st.real(2), st.integer(3), st.optionalReal(4), st.integer(5),
                               st.real(6), st.optionalText(7));
            m_tasks.append(t);
            t->m_store = this;
            t->m_sequence = m_nextSequence++;
            if (std::isfinite(t->dateSeconds()))
                m_byDate.push_back(t);
            if (t->isRunning())
                m_running.append(t);
        }
        if (rc != SQLITE_DONE)
            return lastError(m_db);
        // Loaded in store order, so sorting by date alone keeps store order within a date;
        // tasks are mostly added day by day, so the order usually holds already.
        const auto byDate = [](const Task *a, const Task *b) { return a->dateSeconds() < b->dateSeconds(); };
        if (!std::is_sorted(m_byDate.begin(), m_byDate.end(), byDate))
            std::stable_sort(m_byDate.begin(), m_byDate.end(), byDate);
    }
    {
        Statement st(m_db, "SELECT id, name, projectCode, sortOrder, createdAt FROM TaskTemplate ORDER BY rowid");
        if (!st.ok())
            return lastError(m_db);
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            const std::optional<QString> id = st.id(0);
            if (!id)
                return idRefusal("TaskTemplate");
            auto *t = new TaskTemplate(*id, st.text(1), st.optionalText(2), st.integer(3), st.real(4));
            m_templates.append(t);
            t->m_store = this;
            t->m_sequence = m_nextSequence++;
        }
        if (rc != SQLITE_DONE)
            return lastError(m_db);
    }
    {
        Statement st(m_db, "SELECT id, code, name, sortOrder, createdAt FROM ProjectCode ORDER BY rowid");
        if (!st.ok())
            return lastError(m_db);
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            const std::optional<QString> id = st.id(0);
            if (!id)
                return idRefusal("ProjectCode");
            auto *p = new ProjectCode(*id, st.text(1), st.text(2), st.integer(3), st.real(4));
            m_projectCodes.append(p);
            p->m_store = this;
            p->m_sequence = m_nextSequence++;
        }
        if (rc != SQLITE_DONE)
            return lastError(m_db);
    }
    {
        Statement st(m_db, "SELECT id, date, billableHours, closedAt FROM ClosedDay ORDER BY rowid");
        if (!st.ok())
            return lastError(m_db);
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            const std::optional<QString> id = st.id(0);
            if (!id)
                return idRefusal("ClosedDay");
            auto *c = new ClosedDay(*id, st.real(1), st.real(2), st.real(3));
            m_closedDays.append(c);
            c->m_store = this;
            c->m_sequence = m_nextSequence++;
        }
        if (rc != SQLITE_DONE)
            return lastError(m_db);
    }
    // Every record now lives in memory; SQLite's copies of the pages read would only
    // double it (about 20 bytes a task).
    sqlite3_db_release_memory(m_db);
    return std::nullopt;
}

void Store::adopt(Record *record)
{
    record->m_store = this;
    record->m_sequence = m_nextSequence++;
    if (record->kind() == Record::Kind::Task) {
        auto *task = static_cast<Task *>(record);
        indexTask(task);
        if (task->isRunning())
            m_running.append(task);
    }
    m_dirty.insert(record);
    scheduleSave();
    emit recordInserted(record);
    emit changed(record->kind());
}

void Store::remove(Record *record)
{
    if (!record || record->m_store != this)
        return;
    const Record::Kind kind = record->kind();
    switch (kind) {
    case Record::Kind::Task: {
        auto *task = static_cast<Task *>(record);
        m_tasks.removeOne(task);
        unindexTask(task);
        m_running.removeOne(task);
        break;
    }
    case Record::Kind::TaskTemplate: m_templates.removeOne(static_cast<TaskTemplate *>(record)); break;
    case Record::Kind::ProjectCode: m_projectCodes.removeOne(static_cast<ProjectCode *>(record)); break;
    case Record::Kind::ClosedDay: m_closedDays.removeOne(static_cast<ClosedDay *>(record)); break;
    }
    record->m_store = nullptr;
    m_dirty.remove(record);
    m_deleted.emplace_back(kind, record->id());
    if (m_removed.empty())
        QTimer::singleShot(0, this, &Store::purgeRemoved);
    m_removed.emplace_back(record);
    scheduleSave();
    emit recordRemoved(record);
    emit changed(kind);
}

void Store::purgeRemoved()
{
    m_removed.clear();
}

void Store::noteChanged(Record *record, int field)
{
    if (record->kind() == Record::Kind::Task && field == Task::LastStartTimeField)
        updateRunning(static_cast<Task *>(record));
    m_dirty.insert(record);
    scheduleSave();
    emit recordChanged(record, field);
    emit changed(record->kind());
}

void Store::scheduleSave()
{
    if (!m_autoSave.isActive())
        m_autoSave.start(m_autoSaveDelay);
}

std::optional<QString> Store::save()
{
    const std::optional<QString> error = writePending();
    setSaveError(error.value_or(QString()));
    return error;
}

void Store::setSaveError(const QString &error)
{
    if (m_saveError == error)
        return;
    m_saveError = error;
    emit saveErrorChanged();
}

std::optional<QString> Store::writePending()
{
    if (!hasPendingChanges())
        return std::nullopt;
    QString why;
    if (!exec(m_db, "BEGIN IMMEDIATE", &why))
        return why;

    auto rollback = [this](const QString &error) -> std::optional<QString> {
        exec(m_db, "ROLLBACK", nullptr);
        scheduleSave();
        return error;
    };

    for (const Record::Kind kind : allKinds) {
        const QByteArray sql = QByteArray("DELETE FROM ") + tableName(kind) + " WHERE id = ?1";
        Statement del(m_db, sql.constData());
        if (!del.ok())
            return rollback(lastError(m_db));
        for (const auto &[k, id] : m_deleted) {
            if (k != kind)
                continue;
            del.bindText(1, id);
            if (del.step() != SQLITE_DONE)
                return rollback(lastError(m_db));
            del.reset();
        }
    }
    // New rows are written in store order so that their row ids keep it after a reload.
    QList<Record *> dirty(m_dirty.cbegin(), m_dirty.cend());
    std::sort(dirty.begin(), dirty.end(), &Store::storeOrderLess);
    for (const Record::Kind kind : allKinds) {
        Statement up(m_db, upsertSql(kind));
        if (!up.ok())
            return rollback(lastError(m_db));
        for (const Record *record : std::as_const(dirty)) {
            if (record->kind() != kind)
                continue;
            bindRecord(up, record);
            if (up.step() != SQLITE_DONE)
                return rollback(lastError(m_db));
            up.reset();
        }
    }
    if (!exec(m_db, "COMMIT", &why))
        return rollback(why);

    m_dirty.clear();
    m_deleted.clear();
    m_autoSave.stop();
    return std::nullopt;
}

namespace {
bool dateThenStoreOrder(const Task *a, const Task *b)
{
    if (a->dateSeconds() != b->dateSeconds())
        return a->dateSeconds() < b->dateSeconds();
    return Store::storeOrderLess(a, b);
}
struct DateLess
{
    bool operator()(const Task *t, double date) const { return t->dateSeconds() < date; }
    bool operator()(double date, const Task *t) const { return date < t->dateSeconds(); }
};
} // namespace

void Store::indexTask(Task *task)
{
    if (!std::isfinite(task->dateSeconds()))
        return; // a damaged date belongs to no day
    m_byDate.insert(std::upper_bound(m_byDate.begin(), m_byDate.end(), task, dateThenStoreOrder), task);
}

void Store::unindexTask(Task *task)
{
    const auto it = std::lower_bound(m_byDate.begin(), m_byDate.end(), task, dateThenStoreOrder);
    if (it != m_byDate.end() && *it == task)
        m_byDate.erase(it);
}

void Store::updateRunning(Task *task)
{
    if (task->isRunning()) {
        if (!m_running.contains(task))
            m_running.append(task);
    } else {
        m_running.removeOne(task);
    }
}

QList<Task *> Store::tasksOnDay(double date) const
{
    const auto first = std::lower_bound(m_byDate.begin(), m_byDate.end(), timecalc::startOfDay(date), DateLess());
    const auto last = std::lower_bound(first, m_byDate.end(), timecalc::startOfNextDay(date), DateLess());
    QList<Task *> out(first, last);
    // Dates that are not the day's midnight (written in another time zone) sort apart.
    if (first != last && (*first)->dateSeconds() != (*(last - 1))->dateSeconds())
        std::sort(out.begin(), out.end(), &Store::storeOrderLess);
    return out;
}

QList<Task *> Store::tasksDatedExactly(double date) const
{
    const auto [first, last] = std::equal_range(m_byDate.begin(), m_byDate.end(), date, DateLess());
    return QList<Task *>(first, last);
}

ClosedDay *Store::closedDayOn(double day) const
{
    for (ClosedDay *c : m_closedDays)
        if (timecalc::isSameDay(c->dateSeconds(), day))
            return c;
    return nullptr;
}

Task *Store::firstRunningTask() const
{
    Task *first = nullptr;
    for (Task *t : m_running)
        if (!first || storeOrderLess(t, first))
            first = t;
    return first;
}
