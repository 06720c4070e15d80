#include "records/TaskTemplate.h"

#include "timecalc/Clock.h"

std::unique_ptr<TaskTemplate> TaskTemplate::create(const QString &name, const std::optional<QString> &projectCode,
                                                   qint64 sortOrder)
{
    return std::make_unique<TaskTemplate>(newId(), name, projectCode, sortOrder,
                                          timecalc::Clock::nowSeconds());
}

TaskTemplate::TaskTemplate(const QString &id, const QString &name, std::optional<QString> projectCode,
                           qint64 sortOrder, double createdAt)
    : Record(id), m_name(name), m_projectCode(std::move(projectCode)), m_sortOrder(sortOrder), m_createdAt(createdAt)
{
}

void TaskTemplate::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit nameChanged();
    fieldChanged(NameField);
}

void TaskTemplate::setProjectCode(const std::optional<QString> &code)
{
    if (m_projectCode == code)
        return;
    m_projectCode = code;
    emit projectCodeChanged();
    fieldChanged(ProjectCodeField);
}

void TaskTemplate::setSortOrder(qint64 sortOrder)
{
    if (m_sortOrder == sortOrder)
        return;
    m_sortOrder = sortOrder;
    emit sortOrderChanged();
    fieldChanged(SortOrderField);
}

QDateTime TaskTemplate::createdAtDateTime() const
{
    return timecalc::toDateTime(m_createdAt);
}
