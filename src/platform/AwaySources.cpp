#include "platform/AwaySources.h"

#include "core/AwayTime.h"
#include "timecalc/Clock.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <unistd.h>

Q_LOGGING_CATEGORY(awayLog, "timeglas.away")

namespace {
using Source = away::SpellMerger::Source;

constexpr auto logindService = "org.freedesktop.login1";
constexpr auto logindPath = "/org/freedesktop/login1";
constexpr auto logindManager = "org.freedesktop.login1.Manager";
constexpr auto logindSession = "org.freedesktop.login1.Session";
constexpr int idlePollMs = 30000;

struct ScreenSaver
{
    const char *service;
    const char *path;
    const char *interface;
};
// Both names are in use: KDE and others speak the freedesktop one, GNOME its own.
constexpr ScreenSaver screenSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
};

bool hasService(const QDBusConnection &bus, const char *name)
{
    const QDBusConnectionInterface *interface = bus.interface();
    return interface && interface->isServiceRegistered(QLatin1String(name)).value();
}
} // namespace

AwaySources::AwaySources(AwayTracker *tracker, const QDBusConnection &system, const QDBusConnection &session,
                         QObject *parent)
    : QObject(parent), m_tracker(tracker), m_system(system), m_session(session)
{
    m_idlePoll.setInterval(idlePollMs);
    connect(&m_idlePoll, &QTimer::timeout, this, &AwaySources::pollIdle);
    watchLogind();
    if (m_session.isConnected()) {
        for (const ScreenSaver &saver : screenSavers) {
            m_session.connect(QLatin1String(saver.service), QLatin1String(saver.path), QLatin1String(saver.interface),
                              QStringLiteral("ActiveChanged"), this, SLOT(onScreenSaverActiveChanged(bool)));
        }
        m_screenSaver = hasService(m_session, "org.freedesktop.ScreenSaver") || hasService(m_session, "org.gnome.ScreenSaver");
    }
    connect(tracker, &AwayTracker::watchingChanged, this, &AwaySources::followWatching);
    // Which idle source answers is learnt at the first reading; here only whether one is there.
    if (x11IdleMilliseconds())
        m_idleSource = IdleSource::X11;
    m_idleMonitor = hasService(m_session, "org.gnome.Mutter.IdleMonitor");
    m_tracker->setCanTell(isAvailable());
    followWatching();
}

AwaySources::~AwaySources() = default;

bool AwaySources::isAvailable() const
{
    return m_logind || m_screenSaver || m_idleMonitor
           || (m_idleSource != IdleSource::None && m_idleSource != IdleSource::Unknown);
}

void AwaySources::watchLogind()
{
    if (!m_system.isConnected())
        return;
    m_logind = hasService(m_system, logindService);
    m_system.connect(QLatin1String(logindService), QLatin1String(logindPath), QLatin1String(logindManager),
                     QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
    m_sessionLookupDone = !m_logind;
    if (!m_logind)
        return;
    // Our own session, asked for by process so that it is found outside a login shell too.
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(logindService), QLatin1String(logindPath),
                                                       QLatin1String(logindManager), QStringLiteral("GetSessionByPID"));
    call << quint32(::getpid());
    auto *pending = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        m_sessionLookupDone = true;
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            qCInfo(awayLog, "No login session to watch for locks: %s", qPrintable(reply.error().message()));
            return;
        }
        const QString path = reply.value().path();
        m_system.connect(QLatin1String(logindService), path, QLatin1String(logindSession), QStringLiteral("Lock"), this,
                         SLOT(onSessionLock()));
        m_system.connect(QLatin1String(logindService), path, QLatin1String(logindSession), QStringLiteral("Unlock"),
                         this, SLOT(onSessionUnlock()));
        m_system.connect(QLatin1String(logindService), path, QStringLiteral("org.freedesktop.DBus.Properties"),
                         QStringLiteral("PropertiesChanged"), this,
                         SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    });
}

void AwaySources::onPrepareForSleep(bool sleeping)
{
    m_tracker->report(Source::Suspended, sleeping, timecalc::Clock::nowSeconds());
}

void AwaySources::onSessionLock()
{
    setLocked(true, m_screenSaverActive);
}

void AwaySources::onSessionUnlock()
{
    setLocked(false, m_screenSaverActive);
}

