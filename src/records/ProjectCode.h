// A catalogue entry for a billing code.
#pragma once

#include "records/Record.h"

#include <QDateTime>
#include <memory>

class ProjectCode : public Record
{
    Q_OBJECT
    Q_PROPERTY(QString code READ code WRITE setCode NOTIFY codeChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(qint64 sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)
    Q_PROPERTY(QDateTime createdAt READ createdAtDateTime CONSTANT)
    Q_PROPERTY(QString displayName READ displayName NOTIFY displayNameChanged)

public:
    enum Field { IdField, CodeField, NameField, SortOrderField, CreatedAtField };

    static std::unique_ptr<ProjectCode> create(const QString &code, const QString &name, qint64 sortOrder);
    ProjectCode(const QString &id, const QString &code, const QString &name, qint64 sortOrder, double createdAt);

    Kind kind() const override { return Kind::ProjectCode; }

    QString code() const { return m_code; }
    void setCode(const QString &code);
    QString name() const { return m_name; }
    void setName(const QString &name);
    qint64 sortOrder() const { return m_sortOrder; }
    void setSortOrder(qint64 sortOrder);
    double createdAt() const { return m_createdAt; }
    QDateTime createdAtDateTime() const;

    // "ABC – Kunde", or the code alone when the name is empty.
    QString displayName() const;

signals:
    void codeChanged();
    void nameChanged();
    void sortOrderChanged();
    void displayNameChanged();

private:
    QString m_code;
    QString m_name;
    qint64 m_sortOrder;
    double m_createdAt;
};
