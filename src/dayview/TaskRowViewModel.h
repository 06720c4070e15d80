// One row of the day's task list: its texts, its inline name and time editors, and what its
// context menu can offer. Everything that concerns the list as a whole stays with the day screen.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class Task;
class TimerManager;

class TaskRowViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // Inputs, set by the day screen.
    Q_PROPERTY(Task *task READ task WRITE setTask NOTIFY taskChanged)
    Q_PROPERTY(TimerManager *timerManager READ timerManager WRITE setTimerManager NOTIFY timerManagerChanged)
    Q_PROPERTY(bool isDayClosed READ isDayClosed WRITE setDayClosed NOTIFY isDayClosedChanged)
    Q_PROPERTY(bool canMoveUp READ canMoveUp WRITE setCanMoveUp NOTIFY canMoveChanged)
    Q_PROPERTY(bool canMoveDown READ canMoveDown WRITE setCanMoveDown NOTIFY canMoveChanged)

    // The task runs.
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(QString displayName READ displayName NOTIFY nameChanged)
    Q_PROPERTY(bool isUnnamed READ isUnnamed NOTIFY nameChanged)
    Q_PROPERTY(QString codeText READ codeText NOTIFY codeChanged)
    Q_PROPERTY(QString timeText READ timeText NOTIFY timeChanged)
    Q_PROPERTY(QString hoursText READ hoursText NOTIFY timeChanged)

    Q_PROPERTY(bool isEditingName READ isEditingName NOTIFY isEditingNameChanged)
    Q_PROPERTY(QString editedName READ editedName WRITE setEditedName NOTIFY editedNameChanged)
    Q_PROPERTY(bool isNameFieldFocused READ isNameFieldFocused WRITE setNameFieldFocused NOTIFY isNameFieldFocusedChanged)
    Q_PROPERTY(bool isEditingTime READ isEditingTime NOTIFY isEditingTimeChanged)
    Q_PROPERTY(QString editedTime READ editedTime WRITE setEditedTime NOTIFY editedTimeChanged)
    Q_PROPERTY(bool isTimeFieldFocused READ isTimeFieldFocused WRITE setTimeFieldFocused NOTIFY isTimeFieldFocusedChanged)

    // A closed day's row offers no menu at all; an open day's offers moving only where the
    // task can go.
    Q_PROPERTY(bool hasMenu READ hasMenu NOTIFY isDayClosedChanged)
    Q_PROPERTY(bool offersMoveUp READ offersMoveUp NOTIFY canMoveChanged)
    Q_PROPERTY(bool offersMoveDown READ offersMoveDown NOTIFY canMoveChanged)

public:
    explicit TaskRowViewModel(QObject *parent = nullptr);

    Task *task() const;
    void setTask(Task *task);
    TimerManager *timerManager() const;
    void setTimerManager(TimerManager *timerManager);
    bool isDayClosed() const { return m_isDayClosed; }
    void setDayClosed(bool closed);
    bool canMoveUp() const { return m_canMoveUp; }
    void setCanMoveUp(bool can);
    bool canMoveDown() const { return m_canMoveDown; }
    void setCanMoveDown(bool can);

    bool isActive() const { return m_isActive; }
    QString displayName() const;
    bool isUnnamed() const { return m_name.isEmpty(); }
    QString codeText() const { return m_code; }
    QString timeText() const { return m_timeText; }
    QString hoursText() const { return m_hoursText; }

    bool isEditingName() const { return m_isEditingName; }
    QString editedName() const { return m_editedName; }
    void setEditedName(const QString &name);
    bool isNameFieldFocused() const { return m_isNameFieldFocused; }
    // Leaving the field commits, as Return does.
    void setNameFieldFocused(bool focused);
    bool isEditingTime() const { return m_isEditingTime; }
    QString editedTime() const { return m_editedTime; }
    void setEditedTime(const QString &text);
    bool isTimeFieldFocused() const { return m_isTimeFieldFocused; }
    void setTimeFieldFocused(bool focused);

    bool hasMenu() const { return !m_isDayClosed; }
    bool offersMoveUp() const { return hasMenu() && m_canMoveUp; }
    bool offersMoveDown() const { return hasMenu() && m_canMoveDown; }

    Q_INVOKABLE void startEditingName();
    Q_INVOKABLE void commitName();
    // Stops the task first when it runs, so the editor opens on a final time.
    Q_INVOKABLE void startEditingTime();
    // Invalid text keeps the editor open with the text and the task as it was.
    Q_INVOKABLE void commitTime();

signals:
    void taskChanged();
    void timerManagerChanged();
    void isDayClosedChanged();
    void isActiveChanged();
    void nameChanged();
    void codeChanged();
    void timeChanged();
    void isEditingNameChanged();
    void editedNameChanged();
    void isNameFieldFocusedChanged();
    void isEditingTimeChanged();
    void editedTimeChanged();
    void isTimeFieldFocusedChanged();
    void canMoveChanged();

private:
    void refreshName();
    void refreshCode();
    void refreshTimes();
    void onRunningChanged();
    void setEditingName(bool editing);
    void setEditingTime(bool editing);

    QPointer<Task> m_task;
    QPointer<TimerManager> m_timerManager;
    bool m_isDayClosed = false;
    bool m_canMoveUp = false;
    bool m_canMoveDown = false;
    // Last known fields of the task, kept when it is deleted under the row.
    QString m_name;
    QString m_code;
    bool m_isActive = false;
    QString m_timeText;
    QString m_hoursText;

    bool m_isEditingName = false;
    QString m_editedName;
    bool m_isNameFieldFocused = false;
    bool m_isEditingTime = false;
    QString m_editedTime;
    bool m_isTimeFieldFocused = false;

    QList<QMetaObject::Connection> m_taskConnections;
    QMetaObject::Connection m_tickConnection;
    QMetaObject::Connection m_billableConnection;
};
