// The one running-task controller: selected day, active task, billable switch and the tick.
#pragma once

#include "core/Console.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>
#include <optional>

class Store;
class Task;

class TimerManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QDateTime selectedDate READ selectedDate WRITE setSelectedDate NOTIFY selectedDateChanged)
    Q_PROPERTY(QString activeTaskID READ activeTaskIDString NOTIFY activeTaskIDChanged)
    Q_PROPERTY(bool showBillableTime READ showBillableTime WRITE setShowBillableTime NOTIFY showBillableTimeChanged)
    Q_PROPERTY(qint64 tick READ tick WRITE setTick NOTIFY tickChanged)
    Q_PROPERTY(QVariantList weekDates READ weekDatesList NOTIFY selectedDateChanged)

public:
    // `output` receives the save-failure lines; standard output by default.
    explicit TimerManager(QObject *parent = nullptr, LineSink output = printLine);

    double selectedDateSeconds() const { return m_selectedDate; }
    void setSelectedDateSeconds(double date);
    QDateTime selectedDate() const;
    void setSelectedDate(const QDateTime &date);

    std::optional<QString> activeTaskID() const { return m_activeTaskID; }
    QString activeTaskIDString() const;

    bool showBillableTime() const { return m_showBillableTime; }
    void setShowBillableTime(bool show);

    qint64 tick() const { return m_tick; }
    void setTick(qint64 tick);
    Q_INVOKABLE void advanceTick() { setTick(m_tick + 1); }

    // The tick as the screens see it: viewTick follows every tick while the screens are
    // shown, pauses while they are hidden (nothing is drawn, so nothing needs computing),
    // and fires once when they show again. Shown unless told otherwise.
    bool viewsShown() const { return m_viewsShown; }
    void setViewsShown(bool shown);

    // Whether the tick runs while the screens are hidden. Only a label drawn here needs it
    // (a tray icon's tooltip): where the bus carries the label, the bus's thread keeps the
    // clock and the label wakes itself for anything else. Yes unless told otherwise.
    void setTicksWhileHidden(bool ticks);

    // Whether the one-second repeating timer exists: a task runs and somebody draws its clock.
    bool hasTimer() const { return !m_timer.isNull(); }

    // What runs is decided here: the screens start and stop tasks only through these (time
    // away stops a task itself, then syncs). Each saves at once unless `context` is null; a
    // failed save is printed and the change stays pending.
    void start(Task *task, const QList<Task *> &tasks, Store *context);
    void stop(Task *task, Store *context);
    void toggle(Task *task, const QList<Task *> &tasks, Store *context);
    // The save's error, when it failed: at quit it is the last chance to reach the disk.
    std::optional<QString> stopAll(const QList<Task *> &tasks, Store *context);
    // Adopts the first running task of the list, or goes idle when none runs. Does not save.
    void syncActiveTask(const QList<Task *> &tasks);

    // Monday to Sunday of the week holding selectedDate, whatever the locale.
    QList<double> weekDates() const;
    QVariantList weekDatesList() const;
    Q_INVOKABLE void previousWeek() { shiftSelectedDate(-7); }
    Q_INVOKABLE void nextWeek() { shiftSelectedDate(7); }
    Q_INVOKABLE void shiftSelectedDate(int days);

signals:
    void selectedDateChanged();
    void activeTaskIDChanged();
    void showBillableTimeChanged();
    void tickChanged();
    void viewTick();

private:
    void setActiveTaskID(std::optional<QString> id);
    // Starts the timer afresh (in step with a task just started) or ends it, as the tick is needed.
    void startTimer();
    void stopTimer();
    void followTimer();
    std::optional<QString> saveOrReport(Store *context, const char *prefix);

    double m_selectedDate;
    std::optional<QString> m_activeTaskID;
    bool m_showBillableTime = true;
    qint64 m_tick = 0;
    bool m_viewsShown = true;
    bool m_ticksWhileHidden = true;
    // Owned by this manager, so it can never outlive it or call into a dead one.
    QPointer<QTimer> m_timer;
    LineSink m_output;
};
