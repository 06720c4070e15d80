// The quick-add picker of the day screen: one click on a template adds a task made from it at
// the end of the selected day.
#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class MenuBarContentViewModel;
class TaskTemplate;

class QuickAddPickerModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the day view")
    // A closed day is read-only, also for a picker that was opened before it was closed.
    Q_PROPERTY(bool canAdd READ canAdd NOTIFY canAddChanged)

public:
    explicit QuickAddPickerModel(MenuBarContentViewModel *dayView);

    bool canAdd() const;

    // Adds the task at the end of the selected day and closes the picker. Returns nothing to
    // QML on purpose: an unparented object handed to QML becomes the garbage collector's, and
    // tasks belong to the store.
    Q_INVOKABLE void addTaskFromTemplate(TaskTemplate *taskTemplate);
    // The bottom bar's templates button.
    Q_INVOKABLE void togglePicker();
    // The picker's "xmark".
    Q_INVOKABLE void closePicker();

signals:
    void canAddChanged();

private:
    QPointer<MenuBarContentViewModel> m_dayView;
};
