#include "settings/GeneralSettingsTabModel.h"

#include "core/AwayTime.h"
#include "core/Preferences.h"
#include "platform/Autostart.h"
#include "platform/StatusMenu.h"
#include "qml/AppServices.h"

#include <QVariantMap>
#include <algorithm>

GeneralSettingsTabModel::GeneralSettingsTabModel(QObject *parent)
    : QObject(parent), m_startAtLogin(Autostart::isEnabled())
{
}

void GeneralSettingsTabModel::setServices(AppServices *services)
{
    if (m_services == services)
        return;
    if (Preferences *old = preferences())
        disconnect(old, nullptr, this, nullptr);
    if (m_services)
        disconnect(m_services, nullptr, this, nullptr);
    m_services = services;
    if (m_services) {
        // The entry may have been removed or added by hand while the popover was closed.
        connect(m_services, &AppServices::windowBecameKey, this, &GeneralSettingsTabModel::refreshStartAtLogin);
        connect(m_services->away(), &AwayTracker::canTellChanged, this, &GeneralSettingsTabModel::canTellAwayChanged);
    }
    if (Preferences *prefs = preferences()) {
        // Changes made elsewhere (another view, the shell) show here too.
        connect(prefs, &Preferences::defaultShowBillableTimeChanged, this,
                &GeneralSettingsTabModel::defaultShowBillableTimeChanged);
        connect(prefs, &Preferences::workbookAPIKeyChanged, this, &GeneralSettingsTabModel::workbookAPIKeyChanged);
        connect(prefs, &Preferences::appearanceModeChanged, this, &GeneralSettingsTabModel::appearanceModeChanged);
        connect(prefs, &Preferences::awayMinutesChanged, this, &GeneralSettingsTabModel::awayMinutesChanged);
    }
    emit servicesChanged();
    emit defaultShowBillableTimeChanged();
    emit workbookAPIKeyChanged();
    emit appearanceModeChanged();
    emit awayMinutesChanged();
    emit canTellAwayChanged();
}

Preferences *GeneralSettingsTabModel::preferences() const
{
    return m_services ? m_services->preferences() : nullptr;
}

bool GeneralSettingsTabModel::defaultShowBillableTime() const
{
    const Preferences *prefs = preferences();
    return prefs ? prefs->defaultShowBillableTime() : true;
}

void GeneralSettingsTabModel::setDefaultShowBillableTime(bool show)
{
    if (Preferences *prefs = preferences())
        prefs->setDefaultShowBillableTime(show);
}

QString GeneralSettingsTabModel::workbookAPIKey() const
{
    const Preferences *prefs = preferences();
    return prefs ? prefs->workbookAPIKey() : QString();
}

void GeneralSettingsTabModel::setWorkbookAPIKey(const QString &key)
{
    if (Preferences *prefs = preferences())
        prefs->setWorkbookAPIKey(key);
}

QString GeneralSettingsTabModel::appearanceMode() const
{
    const Preferences *prefs = preferences();
    return prefs ? prefs->appearanceMode() : QStringLiteral("system");
}

QString GeneralSettingsTabModel::chosenAppearance() const
{
    // Exact text comparison: "Dark" or " dark" is no option, and the shell treats it as "system".
    const QString mode = appearanceMode();
    return appearanceValues().contains(mode) ? mode : QString();
}

const QStringList &GeneralSettingsTabModel::appearanceValues()
{
    static const QStringList values = {QStringLiteral("system"), QStringLiteral("light"), QStringLiteral("dark")};
    return values;
}

QString GeneralSettingsTabModel::appearanceLabel(const QString &value)
{
    if (value == QLatin1String("light"))
        return tr("Lys");
    if (value == QLatin1String("dark"))
        return tr("Mørk");
    return tr("System");
}

QVariantList GeneralSettingsTabModel::appearanceOptions() const
{
    QVariantList out;
    for (const QString &value : appearanceValues())
        out.append(QVariantMap{{QStringLiteral("value"), value}, {QStringLiteral("label"), appearanceLabel(value)}});
    return out;
}

void GeneralSettingsTabModel::chooseAppearance(const QString &value)
{
    if (Preferences *prefs = preferences())
        prefs->setAppearanceMode(value);
}

void GeneralSettingsTabModel::setStartAtLogin(bool start)
{
    setStartAtLoginError(Autostart::setEnabled(start));
    const bool before = m_startAtLogin;
    refreshStartAtLogin();
    // A switch that was flipped but could not be made so must flip back.
    if (m_startAtLogin == before)
        emit startAtLoginChanged();
}

void GeneralSettingsTabModel::refreshStartAtLogin()
{
    const bool start = Autostart::isEnabled();
    if (start == m_startAtLogin)
        return;
    m_startAtLogin = start;
    emit startAtLoginChanged();
}

void GeneralSettingsTabModel::setStartAtLoginError(const QString &error)
{
    if (error == m_startAtLoginError)
        return;
    m_startAtLoginError = error;
    emit startAtLoginErrorChanged();
}

void GeneralSettingsTabModel::quit()
{
    StatusMenu::quit();
}

namespace {
constexpr int awayChoices[] = {0, 5, 10, 15, 30, 60};
} // namespace

QVariantList GeneralSettingsTabModel::awayOptions() const
{
    QVariantList out;
    for (const int minutes : awayChoices) {
        const QString label = minutes == 0 ? tr("Fra") : tr("%1 min").arg(minutes);
        out.append(QVariantMap{{QStringLiteral("value"), QString::number(minutes)}, {QStringLiteral("label"), label}});
    }
    return out;
}

QString GeneralSettingsTabModel::chosenAway() const
{
    // A number set by hand that is none of the options leaves none chosen.
    const Preferences *prefs = preferences();
    if (!prefs || std::find(std::begin(awayChoices), std::end(awayChoices), prefs->awayMinutes()) == std::end(awayChoices))
        return QString();
    return QString::number(prefs->awayMinutes());
}

void GeneralSettingsTabModel::chooseAway(const QString &value)
{
    bool isNumber = false;
    const int minutes = value.toInt(&isNumber);
    if (Preferences *prefs = preferences(); prefs && isNumber)
        prefs->setAwayMinutes(minutes);
}

bool GeneralSettingsTabModel::canTellAway() const
{
    return m_services && m_services->away()->canTell();
}
