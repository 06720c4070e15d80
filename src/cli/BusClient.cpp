#include "cli/BusClient.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/wait.h>
#include <systemd/sd-bus.h>

namespace {
constexpr const char *service = "dk.timeglas.Timeglas";
constexpr const char *path = "/dk/timeglas/Timeglas";
constexpr const char *interface = "dk.timeglas.Timeglas";
constexpr const char *propertiesInterface = "org.freedesktop.DBus.Properties";

// Frees an sd-bus message or error when it goes out of scope.
struct Message
{
    sd_bus_message *m = nullptr;
    ~Message() { sd_bus_message_unref(m); }
};
struct Error
{
    sd_bus_error e = SD_BUS_ERROR_NULL;
    ~Error() { sd_bus_error_free(&e); }
};

std::uint64_t nowUs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::uint64_t(t.tv_sec) * 1000000u + std::uint64_t(t.tv_nsec) / 1000u;
}

// Reads an a{sv} of the program's properties into `status`; unknown keys are skipped.
int readProperties(sd_bus_message *m, TrackerStatus *status)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    if (r < 0)
        return r;
    while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char *key = nullptr;
        const char *contents = nullptr;
        if ((r = sd_bus_message_read(m, "s", &key)) < 0 || (r = sd_bus_message_peek_type(m, nullptr, &contents)) < 0
            || (r = sd_bus_message_enter_container(m, 'v', contents)) < 0)
            return r;
        const std::string name = key;
        if (std::strcmp(contents, "s") == 0) {
            const char *value = nullptr;
            if ((r = sd_bus_message_read(m, "s", &value)) < 0)
                return r;
            std::string *field = name == "Label"        ? &status->label
                                 : name == "TaskId"     ? &status->taskId
                                 : name == "TaskName"   ? &status->taskName
                                 : name == "TodayHours" ? &status->todayHours
                                 : name == "ToolTip"    ? &status->toolTip
                                 : name == "SaveError"  ? &status->saveError
                                                        : nullptr;
            if (field)
                *field = value;
        } else if (std::strcmp(contents, "b") == 0 && name == "Running") {
            int value = 0;
            if ((r = sd_bus_message_read(m, "b", &value)) < 0)
                return r;
            status->running = value != 0;
        } else if (std::strcmp(contents, "x") == 0 && name == "Seconds") {
            if ((r = sd_bus_message_read(m, "x", &status->seconds)) < 0)
                return r;
        } else if ((r = sd_bus_message_skip(m, contents)) < 0) {
            return r;
        }
        if ((r = sd_bus_message_exit_container(m)) < 0 || (r = sd_bus_message_exit_container(m)) < 0)
            return r;
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}
} // namespace

std::unique_ptr<BusClient> BusClient::connect(std::string *error)
{
    sd_bus *bus = nullptr;
    const int r = sd_bus_open_user(&bus);
    if (r < 0) {
        *error = std::string("Ingen sessionsbus: ") + std::strerror(-r);
        return nullptr;
    }
    return std::unique_ptr<BusClient>(new BusClient(bus));
}

BusClient::~BusClient()
{
    sd_bus_flush_close_unref(m_bus);
}

BusClient::Result BusClient::call(const char *method, const std::string *argument)
{
    Error error;
    Message reply;
    const int r = argument ? sd_bus_call_method(m_bus, service, path, interface, method, &error.e, &reply.m, "s",
                                                argument->c_str())
                           : sd_bus_call_method(m_bus, service, path, interface, method, &error.e, &reply.m, "");
    if (r >= 0)
        return Result::Ok;
    if (sd_bus_error_has_names(&error.e, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER)) {
        m_message = "Timeglas kører ikke.";
        return Result::NotRunning;
    }
    m_message = error.e.message ? error.e.message : std::strerror(-r);
    return error.e.name && std::strncmp(error.e.name, service, std::strlen(service)) == 0 ? Result::Refused
                                                                                          : Result::Failed;
}

