// Everything a screen needs from the app, handed to the QML root as one required property.
#pragma once

#include "qml/QmlTypes.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

class AppContext;
class Store;

class AppServices : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the app")
    Q_PROPERTY(TimerManager *timerManager READ timerManager CONSTANT)
    Q_PROPERTY(Preferences *preferences READ preferences CONSTANT)
    Q_PROPERTY(Theme *theme READ theme CONSTANT)
    Q_PROPERTY(AwayTracker *away READ away CONSTANT)
    Q_PROPERTY(RecordListModel *allTasks READ allTasks CONSTANT)
    Q_PROPERTY(RecordListModel *projectCodes READ projectCodes CONSTANT)
    Q_PROPERTY(RecordListModel *templates READ templates CONSTANT)
    Q_PROPERTY(RecordListModel *closedDays READ closedDays CONSTANT)
    // "Ændringer gemmes ikke: <why>" while saves fail, else empty.
    Q_PROPERTY(QString saveWarning READ saveWarning NOTIFY saveWarningChanged)

public:
    explicit AppServices(AppContext *context, QObject *parent = nullptr);

    Store *store() const { return m_store; }
    TimerManager *timerManager() const { return m_timerManager; }
    Preferences *preferences() const { return m_preferences; }
    Theme *theme() const { return m_theme; }
    AwayTracker *away() const { return m_away; }
    // Live queries: all tasks in store order; codes and templates by sortOrder; closed days.
    RecordListModel *allTasks() const { return m_allTasks; }
    RecordListModel *projectCodes() const { return m_projectCodes; }
    RecordListModel *templates() const { return m_templates; }
    RecordListModel *closedDays() const { return m_closedDays; }
    QString saveWarning() const;

    // While pinned (a dialog of ours is open), the popover does not hide on focus loss.
    Q_INVOKABLE void setPopoverPinned(bool pinned);
    bool isPopoverPinned() const { return m_pinned > 0; }
    // Asks whoever shows the popover to hide it (Escape with nothing left to close).
    Q_INVOKABLE void hidePopover() { emit popoverHideRequested(); }

signals:
    // A window of the app became active, for instance the popover opening.
    void windowBecameKey();
    void saveWarningChanged();
    void popoverHideRequested();

private:
    Store *m_store;
    TimerManager *m_timerManager;
    Preferences *m_preferences;
    Theme *m_theme;
    AwayTracker *m_away;
    RecordListModel *m_allTasks;
    RecordListModel *m_projectCodes;
    RecordListModel *m_templates;
    RecordListModel *m_closedDays;
    int m_pinned = 0;
};
