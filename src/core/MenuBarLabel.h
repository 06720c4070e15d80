// What the status item shows: the running task's clock and name, or today's hours.
#pragma once

#include "records/Task.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

class Preferences;
class Store;
class TimerManager;

// The running task's clock as the label draws it: enough to draw any second of it without
// asking the tasks, for whoever keeps the label ticking on a thread of its own.
struct LabelClock
{
    qint64 banked = 0;
    double since = 0; // when the task started, in seconds since the epoch
    QString name;     // as the label writes it

    qint64 secondsAt(double now) const { return Task::secondsAt(banked, since, now); }
    QString textAt(double now) const;
    // The first moment after `now` at which the clock shows another second.
    double nextSecondAfter(double now) const;
    bool operator==(const LabelClock &) const = default;
};

struct LabelPresentation
{
    QString iconName; // "hourglass" while a task runs, else "hourglass.bottomhalf.filled"
    QString text;     // may be empty: the icon then stands alone
    QString today;    // today's hours as the idle label writes them; empty at none
    // What a pointer resting on the item is told, plain text without the seconds (they
    // would make every panel fetch it again each second): the running task's name, then
    // today's hours. Empty when there is nothing to tell.
    QString toolTip;
    QString warning;  // for the tooltip: why changes are not being saved, or empty
    std::optional<LabelClock> clock; // while a task runs: `text` as it moves on
    bool operator==(const LabelPresentation &) const = default;
};

class MenuBarLabel : public QObject
{
    Q_OBJECT

public:
    // Re-evaluates on every tick, every task change and every change of the billable preference;
    // without ticks, by itself at the next moment anything but the clock changes (today's
    // hours, midnight), so the clock may be left to LabelClock.
    MenuBarLabel(Store *store, TimerManager *timerManager, Preferences *preferences, QObject *parent = nullptr);

    LabelPresentation presentation() const { return m_presentation; }

    // The running presentation: clock, spaced middle dot, then the name or a lone middle dot.
    static LabelPresentation running(const Task &task);
    static QString runningText(qint64 seconds, const QString &name);
    // What follows the clock in the running text: the spaced middle dot and the name.
    static QString runningTail(const QString &name);
    // The idle presentation for today's total (text only when the total is above 0).
    static LabelPresentation idle(double totalHours);
    // Today's total over tasks dated exactly at today's midnight (`today`, the local
    // midnight; now's when not given), billable or actual.
    static double todaysTotal(const Store &store, bool billable, std::optional<double> today = {});
    static LabelPresentation evaluate(const Store &store, bool billable, std::optional<double> today = {});
    // The next moment after `now` at which anything but the running clock changes: today's
    // hours (`today` is the local midnight, `tomorrow` the next), or the day itself.
    static double nextChange(const Store &store, bool billable, double today, double tomorrow, double now);
    // What the user is told while saves fail: "Ændringer gemmes ikke: <why>"; empty otherwise.
    static QString saveWarning(const QString &saveError);

signals:
    void presentationChanged(const LabelPresentation &presentation);

private:
    void reevaluate();
    // Today's midnight, looked up again only once the clock has left today: the lookup
    // asks the time zone, which reads the zone's file, and the label asks every second.
    double today();
    // Arms the wake-up for the next change that is not the clock's.
    void scheduleNextChange();

    QPointer<Store> m_store;
    QPointer<TimerManager> m_timerManager;
    QPointer<Preferences> m_preferences;
    LabelPresentation m_presentation;
    double m_todayStart = 0;
    double m_todayEnd = 0;
    QTimer m_nextChange;
};
