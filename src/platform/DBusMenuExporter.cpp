#include "platform/DBusMenuExporter.h"

#include <QAction>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>

namespace {
void registerBusTypes()
{
    static const bool once = [] {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuItem>();
        qDBusRegisterMetaType<QList<DBusMenuItem>>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<QList<DBusMenuEvent>>();
        return true;
    }();
    Q_UNUSED(once);
}

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
} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem &child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    item.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

// What panels call. The XML is written out because hosts read the types from it, and
// QtDBus cannot describe our structures by itself.
class DBusMenuAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_CLASSINFO("D-Bus Introspection", ""
        "<interface name=\"com.canonical.dbusmenu\">\n"
        "  <property name=\"Version\" type=\"u\" access=\"read\"/>\n"
        "  <property name=\"TextDirection\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"Status\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"IconThemePath\" type=\"as\" access=\"read\"/>\n"
        "  <method name=\"GetLayout\">\n"
        "    <arg name=\"parentId\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"recursionDepth\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"propertyNames\" type=\"as\" direction=\"in\"/>\n"
        "    <arg name=\"revision\" type=\"u\" direction=\"out\"/>\n"
        "    <arg name=\"layout\" type=\"(ia{sv}av)\" direction=\"out\"/>\n"
        "  </method>\n"
        "  <method name=\"GetGroupProperties\">\n"
        "    <arg name=\"ids\" type=\"ai\" direction=\"in\"/>\n"
        "    <arg name=\"propertyNames\" type=\"as\" direction=\"in\"/>\n"
        "    <arg name=\"properties\" type=\"a(ia{sv})\" direction=\"out\"/>\n"
        "  </method>\n"
        "  <method name=\"GetProperty\">\n"
        "    <arg name=\"id\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"name\" type=\"s\" direction=\"in\"/>\n"
        "    <arg name=\"value\" type=\"v\" direction=\"out\"/>\n"
        "  </method>\n"
        "  <method name=\"Event\">\n"
        "    <arg name=\"id\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"eventId\" type=\"s\" direction=\"in\"/>\n"
        "    <arg name=\"data\" type=\"v\" direction=\"in\"/>\n"
        "    <arg name=\"timestamp\" type=\"u\" direction=\"in\"/>\n"
        "  </method>\n"
        "  <method name=\"EventGroup\">\n"
        "    <arg name=\"events\" type=\"a(isvu)\" direction=\"in\"/>\n"
        "    <arg name=\"idErrors\" type=\"ai\" direction=\"out\"/>\n"
        "  </method>\n"
        "  <method name=\"AboutToShow\">\n"
        "    <arg name=\"id\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"needUpdate\" type=\"b\" direction=\"out\"/>\n"
        "  </method>\n"
        "  <method name=\"AboutToShowGroup\">\n"
        "    <arg name=\"ids\" type=\"ai\" direction=\"in\"/>\n"
        "    <arg name=\"updatesNeeded\" type=\"ai\" direction=\"out\"/>\n"
        "    <arg name=\"idErrors\" type=\"ai\" direction=\"out\"/>\n"
        "  </method>\n"
        "  <signal name=\"ItemsPropertiesUpdated\">\n"
        "    <arg name=\"updatedProps\" type=\"a(ia{sv})\"/>\n"
        "    <arg name=\"removedProps\" type=\"a(ias)\"/>\n"
        "  </signal>\n"
        "  <signal name=\"LayoutUpdated\">\n"
        "    <arg name=\"revision\" type=\"u\"/>\n"
        "    <arg name=\"parent\" type=\"i\"/>\n"
        "  </signal>\n"
        "  <signal name=\"ItemActivationRequested\">\n"
        "    <arg name=\"id\" type=\"i\"/>\n"
        "    <arg name=\"timestamp\" type=\"u\"/>\n"
        "  </signal>\n"
        "</interface>\n")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(DBusMenuExporter *exporter)
        : QDBusAbstractAdaptor(exporter), m_exporter(exporter)
    {
    }

    uint version() const { return 3; }
    QString textDirection() const
    {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout)
    {
        layout = m_exporter->layout(parentId, recursionDepth, propertyNames);
        return m_exporter->revision();
    }

    QList<DBusMenuItem> GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
    {
        QList<DBusMenuItem> out;
        for (int id : ids) {
            if (id == 0 || m_exporter->actionFor(id))
                out.append({id, m_exporter->properties(id, propertyNames)});
        }
        return out;
    }

    QDBusVariant GetProperty(int id, const QString &name)
    {
        return QDBusVariant(m_exporter->properties(id, {name}).value(name));
    }

    void Event(int id, const QString &eventId, const QDBusVariant &, uint) { m_exporter->event(id, eventId); }

    QList<int> EventGroup(const QList<DBusMenuEvent> &events)
    {
        QList<int> errors;
        for (const DBusMenuEvent &e : events) {
            if (!m_exporter->event(e.id, e.eventId))
                errors.append(e.id);
        }
        return errors;
    }

    // The entries are known in advance: nothing to update before the menu opens.
    bool AboutToShow(int) { return false; }
    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
    {
        for (int id : ids) {
            if (id != 0 && !m_exporter->actionFor(id))
                idErrors.append(id);
        }
        return {};
    }

