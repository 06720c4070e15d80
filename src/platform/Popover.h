// The popover as the shell sees it. The window and its screens live in a module that is
// loaded when the popover first opens, so that Qt Quick and the QML engine cost nothing
// until the user looks.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtPlugin>

class AppContext;

class Popover : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool isVisible() const = 0;
    // Shows the window next to `anchor` (screen coordinates of the status item; null when
    // the panel gave none).
    virtual void showAt(QPoint anchor) = 0;
    virtual void hide() = 0;
    // Hides a shown popover, shows a hidden one.
    void toggle(QPoint anchor);

    // Where a window of `size` goes for an item at `anchor`: below it when the item is in
    // the upper half of the screen, above it otherwise, centred on it, kept on screen.
    static QPoint placement(QPoint anchor, QSize size, const QRect &available);
};

// What the popover module offers.
class PopoverFactory
{
public:
    virtual ~PopoverFactory() = default;
    // A popover over the app's context, hidden until shown.
    virtual Popover *createPopover(AppContext *context, QObject *parent) = 0;
};

#define PopoverFactory_iid "org.timeglas.PopoverFactory/1"
Q_DECLARE_INTERFACE(PopoverFactory, PopoverFactory_iid)
