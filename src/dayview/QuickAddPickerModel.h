// The quick-add picker of the day screen: one click on a template adds a task made from it at
// the end of the selected day.
#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class Store;
class TaskTemplate;
class TimerManager;

class QuickAddPickerModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the day view")
    // A closed day is read-only, also for a picker that was opened before it was closed.
    Q_PROPERTY(bool canAdd READ canAdd NOTIFY canAddChanged)

public:
    explicit QuickAddPickerModel(QObject *parent = nullptr);

    // Where tasks go, and which day is selected; and whether that day is closed.
    void setSources(Store *store, TimerManager *timerManager);
    void setDayClosed(bool closed);

    bool canAdd() const;

    // Adds the task at the end of the selected day; false when nothing was added. Returns no
    // task to QML on purpose: an unparented object handed to QML becomes the garbage
    // collector's, and tasks belong to the store.
    Q_INVOKABLE bool addTaskFromTemplate(TaskTemplate *taskTemplate);

signals:
    void canAddChanged();

private:
    QPointer<Store> m_store;
    QPointer<TimerManager> m_timerManager;
    bool m_isDayClosed = false;
};
