// One piece of work on one calendar day with its recorded time.
#pragma once

#include "records/Record.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

class Task : public Record
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    // The name as the screens write it: "Unavngivet opgave" for a blank one.
    Q_PROPERTY(QString displayName READ displayName NOTIFY nameChanged)
    Q_PROPERTY(QDateTime date READ date CONSTANT)
    Q_PROPERTY(qint64 accumulatedSeconds READ accumulatedSeconds WRITE setAccumulatedSeconds NOTIFY accumulatedSecondsChanged)
    Q_PROPERTY(QDateTime lastStartTime READ lastStartTimeDateTime NOTIFY lastStartTimeChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY lastStartTimeChanged)
    Q_PROPERTY(qint64 sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)
    Q_PROPERTY(QDateTime createdAt READ createdAtDateTime CONSTANT)
    Q_PROPERTY(QString projectCode READ projectCodeText NOTIFY projectCodeChanged)
    Q_PROPERTY(bool hasProjectCode READ hasProjectCode NOTIFY projectCodeChanged)

public:
    // A typed name is stored trimmed and cut to this many user-perceived characters.
    static constexpr int NameLimit = 200;
    // A project code keeps at most this many user-perceived characters.
    static constexpr int CodeLimit = 20;
    // What stands for a blank name wherever a task is named.
    static QString unnamedText();
    // A typed name as it is stored: trimmed, then cut to NameLimit.
    static QString typedName(const QString &typed);

    // Column order of the stored table.
    enum Field { IdField, NameField, DateField, AccumulatedSecondsField, LastStartTimeField,
                 SortOrderField, CreatedAtField, ProjectCodeField };

    // A new, stopped task dated at the start of the local day of `date`.
    static std::unique_ptr<Task> create(const QString &name, double date, qint64 sortOrder,
                                        const std::optional<QString> &projectCode);
    // A task as stored; no normalisation.
    Task(const QString &id, const QString &name, double date, qint64 accumulatedSeconds,
         std::optional<double> lastStartTime, qint64 sortOrder, double createdAt,
         std::optional<QString> projectCode);

    Kind kind() const override { return Kind::Task; }

    QString name() const { return m_name; }
    void setName(const QString &name);
    QString displayName() const { return m_name.isEmpty() ? unnamedText() : m_name; }

    double dateSeconds() const { return m_date; }
    QDateTime date() const;

    qint64 accumulatedSeconds() const { return m_accumulatedSeconds; }
    void setAccumulatedSeconds(qint64 seconds);

    std::optional<double> lastStartTime() const { return m_lastStartTime; }
    QDateTime lastStartTimeDateTime() const;
    bool isRunning() const { return m_lastStartTime.has_value(); }

    qint64 sortOrder() const { return m_sortOrder; }
    void setSortOrder(qint64 sortOrder);

    double createdAt() const { return m_createdAt; }
    QDateTime createdAtDateTime() const;

    std::optional<QString> projectCode() const { return m_projectCode; }
    QString projectCodeText() const { return m_projectCode.value_or(QString()); }
    bool hasProjectCode() const { return m_projectCode.has_value(); }
    void setProjectCode(const std::optional<QString> &code);

    // Accumulated seconds plus the whole seconds of the running interval. A clock set
    // back before the start counts the interval as 0: recorded time never shrinks.
    qint64 currentSeconds() const;
    // The seconds of a task that had `banked` and has run since `since`, at `now`: a clock
    // set back before the start takes nothing away.
    static qint64 secondsAt(qint64 banked, double since, double now);
    Q_INVOKABLE qint64 currentSecondsNow() const { return currentSeconds(); }

    // Opens a running interval unless one is open.
    void start();
    // Banks the whole seconds of the running interval and closes it.
    void stop();

signals:
    void nameChanged();
    void accumulatedSecondsChanged();
    void lastStartTimeChanged();
    void sortOrderChanged();
    void projectCodeChanged();

private:
    void setLastStartTime(std::optional<double> time);

    QString m_name;
    double m_date;
    qint64 m_accumulatedSeconds;
    std::optional<double> m_lastStartTime;
    qint64 m_sortOrder;
    double m_createdAt;
    std::optional<QString> m_projectCode;
};
