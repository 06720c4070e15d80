// State and operations of the popover's day screen: the day's tasks, the clock card, adding,
// selecting, starting, reordering and deleting tasks, and the flags of every banner.
#pragma once

#include "CodeEditorModel.h"
#include "DayClosingModel.h"
#include "DayTaskListModel.h"
#include "QuickAddPickerModel.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
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
    Q_PROPERTY(qint64 dayTotalSeconds READ dayTotalSeconds NOTIFY dayTotalSecondsChanged)
    Q_PROPERTY(double dayTotalHours READ dayTotalHours NOTIFY dayTotalHoursChanged)

    // What the clock card writes.
    Q_PROPERTY(QString shownTime READ shownTime NOTIFY shownTimeChanged)
    Q_PROPERTY(QString shownTitle READ shownTitle NOTIFY shownTextChanged)
    Q_PROPERTY(QString shownCode READ shownCode NOTIFY shownTextChanged)

    // Delete confirmation.
    Q_PROPERTY(Task *taskToDelete READ taskToDelete NOTIFY taskToDeleteChanged)
    Q_PROPERTY(QString deleteTitle READ deleteTitle NOTIFY deleteTitleChanged)

    // Add banner.
    Q_PROPERTY(bool showAddBanner READ showAddBanner NOTIFY showAddBannerChanged)
    Q_PROPERTY(QString newTaskName READ newTaskName WRITE setNewTaskName NOTIFY newTaskNameChanged)
    Q_PROPERTY(bool isAddFieldFocused READ isAddFieldFocused WRITE setAddFieldFocused NOTIFY isAddFieldFocusedChanged)

    // State of the code editor, the quick-add picker, the closing confirmation and the settings screen.
    Q_PROPERTY(Task *codeEditTask READ codeEditTask WRITE setCodeEditTask NOTIFY codeEditTaskChanged)
    Q_PROPERTY(QString editedCode READ editedCode WRITE setEditedCode NOTIFY editedCodeChanged)
    Q_PROPERTY(bool isCodeFieldFocused READ isCodeFieldFocused WRITE setCodeFieldFocused NOTIFY isCodeFieldFocusedChanged)
    Q_PROPERTY(bool showTemplateBanner READ showTemplateBanner WRITE setShowTemplateBanner NOTIFY showTemplateBannerChanged)
    Q_PROPERTY(bool showCloseDayConfirm READ showCloseDayConfirm WRITE setShowCloseDayConfirm NOTIFY showCloseDayConfirmChanged)
    Q_PROPERTY(bool showSettings READ showSettings WRITE setShowSettings NOTIFY showSettingsChanged)

    // The operations of closing the day, the code editor and the quick-add picker, kept apart
    // from the list's own; they work on the state above.
    Q_PROPERTY(DayClosingModel *closing READ closing CONSTANT)
    Q_PROPERTY(CodeEditorModel *codeEditor READ codeEditor CONSTANT)
    Q_PROPERTY(QuickAddPickerModel *quickAdd READ quickAdd CONSTANT)

public:
    // Texts the screen writes in place of absent values.
    static QString unnamedTaskText();
    static QString noSessionText();
    // Names are stored trimmed and cut to this many user-perceived characters.
    static constexpr int NameLimit = 200;
    // The delay before a newly opened banner's field takes keyboard focus.
    static constexpr int FocusDelayMs = 100;

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
    qint64 dayTotalSeconds() const { return m_dayTotalSeconds; }
    double dayTotalHours() const { return m_dayTotalHours; }

    QString shownTime() const { return m_shownTime; }
    QString shownTitle() const;
    QString shownCode() const;

    Task *taskToDelete() const;
    QString deleteTitle() const;

    bool showAddBanner() const { return m_showAddBanner; }
    QString newTaskName() const { return m_newTaskName; }
    void setNewTaskName(const QString &name);
    bool isAddFieldFocused() const { return m_isAddFieldFocused; }
    // Losing focus while the add banner is open adds the task, as Return does.
    void setAddFieldFocused(bool focused);

    Task *codeEditTask() const;
    void setCodeEditTask(Task *task);
    QString editedCode() const { return m_editedCode; }
    void setEditedCode(const QString &code);
    bool isCodeFieldFocused() const { return m_isCodeFieldFocused; }
    void setCodeFieldFocused(bool focused);
    bool showTemplateBanner() const { return m_showTemplateBanner; }
    void setShowTemplateBanner(bool show);
    bool showCloseDayConfirm() const { return m_showCloseDayConfirm; }
    void setShowCloseDayConfirm(bool show);
    bool showSettings() const { return m_showSettings; }
    void setShowSettings(bool show);

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

    Q_INVOKABLE void openAddBanner();
    Q_INVOKABLE void cancelAddBanner();
    Q_INVOKABLE void commitNewTask();
    // Adds a task at the end of the selected day; nullptr when the day is closed.
    // Plain C++: QML calls commitNewTask, so no record is ever handed to the JavaScript collector.
    Task *addTask(const QString &name);
    // The sortOrder that puts a new task after every task of the selected day.
    Q_INVOKABLE qint64 nextSortOrder() const;

    Q_INVOKABLE void requestDelete(Task *task);
    Q_INVOKABLE void cancelDelete();
    Q_INVOKABLE void confirmDelete();
    Q_INVOKABLE void deleteTask(Task *task);

    Q_INVOKABLE void moveTask(Task *task, int offset);
    Q_INVOKABLE bool canMoveUp(Task *task) const;
    Q_INVOKABLE bool canMoveDown(Task *task) const;

signals:
    void servicesChanged();
    void runningTaskChanged();
    void selectedTaskChanged();
    void shownTaskChanged();
    void isDayClosedChanged();
    void dayTotalSecondsChanged();
    void dayTotalHoursChanged();
    void shownTimeChanged();
    void shownTextChanged();
    void taskToDeleteChanged();
    void deleteTitleChanged();
    void showAddBannerChanged();
    void newTaskNameChanged();
    void isAddFieldFocusedChanged();
    void codeEditTaskChanged();
    void editedCodeChanged();
    void isCodeFieldFocusedChanged();
    void showTemplateBannerChanged();
    void showCloseDayConfirmChanged();
    void showSettingsChanged();

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
    // Per tick: the clock card's time and the day totals.
    void refreshTimes();

    void setShowAddBanner(bool show);
    void setTaskToDelete(Task *task);

    QPointer<AppServices> m_services;
    DayTaskListModel m_dayTasks;
    QPointer<Task> m_runningTask;
    QPointer<Task> m_selectedTask;
    QPointer<Task> m_shownTask;
    bool m_isDayClosed = false;
    qint64 m_dayTotalSeconds = 0;
    double m_dayTotalHours = 0.0;
    QString m_shownTime;

    QPointer<Task> m_taskToDelete;
    bool m_showAddBanner = false;
    QString m_newTaskName;
    bool m_isAddFieldFocused = false;
    QTimer m_addFocusTimer;

    QPointer<Task> m_codeEditTask;
    QString m_editedCode;
    bool m_isCodeFieldFocused = false;
    bool m_showTemplateBanner = false;
    bool m_showCloseDayConfirm = false;
    bool m_showSettings = false;

    // Owned as children; made last, once the state they work on exists.
    DayClosingModel *m_closing = nullptr;
    CodeEditorModel *m_codeEditor = nullptr;
    QuickAddPickerModel *m_quickAdd = nullptr;

    // While an operation writes several records, the list is brought up to date once at its end.
    bool m_batching = false;
    QList<QMetaObject::Connection> m_connections;
};
