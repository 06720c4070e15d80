// Base of the four stored record types: identity, store ownership and change reporting.
#pragma once

#include <QObject>
#include <QString>
#include <QUuid>
#include <memory>

class Store;

class Record : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ idString CONSTANT)

public:
    enum class Kind { Task, TaskTemplate, ProjectCode, ClosedDay };

    virtual Kind kind() const = 0;

    // The id exactly as it is stored: a record read from the store keeps the text it was
    // read with (scripts may write lower-case, braced or non-UUID ids), so that every update
    // reaches its own row. New records get a canonical upper-case UUID.
    QString id() const;
    QString idString() const { return id(); }
    // A fresh canonical id: upper-case UUID text without braces.
    static QString newId();

    // The store that owns this record, or nullptr before insertion and after deletion.
    Store *store() const { return m_store; }

protected:
    explicit Record(const QString &id);
    // Called by setters after a field really changed; `field` is the column index.
    void fieldChanged(int field);

private:
    friend class Store;
    Store *m_store = nullptr;
    quint64 m_sequence = 0; // position in store order
    // Nearly every id is a canonical UUID, kept in 16 bytes; any other text is kept as it is.
    QUuid m_uuid;
    std::unique_ptr<const QString> m_otherId;
};
