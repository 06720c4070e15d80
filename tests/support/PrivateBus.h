// A session bus of the test's own: a dbus-daemon that ends with the test, never the developer's bus.
#pragma once

#include <QProcess>

class PrivateBus
{
public:
    // Starts the daemon and points DBUS_SESSION_BUS_ADDRESS at it. Construct it in main(),
    // before the application object, so Qt's session connection goes to this bus.
    PrivateBus();
    ~PrivateBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    QString error() const { return QStringLiteral("dbus-daemon did not start (is the dbus package installed?)"); }

private:
    QProcess m_daemon;
    QString m_address;
};
