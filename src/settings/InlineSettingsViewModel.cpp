#include "settings/InlineSettingsViewModel.h"

#include <QVariantMap>

const QList<SettingsTabInfo> &settingsTabs()
{
    // The titles are translated where they are shown, by tabs().
    static const QList<SettingsTabInfo> tabs = {
        {SettingsTab::Settings, "settings", "gearshape",
         QT_TRANSLATE_NOOP("InlineSettingsViewModel", "Indstillinger"), "GeneralSettingsTab"},
        {SettingsTab::Templates, "templates", "doc.text",
         QT_TRANSLATE_NOOP("InlineSettingsViewModel", "Skabeloner"), "TemplateListView"},
        {SettingsTab::ProjectCodes, "projectCodes", "tag",
         QT_TRANSLATE_NOOP("InlineSettingsViewModel", "Projektkoder"), "ProjectCodeListView"},
        {SettingsTab::Export, "export", "square.and.arrow.up",
         QT_TRANSLATE_NOOP("InlineSettingsViewModel", "Eksport"), "ExportSettingsTab"},
        {SettingsTab::Stats, "stats", "chart.bar",
         QT_TRANSLATE_NOOP("InlineSettingsViewModel", "Statistik"), "StatsTab"},
    };
    return tabs;
}

std::optional<SettingsTab> settingsTabFromRawValue(const QString &rawValue)
{
    for (const SettingsTabInfo &info : settingsTabs())
        if (rawValue == QLatin1String(info.rawValue))
            return info.tab;
    return std::nullopt;
}

const SettingsTabInfo &settingsTabInfo(SettingsTab tab)
{
    for (const SettingsTabInfo &info : settingsTabs())
        if (info.tab == tab)
            return info;
    return settingsTabs().constFirst();
}

InlineSettingsViewModel::InlineSettingsViewModel(QObject *parent)
    : QObject(parent)
{
}

QString InlineSettingsViewModel::selectedTab() const
{
    return QString::fromLatin1(settingsTabInfo(m_selected).rawValue);
}

QVariantList InlineSettingsViewModel::tabs() const
{
    QVariantList out;
    for (const SettingsTabInfo &info : settingsTabs()) {
        out.append(QVariantMap{
            {QStringLiteral("value"), QString::fromLatin1(info.rawValue)},
            {QStringLiteral("icon"), QString::fromLatin1(info.icon)},
            {QStringLiteral("title"), tr(info.title)},
        });
    }
    return out;
}

QUrl InlineSettingsViewModel::contentUrl() const
{
    return viewUrl(m_selected);
}

QUrl InlineSettingsViewModel::viewUrl(SettingsTab tab)
{
    return QUrl(QStringLiteral("qrc:/Timeglas/%1.qml").arg(QLatin1String(settingsTabInfo(tab).view)));
}

void InlineSettingsViewModel::selectTab(const QString &rawValue)
{
    const std::optional<SettingsTab> tab = settingsTabFromRawValue(rawValue);
    if (!tab || *tab == m_selected)
        return;
    m_selected = *tab;
    emit selectedTabChanged();
}
