#include "platform/SystemTray.h"

#include <QApplication>
#include <QSystemTrayIcon>

SystemTrayIcon::SystemTrayIcon(QObject *parent)
    : TrayIcon(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Trigger is the left click, Context the right one (which shows the menu where
        // there is one); a double click has already arrived as a Trigger.
        if (reason == QSystemTrayIcon::Trigger || (reason == QSystemTrayIcon::Context && !m_hasMenu))
            emit clicked();
    });
}

void SystemTrayIcon::setIcon(const QIcon &icon)
{
    m_icon->setIcon(icon);
}

void SystemTrayIcon::setToolTip(const QString &text)
{
    m_icon->setToolTip(text);
}

void SystemTrayIcon::setVisible(bool visible)
{
    m_icon->setVisible(visible);
}

void SystemTrayIcon::setContextMenu(QMenu *menu)
{
    m_hasMenu = menu != nullptr;
    m_icon->setContextMenu(menu);
}

QRect SystemTrayIcon::geometry() const
{
    return m_icon->geometry();
}

bool SystemTrayFactory::isTrayAvailable() const
{
    // QSystemTrayIcon is a widget class and needs a QApplication.
    return qobject_cast<QApplication *>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable();
}

TrayIcon *SystemTrayFactory::createTrayIcon(QObject *parent)
{
    return new SystemTrayIcon(parent);
}
