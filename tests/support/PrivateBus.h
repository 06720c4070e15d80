// A session bus of the test's own: a dbus-daemon that ends with the test, never the developer's bus.
#pragma once

#include <QProcess>
#include <QTest>

#include <type_traits>

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

// A test's main(): the bus first, so that Qt's session connection goes to it, then the
// application object of type App, then the test (given the bus's address when it takes one).
template<typename App, typename Test>
int runOnPrivateBus(int argc, char *argv[])
{
    PrivateBus bus;
    if (!bus.isRunning()) {
        qCritical("%s", qPrintable(bus.error()));
        return 1;
    }
    App app(argc, argv);
    if constexpr (std::is_constructible_v<Test, QString>) {
        Test test(bus.address());
        return QTest::qExec(&test, argc, argv);
    } else {
        Test test;
        return QTest::qExec(&test, argc, argv);
    }
}
