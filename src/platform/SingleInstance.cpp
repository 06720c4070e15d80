#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(instanceLog, "timeglas.instance")

namespace {
constexpr auto lockName = "/timeglas.lock";
constexpr auto socketName = "/timeglas.socket";
constexpr char toggleRequest[] = "toggle\n";
constexpr char toggleAnswer[] = "ok\n";
constexpr qint64 longestRequest = 64;
constexpr int silentClientMs = 5000;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The socket address of `path`; false when the path does not fit.
bool socketAddress(const QString &path, sockaddr_un *address)
{
    const QByteArray encoded = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (encoded.size() >= qsizetype(sizeof address->sun_path))
        return false;
    std::memcpy(address->sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

// Closes a descriptor when it goes out of scope.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// One later start talking to us: it gets a few seconds to send its line.
class Peer : public QObject
{
public:
    Peer(int fd, QObject *parent)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this)
    {
        QTimer::singleShot(silentClientMs, this, &QObject::deleteLater);
    }
    ~Peer() override { ::close(m_fd); }

    // Reads what arrived; true once a whole line is here, false while more may come.
    // Ends the conversation (deleteLater) on a closed, failed or overlong request.
    bool readLine(QByteArray *line)
    {
        char chunk[longestRequest];
        for (;;) {
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                m_buffer.append(chunk, n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            const bool more = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            const qsizetype end = m_buffer.indexOf('\n');
            if (end >= 0 && end < longestRequest) {
                *line = m_buffer.left(end + 1);
                return true;
            }
            if (!more || m_buffer.size() > longestRequest)
                finish();
            return false;
        }
    }
    void answer(const char *text) { (void)::send(m_fd, text, std::strlen(text), MSG_NOSIGNAL | MSG_DONTWAIT); }
    void finish()
    {
        m_notifier.setEnabled(false);
        deleteLater();
    }
    QSocketNotifier *notifier() { return &m_notifier; }

private:
    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_buffer;
};

QString privateTempDirectory(QString *error)
{
    const QString dir = QDir::tempPath() + QStringLiteral("/timeglas-") + QString::number(::geteuid());
    const QByteArray path = QFile::encodeName(dir);
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return QString();
    };
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QStringLiteral("Cannot create %1: %2").arg(dir, QString::fromLocal8Bit(std::strerror(errno))));
    // The temp folder is shared with every user: only a real folder of ours, closed to
    // others, may hold the lock, or someone else could hold it for us or read the socket.
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return fail(QStringLiteral("Cannot inspect %1: %2").arg(dir, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return fail(QStringLiteral("%1 is not a folder of this user").arg(dir));
    if ((info.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return fail(QStringLiteral("Cannot close %1 to other users: %2").arg(dir, QString::fromLocal8Bit(std::strerror(errno))));
    return dir;
}
} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}

SingleInstance::~SingleInstance()
{
    stopListening();
}

QString SingleInstance::runtimeDirectory(QString *error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        struct stat info {};
        // A runtime folder of someone else (an environment kept across sudo) would tie
        // this user's instance to theirs.
        if (::stat(QFile::encodeName(runtime).constData(), &info) == 0 && S_ISDIR(info.st_mode)
            && info.st_uid == ::geteuid() && QFileInfo(runtime).isWritable())
            return QDir::cleanPath(runtime);
    }
    return privateTempDirectory(error);
}

bool SingleInstance::isPrimary() const
{
    return m_lock && m_lock->isLocked();
}

bool SingleInstance::tryBecomePrimary()
{
    if (isPrimary())
        return true;
    m_error.clear();
    if (m_directory.isEmpty()) {
        m_directory = runtimeDirectory(&m_error);
        if (m_directory.isEmpty()) {
            m_lockUnusable = true;
            return false;
        }
    }
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_directory + QLatin1String(lockName));
        // A live owner keeps an flock on the file, and QLockFile never removes a file
        // someone holds, however old. So age only clears what no process holds: a file
        // left empty by a crash right after it was created.
        m_lock->setStaleLockTime(std::chrono::seconds(1));
    }
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_error = QStringLiteral("Cannot create the lock file %1").arg(m_directory + QLatin1String(lockName));
            m_lockUnusable = true;
        }
        return false;
    }

    if (!listen(m_directory + QLatin1String(socketName))) {
        // Still the only owner of the store; later starts just cannot reach us.
        qCWarning(instanceLog, "Later starts of Timeglas cannot reach this one: %s", qPrintable(m_error));
        m_error.clear();
    }
    // A start during our shutdown must not be answered by a loop that no longer runs:
    // it then waits for the lock instead and takes over.
    if (auto *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &SingleInstance::stopListening, Qt::UniqueConnection);
    return true;
}

