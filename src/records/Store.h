// The SQLite-backed store: owns every record, tracks changes, saves them in one
// transaction, saves on its own shortly after any change, and indexes tasks by day.
#pragma once

#include "records/ClosedDay.h"
#include "records/ProjectCode.h"
#include "records/Task.h"
#include "records/TaskTemplate.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

class Store : public QObject
{
    Q_OBJECT

public:
    static constexpr int SchemaVersion = 10000; // 1.0.0

    ~Store() override;

    // $XDG_DATA_HOME/timeglas/timeglas.sqlite
    static QString defaultPath();
    // Opens (or creates) the store. On failure returns nullptr and a readable error;
    // a file that cannot be read as our store is never modified.
    static std::unique_ptr<Store> open(const QString &path, QString *error);

    QString path() const { return m_path; }

    // Takes ownership; the record joins the store order at its end.
    template<class R>
    R *insert(std::unique_ptr<R> record)
    {
        R *raw = record.release();
        list<R>().append(raw);
        adopt(raw);
        return raw;
    }
    // Deletes the record from the store; the object stays valid until control returns
    // to the event loop so that views holding it can let go.
    void remove(Record *record);

    // Writes every pending insert, change and delete in one transaction.
    // Returns the error's description on failure; pending changes then stay pending.
    std::optional<QString> save();
    bool hasPendingChanges() const { return !m_dirty.isEmpty() || !m_deleted.empty(); }
    // Why the last save failed; empty once a save went through. Changes made meanwhile
    // live only in memory, which the user must be told.
    QString saveError() const { return m_saveError; }

    // Delay between a change and the automatic save.
    void setAutoSaveDelay(int milliseconds) { m_autoSaveDelay = milliseconds; }

    // All records of a type in store order.
    const QList<Task *> &tasks() const { return m_tasks; }
    const QList<TaskTemplate *> &templates() const { return m_templates; }
    const QList<ProjectCode *> &projectCodes() const { return m_projectCodes; }
    const QList<ClosedDay *> &closedDays() const { return m_closedDays; }

    template<class R>
    using Filter = std::function<bool(const R *)>;
    template<class R>
    using Less = std::function<bool(const R *, const R *)>;

    // Records of a type that pass the filter, ordered by the sort list (each entry
    // breaks the ties of the one before it; remaining ties keep store order).
    template<class R>
    QList<R *> fetch(const Filter<R> &filter = {}, const QList<Less<R>> &sortBy = {})
    {
        QList<R *> out;
        for (R *r : list<R>())
            if (!filter || filter(r))
                out.append(r);
        if (!sortBy.isEmpty()) {
            std::stable_sort(out.begin(), out.end(), [&sortBy](const R *a, const R *b) {
                for (const auto &less : sortBy) {
                    if (less(a, b))
                        return true;
                    if (less(b, a))
                        return false;
                }
                return false;
            });
        }
        return out;
    }

    // Tasks whose date lies on the same local calendar day as `date`, in store order.
    QList<Task *> tasksOnDay(double date) const;
    // Tasks whose stored date equals `date` exactly, in store order.
    QList<Task *> tasksDatedExactly(double date) const;
    // The first task in store order that runs, or nullptr.
    Task *firstRunningTask() const;
    // The first closing record (store order) of the local day of `day`, or nullptr.
    ClosedDay *closedDayOn(double day) const;
    // Whether `a` comes before `b` in store order.
    static bool storeOrderLess(const Record *a, const Record *b) { return a->m_sequence < b->m_sequence; }

signals:
    void recordInserted(Record *record);
    void recordRemoved(Record *record);
    void recordChanged(Record *record, int field);
    // Any insert, delete or field change of a record of this kind.
    void changed(Record::Kind kind);
    void autoSaveFailed(const QString &error);
    void saveErrorChanged();

private:
    friend class Record;
    Store(sqlite3 *db, const QString &path);

    std::optional<QString> load();
    void adopt(Record *record);
    void noteChanged(Record *record, int field);
    void scheduleSave();
    void indexTask(Task *task);
    void unindexTask(Task *task);
    void updateRunning(Task *task);
    void purgeRemoved();
    std::optional<QString> writePending();
    void setSaveError(const QString &error);

    template<class R> QList<R *> &list();

    sqlite3 *m_db;
    QString m_path;
    quint64 m_nextSequence = 1;

    QList<Task *> m_tasks;
    QList<TaskTemplate *> m_templates;
    QList<ProjectCode *> m_projectCodes;
    QList<ClosedDay *> m_closedDays;

    // Tasks with a usable date, ordered by date and then store order, so that the tasks
    // of a day are one run found by binary search. A flat array costs 8 bytes a task,
    // a tree of per-date lists about three times that.
    std::vector<Task *> m_byDate;
    QList<Task *> m_running;

    QSet<Record *> m_dirty;
    std::vector<std::pair<Record::Kind, QString>> m_deleted;
    std::vector<std::unique_ptr<Record>> m_removed;

    QString m_saveError;
    QTimer m_autoSave;
    int m_autoSaveDelay = 300;
};

template<> inline QList<Task *> &Store::list<Task>() { return m_tasks; }
template<> inline QList<TaskTemplate *> &Store::list<TaskTemplate>() { return m_templates; }
template<> inline QList<ProjectCode *> &Store::list<ProjectCode>() { return m_projectCodes; }
template<> inline QList<ClosedDay *> &Store::list<ClosedDay>() { return m_closedDays; }