void AwaySources::onSessionPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
{
    if (interface == QLatin1String(logindSession) && changed.contains(QStringLiteral("LockedHint")))
        setLocked(changed.value(QStringLiteral("LockedHint")).toBool(), m_screenSaverActive);
}

void AwaySources::onScreenSaverActiveChanged(bool active)
{
    setLocked(m_locked, active);
}

// A locked session and an active screen saver are one kind of absence.
void AwaySources::setLocked(bool sessionLocked, bool screenSaverActive)
{
    const bool wasAway = m_locked || m_screenSaverActive;
    m_locked = sessionLocked;
    m_screenSaverActive = screenSaverActive;
    const bool away = m_locked || m_screenSaverActive;
    if (away != wasAway)
        m_tracker->report(Source::Locked, away, timecalc::Clock::nowSeconds());
}

void AwaySources::followWatching()
{
    // With no source of the idle time there is nothing to ask, and no reason to wake.
    if (m_tracker->isWatching() && m_idleSource != IdleSource::None) {
        if (!m_idlePoll.isActive())
            m_idlePoll.start();
        return;
    }
    m_idlePoll.stop();
    m_idle = false;
}

void AwaySources::pollIdle()
{
    if (m_idleSource == IdleSource::Unknown || m_idleSource == IdleSource::X11) {
        if (const auto idle = x11IdleMilliseconds()) {
            m_idleSource = IdleSource::X11;
            takeIdleTime(*idle);
            return;
        }
        if (m_idleSource == IdleSource::X11)
            return;
    }
    askBusForIdle(m_idleSource == IdleSource::Unknown ? IdleSource::Mutter : m_idleSource);
}

// Asked without blocking; a source that does not answer hands over to the next one.
void AwaySources::askBusForIdle(IdleSource source)
{
    QDBusMessage call;
    if (source == IdleSource::Mutter) {
        call = QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Mutter.IdleMonitor"),
                                              QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
                                              QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"));
    } else {
        call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
                                              QStringLiteral("org.freedesktop.ScreenSaver"),
                                              QStringLiteral("GetSessionIdleTime"));
    }
    auto *pending = new QDBusPendingCallWatcher(m_session.asyncCall(call, 5000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, source](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            m_idleSource = source;
            takeIdleTime(reply.arguments().constFirst().toLongLong());
            return;
        }
        if (m_idleSource != IdleSource::Unknown)
            return; // a source that worked before may be restarting; ask it again next time
        if (source == IdleSource::Mutter) {
            askBusForIdle(IdleSource::KdeScreenSaver);
        } else {
            m_idleSource = IdleSource::None;
            m_idlePoll.stop();
            m_tracker->setCanTell(isAvailable());
            qCInfo(awayLog, "No source of the input idle time; only locks and suspends count as away");
        }
    });
}

void AwaySources::takeIdleTime(qint64 milliseconds)
{
    emit idleTimeRead(milliseconds);
    m_tracker->setCanTell(true);
    if (!m_tracker->isWatching())
        return;
    const double now = timecalc::Clock::nowSeconds();
    const double lastInput = now - double(milliseconds) / 1000.0;
    const qint64 threshold = qint64(m_tracker->thresholdMinutes()) * 60 * 1000;
    if (!m_idle) {
        if (milliseconds < threshold)
            return;
        m_idle = true;
        m_idleSince = lastInput;
        m_lastSeenIdle = now;
        m_tracker->report(Source::Idle, true, lastInput);
        return;
    }
    if (lastInput < m_idleSince + 1.0) {
        // No input since the spell began (a second's leeway for the readings' rounding).
        m_lastSeenIdle = now;
        return;
    }
    // Back at some moment after the last reading that saw the user away; that reading is
    // the end that removes nothing of the time the user was here.
    m_idle = false;
    m_tracker->report(Source::Idle, false, m_lastSeenIdle);
}

std::optional<qint64> AwaySources::x11IdleMilliseconds() const
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    const auto *x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;
    xcb_screensaver_query_info_reply_t *info = xcb_screensaver_query_info_reply(
        connection, xcb_screensaver_query_info(connection, screen->root), nullptr);
    if (!info)
        return std::nullopt;
    const qint64 idle = info->ms_since_user_input;
    free(info);
    return idle;
}
