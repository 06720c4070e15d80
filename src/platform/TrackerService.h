// The tracker on the session bus, under the application id: what the label shows and what
// runs as properties, and the verbs (start, stop, the popover) as methods, for scripts,
// shortcuts and bars.
//
// Served on the bus thread (BusLoop), where the label's clock ticks: what it says is kept
// there, and the verbs cross over to the GUI thread.
#pragma once

#include "core/MenuBarLabel.h"
#include "platform/BusLoop.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <string>

class AppContext;
struct sd_bus;
struct sd_bus_slot;

class TrackerService : public QObject
{
    Q_OBJECT

public:
    static constexpr auto objectPath = "/dk/timeglas/Timeglas";
    static constexpr auto interfaceName = "dk.timeglas.Timeglas";

    struct PopoverControl
    {
        std::function<void()> open;
        std::function<void()> close;
        std::function<void()> toggle;
    };

    // What the properties say, as last sent.
    struct State
    {
        QString label;
        bool running = false;
        QString taskId;
        QString taskName;
        qint64 seconds = 0;
        QString todayHours;
        QString toolTip;
        QString saveError;
        bool operator==(const State &) const = default;
    };

    // Build it after the label: on a change of the tasks the label is brought up to date first.
    TrackerService(AppContext *context, MenuBarLabel *label, PopoverControl popover, QObject *parent = nullptr);
    ~TrackerService() override;

    // Puts the interface on the loop's (open) connection and takes the application id; false
    // with *error when it cannot. The loop must outlive the service.
    bool publish(BusLoop *loop, QString *error);

private:
    // What the properties say now, the clock's two read at the last evaluation.
    State stateNow() const;
    // Hands a change to the bus thread; nothing when only the clock moved.
    void refresh();
    // On the bus thread: sends what changed since the last time (the clock read at `now`),
    // in one PropertiesChanged; nothing when nothing did.
    void publishChanges(sd_bus *bus, double now);
    // On the bus thread, each second of the clock: the label and the seconds.
    void tick(sd_bus *bus, const BusLoop::Reading &clock);
    void emitChanged(sd_bus *bus, std::span<const char *const> names);

    // The bus's calls into us.
    friend struct TrackerServiceCalls;

    AppContext *m_context;
    MenuBarLabel *m_label;
    PopoverControl m_popover;
    BusLoop *m_loop = nullptr;
    // GUI thread: what was last handed over.
    State m_posted;
    std::optional<LabelClock> m_postedClock;
    // Bus thread: what should be said, its clock, and what was said.
    State m_wanted;
    std::optional<LabelClock> m_clock;
    State m_sent; // its label unused: the label as sent is below
    std::string m_sentLabel; // UTF-8
    sd_bus_slot *m_object = nullptr;
};
