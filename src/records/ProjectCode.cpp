#include "records/ProjectCode.h"

#include "timecalc/Clock.h"

std::unique_ptr<ProjectCode> ProjectCode::create(const QString &code, const QString &name, qint64 sortOrder)
{
    return std::make_unique<ProjectCode>(newId(), code, name, sortOrder,
                                         timecalc::Clock::nowSeconds());
}

ProjectCode::ProjectCode(const QString &id, const QString &code, const QString &name, qint64 sortOrder,
                         double createdAt)
    : Record(id), m_code(code), m_name(name), m_sortOrder(sortOrder), m_createdAt(createdAt)
{
}

void ProjectCode::setCode(const QString &code)
{
    if (m_code == code)
        return;
    m_code = code;
    emit codeChanged();
    emit displayNameChanged();
    fieldChanged(CodeField);
}

void ProjectCode::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit nameChanged();
    emit displayNameChanged();
    fieldChanged(NameField);
}

void ProjectCode::setSortOrder(qint64 sortOrder)
{
    if (m_sortOrder == sortOrder)
        return;
    m_sortOrder = sortOrder;
    emit sortOrderChanged();
    fieldChanged(SortOrderField);
}

QDateTime ProjectCode::createdAtDateTime() const
{
    return timecalc::toDateTime(m_createdAt);
}

QString ProjectCode::displayName() const
{
    if (m_name.isEmpty())
        return m_code;
    return m_code + QStringLiteral(" \u2013 ") + m_name;
}
