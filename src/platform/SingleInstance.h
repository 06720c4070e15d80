// One Timeglas per user: the first start owns the store; a later start asks it to toggle its popover and leaves.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class QLockFile;
class QSocketNotifier;

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Role {
        Primary,   // this process holds the lock and may open the store
        Secondary, // the running instance took the toggle request; exit 0
        Failed,    // neither; errorString() says why
    };
    Q_ENUM(Role)

    explicit SingleInstance(QObject *parent = nullptr);
    // Releases the lock: keep the object alive until the store is saved at quit.
    ~SingleInstance() override;

    // The one call at start: becomes the primary, or hands the request to the running one.
    // Rides out a primary that is still starting or already quitting.
    Role claim(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Takes the per-user lock and starts listening; false when another instance holds it
    // or on an error (then errorString() is set).
    bool tryBecomePrimary();
    // Asks the running primary to toggle its popover; true once it has confirmed.
    bool signalPrimary(std::chrono::milliseconds timeout = std::chrono::seconds(2));

    bool isPrimary() const;
    QString errorString() const { return m_error; }

    // $XDG_RUNTIME_DIR, or else a private folder of this user in the temp folder;
    // empty (with *error set) when no safe folder exists.
    static QString runtimeDirectory(QString *error = nullptr);

signals:
    // On the primary, when another start asked for the popover.
    void toggleRequested();

private:
    bool listen(const QString &socketPath);
    void acceptConnections();
    void serve(int fd);
    void stopListening();

    std::unique_ptr<QLockFile> m_lock;
    // The listening Unix socket (plain POSIX: this runs before the popover and must stay light).
    int m_listenFd = -1;
    QSocketNotifier *m_listenNotifier = nullptr;
    QString m_directory;
    QString m_error;
    bool m_lockUnusable = false;
};
