// Live queries: a list model over one record type of the store that re-delivers
// after every insert, delete and field change, optionally sorted by sortOrder.
#pragma once

#include "records/Record.h"

#include <QAbstractListModel>
#include <QPointer>

class Store;

class RecordListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY changed)

public:
    enum class Order { Store, SortOrder };
    enum Roles { RecordRole = Qt::UserRole + 1, IdRole };

    RecordListModel(Store *store, Record::Kind kind, Order order, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    // Not invokable from QML: a record returned from a call would pass to the JavaScript
    // collector, which would delete it. QML reads records through the "record" role.
    QObject *at(int row) const;
    const QList<Record *> &records() const { return m_rows; }
    template<class R>
    QList<R *> recordsAs() const
    {
        QList<R *> out;
        out.reserve(m_rows.size());
        for (Record *r : m_rows)
            out.append(static_cast<R *>(r));
        return out;
    }

signals:
    // After every change of the delivered list or of a field of one of its records.
    void changed();

private:
    void reload();
    QList<Record *> query() const;
    void onInserted(Record *record);
    void onRemoved(Record *record);
    void onChanged(Record *record, int field);
    bool sortsBy(int field) const;

    QPointer<Store> m_store;
    Record::Kind m_kind;
    Order m_order;
    QList<Record *> m_rows;
};
