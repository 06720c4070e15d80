#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr auto lockName = "/timeglas.lock";
constexpr auto socketName = "/timeglas.socket";
constexpr char toggleRequest[] = "toggle\n";
constexpr char toggleAnswer[] = "ok\n";
constexpr qint64 longestRequest = 64;
constexpr int silentClientMs = 5000;

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

    // Holding the lock means no live instance listens, so a socket left behind is stale.
    const QString socketPath = m_directory + QLatin1String(socketName);
    QLocalServer::removeServer(socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!m_server->listen(socketPath)) {
        // Still the only owner of the store; later starts just cannot reach us.
        qWarning("Later starts of Timeglas cannot reach this one: %s", qPrintable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
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
    QDeadlineTimer deadline(timeout);
    auto remaining = [&] { return int(std::max<qint64>(0, deadline.remainingTime())); };

    QLocalSocket socket;
    socket.connectToServer(m_directory + QLatin1String(socketName));
    if (!socket.waitForConnected(remaining()))
        return false;
    socket.write(toggleRequest);
    if (!socket.waitForBytesWritten(remaining()))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(remaining()))
            return false;
    }
    return socket.readLine(longestRequest) == toggleAnswer;
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
    while (QLocalSocket *socket = m_server->nextPendingConnection())
        serve(socket);
}

void SingleInstance::serve(QLocalSocket *socket)
{
    auto drop = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(silentClientMs, socket, drop);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, drop] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > longestRequest)
                drop();
            return;
        }
        if (socket->readLine(longestRequest) != toggleRequest) {
            drop();
            return;
        }
        // Answer first: the caller may go as soon as the request is safely here, and
        // opening the popover the first time can take a moment.
        socket->write(toggleAnswer);
        socket->flush();
        socket->disconnectFromServer();
        emit toggleRequested();
    });
}

void SingleInstance::stopListening()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}
