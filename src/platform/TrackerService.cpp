#include "platform/TrackerService.h"

#include "core/MenuBarLabel.h"
#include "core/TrackerCommands.h"
#include "platform/AppContext.h"
#include "platform/AppIdentity.h"
#include "platform/BusLoop.h"
#include "records/Store.h"
#include "timecalc/Clock.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>
#include <systemd/sd-bus.h>

namespace {
constexpr auto errorDayClosed = "dk.timeglas.Timeglas.Error.DayClosed";
constexpr auto errorNotSaved = "dk.timeglas.Timeglas.Error.NotSaved";

QString systemError(int negativeErrno)
{
    return QString::fromLocal8Bit(std::strerror(-negativeErrno));
}

int appendString(sd_bus_message *reply, const QString &text)
{
    return sd_bus_message_append(reply, "s", text.toUtf8().constData());
}
} // namespace

struct TrackerServiceCalls
{
    static int property(sd_bus *, const char *, const char *, const char *property, sd_bus_message *reply, void *self,
                        sd_bus_error *);
    // A property's D-Bus type, and its value in `s`.
    static const char *typeOf(const char *property);
    static int appendValue(sd_bus_message *m, const TrackerService *service, const char *property);
    static int start(sd_bus_message *call, void *self, sd_bus_error *);
    static int stop(sd_bus_message *call, void *self, sd_bus_error *);
    static int popoverCall(sd_bus_message *call, void *self, sd_bus_error *);
    // The reply: with `id` (when given), or the error that saves are failing.
    static BusLoop::Reply replySaved(TrackerService *service, const std::optional<QString> &id);
    static BusLoop::Reply replyError(const char *name, const QString &message);
};

TrackerService::TrackerService(AppContext *context, MenuBarLabel *label, PopoverControl popover, QObject *parent)
    : QObject(parent), m_context(context), m_label(label), m_popover(std::move(popover))
{
    m_posted = m_wanted = m_sent = stateNow();
    m_sentLabel = m_sent.label.toStdString();
    m_postedClock = m_clock = label->presentation().clock;
    // Every change the label shows; a task change it does not show (another task of the
    // same name, say) still moves the running task's id.
    connect(label, &MenuBarLabel::presentationChanged, this, &TrackerService::refresh);
    connect(context->store(), &Store::changed, this, [this](Record::Kind kind) {
        if (kind == Record::Kind::Task)
            refresh();
    });
}

TrackerService::~TrackerService()
{
    if (!m_loop)
        return;
    m_loop->run([this](sd_bus *bus) {
        m_loop->removeTickListeners(this);
        sd_bus_slot_unref(std::exchange(m_object, nullptr));
        sd_bus_release_name_async(bus, nullptr, AppIdentity::id().toUtf8().constData(), nullptr, nullptr);
        return 0;
    });
}

