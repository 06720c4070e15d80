// Base of the four stored record types: identity, store ownership and change reporting.
#pragma once

#include <QObject>
#include <QUuid>

class Store;

class Record : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ idString CONSTANT)

public:
    enum class Kind { Task, TaskTemplate, ProjectCode, ClosedDay };

    virtual Kind kind() const = 0;

    QUuid id() const { return m_id; }
    // Canonical upper-case text without braces, as stored and as kept in preferences.
    QString idString() const;
    static QString uuidText(const QUuid &id);

    // The store that owns this record, or nullptr before insertion and after deletion.
    Store *store() const { return m_store; }

protected:
    explicit Record(const QUuid &id);
    // Called by setters after a field really changed; `field` is the column index.
    void fieldChanged(int field);

private:
    friend class Store;
    Store *m_store = nullptr;
    quint64 m_sequence = 0; // position in store order
    QUuid m_id;
};
