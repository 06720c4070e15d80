// The project-code editor of the day screen: opens for one task, offers the catalogue's codes
// as chips, and stores the typed or chosen code, cut to the length a task's code may have.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

class MenuBarContentViewModel;
class Task;

class CodeEditorModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the day view")
    // The edited task's name, or "Unavngivet opgave".
    Q_PROPERTY(QString taskTitle READ taskTitle NOTIFY taskTitleChanged)
    // "Fjern" is offered only while the task has a code.
    Q_PROPERTY(bool canRemove READ canRemove NOTIFY canRemoveChanged)

public:
    // A task's code keeps at most this many user-perceived characters.
    static constexpr int CodeLimit = 20;

    explicit CodeEditorModel(MenuBarContentViewModel *dayView);

    QString taskTitle() const;
    bool canRemove() const;

    // Opens the editor for the task with its code in the field; drops what was typed for another.
    Q_INVOKABLE void beginEditCode(Task *task);
    // A chip click: chooses the chip's code, or clears the field when it was the chosen one.
    Q_INVOKABLE void chooseChip(const QString &code);
    // "Gem", Return or leaving the field: stores the field's text as the code; blank removes it.
    Q_INVOKABLE void saveCode();
    // "Fjern".
    Q_INVOKABLE void removeCode();
    // "Annuller", and the end of saving and removing.
    Q_INVOKABLE void closeCodeEditor();

signals:
    void taskTitleChanged();
    void canRemoveChanged();

private:
    void onTaskChanged();
    void onFocusChanged();

    QPointer<MenuBarContentViewModel> m_dayView;
    QMetaObject::Connection m_taskConnection;
    QMetaObject::Connection m_taskCodeConnection;
    QTimer m_focusTimer;
};
