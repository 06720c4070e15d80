#include "records/Record.h"

#include "records/Store.h"

#include <QUuid>

namespace {
QString canonicalText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

// Upper-case hex digits in the 8-4-4-4-12 pattern, without braces. Checked by hand: a
// store of many thousand records is read through here at every start.
bool isCanonical(const QString &text)
{
    if (text.size() != 36)
        return false;
    const QChar *chars = text.constData();
    for (int i = 0; i < 36; ++i) {
        const char16_t c = chars[i].unicode();
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != u'-' : !((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    }
    return true;
}
} // namespace

Record::Record(const QString &id)
{
    if (isCanonical(id))
        m_uuid = QUuid::fromString(id);
    if (m_uuid.isNull())
        m_otherId = std::make_unique<const QString>(id);
}

QString Record::id() const
{
    return m_otherId ? *m_otherId : canonicalText(m_uuid);
}

QString Record::newId()
{
    return canonicalText(QUuid::createUuid());
}

void Record::fieldChanged(int field)
{
    if (m_store)
        m_store->noteChanged(this, field);
}
