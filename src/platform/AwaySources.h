// Where absence is learnt from, on the buses the desktop already has: systemd-logind
// (suspend, session lock), the session's screen saver, and the input idle time (X11's
// MIT-SCREEN-SAVER, GNOME's Mutter idle monitor or KDE's screen saver). Reports go to the
// away tracker; the idle time is asked for only while a task runs.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

class AwayTracker;

class AwaySources : public QObject
{
    Q_OBJECT

public:
    enum class IdleSource { Unknown, None, X11, Mutter, KdeScreenSaver };
    Q_ENUM(IdleSource)

    // `system` carries logind; `session` the screen savers and idle monitors.
    AwaySources(AwayTracker *tracker, const QDBusConnection &system, const QDBusConnection &session,
                QObject *parent = nullptr);
    ~AwaySources() override;

    // Whether anything here can tell that the user is away.
    bool isAvailable() const;
    IdleSource idleSource() const { return m_idleSource; }
    // How often the idle time is asked for while a task runs.
    void setIdlePollInterval(int milliseconds) { m_idlePoll.setInterval(milliseconds); }
    bool isPollingIdle() const { return m_idlePoll.isActive(); }
    // Whether the search for our login session (whose lock signals count) has ended.
    bool hasLookedForSession() const { return m_sessionLookupDone; }

signals:
    // After each answer about the idle time, for tests and for the settings tab.
    void idleTimeRead(qint64 milliseconds);

private slots:
    void onPrepareForSleep(bool sleeping);
    void onSessionLock();
    void onSessionUnlock();
    void onSessionPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &);
    void onScreenSaverActiveChanged(bool active);

private:
    void watchLogind();
    void followWatching();
    void pollIdle();
    void askBusForIdle(IdleSource source);
    void takeIdleTime(qint64 milliseconds);
    void setLocked(bool sessionLocked, bool screenSaverActive);
    std::optional<qint64> x11IdleMilliseconds() const;

    AwayTracker *m_tracker;
    QDBusConnection m_system;
    QDBusConnection m_session;
    QTimer m_idlePoll;
    IdleSource m_idleSource = IdleSource::Unknown;
    bool m_logind = false;
    bool m_sessionLookupDone = false;
    bool m_screenSaver = false;
    bool m_idleMonitor = false;
    bool m_locked = false;
    bool m_screenSaverActive = false;
    bool m_idle = false;
    // While idle: the last moment the user was known to be away, so that the spell never
    // takes in time the user was back (the idle time is read only now and then).
    double m_lastSeenIdle = 0;
    double m_idleSince = 0;
};
