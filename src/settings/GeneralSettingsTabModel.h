// The general settings tab: the label's billable preference, the appearance and the API key,
// each written to the preferences the moment it changes; starting at login, which is the
// autostart entry itself; and quitting.
#pragma once

#include "qml/AppServices.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class Preferences;

class GeneralSettingsTabModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppServices *services READ services WRITE setServices NOTIFY servicesChanged)
    Q_PROPERTY(bool defaultShowBillableTime READ defaultShowBillableTime WRITE setDefaultShowBillableTime
                   NOTIFY defaultShowBillableTimeChanged)
    Q_PROPERTY(QString workbookAPIKey READ workbookAPIKey WRITE setWorkbookAPIKey NOTIFY workbookAPIKeyChanged)
    Q_PROPERTY(QString appearanceMode READ appearanceMode NOTIFY appearanceModeChanged)
    // The value of the option drawn as chosen; empty when the stored text is none of them.
    Q_PROPERTY(QString chosenAppearance READ chosenAppearance NOTIFY appearanceModeChanged)
    // {value, label} per option, in button order.
    Q_PROPERTY(QVariantList appearanceOptions READ appearanceOptions CONSTANT)
    // Read from the autostart entry, so a file removed by hand shows as off.
    Q_PROPERTY(bool startAtLogin READ startAtLogin WRITE setStartAtLogin NOTIFY startAtLoginChanged)
    // Why the last change of startAtLogin failed; empty after a success.
    Q_PROPERTY(QString startAtLoginError READ startAtLoginError NOTIFY startAtLoginErrorChanged)
    // Time away: the minutes a spell must last to be asked about ("0" never), as options.
    Q_PROPERTY(QVariantList awayOptions READ awayOptions CONSTANT)
    Q_PROPERTY(QString chosenAway READ chosenAway NOTIFY awayMinutesChanged)
    // Whether anything on this desktop tells when the user is away.
    Q_PROPERTY(bool canTellAway READ canTellAway NOTIFY canTellAwayChanged)

public:
    explicit GeneralSettingsTabModel(QObject *parent = nullptr);

    AppServices *services() const { return m_services; }
    void setServices(AppServices *services);

    bool defaultShowBillableTime() const;
    void setDefaultShowBillableTime(bool show);
    QString workbookAPIKey() const;
    void setWorkbookAPIKey(const QString &key);
    QString appearanceMode() const;
    QString chosenAppearance() const;
    QVariantList appearanceOptions() const;

    // Writes the option's value to "appearanceMode".
    Q_INVOKABLE void chooseAppearance(const QString &value);

    bool startAtLogin() const { return m_startAtLogin; }
    void setStartAtLogin(bool start);
    QString startAtLoginError() const { return m_startAtLoginError; }
    // Reads the autostart entry again; done whenever the popover becomes key.
    Q_INVOKABLE void refreshStartAtLogin();
    // The orderly quit the status item's menu offers too.
    Q_INVOKABLE void quit();

    QVariantList awayOptions() const;
    QString chosenAway() const;
    Q_INVOKABLE void chooseAway(const QString &value);
    bool canTellAway() const;

    // "Lys" for "light", "Mørk" for "dark", "System" for anything else.
    static QString appearanceLabel(const QString &value);
    static const QStringList &appearanceValues();

signals:
    void servicesChanged();
    void defaultShowBillableTimeChanged();
    void workbookAPIKeyChanged();
    void appearanceModeChanged();
    void startAtLoginChanged();
    void startAtLoginErrorChanged();
    void awayMinutesChanged();
    void canTellAwayChanged();

private:
    Preferences *preferences() const;

    void setStartAtLoginError(const QString &error);

    QPointer<AppServices> m_services;
    bool m_startAtLogin = false;
    QString m_startAtLoginError;
};
