// The status item's menu: open or close the popover, and quit. Panels that speak dbusmenu
// draw it themselves; the tray and panels that only call ContextMenu get this QMenu.
#pragma once

#include <QObject>
#include <memory>

class QAction;
class QMenu;

class StatusMenu : public QObject
{
    Q_OBJECT

public:
    explicit StatusMenu(QObject *parent = nullptr);
    ~StatusMenu() override;

    QMenu *menu() const { return m_menu.get(); }
    QAction *openAction() const { return m_open; }
    QAction *quitAction() const { return m_quit; }

    // Every route out of the program (menu, settings tab) ends the loop with status 0;
    // what must happen before the process ends hangs on aboutToQuit.
    static void quit();

signals:
    void openRequested();

private:
    std::unique_ptr<QMenu> m_menu;
    QAction *m_open;
    QAction *m_quit;
};
