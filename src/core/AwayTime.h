// Time away from the computer while a task runs: spells of absence, what each of the
// user's choices does to the task, and the questions waiting for an answer.
#pragma once

#include "core/Console.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <optional>

class Preferences;
class Store;
class Task;
class TimerManager;

namespace away {

// A stretch of absence in wall-clock seconds since the epoch.
struct Spell
{
    double begin = 0;
    double end = 0;
    // Whole seconds, never negative (a clock set back makes no negative spell).
    qint64 seconds() const;
    bool operator==(const Spell &) const = default;
};

enum class Choice { Keep, RemoveTime, RemoveAndStop };

// The whole seconds of the running interval [lastStart, now] that lie in the spell:
// never negative and never more than the interval itself.
qint64 overlapSeconds(double lastStart, double now, const Spell &spell);

// Applies the choice to a running task now: RemoveTime takes the spell's seconds out of the
// running interval and keeps the task running; RemoveAndStop banks only the time up to the
// spell's start and stops it. Only the task's fields change; the caller saves. False when
// there was nothing to change (Keep, or a task that no longer runs).
bool apply(Task &task, const Spell &spell, Choice choice);

// Merges what the sources report into spells: the user is away while any source says so;
// overlapping reports are one spell, from the earliest start to the last end.
class SpellMerger
{
public:
    enum Source { Locked, Suspended, Idle, SourceCount };

    // A source became active (`at` is when the absence began, for idle the last input)
    // or inactive (`at` is when the user came back). Returns the spell when the last
    // active source ends.
    std::optional<Spell> report(Source source, bool active, double at);
    bool isAway() const;
    // Forgets what is going on, for instance when no task runs any more.
    void reset();

private:
    std::array<bool, SourceCount> m_active{};
    double m_begin = 0;
};

} // namespace away

// Watches for time away while a task runs and holds the questions about it for the day
// view's banner and the desktop notification. Nothing is removed until the user chooses.
class AwayTracker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool hasQuestion READ hasQuestion NOTIFY questionChanged)
    Q_PROPERTY(QString questionText READ questionText NOTIFY questionChanged)
    Q_PROPERTY(bool isWatching READ isWatching NOTIFY watchingChanged)
    Q_PROPERTY(bool canTell READ canTell NOTIFY canTellChanged)

public:
    AwayTracker(Store *store, TimerManager *timerManager, Preferences *preferences, QObject *parent = nullptr,
                LineSink output = printLine);

    // Whether absence matters now: the feature is on and a task runs. The idle source
    // polls only while this holds.
    bool isWatching() const;
    // Minutes a spell must last to be asked about; 0 when the feature is off.
    int thresholdMinutes() const;

    void report(away::SpellMerger::Source source, bool active, double at);
    // Whether any source here can tell that the user is away; set by whoever watches them.
    bool canTell() const { return m_canTell; }
    void setCanTell(bool canTell);

    bool hasQuestion() const { return !m_questions.isEmpty(); }
    // "Du var væk i 0:42, mens «Møde» kørte" for the oldest open question.
    QString questionText() const;
    // Answers the oldest open question. Saves at once when the task changed.
    Q_INVOKABLE void answer(int choice);
    static QString textFor(const QString &taskName, qint64 seconds);

signals:
    void questionChanged();
    void watchingChanged();
    void canTellChanged();

private:
    struct Question
    {
        QString taskId;
        QString taskName;
        away::Spell spell;
    };
    Task *runningTask() const;
    Task *taskWithId(const QString &id) const;
    bool isOnClosedDay(const Task &task) const;
    void refreshWatching();

    QPointer<Store> m_store;
    QPointer<TimerManager> m_timerManager;
    QPointer<Preferences> m_preferences;
    away::SpellMerger m_merger;
    // The task that ran when the current spell began.
    QString m_awayTaskId;
    QList<Question> m_questions;
    bool m_watching = false;
    bool m_canTell = false;
    LineSink m_output;
};
