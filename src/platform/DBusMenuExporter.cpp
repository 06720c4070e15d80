#include "platform/DBusMenuExporter.h"

#include "platform/BusLoop.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>

#include <cstdlib>
#include <span>
#include <systemd/sd-bus.h>

namespace {
// Panels mark the access key with an underscore where Qt uses an ampersand.
QString labelFor(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&' && i + 1 < text.size()) {
            out += text.at(++i) == u'&' ? QStringLiteral("&") : QStringLiteral("_") + text.at(i);
        } else if (c == u'_') {
            out += QStringLiteral("__");
        } else {
            out += c;
        }
    }
    return out;
}

// A list of property names as the protocol passes them; empty means all.
QStringList readNames(sd_bus_message *call, int *r)
{
    char **names = nullptr;
    QStringList out;
    *r = sd_bus_message_read_strv(call, &names);
    for (char **name = names; name && *name; ++name) {
        out.append(QString::fromUtf8(*name));
        std::free(*name);
    }
    std::free(names);
    return out;
}

int appendVariant(sd_bus_message *m, const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool) {
        const int on = value.toBool();
        return sd_bus_message_append(m, "v", "b", on);
    }
    return sd_bus_message_append(m, "v", "s", value.toString().toUtf8().constData());
}

// The a{sv} of one entry, only the names asked for.
int appendProperties(sd_bus_message *m, const QVariantMap &all, const QStringList &names)
{
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    for (auto it = all.cbegin(); r >= 0 && it != all.cend(); ++it) {
        if (!names.isEmpty() && !names.contains(it.key()))
            continue;
        r = sd_bus_message_open_container(m, 'e', "sv");
        if (r >= 0)
            r = sd_bus_message_append(m, "s", it.key().toUtf8().constData());
        if (r >= 0)
            r = appendVariant(m, it.value());
        if (r >= 0)
            r = sd_bus_message_close_container(m);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}
} // namespace

QVariantMap DBusMenuExporter::Entry::properties() const
{
    QVariantMap all;
    if (separator)
        all.insert(QStringLiteral("type"), QStringLiteral("separator"));
    else
        all.insert(QStringLiteral("label"), label);
    if (!enabled)
        all.insert(QStringLiteral("enabled"), false);
    if (!visible)
        all.insert(QStringLiteral("visible"), false);
    return all;
}

// The protocol's calls, on the bus thread.
struct DBusMenuCalls
{
    static DBusMenuExporter *exporter(void *self) { return static_cast<DBusMenuExporter *>(self); }

    static QVariantMap propertiesOf(DBusMenuExporter *e, int id)
    {
        if (id == 0)
            return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
        return e->m_shown.value(id - 1).properties();
    }
    static bool known(DBusMenuExporter *e, int id) { return id >= 0 && id <= e->m_shown.size(); }

    // (ia{sv}av): the entry, and below the menu itself its entries (the only level).
    static int appendLayout(sd_bus_message *m, DBusMenuExporter *e, int id, int depth, const QStringList &names)
    {
        int r = sd_bus_message_open_container(m, 'r', "ia{sv}av");
        if (r >= 0)
            r = sd_bus_message_append(m, "i", id);
        if (r >= 0)
            r = appendProperties(m, propertiesOf(e, id), names);
        if (r >= 0)
            r = sd_bus_message_open_container(m, 'a', "v");
        if (id == 0 && depth != 0) {
            for (int child = 1; r >= 0 && child <= e->m_shown.size(); ++child) {
                r = sd_bus_message_open_container(m, 'v', "(ia{sv}av)");
                if (r >= 0)
                    r = appendLayout(m, e, child, 0, names);
                if (r >= 0)
                    r = sd_bus_message_close_container(m);
            }
        }
        if (r >= 0)
            r = sd_bus_message_close_container(m);
        return r < 0 ? r : sd_bus_message_close_container(m);
    }

    static int getLayout(sd_bus_message *call, void *self, sd_bus_error *)
    {
        int parent = 0, depth = 0;
        int r = sd_bus_message_read(call, "ii", &parent, &depth);
        const QStringList names = r < 0 ? QStringList() : readNames(call, &r);
        sd_bus_message *reply = nullptr;
        if (r >= 0)
            r = sd_bus_message_new_method_return(call, &reply);
        if (r >= 0)
            r = sd_bus_message_append(reply, "u", exporter(self)->m_revision);
        if (r >= 0)
            r = appendLayout(reply, exporter(self), known(exporter(self), parent) ? parent : 0, depth, names);
        if (r >= 0)
            r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r;
    }