bool SingleInstance::signalPrimary(std::chrono::milliseconds timeout)
{
    if (m_directory.isEmpty()) {
        m_directory = runtimeDirectory(&m_error);
        if (m_directory.isEmpty())
            return false;
    }
    const QDeadlineTimer deadline(timeout);
    sockaddr_un address;
    if (!socketAddress(m_directory + QLatin1String(socketName), &address))
        return false;
    Descriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (socket.fd < 0)
        return false;
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        // A full backlog: the primary is busy, wait for room until the deadline.
        if (errno != EAGAIN && errno != EINPROGRESS)
            return false;
        int failure = 0;
        socklen_t length = sizeof failure;
        if (!waitFor(socket.fd, POLLOUT, deadline)
            || ::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0 || failure != 0)
            return false;
    }
    constexpr size_t requestLength = sizeof toggleRequest - 1;
    if (::send(socket.fd, toggleRequest, requestLength, MSG_NOSIGNAL) != ssize_t(requestLength))
        return false;
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() < longestRequest) {
        if (!waitFor(socket.fd, POLLIN, deadline))
            return false;
        char chunk[longestRequest];
        const ssize_t n = ::recv(socket.fd, chunk, sizeof chunk, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return false;
        if (n > 0)
            answer.append(chunk, n);
    }
    return answer == toggleAnswer;
}

bool SingleInstance::listen(const QString &socketPath)
{
    sockaddr_un address;
    if (!socketAddress(socketPath, &address)) {
        m_error = QStringLiteral("The socket path %1 is too long").arg(socketPath);
        return false;
    }
    // Holding the lock means no live instance listens, so a socket left behind is stale.
    ::unlink(address.sun_path);
    Descriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    // Only this user may talk to us (the folder is private as well).
    const mode_t mask = ::umask(0077);
    const bool bound = socket.fd >= 0 && ::bind(socket.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(socket.fd, 8) != 0) {
        m_error = QStringLiteral("Cannot listen on %1: %2").arg(socketPath, systemError());
        return false;
    }
    m_listenFd = std::exchange(socket.fd, -1);
    m_listenNotifier = new QSocketNotifier(m_listenFd, QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    return true;
}

SingleInstance::Role SingleInstance::claim(std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    for (;;) {
        if (tryBecomePrimary())
            return Role::Primary;
        if (m_lockUnusable)
            return Role::Failed;
        const auto left = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
        if (signalPrimary(std::min<std::chrono::milliseconds>(left, std::chrono::seconds(2))))
            return Role::Secondary;
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("Timeglas is already running but does not answer");
            return Role::Failed;
        }
        // The owner is between taking the lock and listening, or between closing and
        // releasing it; either lasts moments.
        QThread::msleep(50);
    }
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0)
            serve(fd);
        else if (errno != EINTR)
            return;
    }
}

void SingleInstance::serve(int fd)
{
    auto *peer = new Peer(fd, this);
    connect(peer->notifier(), &QSocketNotifier::activated, peer, [this, peer] {
        QByteArray line;
        if (!peer->readLine(&line))
            return;
        peer->finish();
        if (line != toggleRequest)
            return;
        // Answer first: the caller may go as soon as the request is safely here, and
        // opening the popover the first time can take a moment.
        peer->answer(toggleAnswer);
        emit toggleRequested();
    });
}

void SingleInstance::stopListening()
{
    if (m_listenFd < 0)
        return;
    delete m_listenNotifier;
    m_listenNotifier = nullptr;
    ::close(m_listenFd);
    m_listenFd = -1;
    // Peers still talking hear nothing more; a later start then waits for the lock.
    qDeleteAll(findChildren<QObject *>(Qt::FindDirectChildrenOnly));
}
