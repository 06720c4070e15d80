// A reusable task name with an optional project code.
#pragma once

#include "records/Record.h"

#include <QDateTime>
#include <memory>
#include <optional>

class TaskTemplate : public Record
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString projectCode READ projectCodeText NOTIFY projectCodeChanged)
    Q_PROPERTY(bool hasProjectCode READ hasProjectCode NOTIFY projectCodeChanged)
    Q_PROPERTY(qint64 sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)
    Q_PROPERTY(QDateTime createdAt READ createdAtDateTime CONSTANT)

public:
    enum Field { IdField, NameField, ProjectCodeField, SortOrderField, CreatedAtField };

    static std::unique_ptr<TaskTemplate> create(const QString &name, const std::optional<QString> &projectCode,
                                                qint64 sortOrder);
    TaskTemplate(const QString &id, const QString &name, std::optional<QString> projectCode, qint64 sortOrder,
                 double createdAt);

    Kind kind() const override { return Kind::TaskTemplate; }

    QString name() const { return m_name; }
    void setName(const QString &name);
    std::optional<QString> projectCode() const { return m_projectCode; }
    QString projectCodeText() const { return m_projectCode.value_or(QString()); }
    bool hasProjectCode() const { return m_projectCode.has_value(); }
    void setProjectCode(const std::optional<QString> &code);
    qint64 sortOrder() const { return m_sortOrder; }
    void setSortOrder(qint64 sortOrder);
    double createdAt() const { return m_createdAt; }
    QDateTime createdAtDateTime() const;

signals:
    void nameChanged();
    void projectCodeChanged();
    void sortOrderChanged();

private:
    QString m_name;
    std::optional<QString> m_projectCode;
    qint64 m_sortOrder;
    double m_createdAt;
};
