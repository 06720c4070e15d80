#include "platform/StatusItem.h"

#include "platform/StatusNotifierItem.h"
#include "platform/TrayIcon.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTextDocument>
#include <QMenu>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(panelLog, "timeglas.panel")

namespace {
// Start-up waits at most this long for a watcher that does not answer.
constexpr int hostQueryTimeoutMs = 1000;
} // namespace

StatusItem::StatusItem(BusLoop *loop, TrayFactory *tray, QObject *parent)
    : QObject(parent), m_bus(QDBusConnection::sessionBus()), m_loop(loop), m_trayFactory(tray)
{
}

StatusItem::~StatusItem() = default;

QString StatusItem::serviceName() const
{
    return m_item && m_item->isPublished() ? m_item->serviceName() : QString();
}

bool StatusItem::show()
{
    if (m_shown)
        return m_backend != Backend::None;
    m_shown = true;

    if (m_bus.isConnected()) {
        // Watch before looking, so a watcher that starts in between is not missed.
        m_watcher = new QDBusServiceWatcher(QLatin1String(StatusNotifierItem::watcherService), m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &StatusItem::onWatcherOwnerChanged);
        if (watcherRunning()) {
            // Asked before registering: a watcher busy calling back into us could not answer.
            const bool visible = hostRegistered();
            if (useStatusNotifier())
                return visible;
        }
    }
    return useTray();
}

void StatusItem::setPresentation(const QIcon &icon, const QString &text, const QString &toolTip,
                                 const QString &warning, const std::optional<LabelClock> &clock)
{
    const bool iconChanged = icon.cacheKey() != m_icon.cacheKey();
    m_icon = icon;
    m_text = text;
    m_toolTip = toolTip;
    m_warning = warning;
    m_clock = clock;
    if (m_item) {
        m_item->setIcon(icon);
        m_item->setText(text, toolTip, warning, clock);
    }
    if (m_tray) {
        if (iconChanged)
            m_tray->setIcon(icon);
        m_tray->setToolTip(trayToolTip());
    }
}

QString StatusItem::trayToolTip() const
{
    // A tray icon has no label, so its tooltip carries the clock; it never leaves the process.
    QStringList lines;
    for (const QString &part : {m_text, m_toolTip, m_warning})
        if (!part.isEmpty())
            lines.append(part);
    return Qt::convertFromPlainText(lines.isEmpty() ? QStringLiteral("Timeglas") : lines.join(u'\n'));
}

void StatusItem::setIconName(const QString &name, const QString &themePath)
{
    m_iconName = name;
    m_iconThemePath = themePath;
    if (m_item)
        m_item->setIconName(name, themePath);
}

void StatusItem::setMenu(QMenu *menu)
{
    m_menu = menu;
    if (m_item)
        m_item->setMenu(menu);
    if (m_tray)
        m_tray->setContextMenu(menu);
}

bool StatusItem::useStatusNotifier()
{
    if (!m_item) {
        m_item = new StatusNotifierItem(m_loop, this);
        m_item->setIcon(m_icon);
        m_item->setText(m_text, m_toolTip, m_warning, m_clock);
        m_item->setIconName(m_iconName, m_iconThemePath);
        m_item->setMenu(m_menu);
        connect(m_item, &StatusNotifierItem::activated, this, &StatusItem::activated);
        connect(m_item, &StatusNotifierItem::registrationFailed, this, [this](const QString &message) {
            qCWarning(panelLog, "The panel did not take the status item: %s", qPrintable(message));
            if (m_backend == Backend::StatusNotifier)
                useTray();
        });
    }
    if (!m_item->publish()) {
        qCWarning(panelLog, "Cannot put the status item on the session bus");
        return false;
    }
    m_item->registerWithWatcher();
    dropTray();
    setBackend(Backend::StatusNotifier);
    return true;
}

bool StatusItem::useTray()
{
    if (!m_trayFactory || !m_trayFactory->isTrayAvailable()) {
        dropTray();
        setBackend(Backend::None);
        return false;
    }
    if (!m_tray) {
        m_tray = m_trayFactory->createTrayIcon(this);
        connect(m_tray, &TrayIcon::clicked, this, [this] { emit activated(trayAnchor()); });
        m_tray->setContextMenu(m_menu);
    }
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(trayToolTip());
    m_tray->setVisible(true);
    setBackend(Backend::SystemTray);
    return true;
}

void StatusItem::dropTray()
{
    if (!m_tray)
        return;
    m_tray->setVisible(false);
    delete m_tray;
    m_tray = nullptr;
}

void StatusItem::setBackend(Backend backend)
{
    if (m_backend == backend)
        return;
    m_backend = backend;
    emit backendChanged(backend);
}

bool StatusItem::watcherRunning() const
{
    const QDBusConnectionInterface *bus = m_bus.interface();
    return bus && bus->isServiceRegistered(QLatin1String(StatusNotifierItem::watcherService)).value();
}

bool StatusItem::hostRegistered() const
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(StatusNotifierItem::watcherService), QLatin1String(StatusNotifierItem::watcherPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QLatin1String(StatusNotifierItem::watcherService) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, hostQueryTimeoutMs);
    // A watcher that cannot tell is taken at its word that something shows its items.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return true;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

void StatusItem::onWatcherOwnerChanged(const QString &, const QString &, const QString &newOwner)
{
    if (!m_shown)
        return;
    // A watcher that (re)started knows nothing of us, so every new owner gets our registration.
    if (!newOwner.isEmpty()) {
        useStatusNotifier();
        return;
    }
    if (m_backend == Backend::StatusNotifier)
        useTray();
}

QPoint StatusItem::trayAnchor() const
{
    const QRect area = m_tray ? m_tray->geometry() : QRect();
    if (area.isValid())
        return QPoint(area.center().x(), area.bottom());
    return QCursor::pos();
}
