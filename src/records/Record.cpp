#include "Record.h"

#include "Store.h"

Record::Record(const QUuid &id)
    : m_id(id.isNull() ? QUuid::createUuid() : id)
{
}

QString Record::uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString Record::idString() const
{
    return uuidText(m_id);
}

void Record::fieldChanged(int field)
{
    if (m_store)
        m_store->noteChanged(this, field);
}
