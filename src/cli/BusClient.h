// Talks to the running program over the session bus (sd-bus: light enough to run every second).
#pragma once

#include "cli/StatusLine.h"

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <systemd/sd-bus.h>

class BusClient
{
public:
    enum class Result {
        Ok,
        NotRunning, // nobody owns the program's name
        Refused,    // the program said no; message() says why
        Failed,     // the bus itself failed
    };

    // The session bus; nullptr with *error set when there is none.
    static std::unique_ptr<BusClient> connect(std::string *error);
    ~BusClient();

    Result readStatus(TrackerStatus *status);
    // Calls one of the program's methods, with a string argument when `argument` is given.
    Result call(const char *method, const std::string *argument = nullptr);
    // After a failed read or call: why, in one line.
    const std::string &message() const { return m_message; }

    // Waits until the program owns its name (true), `child` has exited, or the time is up.
    bool waitForProgram(pid_t child, int timeoutMs);

    // Calls `show` with the state now and again on every change, with null while the program
    // is not running. Returns only when the bus fails.
    Result follow(const std::function<void(const TrackerStatus *)> &show);

private:
    explicit BusClient(sd_bus *bus) : m_bus(bus) {}
    bool addOwnerMatch();
    // The program's unique name on the bus, or empty.
    std::string currentOwner();
    static int onOwnerChanged(sd_bus_message *message, void *self, sd_bus_error *error);
    static int onPropertiesChanged(sd_bus_message *message, void *self, sd_bus_error *error);

    sd_bus *m_bus;
    std::string m_message;
    std::string m_owner;
    TrackerStatus m_status;
    bool m_ownerChanged = false;
    std::function<void(const TrackerStatus *)> m_show;
};
