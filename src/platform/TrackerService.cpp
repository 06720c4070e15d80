#include "platform/TrackerService.h"

#include "core/MenuBarLabel.h"
#include "core/TrackerCommands.h"
#include "platform/AppContext.h"
#include "platform/AppIdentity.h"
#include "records/Store.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <poll.h>
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
    static int start(sd_bus_message *call, void *self, sd_bus_error *);
    static int stop(sd_bus_message *call, void *self, sd_bus_error *);
    static int popoverCall(sd_bus_message *call, void *self, sd_bus_error *);
    // Replies to `call`: with `id` (when given), or with the error that saves are failing.
    static int replySaved(TrackerService *service, sd_bus_message *call, const QString *id);
};

TrackerService::TrackerService(AppContext *context, MenuBarLabel *label, PopoverControl popover, QObject *parent)
    : QObject(parent), m_context(context), m_label(label), m_popover(std::move(popover))
{
    m_state = stateNow();
    // The label's tick and every change it shows; a task change it does not show (another
    // task of the same name, say) still moves the running task's id.
    connect(label, &MenuBarLabel::presentationChanged, this, &TrackerService::refresh);
    connect(context->store(), &Store::changed, this, [this](Record::Kind kind) {
        if (kind == Record::Kind::Task)
            refresh();
    });
}

TrackerService::~TrackerService()
{
    delete m_reads;
    delete m_writes;
    sd_bus_slot_unref(m_object);
    sd_bus_flush_close_unref(m_bus);
}

bool TrackerService::publish(QString *error)
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
    int r = sd_bus_open_user(&m_bus);
    if (r >= 0)
        r = sd_bus_add_object_vtable(m_bus, &m_object, objectPath, interfaceName, vtable, this);
    if (r >= 0)
        r = sd_bus_request_name(m_bus, AppIdentity::id().toUtf8().constData(), 0);
    if (r < 0) {
        *error = r == -EEXIST ? QStringLiteral("the name %1 is taken").arg(AppIdentity::id()) : systemError(r);
        sd_bus_slot_unref(std::exchange(m_object, nullptr));
        m_bus = sd_bus_flush_close_unref(m_bus);
        return false;
    }
    m_reads = new QSocketNotifier(sd_bus_get_fd(m_bus), QSocketNotifier::Read, this);
    connect(m_reads, &QSocketNotifier::activated, this, &TrackerService::serve);
    m_writes = new QSocketNotifier(sd_bus_get_fd(m_bus), QSocketNotifier::Write, this);
    m_writes->setEnabled(false);
    connect(m_writes, &QSocketNotifier::activated, this, &TrackerService::serve);
    // Calls that came in while the name was asked for wait in sd-bus's queue, where the socket
    // does not show them: they are served once the event loop runs, when the program is whole.
    QTimer::singleShot(0, this, &TrackerService::serve);
    return true;
}

void TrackerService::serve()
{
    int r;
    while ((r = sd_bus_process(m_bus, nullptr)) > 0) {
    }
    if (r < 0) {
        // The bus went away (the session is ending): nothing more to serve.
        m_reads->setEnabled(false);
        m_writes->setEnabled(false);
        return;
    }
    watchWrites();
}

void TrackerService::watchWrites()
{
    // A message waits in sd-bus's queue only when the socket was full.
    const int events = sd_bus_get_events(m_bus);
    m_writes->setEnabled(events > 0 && (events & POLLOUT));
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
    const State now = stateNow();
    const char *changed[9];
    int n = 0;
    const auto note = [&](bool differs, const char *name) {
        if (differs)
            changed[n++] = name;
    };
    note(now.label != m_state.label, "Label");
    note(now.running != m_state.running, "Running");
    note(now.taskId != m_state.taskId, "TaskId");
    note(now.taskName != m_state.taskName, "TaskName");
    note(now.seconds != m_state.seconds, "Seconds");
    note(now.todayHours != m_state.todayHours, "TodayHours");
    note(now.toolTip != m_state.toolTip, "ToolTip");
    note(now.saveError != m_state.saveError, "SaveError");
    changed[n] = nullptr;
    m_state = now;
    if (n == 0 || !m_bus)
        return;
    sd_bus_emit_properties_changed_strv(m_bus, objectPath, interfaceName, const_cast<char **>(changed));
    watchWrites();
}

int TrackerServiceCalls::property(sd_bus *, const char *, const char *, const char *property,
                                  sd_bus_message *reply, void *self, sd_bus_error *)
{
    const TrackerService::State &s = static_cast<TrackerService *>(self)->m_state;
    const QByteArray name(property);
    if (name == "Running") {
        const int running = s.running;
        return sd_bus_message_append(reply, "b", running);
    }
    if (name == "Seconds")
        return sd_bus_message_append(reply, "x", static_cast<int64_t>(s.seconds));
    const QString &text = name == "Label"        ? s.label
                          : name == "TaskId"     ? s.taskId
                          : name == "TaskName"   ? s.taskName
                          : name == "TodayHours" ? s.todayHours
                          : name == "ToolTip"    ? s.toolTip
                                                 : s.saveError;
    return appendString(reply, text);
}

int TrackerServiceCalls::start(sd_bus_message *call, void *self, sd_bus_error *)
{
    auto *service = static_cast<TrackerService *>(self);
    const char *name = nullptr;
    if (const int r = sd_bus_message_read(call, "s", &name); r < 0)
        return r;
    AppContext *context = service->m_context;
    const auto outcome = TrackerCommands::startOnToday(*context->store(), *context->timerManager(),
                                                       *context->preferences(), QString::fromUtf8(name));
    if (outcome.refusal == TrackerCommands::Refusal::DayClosed) {
        return sd_bus_reply_method_errorf(call, errorDayClosed, "%s",
                                          TrackerService::tr("I dag er lukket: der kan ikke startes opgaver på en lukket dag.")
                                              .toUtf8()
                                              .constData());
    }
    const QString id = outcome.task->idString();
    return replySaved(service, call, &id);
}

int TrackerServiceCalls::stop(sd_bus_message *call, void *self, sd_bus_error *)
{
    auto *service = static_cast<TrackerService *>(self);
    TrackerCommands::stopRunning(*service->m_context->store(), *service->m_context->timerManager());
    return replySaved(service, call, nullptr);
}

int TrackerServiceCalls::replySaved(TrackerService *service, sd_bus_message *call, const QString *id)
{
    // A save that did not reach the disk is the caller's error, never a silent success.
    const QString error = service->m_context->store()->saveError();
    if (!error.isEmpty())
        return sd_bus_reply_method_errorf(call, errorNotSaved, "%s", MenuBarLabel::saveWarning(error).toUtf8().constData());
    return id ? sd_bus_reply_method_return(call, "s", id->toUtf8().constData()) : sd_bus_reply_method_return(call, "");
}

int TrackerServiceCalls::popoverCall(sd_bus_message *call, void *self, sd_bus_error *)
{
    const TrackerService::PopoverControl &popover = static_cast<TrackerService *>(self)->m_popover;
    const char *member = sd_bus_message_get_member(call);
    if (std::strcmp(member, "OpenPopover") == 0)
        popover.open();
    else if (std::strcmp(member, "ClosePopover") == 0)
        popover.close();
    else
        popover.toggle();
    return sd_bus_reply_method_return(call, "");
}
