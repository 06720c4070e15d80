// The tracker on the session bus, under the application id: what the label shows and what
// runs as properties, and the verbs (start, stop, the popover) as methods, for scripts,
// shortcuts and bars.
//
// Served on a connection of its own with sd-bus, from the main thread: the label changes
// every second while a task runs, and a change sent this way is one write, where QtDBus
// would hand it to its own thread and build it through two layers of marshalling.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class AppContext;
class MenuBarLabel;
class QSocketNotifier;
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
    };

    // Build it after the label: on a change of the tasks the label is brought up to date first.
    TrackerService(AppContext *context, MenuBarLabel *label, PopoverControl popover, QObject *parent = nullptr);
    ~TrackerService() override;

    // Connects to the session bus and takes the application id; false with *error when it
    // cannot.
    bool publish(QString *error);

private:
    State stateNow() const;
    // Sends what changed since the last time, in one PropertiesChanged; nothing when nothing did.
    void refresh();
    // Reads and answers what the bus has for us, and writes what waits to be written.
    void serve();
    void watchWrites();

    // The bus's calls into us.
    friend struct TrackerServiceCalls;

    AppContext *m_context;
    MenuBarLabel *m_label;
    PopoverControl m_popover;
    State m_state;
    sd_bus *m_bus = nullptr;
    sd_bus_slot *m_object = nullptr;
    QSocketNotifier *m_reads = nullptr;
    QSocketNotifier *m_writes = nullptr;
};
