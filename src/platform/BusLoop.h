// Our connection to the session bus, served on a thread of its own with sd-bus: the status
// item, its menu and the tracker's interface all live on it.
//
// The thread exists for the running clock. While a task runs, the label moves on every
// second, and every panel and bar hears of it; woken for that alone, this thread costs a
// fraction of what waking the GUI thread does (Qt's event loop, QtDBus's own thread and two
// layers of marshalling). Everything else (a click, a start from a script, a new tooltip)
// crosses over to the GUI thread and back, which is rare.
//
// What the objects on the bus answer with is theirs, kept on the bus thread: the GUI thread
// never touches it, it posts the change instead.
#pragma once

#include "core/MenuBarLabel.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct sd_bus;
struct sd_bus_message;

class BusLoop
{
public:
    using Work = std::function<void(sd_bus *)>;
    // The clock as read at one tick, its text drawn once for everyone (UTF-8), and the
    // widest text it grows to while it runs (every digit an 8).
    struct Reading
    {
        qint64 seconds = 0;
        std::string text;
        std::string guide;
    };
    // Called on the bus thread when the clock shows a new second (and when it is set).
    using TickListener = std::function<void(sd_bus *, const Reading &)>;
    // Built on the GUI thread; answers the call on the bus thread (with sd_bus_reply_*).
    using Reply = std::function<int(sd_bus_message *call)>;

    BusLoop() = default;
    // Sends what waits to be sent, then leaves the bus. Everything that posts here goes first.
    ~BusLoop();
    BusLoop(const BusLoop &) = delete;
    BusLoop &operator=(const BusLoop &) = delete;

    // Connects to the session bus (the address in DBUS_SESSION_BUS_ADDRESS, else the user's
    // bus) and starts serving it; false with *error when it cannot.
    bool open(QString *error);
    bool isOpen() const { return m_thread.joinable(); }
    // The connection's unique name, once open.
    QString uniqueName() const { return m_uniqueName; }

    // Runs `work` on the bus thread, in the order posted, and returns at once; dropped when
    // the loop is not open.
    void post(Work work);
    // Runs `work` on the bus thread and returns what it returned (a negative errno from
    // sd-bus, say); -ENOTCONN when the loop is not open. For setting things up.
    int run(const std::function<int(sd_bus *)> &work);

    // The running clock the tick follows; none: no ticks. Listeners hear of each second.
    void setClock(const std::optional<LabelClock> &clock);
    // On the bus thread (or before open()); `owner` names the listener for its removal.
    void addTickListener(const void *owner, TickListener listener) { m_listeners.push_back({owner, std::move(listener)}); }
    void removeTickListeners(const void *owner) { std::erase_if(m_listeners, [owner](const auto &l) { return l.first == owner; }); }

    // For a method call that needs the GUI thread: `handle` runs there, in `context`'s thread,
    // and the reply it returns is sent from here. Returns what the method handler returns.
    int answerFromGui(sd_bus_message *call, QObject *context, std::function<Reply()> handle);

private:
    void serve();
    void tick(double now);
    void wake();

    sd_bus *m_bus = nullptr;
    QString m_uniqueName;
    std::thread m_thread;
    int m_wakeFd = -1;
    std::mutex m_mutex;
    std::vector<Work> m_posted;
    bool m_stopping = false;
    // Bus thread only.
    std::vector<std::pair<const void *, TickListener>> m_listeners;
    std::optional<LabelClock> m_clock;
    std::string m_tail;      // what follows the clock's digits in the text
    std::string m_guideTail; // and in the guide
    Reading m_reading;       // its buffers live on from tick to tick
    double m_nextTick = 0;
    bool m_clockChanged = false;
};
