#include "platform/TrackerService.h"

#include "core/MenuBarLabel.h"
#include "core/Preferences.h"
#include "core/TrackerCommands.h"
#include "platform/AppContext.h"
#include "platform/AppIdentity.h"
#include "platform/BusSignals.h"
#include "records/Store.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {
const QString errorPrefix = QStringLiteral("dk.timeglas.Timeglas.Error.");
} // namespace

TrackerService::TrackerService(AppContext *context, MenuBarLabel *label, PopoverControl popover, QObject *parent)
    : QObject(parent), m_context(context), m_label(label), m_popover(std::move(popover)),
      m_bus(QStringLiteral("none"))
{
    m_values = valuesNow();
    // The label's tick and every change it shows; a task change it does not show (another
    // task of the same name, say) still moves the running task's id.
    connect(label, &MenuBarLabel::presentationChanged, this, &TrackerService::refresh);
    connect(context->store(), &Store::changed, this, [this](Record::Kind kind) {
        if (kind == Record::Kind::Task)
            refresh();
    });
}

bool TrackerService::publish(const QDBusConnection &bus, QString *error)
{
    m_bus = bus;
    if (!m_bus.isConnected()) {
        *error = m_bus.lastError().message();
        return false;
    }
    if (!m_bus.registerObject(QLatin1String(objectPath), this,
                              QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableProperties)) {
        *error = QStringLiteral("the object path %1 is taken").arg(QLatin1String(objectPath));
        return false;
    }
    const auto reply = m_bus.interface()->registerService(AppIdentity::id(), QDBusConnectionInterface::DontQueueService,
                                                          QDBusConnectionInterface::DontAllowReplacement);
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        *error = reply.error().isValid() ? reply.error().message()
                                         : QStringLiteral("the name %1 is taken").arg(AppIdentity::id());
        m_bus.unregisterObject(QLatin1String(objectPath));
        return false;
    }
    return true;
}

QVariantMap TrackerService::valuesNow() const
{
    const LabelPresentation shown = m_label->presentation();
    const Task *task = m_context->store()->firstRunningTask();
    return {
        {QStringLiteral("Label"), shown.text},
        {QStringLiteral("Running"), task != nullptr},
        {QStringLiteral("TaskId"), task ? task->idString() : QString()},
        {QStringLiteral("TaskName"), task ? task->name() : QString()},
        {QStringLiteral("Seconds"), task ? task->currentSeconds() : qint64(0)},
        {QStringLiteral("TodayHours"), shown.today},
        {QStringLiteral("ToolTip"), shown.toolTip},
        {QStringLiteral("SaveError"), shown.warning},
    };
}

void TrackerService::refresh()
{
    const QVariantMap now = valuesNow();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_values.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty())
        return;
    m_values = now;
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(objectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(interfaceName) << changed << QStringList();
    BusSignals::send(m_bus, signal);
}

QString TrackerService::Start(const QString &name)
{
    Store *store = m_context->store();
    const auto outcome = TrackerCommands::startOnToday(*store, *m_context->timerManager(), *m_context->preferences(), name);
    if (outcome.refusal == TrackerCommands::Refusal::DayClosed) {
        refuse(QStringLiteral("DayClosed"), tr("I dag er lukket: der kan ikke startes opgaver på en lukket dag."));
        return QString();
    }
    replyWithSaveError();
    return outcome.task->idString();
}

void TrackerService::Stop()
{
    TrackerCommands::stopRunning(*m_context->store(), *m_context->timerManager());
    replyWithSaveError();
}

void TrackerService::replyWithSaveError()
{
    const QString error = m_context->store()->saveError();
    if (!error.isEmpty())
        refuse(QStringLiteral("NotSaved"), MenuBarLabel::saveWarning(error));
}

void TrackerService::refuse(const QString &name, const QString &message)
{
    if (calledFromDBus())
        sendErrorReply(errorPrefix + name, message);
}

void TrackerService::OpenPopover()
{
    m_popover.open();
}

void TrackerService::ClosePopover()
{
    m_popover.close();
}

void TrackerService::TogglePopover()
{
    m_popover.toggle();
}
