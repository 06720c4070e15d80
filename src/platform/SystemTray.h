// The tray icon on Qt's QSystemTrayIcon.
#pragma once

#include "platform/TrayIcon.h"

class QSystemTrayIcon;

class SystemTrayIcon : public TrayIcon
{
    Q_OBJECT

public:
    explicit SystemTrayIcon(QObject *parent = nullptr);

    void setIcon(const QIcon &icon) override;
    void setToolTip(const QString &text) override;
    void setVisible(bool visible) override;
    void setContextMenu(QMenu *menu) override;
    QRect geometry() const override;

private:
    QSystemTrayIcon *m_icon;
    bool m_hasMenu = false;
};

class SystemTrayFactory : public TrayFactory
{
public:
    bool isTrayAvailable() const override;
    TrayIcon *createTrayIcon(QObject *parent) override;
};