bool TrackerService::publish(BusLoop *loop, QString *error)
{
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("Label", "s", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("Running", "b", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("TaskId", "s", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("TaskName", "s", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("Seconds", "x", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("TodayHours", "s", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("ToolTip", "s", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("SaveError", "s", &TrackerServiceCalls::property, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_METHOD_WITH_NAMES("Start", "s", SD_BUS_PARAM(name), "s", SD_BUS_PARAM(id), &TrackerServiceCalls::start,
                                 SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Stop", "", "", &TrackerServiceCalls::stop, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("OpenPopover", "", "", &TrackerServiceCalls::popoverCall, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("ClosePopover", "", "", &TrackerServiceCalls::popoverCall, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("TogglePopover", "", "", &TrackerServiceCalls::popoverCall, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    m_loop = loop;
    const int r = loop->run([this](sd_bus *bus) {
        int r = sd_bus_add_object_vtable(bus, &m_object, objectPath, interfaceName, vtable, this);
        if (r >= 0)
            r = sd_bus_request_name(bus, AppIdentity::id().toUtf8().constData(), 0);
        if (r < 0)
            m_object = sd_bus_slot_unref(m_object);
        else
            m_loop->addTickListener(this, [this](sd_bus *bus, const BusLoop::Reading &clock) { tick(bus, clock); });
        return r;
    });
    if (r < 0) {
        *error = r == -EEXIST ? QStringLiteral("the name %1 is taken").arg(AppIdentity::id()) : systemError(r);
        m_loop = nullptr;
        return false;
    }

    loop->setClock(m_postedClock);
    return true;
}

TrackerService::State TrackerService::stateNow() const
{
    const LabelPresentation shown = m_label->presentation();
    const Task *task = m_context->store()->firstRunningTask();
    State state;
    state.label = shown.text;
    state.running = task != nullptr;
    if (task) {
        state.taskId = task->idString();
        state.taskName = task->name();
        state.seconds = task->currentSeconds();
    }
    state.todayHours = shown.today;
    state.toolTip = shown.toolTip;
    state.saveError = shown.warning;
    return state;
}

void TrackerService::refresh()
{
    State now = stateNow();
    const std::optional<LabelClock> clock = m_label->presentation().clock;
    if (clock) {
        // The bus thread reads the clock itself, each second.
        now.label.clear();
        now.seconds = 0;
    }
    if (now == m_posted && clock == m_postedClock)
        return;
    m_posted = now;
    m_postedClock = clock;
    if (!m_loop)
        return;
    m_loop->post([this, now, clock](sd_bus *bus) {
        m_wanted = now;
        m_clock = clock;
        publishChanges(bus, timecalc::Clock::nowSeconds());
    });
    m_loop->setClock(clock);
}

void TrackerService::publishChanges(sd_bus *bus, double now)
{
    State next = m_wanted;
    if (m_clock)
        next.seconds = m_clock->secondsAt(now);
    std::string label = (m_clock ? m_clock->textAt(now) : next.label).toStdString();
    std::vector<const char *> changed;
    const auto note = [&](bool differs, const char *name) {
        if (differs)
            changed.push_back(name);
    };
    note(label != m_sentLabel, "Label");
    note(next.running != m_sent.running, "Running");
    note(next.taskId != m_sent.taskId, "TaskId");
    note(next.taskName != m_sent.taskName, "TaskName");
    note(next.seconds != m_sent.seconds, "Seconds");
    note(next.todayHours != m_sent.todayHours, "TodayHours");
    note(next.toolTip != m_sent.toolTip, "ToolTip");
    note(next.saveError != m_sent.saveError, "SaveError");
    m_sent = std::move(next);
    m_sentLabel = std::move(label);
    emitChanged(bus, changed);
}

void TrackerService::tick(sd_bus *bus, const BusLoop::Reading &clock)
{
    if (!m_clock)
        return;
    const char *changed[2];
    size_t n = 0;
    if (clock.text != m_sentLabel) {
        m_sentLabel = clock.text;
        changed[n++] = "Label";
    }
    if (clock.seconds != m_sent.seconds) {
        m_sent.seconds = clock.seconds;
        changed[n++] = "Seconds";
    }
    emitChanged(bus, {changed, n});
}

void TrackerService::emitChanged(sd_bus *bus, std::span<const char *const> names)
{
    if (names.empty() || !m_object)
        return;
    // Built here rather than by sd-bus from the getters: it is sent each second.
    sd_bus_message *signal = nullptr;
    int r = sd_bus_message_new_signal(bus, &signal, objectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    if (r >= 0)
        r = sd_bus_message_append(signal, "s", interfaceName);
    if (r >= 0)
        r = sd_bus_message_open_container(signal, 'a', "{sv}");
    for (const char *name : names) {
        if (r >= 0)
            r = sd_bus_message_open_container(signal, 'e', "sv");
        if (r >= 0)
            r = sd_bus_message_append(signal, "s", name);
        if (r >= 0)
            r = sd_bus_message_open_container(signal, 'v', TrackerServiceCalls::typeOf(name));
        if (r >= 0)
            r = TrackerServiceCalls::appendValue(signal, this, name);
        if (r >= 0)
            r = sd_bus_message_close_container(signal);
        if (r >= 0)
            r = sd_bus_message_close_container(signal);
    }
    if (r >= 0)
        r = sd_bus_message_close_container(signal);
    if (r >= 0)
        r = sd_bus_message_append_strv(signal, nullptr);
    if (r >= 0)
        sd_bus_send(bus, signal, nullptr);
    sd_bus_message_unref(signal);
}

const char *TrackerServiceCalls::typeOf(const char *property)
{
    return std::strcmp(property, "Running") == 0 ? "b" : std::strcmp(property, "Seconds") == 0 ? "x" : "s";
}

int TrackerServiceCalls::appendValue(sd_bus_message *m, const TrackerService *service, const char *property)
{
    const TrackerService::State &s = service->m_sent;
    const std::string_view name(property);
    if (name == "Label")
        return sd_bus_message_append(m, "s", service->m_sentLabel.c_str());
    if (name == "Running") {
        const int running = s.running;
        return sd_bus_message_append(m, "b", running);
    }
    if (name == "Seconds")
        return sd_bus_message_append(m, "x", static_cast<int64_t>(s.seconds));
    const QString &text = name == "TaskId"       ? s.taskId
                          : name == "TaskName"   ? s.taskName
                          : name == "TodayHours" ? s.todayHours
                          : name == "ToolTip"    ? s.toolTip
                                                 : s.saveError;
    return appendString(m, text);
}

int TrackerServiceCalls::property(sd_bus *, const char *, const char *, const char *property,
                                  sd_bus_message *reply, void *self, sd_bus_error *)
{
    return appendValue(reply, static_cast<TrackerService *>(self), property);
}

int TrackerServiceCalls::start(sd_bus_message *call, void *self, sd_bus_error *)
{
    auto *service = static_cast<TrackerService *>(self);
    const char *name = nullptr;
    if (const int r = sd_bus_message_read(call, "s", &name); r < 0)
        return r;
    return service->m_loop->answerFromGui(call, service, [service, name = QString::fromUtf8(name)]() -> BusLoop::Reply {
        AppContext *context = service->m_context;
        const auto outcome = TrackerCommands::startOnToday(*context->store(), *context->timerManager(),
                                                           *context->preferences(), name);
        if (outcome.refusal == TrackerCommands::Refusal::DayClosed)
            return replyError(errorDayClosed, TrackerService::tr("I dag er lukket: der kan ikke startes opgaver på en lukket dag."));
        return replySaved(service, outcome.task->idString());
    });
}

int TrackerServiceCalls::stop(sd_bus_message *call, void *self, sd_bus_error *)
{
    auto *service = static_cast<TrackerService *>(self);
    return service->m_loop->answerFromGui(call, service, [service]() -> BusLoop::Reply {
        TrackerCommands::stopRunning(*service->m_context->store(), *service->m_context->timerManager());
        return replySaved(service, std::nullopt);
    });
}

BusLoop::Reply TrackerServiceCalls::replySaved(TrackerService *service, const std::optional<QString> &id)
{
    // A save that did not reach the disk is the caller's error, never a silent success.
    const QString error = service->m_context->store()->saveError();
    if (!error.isEmpty())
        return replyError(errorNotSaved, MenuBarLabel::saveWarning(error));
    if (!id)
        return [](sd_bus_message *call) { return sd_bus_reply_method_return(call, ""); };
    return [id = id->toUtf8()](sd_bus_message *call) { return sd_bus_reply_method_return(call, "s", id.constData()); };
}

BusLoop::Reply TrackerServiceCalls::replyError(const char *name, const QString &message)
{
    return [name, message = message.toUtf8()](sd_bus_message *call) {
        return sd_bus_reply_method_errorf(call, name, "%s", message.constData());
    };
}

int TrackerServiceCalls::popoverCall(sd_bus_message *call, void *self, sd_bus_error *)
{
    auto *service = static_cast<TrackerService *>(self);
    const QByteArray member = sd_bus_message_get_member(call);
    return service->m_loop->answerFromGui(call, service, [service, member]() -> BusLoop::Reply {
        const TrackerService::PopoverControl &popover = service->m_popover;
        if (member == "OpenPopover")
            popover.open();
        else if (member == "ClosePopover")
            popover.close();
        else
            popover.toggle();
        return [](sd_bus_message *call) { return sd_bus_reply_method_return(call, ""); };
    });
}
