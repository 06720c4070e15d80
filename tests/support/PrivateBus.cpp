#include "PrivateBus.h"

#include <csignal>
#include <sys/prctl.h>

PrivateBus::PrivateBus()
{
    // The daemon must not outlive a test that crashes or is killed.
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    // Its complaints (an fd limit it may not raise as root) are noise in test logs;
    // a daemon that fails shows as no address.
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--nopidfile"), QStringLiteral("--print-address")});
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine().trimmed());
    if (isRunning())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
}

PrivateBus::~PrivateBus()
{
    m_daemon.terminate();
    m_daemon.waitForFinished();
}
