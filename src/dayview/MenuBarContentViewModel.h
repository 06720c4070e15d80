// The logic of the popover's day screen: the day's tasks, the clock card, adding, selecting,
// starting, reordering and deleting tasks. Which banner is open, and where the keyboard focus
// is, the view keeps.
#pragma once

#include "dayview/CodeEditorModel.h"
#include "dayview/DayClosingModel.h"
#include "dayview/DayTaskListModel.h"
#include "dayview/QuickAddPickerModel.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class AppServices;
class Store;
class Task;
class TimerManager;
class Preferences;
class Record;

class MenuBarContentViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppServices *services READ services WRITE setServices NOTIFY servicesChanged)

    // The selected day's tasks by sortOrder; ties keep store order.
    Q_PROPERTY(DayTaskListModel *dayTasks READ dayTasksModel CONSTANT)
    Q_PROPERTY(Task *runningTask READ runningTask NOTIFY runningTaskChanged)
    Q_PROPERTY(Task *selectedTask READ selectedTask NOTIFY selectedTaskChanged)
    Q_PROPERTY(Task *shownTask READ shownTask NOTIFY shownTaskChanged)
    Q_PROPERTY(bool isDayClosed READ isDayClosed NOTIFY isDayClosedChanged)

    // What the clock card writes.
    Q_PROPERTY(QString shownTime READ shownTime NOTIFY shownTimeChanged)
    Q_PROPERTY(QString shownTitle READ shownTitle NOTIFY shownTextChanged)
    Q_PROPERTY(QString shownCode READ shownCode NOTIFY shownTextChanged)

    // The operations of closing the day, the code editor and the quick-add picker, kept apart
    // from the list's own. Each is handed only what it works on.
    Q_PROPERTY(DayClosingModel *closing READ closing CONSTANT)
    Q_PROPERTY(CodeEditorModel *codeEditor READ codeEditor CONSTANT)
    Q_PROPERTY(QuickAddPickerModel *quickAdd READ quickAdd CONSTANT)

public:
    // What the clock card writes while no task is shown.
    static QString noSessionText();

    explicit MenuBarContentViewModel(QObject *parent = nullptr);
    ~MenuBarContentViewModel() override;

    AppServices *services() const;
    void setServices(AppServices *services);

    DayTaskListModel *dayTasksModel() { return &m_dayTasks; }
    const QList<Task *> &dayTasks() const { return m_dayTasks.tasks(); }
    Task *runningTask() const;
    Task *selectedTask() const;
    // The clock card's task: the running one, else the selected one.
    Task *shownTask() const;
    bool isDayClosed() const { return m_isDayClosed; }

    QString shownTime() const { return m_shownTime; }
    QString shownTitle() const;
    QString shownCode() const;

    DayClosingModel *closing() const { return m_closing; }
    CodeEditorModel *codeEditor() const { return m_codeEditor; }
    QuickAddPickerModel *quickAdd() const { return m_quickAdd; }

    // The view became visible: adopt a task left running by an earlier run.
    Q_INVOKABLE void appear();
    // A window of the app became active: bring every clock up to date, then re-adopt.
    Q_INVOKABLE void wake();

    Q_INVOKABLE void heroToggle();
    Q_INVOKABLE void rowToggle(Task *task);
    Q_INVOKABLE void selectTask(Task *task);

    // The add banner's name, trimmed and cut as names are stored, as a task at the end of the
    // selected day; nothing on a closed day.
    Q_INVOKABLE void commitNewTask(const QString &name);
    // The same, for C++: returns the task, or nullptr when the day is closed. Not invokable, so
    // no record is ever handed to the JavaScript collector.
    Task *addTask(const QString &name);
    // The sortOrder that puts a new task after every task of the selected day.
    Q_INVOKABLE qint64 nextSortOrder() const;

    // Deletes a task that holds no time at once. One with time, or running, is left for the
    // user to confirm: then true, and nothing changed.
    Q_INVOKABLE bool requestDelete(Task *task);
    // The confirmation's question: "Slet "navn"?".
    Q_INVOKABLE QString deleteTitle(Task *task) const;
    // Stops the task when it runs, forgets it as the selected one and removes it.
    Q_INVOKABLE void deleteTask(Task *task);

    Q_INVOKABLE void moveTask(Task *task, int offset);

signals:
    void servicesChanged();
    void runningTaskChanged();
    void selectedTaskChanged();
    void shownTaskChanged();
    void isDayClosedChanged();
    void shownTimeChanged();
    void shownTextChanged();
    // A task of the store was removed: a banner open for it closes.
    void taskRemoved(Task *task);

private:
    Store *store() const;
    TimerManager *timerManager() const;
    Preferences *preferences() const;
    bool belongsToStore(const Task *task) const;
    qsizetype positionOf(const Task *task) const;

    void onRecordInserted(Record *record);
    void onRecordRemoved(Record *record);
    void onRecordChanged(Record *record, int field);

    // Recomputes from the store index; the list is never rebuilt on a tick. A new day
    // replaces the rows, a change within the day moves them.
    enum class ListChange { Animated, Replace };
    void refreshDayTasks(ListChange change = ListChange::Animated);
    void refreshRunningTask();
    void refreshSelectedTask();
    void refreshShown();
    void refreshIsDayClosed();
    // Per tick: the clock card's time.
    void refreshTimes();

    QPointer<AppServices> m_services;
    DayTaskListModel m_dayTasks;
    QPointer<Task> m_runningTask;
    QPointer<Task> m_selectedTask;
    QPointer<Task> m_shownTask;
    bool m_isDayClosed = false;
    QString m_shownTime;

    // Owned as children.
    DayClosingModel *m_closing = nullptr;
    CodeEditorModel *m_codeEditor = nullptr;
    QuickAddPickerModel *m_quickAdd = nullptr;

    // While an operation writes several records, the list is brought up to date once at its end.
    bool m_batching = false;
    QList<QMetaObject::Connection> m_connections;
};
