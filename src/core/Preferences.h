// The four stored preferences, with a change signal per key so every bound view sees a change at once.
#pragma once

#include <QObject>
#include <QSettings>
#include <memory>
#include <optional>

class Preferences : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString appearanceMode READ appearanceMode WRITE setAppearanceMode NOTIFY appearanceModeChanged)
    Q_PROPERTY(bool defaultShowBillableTime READ defaultShowBillableTime WRITE setDefaultShowBillableTime NOTIFY defaultShowBillableTimeChanged)
    Q_PROPERTY(QString selectedTaskID READ selectedTaskID WRITE setSelectedTaskID NOTIFY selectedTaskIDChanged)
    Q_PROPERTY(QString workbookAPIKey READ workbookAPIKey WRITE setWorkbookAPIKey NOTIFY workbookAPIKeyChanged)
    Q_PROPERTY(int awayMinutes READ awayMinutes WRITE setAwayMinutes NOTIFY awayMinutesChanged)

public:
    // Reads $XDG_CONFIG_HOME/timeglas/timeglas.conf unless another file is given.
    explicit Preferences(const QString &filePath = defaultPath(), QObject *parent = nullptr);
    ~Preferences() override;

    static QString defaultPath();
    // Makes sure the file is one this program may read and write: created if missing,
    // refused unless it is a regular file (a link, a FIFO or a folder there is not ours to
    // follow or to wait on), and readable by its owner only. The reason on refusal.
    static std::optional<QString> prepareFile(const QString &filePath);
    QString filePath() const;

    QString appearanceMode() const { return m_appearanceMode; }
    void setAppearanceMode(const QString &mode);
    bool defaultShowBillableTime() const { return m_defaultShowBillableTime; }
    void setDefaultShowBillableTime(bool show);
    QString selectedTaskID() const { return m_selectedTaskID; }
    void setSelectedTaskID(const QString &id);
    QString workbookAPIKey() const { return m_workbookAPIKey; }
    void setWorkbookAPIKey(const QString &key);
    // Time away of at least this many minutes while a task runs is asked about; 0 never.
    int awayMinutes() const { return m_awayMinutes; }
    void setAwayMinutes(int minutes);

signals:
    void appearanceModeChanged();
    void defaultShowBillableTimeChanged();
    void selectedTaskIDChanged();
    void workbookAPIKeyChanged();
    void awayMinutesChanged();

private:
    void write(const char *key, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
    QString m_appearanceMode;
    bool m_defaultShowBillableTime;
    QString m_selectedTaskID;
    QString m_workbookAPIKey;
    int m_awayMinutes;
};
