// Loads the popover module the first time the popover is wanted, and only then.
#pragma once

#include "platform/Popover.h"

#include <QPointer>
#include <QString>

class PopoverLoader : public QObject
{
    Q_OBJECT

public:
    PopoverLoader(AppContext *context, const QString &modulePath, QObject *parent = nullptr);

    // Where the module is installed relative to the program: next to it in the build
    // folder's layout and the installed one alike.
    static QString defaultModulePath();

    // The popover, loading the module on the first call; nullptr when the module cannot be
    // loaded (errorString() says why, and it is printed once to standard error).
    Popover *popover();
    bool isLoaded() const { return m_popover != nullptr; }
    QString errorString() const { return m_error; }

    void toggle(QPoint anchor);
    void showAt(QPoint anchor);

private:
    AppContext *m_context;
    QString m_modulePath;
    QPointer<Popover> m_popover;
    QString m_error;
};
