#include "Record.h"

#include "Store.h"

#include <QUuid>

Record::Record(const QString &id)
    : m_id(id)
{
}

QString Record::newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

void Record::fieldChanged(int field)
{
    if (m_store)
        m_store->noteChanged(this, field);
}
