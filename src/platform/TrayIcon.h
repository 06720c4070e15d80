// An icon in an XEmbed system tray, for panels that show no status notifier items.
#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

class QMenu;

class TrayIcon : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &text) = 0;
    virtual void setVisible(bool visible) = 0;
    // Shown on a right click instead of clicked(); null for none. Not owned.
    virtual void setContextMenu(QMenu *menu) = 0;
    // Where the icon is on screen; invalid when the tray does not say.
    virtual QRect geometry() const = 0;

signals:
    // A left click, or a right one while there is no menu.
    void clicked();
};

// Makes tray icons; the status item asks it when no watcher takes the item.
class TrayFactory
{
public:
    virtual ~TrayFactory() = default;
    // Whether a tray is there to take an icon now.
    virtual bool isTrayAvailable() const = 0;
    virtual TrayIcon *createTrayIcon(QObject *parent) = 0;
};
