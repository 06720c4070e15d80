// A second, independent SQLite connection to a store file: reads what really reached
// the disk, and can hold the write lock to make the store's saves fail.
#pragma once

#include <QFile>
#include <QStringList>
#include <QVariant>
#include <sqlite3.h>

class SqlPeek
{
public:
    explicit SqlPeek(const QString &path, bool create = false)
    {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~SqlPeek() { sqlite3_close(m_db); }
    SqlPeek(const SqlPeek &) = delete;
    SqlPeek &operator=(const SqlPeek &) = delete;

    // Leaves the write-ahead log behind when closing, as a crash would.
    void keepWalOnClose() { sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr); }

    bool exec(const char *sql) { return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Every row of the first column, NULL as "NULL".
    QStringList column(const char *sql)
    {
        QStringList out;
        sqlite3_stmt *st = nullptr;
        if (!m_db || sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK)
            return {QStringLiteral("<error>")};
        while (sqlite3_step(st) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            out.append(text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
        }
        sqlite3_finalize(st);
        return out;
    }
    QString value(const char *sql) { return column(sql).value(0); }

private:
    sqlite3 *m_db = nullptr;
};
