// The popover module: the screens, their view models and the QML engine, loaded by the
// shell when the popover first opens.
#include "popover/PopoverWindow.h"

#include <QQuickWindow>
#include <QSGRendererInterface>

// The QML module's own plugin comes in with its static library's init object.
class PopoverModule : public QObject, public PopoverFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PopoverFactory_iid)
    Q_INTERFACES(PopoverFactory)

public:
    Popover *createPopover(AppContext *context, QObject *parent) override
    {
        // The software renderer draws these flat screens at a fraction of the memory of
        // OpenGL; QT_QUICK_BACKEND still chooses another.
        if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return new PopoverWindow(context, parent);
    }
};

#include "PopoverModule.moc"
