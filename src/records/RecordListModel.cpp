#include "records/RecordListModel.h"

#include "records/Store.h"

namespace {
qint64 sortOrderOf(const Record *r)
{
    switch (r->kind()) {
    case Record::Kind::Task: return static_cast<const Task *>(r)->sortOrder();
    case Record::Kind::TaskTemplate: return static_cast<const TaskTemplate *>(r)->sortOrder();
    case Record::Kind::ProjectCode: return static_cast<const ProjectCode *>(r)->sortOrder();
    case Record::Kind::ClosedDay: return 0;
    }
    return 0;
}

template<class R>
QList<Record *> upcast(const QList<R *> &list)
{
    return QList<Record *>(list.cbegin(), list.cend());
}
} // namespace

RecordListModel::RecordListModel(Store *store, Record::Kind kind, Order order, QObject *parent)
    : QAbstractListModel(parent), m_store(store), m_kind(kind), m_order(order)
{
    m_rows = query();
    connect(store, &Store::recordInserted, this, &RecordListModel::onInserted);
    connect(store, &Store::recordRemoved, this, &RecordListModel::onRemoved);
    connect(store, &Store::recordChanged, this, &RecordListModel::onChanged);
}

QList<Record *> RecordListModel::query() const
{
    if (!m_store)
        return {};
    QList<Record *> rows;
    switch (m_kind) {
    case Record::Kind::Task: rows = upcast(m_store->tasks()); break;
    case Record::Kind::TaskTemplate: rows = upcast(m_store->templates()); break;
    case Record::Kind::ProjectCode: rows = upcast(m_store->projectCodes()); break;
    case Record::Kind::ClosedDay: rows = upcast(m_store->closedDays()); break;
    }
    if (m_order == Order::SortOrder)
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Record *a, const Record *b) { return sortOrderOf(a) < sortOrderOf(b); });
    return rows;
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    Record *r = m_rows.at(index.row());
    switch (role) {
    case RecordRole: return QVariant::fromValue(static_cast<QObject *>(r));
    case IdRole: return r->idString();
    default: return {};
    }
}

QHash<int, QByteArray> RecordListModel::roleNames() const
{
    return {{RecordRole, "record"}, {IdRole, "recordId"}};
}

QObject *RecordListModel::at(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

void RecordListModel::reload()
{
    beginResetModel();
    m_rows = query();
    endResetModel();
    emit changed();
}

void RecordListModel::onInserted(Record *record)
{
    if (record->kind() != m_kind)
        return;
    if (m_order == Order::SortOrder) {
        reload();
        return;
    }
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(record);
    endInsertRows();
    emit changed();
}

void RecordListModel::onRemoved(Record *record)
{
    if (record->kind() != m_kind)
        return;
    const int row = int(m_rows.indexOf(record));
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    emit changed();
}

bool RecordListModel::sortsBy(int field) const
{
    if (m_order != Order::SortOrder)
        return false;
    switch (m_kind) {
    case Record::Kind::Task: return field == Task::SortOrderField;
    case Record::Kind::TaskTemplate: return field == TaskTemplate::SortOrderField;
    case Record::Kind::ProjectCode: return field == ProjectCode::SortOrderField;
    case Record::Kind::ClosedDay: return false;
    }
    return false;
}

void RecordListModel::onChanged(Record *record, int field)
{
    if (record->kind() != m_kind)
        return;
    if (sortsBy(field)) {
        reload();
        return;
    }
    const int row = int(m_rows.indexOf(record));
    if (row < 0)
        return;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
    emit changed();
}
