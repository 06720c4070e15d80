// The tracker on the session bus, under the application id: what the label shows and what
// runs as properties, and the verbs (start, stop, the popover) as methods, for scripts,
// shortcuts and bars.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

#include <functional>

class AppContext;
class MenuBarLabel;

class TrackerService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dk.timeglas.Timeglas")
    Q_PROPERTY(QString Label READ label)
    Q_PROPERTY(bool Running READ running)
    Q_PROPERTY(QString TaskId READ taskId)
    Q_PROPERTY(QString TaskName READ taskName)
    Q_PROPERTY(qint64 Seconds READ seconds)
    Q_PROPERTY(QString TodayHours READ todayHours)
    Q_PROPERTY(QString ToolTip READ toolTip)
    Q_PROPERTY(QString SaveError READ saveError)

public:
    static constexpr auto objectPath = "/dk/timeglas/Timeglas";
    static constexpr auto interfaceName = "dk.timeglas.Timeglas";

    struct PopoverControl
    {
        std::function<void()> open;
        std::function<void()> close;
        std::function<void()> toggle;
    };

    // Build it after the label: on a change of the tasks the label is brought up to date first.
    TrackerService(AppContext *context, MenuBarLabel *label, PopoverControl popover, QObject *parent = nullptr);

    // Puts the object and the application id on `bus`; false with *error when the bus refused.
    bool publish(const QDBusConnection &bus, QString *error);

    QString label() const { return m_values.value(QStringLiteral("Label")).toString(); }
    bool running() const { return m_values.value(QStringLiteral("Running")).toBool(); }
    QString taskId() const { return m_values.value(QStringLiteral("TaskId")).toString(); }
    QString taskName() const { return m_values.value(QStringLiteral("TaskName")).toString(); }
    qint64 seconds() const { return m_values.value(QStringLiteral("Seconds")).toLongLong(); }
    QString todayHours() const { return m_values.value(QStringLiteral("TodayHours")).toString(); }
    QString toolTip() const { return m_values.value(QStringLiteral("ToolTip")).toString(); }
    QString saveError() const { return m_values.value(QStringLiteral("SaveError")).toString(); }

public slots:
    // Starts today's task of that name (adding it when there is none) and returns its id.
    Q_SCRIPTABLE QString Start(const QString &name);
    // Stops and banks the running task; nothing when none runs.
    Q_SCRIPTABLE void Stop();
    Q_SCRIPTABLE void OpenPopover();
    Q_SCRIPTABLE void ClosePopover();
    Q_SCRIPTABLE void TogglePopover();

private:
    QVariantMap valuesNow() const;
    // Sends what changed since the last time, in one PropertiesChanged; nothing when nothing did.
    void refresh();
    // A save that did not reach the disk is the caller's error, never a silent success.
    void replyWithSaveError();
    void refuse(const QString &name, const QString &message);

    AppContext *m_context;
    MenuBarLabel *m_label;
    PopoverControl m_popover;
    QDBusConnection m_bus;
    QVariantMap m_values;
};
