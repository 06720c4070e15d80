#include "platform/UnixSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(signalsLog, "timeglas.signals")

namespace {
constexpr std::array handledSignals{SIGTERM, SIGINT, SIGHUP};

// The handler may run on any thread at any moment, so all it touches is this one
// lock-free value and write(2).
std::atomic<int> pipeWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

int pipeReadEnd = -1;
std::array<struct sigaction, handledSignals.size()> previousActions{};
std::array<bool, handledSignals.size()> replaced{};
UnixSignals *installed = nullptr;

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a pending quit, so a byte lost here changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd.load(std::memory_order_relaxed), &byte, 1);
    errno = savedErrno;
}
} // namespace

bool UnixSignals::catchEarly()
{
    if (pipeWriteEnd.load() >= 0)
        return true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(signalsLog, "Cannot catch termination signals, no pipe: %s", std::strerror(errno));
        return false;
    }
    pipeReadEnd = fds[0];
    pipeWriteEnd.store(fds[1]);

    for (std::size_t i = 0; i < handledSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(handledSignals[i], nullptr, &current);
        // Whoever started us with the signal ignored (nohup, a background job of a
        // script) wants it ignored; quitting on it anyway would surprise them.
        if (current.sa_handler == SIG_IGN)
            continue;

        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(handledSignals[i], &action, &previousActions[i]) != 0) {
            qCWarning(signalsLog, "Cannot catch signal %d: %s", handledSignals[i], std::strerror(errno));
            releaseHandlers();
            return false;
        }
        replaced[i] = true;
    }
    return true;
}

void UnixSignals::releaseHandlers()
{
    for (std::size_t i = 0; i < handledSignals.size(); ++i) {
        if (replaced[i])
            ::sigaction(handledSignals[i], &previousActions[i], nullptr);
        replaced[i] = false;
    }
    const int writeEnd = pipeWriteEnd.exchange(-1);
    if (writeEnd >= 0)
        ::close(writeEnd);
    if (pipeReadEnd >= 0)
        ::close(pipeReadEnd);
    pipeReadEnd = -1;
}

UnixSignals *UnixSignals::install(QCoreApplication *app)
{
    if (installed)
        return installed;
    auto *handler = new UnixSignals(app);
    if (!handler->setUp()) {
        delete handler;
        return nullptr;
    }
    installed = handler;
    return handler;
}

UnixSignals::UnixSignals(QCoreApplication *app)
    : QObject(app)
{
}

bool UnixSignals::setUp()
{
    if (!catchEarly())
        return false;
    // A signal caught before now waits in the pipe and is read as soon as the loop runs.
    m_notifier = new QSocketNotifier(pipeReadEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignals::drain);
    return true;
}

UnixSignals::~UnixSignals()
{
    delete m_notifier;
    releaseHandlers();
    if (installed == this)
        installed = nullptr;
}

void UnixSignals::drain()
{
    unsigned char buffer[16];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(pipeReadEnd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i)
            emit received(buffer[i]);
        any = true;
    }
    // exit() rather than quit(): in Qt 6 a window may veto quit(), and a termination
    // request must not be refused. Either way the loop returns and aboutToQuit runs.
    if (any)
        QCoreApplication::exit(0);
}
