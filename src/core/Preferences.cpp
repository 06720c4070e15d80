#include "core/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr auto appearanceKey = "appearanceMode";
constexpr auto billableKey = "defaultShowBillableTime";
constexpr auto selectedKey = "selectedTaskID";
constexpr auto apiKeyKey = "workbookAPIKey";
constexpr auto awayKey = "awayMinutes";
constexpr int defaultAwayMinutes = 10;

Q_LOGGING_CATEGORY(preferencesLog, "timeglas.preferences")

// The file holds an API key: it is created, and kept, readable by its owner only. The mode
// is set on the opened file, never through a path that a link could redirect.
std::optional<QString> restrictToOwner(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        // Non-blocking, so that a FIFO put there cannot hold the start-up.
        fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) {
        if (errno == ELOOP)
            return QStringLiteral("the preferences file is a symbolic link");
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    struct stat st {};
    std::optional<QString> refused;
    if (::fstat(fd, &st) != 0)
        refused = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(st.st_mode))
        refused = QStringLiteral("the preferences file is not a regular file");
    else if ((st.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0)
        refused = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return refused;
}
} // namespace

std::optional<QString> Preferences::prepareFile(const QString &filePath)
{
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()))
        return QStringLiteral("cannot create the folder of the preferences");
    return restrictToOwner(filePath);
}

QString Preferences::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/timeglas/timeglas.conf");
}

Preferences::Preferences(const QString &filePath, QObject *parent)
    : QObject(parent)
{
    if (const auto refused = prepareFile(filePath))
        qCWarning(preferencesLog, "Preferences are not kept: %s (%s)", qPrintable(*refused), qPrintable(filePath));
    m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    m_appearanceMode = m_settings->value(appearanceKey, QStringLiteral("system")).toString();
    m_defaultShowBillableTime = m_settings->value(billableKey, true).toBool();
    m_selectedTaskID = m_settings->value(selectedKey, QString()).toString();
    m_workbookAPIKey = m_settings->value(apiKeyKey, QString()).toString();
    // A hand-edited value that is no whole number of minutes, or a negative one, keeps the default.
    bool isNumber = false;
    const int away = m_settings->value(awayKey, defaultAwayMinutes).toInt(&isNumber);
    m_awayMinutes = isNumber && away >= 0 ? away : defaultAwayMinutes;
}

Preferences::~Preferences() = default;

QString Preferences::filePath() const
{
    return m_settings->fileName();
}

void Preferences::write(const char *key, const QVariant &value)
{
    m_settings->setValue(QLatin1StringView(key), value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qCWarning(preferencesLog, "Cannot write the preferences file %s", qPrintable(m_settings->fileName()));
    else if (const auto refused = restrictToOwner(m_settings->fileName()))
        qCWarning(preferencesLog, "Cannot keep the preferences private: %s", qPrintable(*refused));
}

void Preferences::setAppearanceMode(const QString &mode)
{
    if (m_appearanceMode == mode)
        return;
    m_appearanceMode = mode;
    write(appearanceKey, mode);
    emit appearanceModeChanged();
}

void Preferences::setDefaultShowBillableTime(bool show)
{
    if (m_defaultShowBillableTime == show)
        return;
    m_defaultShowBillableTime = show;
    write(billableKey, show);
    emit defaultShowBillableTimeChanged();
}

void Preferences::setSelectedTaskID(const QString &id)
{
    if (m_selectedTaskID == id)
        return;
    m_selectedTaskID = id;
    write(selectedKey, id);
    emit selectedTaskIDChanged();
}

void Preferences::setWorkbookAPIKey(const QString &key)
{
    if (m_workbookAPIKey == key)
        return;
    m_workbookAPIKey = key;
    write(apiKeyKey, key);
    emit workbookAPIKeyChanged();
}

void Preferences::setAwayMinutes(int minutes)
{
    minutes = std::max(0, minutes);
    if (m_awayMinutes == minutes)
        return;
    m_awayMinutes = minutes;
    write(awayKey, minutes);
    emit awayMinutesChanged();
}
