// A session bus of the test's own: a dbus-daemon that ends with the test, never the developer's bus.
#pragma once

#include <QString>

#include <sys/types.h>

class PrivateBus
{
public:
    // Starts the daemon and points DBUS_SESSION_BUS_ADDRESS at it. Construct it in main(),
    // before the application object, so Qt's session connection goes to this bus.
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    QString error() const { return m_error; }

private:
    pid_t m_pid = -1;
    QString m_address;
    QString m_error;
};