BusClient::Result BusClient::readStatus(TrackerStatus *status)
{
    Error error;
    Message reply;
    int r = sd_bus_call_method(m_bus, service, path, propertiesInterface, "GetAll", &error.e, &reply.m, "s", interface);
    if (r < 0) {
        if (sd_bus_error_has_names(&error.e, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER)) {
            m_message = "Timeglas kører ikke.";
            return Result::NotRunning;
        }
        m_message = error.e.message ? error.e.message : std::strerror(-r);
        return Result::Failed;
    }
    *status = TrackerStatus();
    if ((r = readProperties(reply.m, status)) < 0) {
        m_message = std::string("Uventet svar fra Timeglas: ") + std::strerror(-r);
        return Result::Failed;
    }
    return Result::Ok;
}

bool BusClient::addOwnerMatch()
{
    return sd_bus_add_match(m_bus, nullptr,
                            "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                            "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='dk.timeglas.Timeglas'",
                            &BusClient::onOwnerChanged, this)
           >= 0;
}

std::string BusClient::currentOwner()
{
    Error error;
    Message reply;
    const char *owner = nullptr;
    if (sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "GetNameOwner", &error.e, &reply.m, "s", service)
            < 0
        || sd_bus_message_read(reply.m, "s", &owner) < 0)
        return {};
    return owner;
}

int BusClient::onOwnerChanged(sd_bus_message *message, void *self, sd_bus_error *)
{
    auto *client = static_cast<BusClient *>(self);
    const char *name = nullptr;
    const char *oldOwner = nullptr;
    const char *newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0 || std::strcmp(name, service) != 0)
        return 0;
    client->m_owner = newOwner;
    client->m_ownerChanged = true;
    return 0;
}

int BusClient::onPropertiesChanged(sd_bus_message *message, void *self, sd_bus_error *)
{
    auto *client = static_cast<BusClient *>(self);
    const char *changedInterface = nullptr;
    // Only the program's own signals count: the path alone could be anybody's.
    const char *sender = sd_bus_message_get_sender(message);
    if (client->m_owner.empty() || !sender || client->m_owner != sender
        || sd_bus_message_read(message, "s", &changedInterface) < 0 || std::strcmp(changedInterface, interface) != 0)
        return 0;
    if (readProperties(message, &client->m_status) >= 0)
        client->m_show(&client->m_status);
    return 0;
}

bool BusClient::waitForProgram(pid_t child, int timeoutMs)
{
    if (!addOwnerMatch())
        return false;
    const std::uint64_t deadline = nowUs() + std::uint64_t(timeoutMs) * 1000u;
    if (!currentOwner().empty())
        return true;
    for (;;) {
        const int r = sd_bus_process(m_bus, nullptr);
        if (r < 0)
            return false;
        if (!m_owner.empty())
            return true;
        if (r > 0)
            continue;
        // Each wait is short: the child's end is not an event on the bus.
        if (child > 0 && waitpid(child, nullptr, WNOHANG) == child)
            return !currentOwner().empty();
        const std::uint64_t now = nowUs();
        if (now >= deadline)
            return false;
        sd_bus_wait(m_bus, std::min<std::uint64_t>(deadline - now, 100000u));
    }
}

BusClient::Result BusClient::follow(const std::function<void(const TrackerStatus *)> &show)
{
    m_show = show;
    // Listen first, then read: nothing that happens in between is missed.
    if (!addOwnerMatch()
        || sd_bus_add_match(m_bus, nullptr,
                            "type='signal',path='/dk/timeglas/Timeglas',interface='org.freedesktop.DBus.Properties',"
                            "member='PropertiesChanged',arg0='dk.timeglas.Timeglas'",
                            &BusClient::onPropertiesChanged, this)
               < 0) {
        m_message = "Kan ikke følge Timeglas på sessionsbussen.";
        return Result::Failed;
    }
    m_owner = currentOwner();
    m_ownerChanged = true;
    for (;;) {
        if (m_ownerChanged) {
            m_ownerChanged = false;
            const bool present = !m_owner.empty() && readStatus(&m_status) == Result::Ok;
            show(present ? &m_status : nullptr);
        }
        const int r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            m_message = std::string("Sessionsbussen svigtede: ") + std::strerror(-r);
            return Result::Failed;
        }
        if (r == 0 && !m_ownerChanged) {
            const int w = sd_bus_wait(m_bus, UINT64_MAX);
            if (w < 0 && w != -EINTR) {
                m_message = std::string("Sessionsbussen svigtede: ") + std::strerror(-w);
                return Result::Failed;
            }
        }
    }
}