signals:
    // The only signal we send: our entries' properties change seldom enough to resend it all.
    void LayoutUpdated(uint revision, int parent);

private:
    DBusMenuExporter *m_exporter;
};

DBusMenuExporter::DBusMenuExporter(QMenu *menu, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_menu(menu), m_bus(bus)
{
    registerBusTypes();
    m_adaptor = new DBusMenuAdaptor(this);
    // An entry renamed, disabled, added or removed: panels fetch the layout again.
    m_menu->installEventFilter(this);
}

DBusMenuExporter::~DBusMenuExporter()
{
    if (m_published)
        m_bus.unregisterObject(QLatin1String(menuPath));
}

bool DBusMenuExporter::publish()
{
    if (m_published)
        return true;
    if (!m_bus.isConnected() || !m_bus.registerObject(QLatin1String(menuPath), this, QDBusConnection::ExportAdaptors))
        return false;
    m_published = true;
    return true;
}

QAction *DBusMenuExporter::actionFor(int id) const
{
    if (!m_menu || id <= 0)
        return nullptr;
    const QList<QAction *> actions = m_menu->actions();
    return id <= actions.size() ? actions.at(id - 1) : nullptr;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList &names) const
{
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (const QAction *action = actionFor(id)) {
        // Only what differs from the protocol's defaults is sent.
        if (action->isSeparator()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            all.insert(QStringLiteral("label"), labelFor(action->text()));
        }
        if (!action->isEnabled())
            all.insert(QStringLiteral("enabled"), false);
        if (!action->isVisible())
            all.insert(QStringLiteral("visible"), false);
    }
    if (names.isEmpty())
        return all;
    QVariantMap wanted;
    for (const QString &name : names) {
        if (all.contains(name))
            wanted.insert(name, all.value(name));
    }
    return wanted;
}

DBusMenuLayoutItem DBusMenuExporter::layout(int parentId, int depth, const QStringList &names) const
{
    DBusMenuLayoutItem item{parentId, properties(parentId, names), {}};
    // The entries are the menu's only level; depth 0 asks for the item alone.
    if (parentId == 0 && depth != 0 && m_menu) {
        const qsizetype count = m_menu->actions().size();
        for (int id = 1; id <= count; ++id)
            item.children.append({id, properties(id, names), {}});
    }
    return item;
}

bool DBusMenuExporter::event(int id, const QString &eventId)
{
    QAction *action = actionFor(id);
    if (!action)
        return id == 0;
    if (eventId == QLatin1String("clicked") && action->isEnabled() && action->isVisible() && !action->isSeparator())
        action->trigger();
    return true;
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
        emit m_adaptor->LayoutUpdated(++m_revision, 0);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

#include "DBusMenuExporter.moc"
