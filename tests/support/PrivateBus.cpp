#include "PrivateBus.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

PrivateBus::PrivateBus()
{
    int fds[2];
    if (::pipe(fds) != 0) {
        m_error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_pid = ::fork();
    if (m_pid < 0) {
        m_error = QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    if (m_pid == 0) {
        // The daemon must not outlive a test that crashes or is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(fds[0]);
        // Its complaints (an fd limit it may not raise as root) are noise in test logs;
        // a daemon that fails shows as no address.
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0)
            ::dup2(devNull, STDERR_FILENO);
        const QByteArray printAddress = "--print-address=" + QByteArray::number(fds[1]);
        ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", printAddress.constData(),
                 static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    QByteArray line;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        line.append(c);
    ::close(fds[0]);
    if (line.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon did not start (is the dbus package installed?)");
        return;
    }
    m_address = QString::fromLocal8Bit(line);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", line.constData(), 1);
}

PrivateBus::~PrivateBus()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}
