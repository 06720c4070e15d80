// The tracker's two verbs as scripts and shortcuts use them: start a task of today by name,
// stop what runs. Same outcome as the popover's own buttons.
#pragma once

#include <QString>

class Preferences;
class Store;
class Task;
class TimerManager;

namespace TrackerCommands {

enum class Refusal {
    None,
    DayClosed, // today is closed: its hours are frozen and nothing starts on it
};

struct Outcome
{
    Refusal refusal = Refusal::None;
    Task *task = nullptr; // the task started or stopped; nullptr when none
};

// Starts today's task named `typed` (trimmed and cut as a typed name is), adding it after
// today's tasks when there is none, and selects it. An empty name is the unnamed task.
// Whatever ran before stops and is banked.
Outcome startOnToday(Store &store, TimerManager &timerManager, Preferences &preferences, const QString &typed);

// Stops and banks the running task; nothing happens when none runs.
Outcome stopRunning(Store &store, TimerManager &timerManager);

} // namespace TrackerCommands
