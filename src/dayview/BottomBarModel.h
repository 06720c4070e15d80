// The bar at the foot of the day screen: which buttons it offers and whether they work on the
// selected day, and the switch between billable and actual hours.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class RecordListModel;
class TimerManager;

class BottomBarModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(RecordListModel *templates READ templates WRITE setTemplates NOTIFY templatesChanged)
    Q_PROPERTY(TimerManager *timerManager READ timerManager WRITE setTimerManager NOTIFY timerManagerChanged)
    Q_PROPERTY(bool isDayClosed READ isDayClosed WRITE setDayClosed NOTIFY isDayClosedChanged)

    // A closed day takes no new tasks, from either button.
    Q_PROPERTY(bool canAdd READ canAdd NOTIFY isDayClosedChanged)
    Q_PROPERTY(bool showsTemplatesButton READ showsTemplatesButton NOTIFY showsTemplatesButtonChanged)
    Q_PROPERTY(bool showBillableTime READ showBillableTime NOTIFY showBillableTimeChanged)
    Q_PROPERTY(QString hoursSwitchText READ hoursSwitchText NOTIFY showBillableTimeChanged)
    Q_PROPERTY(QString hoursSwitchIcon READ hoursSwitchIcon NOTIFY showBillableTimeChanged)

public:
    explicit BottomBarModel(QObject *parent = nullptr);

    RecordListModel *templates() const;
    void setTemplates(RecordListModel *templates);
    TimerManager *timerManager() const;
    void setTimerManager(TimerManager *timerManager);
    bool isDayClosed() const { return m_isDayClosed; }
    void setDayClosed(bool closed);

    bool canAdd() const { return !m_isDayClosed; }
    bool showsTemplatesButton() const { return m_showsTemplatesButton; }
    bool showBillableTime() const;
    QString hoursSwitchText() const;
    QString hoursSwitchIcon() const;

    // The hours switch; it works on a closed day too, as it changes only what is shown.
    Q_INVOKABLE void toggleHours();

signals:
    void templatesChanged();
    void timerManagerChanged();
    void isDayClosedChanged();
    void showsTemplatesButtonChanged();
    void showBillableTimeChanged();

private:
    void refreshTemplatesButton();

    QPointer<RecordListModel> m_templates;
    QPointer<TimerManager> m_timerManager;
    QMetaObject::Connection m_templatesConnection;
    QMetaObject::Connection m_billableConnection;
    bool m_isDayClosed = false;
    bool m_showsTemplatesButton = false;
};
