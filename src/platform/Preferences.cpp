#include "Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr auto appearanceKey = "appearanceMode";
constexpr auto billableKey = "defaultShowBillableTime";
constexpr auto selectedKey = "selectedTaskID";
constexpr auto apiKeyKey = "workbookAPIKey";

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The file holds an API key: it is created, and kept, readable by its owner only.
void restrictToOwner(const QString &path)
{
    QFile file(path);
    if (!file.exists()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
    }
    if (file.exists() && file.permissions() != ownerOnly)
        file.setPermissions(ownerOnly);
}
} // namespace

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
    restrictToOwner(filePath);
    m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    m_appearanceMode = m_settings->value(appearanceKey, QStringLiteral("system")).toString();
    m_defaultShowBillableTime = m_settings->value(billableKey, true).toBool();
    m_selectedTaskID = m_settings->value(selectedKey, QString()).toString();
    m_workbookAPIKey = m_settings->value(apiKeyKey, QString()).toString();
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
    restrictToOwner(m_settings->fileName());
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