    static int getGroupProperties(sd_bus_message *call, void *self, sd_bus_error *)
    {
        const void *data = nullptr;
        size_t size = 0;
        int r = sd_bus_message_read_array(call, 'i', &data, &size);
        const QList<int> ids(static_cast<const int *>(data), static_cast<const int *>(data) + size / sizeof(int));
        const QStringList names = r < 0 ? QStringList() : readNames(call, &r);
        sd_bus_message *reply = nullptr;
        if (r >= 0)
            r = sd_bus_message_new_method_return(call, &reply);
        if (r >= 0)
            r = sd_bus_message_open_container(reply, 'a', "(ia{sv})");
        for (const int id : ids) {
            if (r < 0 || !known(exporter(self), id))
                continue;
            r = sd_bus_message_open_container(reply, 'r', "ia{sv}");
            if (r >= 0)
                r = sd_bus_message_append(reply, "i", id);
            if (r >= 0)
                r = appendProperties(reply, propertiesOf(exporter(self), id), names);
            if (r >= 0)
                r = sd_bus_message_close_container(reply);
        }
        if (r >= 0)
            r = sd_bus_message_close_container(reply);
        if (r >= 0)
            r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r;
    }

    static int getProperty(sd_bus_message *call, void *self, sd_bus_error *error)
    {
        int id = 0;
        const char *name = nullptr;
        if (const int r = sd_bus_message_read(call, "is", &id, &name); r < 0)
            return r;
        const QVariant value = propertiesOf(exporter(self), id).value(QString::fromUtf8(name));
        if (!value.isValid())
            return sd_bus_error_setf(error, SD_BUS_ERROR_INVALID_ARGS, "No property %s on entry %d", name, id);
        sd_bus_message *reply = nullptr;
        int r = sd_bus_message_new_method_return(call, &reply);
        if (r >= 0)
            r = appendVariant(reply, value);
        if (r >= 0)
            r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r;
    }

    static int readEvent(sd_bus_message *m, int *id, const char **eventId)
    {
        uint32_t timestamp = 0;
        int r = sd_bus_message_read(m, "is", id, eventId);
        if (r >= 0)
            r = sd_bus_message_skip(m, "v"); // no entry of ours reads the event's data
        return r < 0 ? r : sd_bus_message_read(m, "u", &timestamp);
    }

    static int eventCall(sd_bus_message *call, void *self, sd_bus_error *)
    {
        int id = 0;
        const char *eventId = nullptr;
        if (const int r = readEvent(call, &id, &eventId); r < 0)
            return r;
        DBusMenuExporter *e = exporter(self);
        return e->m_loop->answerFromGui(call, e, [e, id, eventId = QString::fromUtf8(eventId)]() -> BusLoop::Reply {
            e->event(id, eventId);
            return [](sd_bus_message *call) { return sd_bus_reply_method_return(call, ""); };
        });
    }

    static int eventGroup(sd_bus_message *call, void *self, sd_bus_error *)
    {
        QList<std::pair<int, QString>> events;
        int r = sd_bus_message_enter_container(call, 'a', "(isvu)");
        while (r > 0 && (r = sd_bus_message_enter_container(call, 'r', "isvu")) > 0) {
            int id = 0;
            const char *eventId = nullptr;
            r = readEvent(call, &id, &eventId);
            if (r >= 0)
                r = sd_bus_message_exit_container(call);
            if (r >= 0)
                events.append({id, QString::fromUtf8(eventId)});
            if (r >= 0)
                r = 1;
        }
        if (r < 0)
            return r;
        DBusMenuExporter *e = exporter(self);
        return e->m_loop->answerFromGui(call, e, [e, events]() -> BusLoop::Reply {
            std::vector<int> errors;
            for (const auto &[id, eventId] : events) {
                if (!e->event(id, eventId))
                    errors.push_back(id);
            }
            return [errors](sd_bus_message *call) { return replyIds(call, {errors}); };
        });
    }

    // The entries are known in advance: nothing to update before the menu opens.
    static int aboutToShow(sd_bus_message *call, void *, sd_bus_error *)
    {
        return sd_bus_reply_method_return(call, "b", 0);
    }

    static int aboutToShowGroup(sd_bus_message *call, void *self, sd_bus_error *)
    {
        const void *data = nullptr;
        size_t size = 0;
        if (const int r = sd_bus_message_read_array(call, 'i', &data, &size); r < 0)
            return r;
        std::vector<int> errors;
        for (size_t i = 0; i < size / sizeof(int); ++i) {
            const int id = static_cast<const int *>(data)[i];
            if (!known(exporter(self), id))
                errors.push_back(id);
        }
        return replyIds(call, {{}, errors}); // no entry needs updating
    }

    // A reply of entry id lists (ai...).
    static int replyIds(sd_bus_message *call, std::initializer_list<std::span<const int>> lists)
    {
        sd_bus_message *reply = nullptr;
        int r = sd_bus_message_new_method_return(call, &reply);
        for (const std::span<const int> ids : lists) {
            if (r >= 0)
                r = sd_bus_message_append_array(reply, 'i', ids.data(), ids.size_bytes());
        }
        if (r >= 0)
            r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r;
    }

    static int property(sd_bus *, const char *, const char *, const char *property, sd_bus_message *reply, void *,
                        sd_bus_error *)
    {
        const QByteArray name(property);
        if (name == "Version")
            return sd_bus_message_append(reply, "u", 3u);
        if (name == "TextDirection") {
            const bool rtl = QGuiApplication::layoutDirection() == Qt::RightToLeft;
            return sd_bus_message_append(reply, "s", rtl ? "rtl" : "ltr");
        }
        if (name == "Status")
            return sd_bus_message_append(reply, "s", "normal");
        return sd_bus_message_append_strv(reply, nullptr); // IconThemePath
    }
};

