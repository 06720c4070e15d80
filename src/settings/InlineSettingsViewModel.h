// The settings screen's tab state: which tab is shown and which view shows it.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <optional>

enum class SettingsTab { Settings, Templates, ProjectCodes, Export, Stats };

struct SettingsTabInfo
{
    SettingsTab tab;
    const char *rawValue;
    const char *icon;
    const char *title;   // shown only as the button's tooltip
    const char *view;    // the module type that fills the tab
};

// The tabs in button order.
const QList<SettingsTabInfo> &settingsTabs();
// A tab from its raw value; text outside the table yields none.
std::optional<SettingsTab> settingsTabFromRawValue(const QString &rawValue);
const SettingsTabInfo &settingsTabInfo(SettingsTab tab);

class InlineSettingsViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // Raw value of the tab shown; a new screen always starts on "settings".
    Q_PROPERTY(QString selectedTab READ selectedTab NOTIFY selectedTabChanged)
    // {value, icon, title} per tab, in button order.
    Q_PROPERTY(QVariantList tabs READ tabs CONSTANT)
    // The view file of the chosen tab, or an empty URL when that view is not part of this build.
    Q_PROPERTY(QUrl contentUrl READ contentUrl NOTIFY selectedTabChanged)

public:
    explicit InlineSettingsViewModel(QObject *parent = nullptr);

    QString selectedTab() const;
    SettingsTab selectedTabCase() const { return m_selected; }
    QVariantList tabs() const;
    QUrl contentUrl() const;

    // Unknown raw values are ignored.
    Q_INVOKABLE void selectTab(const QString &rawValue);

    // Where a tab's view lives in the module.
    static QUrl viewUrl(SettingsTab tab);

signals:
    void selectedTabChanged();

private:
    SettingsTab m_selected = SettingsTab::Settings;
};
