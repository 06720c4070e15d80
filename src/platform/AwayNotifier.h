// Puts the away tracker's question on the desktop as a notification with the same three
// answers as the day view's banner (org.freedesktop.Notifications), when a server runs.
#pragma once

#include <QDBusConnection>
#include <QObject>

class AwayTracker;

class AwayNotifier : public QObject
{
    Q_OBJECT

public:
    AwayNotifier(AwayTracker *tracker, const QDBusConnection &session, QObject *parent = nullptr);

    // The action keys, in the order of away::Choice.
    static const QStringList &actionKeys();

private slots:
    void onActionInvoked(uint id, const QString &key);
    void onNotificationClosed(uint id, uint reason);

private:
    void follow();
    void close();

    AwayTracker *m_tracker;
    QDBusConnection m_session;
    uint m_shownId = 0;
    QString m_shownText;
};