DBusMenuExporter::DBusMenuExporter(QMenu *menu, BusLoop *loop, QObject *parent)
    : QObject(parent), m_menu(menu), m_loop(loop), m_shown(entries())
{
    // An entry renamed, disabled, added or removed: panels fetch the layout again.
    m_menu->installEventFilter(this);
}

DBusMenuExporter::~DBusMenuExporter()
{
    if (m_object)
        m_loop->run([this](sd_bus *) { return (m_object = sd_bus_slot_unref(m_object)), 0; });
}

bool DBusMenuExporter::publish()
{
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("Version", "u", &DBusMenuCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("TextDirection", "s", &DBusMenuCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("Status", "s", &DBusMenuCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("IconThemePath", "as", &DBusMenuCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_METHOD_WITH_NAMES("GetLayout", "iias", SD_BUS_PARAM(parentId) SD_BUS_PARAM(recursionDepth)
                                     SD_BUS_PARAM(propertyNames),
                                 "u(ia{sv}av)", SD_BUS_PARAM(revision) SD_BUS_PARAM(layout), &DBusMenuCalls::getLayout, 0),
        SD_BUS_METHOD_WITH_NAMES("GetGroupProperties", "aias", SD_BUS_PARAM(ids) SD_BUS_PARAM(propertyNames),
                                 "a(ia{sv})", SD_BUS_PARAM(properties), &DBusMenuCalls::getGroupProperties, 0),
        SD_BUS_METHOD_WITH_NAMES("GetProperty", "is", SD_BUS_PARAM(id) SD_BUS_PARAM(name), "v", SD_BUS_PARAM(value),
                                 &DBusMenuCalls::getProperty, 0),
        SD_BUS_METHOD_WITH_NAMES("Event", "isvu",
                                 SD_BUS_PARAM(id) SD_BUS_PARAM(eventId) SD_BUS_PARAM(data) SD_BUS_PARAM(timestamp), "",
                                 , &DBusMenuCalls::eventCall, 0),
        SD_BUS_METHOD_WITH_NAMES("EventGroup", "a(isvu)", SD_BUS_PARAM(events), "ai", SD_BUS_PARAM(idErrors),
                                 &DBusMenuCalls::eventGroup, 0),
        SD_BUS_METHOD_WITH_NAMES("AboutToShow", "i", SD_BUS_PARAM(id), "b", SD_BUS_PARAM(needUpdate),
                                 &DBusMenuCalls::aboutToShow, 0),
        SD_BUS_METHOD_WITH_NAMES("AboutToShowGroup", "ai", SD_BUS_PARAM(ids), "aiai",
                                 SD_BUS_PARAM(updatesNeeded) SD_BUS_PARAM(idErrors), &DBusMenuCalls::aboutToShowGroup, 0),
        SD_BUS_SIGNAL_WITH_NAMES("ItemsPropertiesUpdated", "a(ia{sv})a(ias)",
                                 SD_BUS_PARAM(updatedProps) SD_BUS_PARAM(removedProps), 0),
        SD_BUS_SIGNAL_WITH_NAMES("LayoutUpdated", "ui", SD_BUS_PARAM(revision) SD_BUS_PARAM(parent), 0),
        SD_BUS_SIGNAL_WITH_NAMES("ItemActivationRequested", "iu", SD_BUS_PARAM(id) SD_BUS_PARAM(timestamp), 0),
        SD_BUS_VTABLE_END,
    };
    if (m_object)
        return true;
    return m_loop->run([this](sd_bus *bus) {
        return sd_bus_add_object_vtable(bus, &m_object, menuPath, "com.canonical.dbusmenu", vtable, this);
    }) >= 0;
}

QList<DBusMenuExporter::Entry> DBusMenuExporter::entries() const
{
    QList<Entry> out;
    if (!m_menu)
        return out;
    for (const QAction *action : m_menu->actions())
        out.append({action->isSeparator() ? QString() : labelFor(action->text()), action->isSeparator(),
                    action->isEnabled(), action->isVisible()});
    return out;
}

bool DBusMenuExporter::event(int id, const QString &eventId)
{
    const QList<QAction *> actions = m_menu ? m_menu->actions() : QList<QAction *>();
    if (id <= 0 || id > actions.size())
        return id == 0;
    QAction *action = actions.at(id - 1);
    if (eventId == QLatin1String("clicked") && action->isEnabled() && action->isVisible() && !action->isSeparator())
        action->trigger();
    return true;
}

void DBusMenuExporter::republish()
{
    m_loop->post([this, entries = entries()](sd_bus *bus) {
        m_shown = entries;
        ++m_revision;
        if (m_object)
            sd_bus_emit_signal(bus, menuPath, "com.canonical.dbusmenu", "LayoutUpdated", "ui", m_revision, 0);
    });
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
        republish();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
