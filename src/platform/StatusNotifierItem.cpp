#include "platform/StatusNotifierItem.h"

#include "platform/AppIdentity.h"
#include "platform/DBusMenuExporter.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <atomic>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(menuLog, "timeglas.panel.menu")

namespace {
const QString programName = QStringLiteral("Timeglas");
// The sizes panels draw status icons at; each picks the one closest to its own.
constexpr int iconSizes[] = {16, 22, 24, 32, 48};

void registerBusTypes()
{
    static const bool once = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<QList<SniPixmap>>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    Q_UNUSED(once);
}

QString nextServiceName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter);
}
} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const SniPixmap &pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniPixmap &pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}

// What panels see. The XML is written out because hosts read the types from it, and
// QtDBus cannot describe our structures by itself.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_CLASSINFO("D-Bus Introspection", ""
        "<interface name=\"org.kde.StatusNotifierItem\">\n"
        "  <property name=\"Category\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"Id\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"Title\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"Status\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"WindowId\" type=\"i\" access=\"read\"/>\n"
        "  <property name=\"IconThemePath\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"IconName\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
        "  <property name=\"OverlayIconName\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"OverlayIconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
        "  <property name=\"AttentionIconName\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"AttentionIconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
        "  <property name=\"AttentionMovieName\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"/>\n"
        "  <property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>\n"
        "  <property name=\"Menu\" type=\"o\" access=\"read\"/>\n"
        "  <property name=\"XAyatanaLabel\" type=\"s\" access=\"read\"/>\n"
        "  <property name=\"XAyatanaLabelGuide\" type=\"s\" access=\"read\"/>\n"
        "  <method name=\"Activate\">\n"
        "    <arg name=\"x\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"y\" type=\"i\" direction=\"in\"/>\n"
        "  </method>\n"
        "  <method name=\"SecondaryActivate\">\n"
        "    <arg name=\"x\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"y\" type=\"i\" direction=\"in\"/>\n"
        "  </method>\n"
        "  <method name=\"ContextMenu\">\n"
        "    <arg name=\"x\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"y\" type=\"i\" direction=\"in\"/>\n"
        "  </method>\n"
        "  <method name=\"Scroll\">\n"
        "    <arg name=\"delta\" type=\"i\" direction=\"in\"/>\n"
        "    <arg name=\"orientation\" type=\"s\" direction=\"in\"/>\n"
        "  </method>\n"
        "  <signal name=\"NewTitle\"/>\n"
        "  <signal name=\"NewIcon\"/>\n"
        "  <signal name=\"NewAttentionIcon\"/>\n"
        "  <signal name=\"NewOverlayIcon\"/>\n"
        "  <signal name=\"NewToolTip\"/>\n"
        "  <signal name=\"NewStatus\">\n"
        "    <arg name=\"status\" type=\"s\"/>\n"
        "  </signal>\n"
        "  <signal name=\"XAyatanaNewLabel\">\n"
        "    <arg name=\"label\" type=\"s\"/>\n"
        "    <arg name=\"guide\" type=\"s\"/>\n"
        "  </signal>\n"
        "</interface>\n")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(QList<SniPixmap> IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ none)
    Q_PROPERTY(QList<SniPixmap> OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ none)
    Q_PROPERTY(QList<SniPixmap> AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ none)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ guide)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem *item)
        : QDBusAbstractAdaptor(item), m_item(item)
    {
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return AppIdentity::id(); }
    QString title() const { return m_item->title(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString none() const { return QString(); }
    QString iconThemePath() const { return m_item->iconThemePath(); }
    QString iconName() const { return m_item->iconName(); }
    QList<SniPixmap> iconPixmap() const { return m_item->iconPixmaps(); }
    QList<SniPixmap> noPixmaps() const { return {}; }
    SniToolTip toolTip() const { return m_item->toolTip(); }
    // A click is ours to handle (it opens the popover), not the panel's to draw a menu for.
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(m_item->menuPath()); }
    QString label() const { return m_item->text(); }
    QString guide() const { return StatusNotifierItem::guideFor(m_item->text()); }

public slots:
    void Activate(int x, int y) { emit m_item->activated(QPoint(x, y)); }
    // Panels that do not draw the menu themselves ask us to show it here.
    void ContextMenu(int x, int y) { m_item->showContextMenu(QPoint(x, y)); }
    void SecondaryActivate(int, int) {}
    void Scroll(int, const QString &) {}

private:
    StatusNotifierItem *m_item;
};

StatusNotifierItem::StatusNotifierItem(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus), m_serviceName(nextServiceName())
{
    registerBusTypes();
    m_adaptor = new StatusNotifierItemAdaptor(this);
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_published) {
        m_bus.unregisterService(m_serviceName);
        m_bus.unregisterObject(QLatin1String(itemPath));
    }
}

bool StatusNotifierItem::publish()
{
    if (m_published)
        return true;
    if (!m_bus.isConnected())
        return false;
    if (!m_bus.registerObject(QLatin1String(itemPath), this, QDBusConnection::ExportAdaptors))
        return false;
    if (m_menuExporter && !m_menuExporter->publish())
        qCWarning(menuLog, "Cannot put the status item's menu on the session bus");
    if (!m_bus.registerService(m_serviceName)) {
        m_bus.unregisterObject(QLatin1String(itemPath));
        return false;
    }
    m_published = true;
    return true;
}

void StatusNotifierItem::setMenu(QMenu *menu)
{
    if (menu == m_menu)
        return;
    delete m_menuExporter;
    m_menuExporter = nullptr;
    m_menu = menu;
    if (menu) {
        m_menuExporter = new DBusMenuExporter(menu, m_bus, this);
        if (m_published && !m_menuExporter->publish())
            qCWarning(menuLog, "Cannot put the status item's menu on the session bus");
    }
}

QString StatusNotifierItem::menuPath() const
{
    // The protocol's way of saying there is no menu.
    return m_menuExporter && m_menuExporter->isPublished() ? QString::fromLatin1(DBusMenuExporter::menuPath)
                                                           : QStringLiteral("/NO_DBUSMENU");
}

void StatusNotifierItem::showContextMenu(QPoint at)
{
    // Without a menu, a right click opens the popover rather than doing nothing.
    if (!m_menu) {
        emit activated(at);
        return;
    }
    m_menu->popup(at);
}

void StatusNotifierItem::setIconName(const QString &name, const QString &themePath)
{
    if (name == m_iconName && themePath == m_iconThemePath)
        return;
    m_iconName = name;
    m_iconThemePath = themePath;
    sendSignal(QStringLiteral("NewIcon"));
}

QString StatusNotifierItem::guideFor(const QString &text)
{
    QString guide = text;
    for (QChar &c : guide) {
        if (c.isDigit())
            c = u'8';
    }
    return guide;
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(watcherService), QLatin1String(watcherPath),
                                                       QLatin1String(watcherService),
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    // Asynchronous: the watcher calls back into this item before it answers, and a
    // blocking call here would keep that call waiting until it timed out.
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const int attempt = ++m_registrations;
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, attempt](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        // A watcher that quit while our call was on its way fails it, after its
        // successor may already have taken us; only the latest answer counts.
        if (attempt != m_registrations)
            return;
        const QDBusPendingReply<> reply = *call;
        if (reply.isError())
            emit registrationFailed(reply.error().message());
        else
            emit registered();
    });
}

void StatusNotifierItem::sendSignal(const QString &name, const QVariantList &arguments)
{
    if (!m_published)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(itemPath), QLatin1String(itemInterface), name);
    signal.setArguments(arguments);
    m_bus.send(signal);
}

QString StatusNotifierItem::title() const
{
    return programName;
}

SniToolTip StatusNotifierItem::toolTip() const
{
    return SniToolTip{QString(), {}, programName, toolTipBody(m_toolTip, m_warning)};
}

QString StatusNotifierItem::toolTipBody(const QString &toolTip, const QString &warning)
{
    QStringList lines;
    for (const QString &part : {toolTip, warning})
        if (!part.isEmpty())
            lines.append(part.toHtmlEscaped().replace(u'\n', QStringLiteral("<br/>")));
    return lines.join(QStringLiteral("<br/>"));
}

void StatusNotifierItem::setText(const QString &text, const QString &toolTip, const QString &warning)
{
    if (toolTip != m_toolTip || warning != m_warning) {
        m_toolTip = toolTip;
        m_warning = warning;
        sendSignal(QStringLiteral("NewToolTip"));
    }
    if (text != m_text) {
        m_text = text;
        sendSignal(QStringLiteral("XAyatanaNewLabel"), {m_text, guideFor(m_text)});
    }
}

void StatusNotifierItem::setIcon(const QIcon &icon)
{
    // The label calls this every second with the same icon; only a new one is drawn.
    if (icon.cacheKey() == m_iconKey)
        return;
    m_iconKey = icon.cacheKey();
    QList<SniPixmap> pixmaps = toPixmaps(icon);
    if (pixmaps == m_pixmaps)
        return;
    m_pixmaps = std::move(pixmaps);
    sendSignal(QStringLiteral("NewIcon"));
}

QList<SniPixmap> StatusNotifierItem::toPixmaps(const QIcon &icon)
{
    QList<SniPixmap> result;
    if (icon.isNull())
        return result;
    for (const int size : iconSizes) {
        const QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
        if (pixmap.isNull())
            continue;
        // Straight (not premultiplied) alpha is what the protocol carries.
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        const bool seen = std::any_of(result.cbegin(), result.cend(), [&](const SniPixmap &p) {
            return p.width == image.width() && p.height == image.height();
        });
        if (seen)
            continue;
        SniPixmap converted{image.width(), image.height(), QByteArray()};
        converted.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<uchar *>(converted.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, out += 4)
                qToBigEndian<quint32>(line[x], out);
        }
        result.append(converted);
    }
    return result;
}

#include "StatusNotifierItem.moc"
