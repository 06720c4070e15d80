// The shell: the app's context, the status item and its label, the popover, quitting.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>

class AwayNotifier;
class AwaySources;
class AppContext;
class BusLoop;
class MenuBarLabel;
class PopoverLoader;
class StatusItem;
class StatusMenu;
class TrackerService;
class TrayFactory;
struct LabelPresentation;

class TimeTrackerApp : public QObject
{
    Q_OBJECT

public:
    // The whole process: one instance per user, then the shell until quit.
    static int run(int argc, char *argv[]);

    // `tray` makes tray icons where no status notifier watcher runs; may be null.
    explicit TimeTrackerApp(TrayFactory *tray = nullptr);
    ~TimeTrackerApp() override;

    // Opens the store and builds everything; on failure prints the fatal line and returns false.
    bool start();
    void togglePopover();
    // The save at quit failed (and said why): a task that ran is still running in the file.
    bool finalSaveFailed() const { return m_finalSaveFailed; }

private:
    void showPresentation(const LabelPresentation &presentation);
    // Where the popover opens when it was not the item's click that asked.
    QPoint popoverAnchor() const;
    void stopRunningTasks();

    TrayFactory *m_tray;
    std::unique_ptr<AppContext> m_context;
    // The status item and the tracker's interface live on it: it goes after them.
    std::unique_ptr<BusLoop> m_bus;
    std::unique_ptr<MenuBarLabel> m_label;
    std::unique_ptr<PopoverLoader> m_popover;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<AwaySources> m_awaySources;
    std::unique_ptr<AwayNotifier> m_awayNotifier;
    std::unique_ptr<StatusMenu> m_menu;
    std::unique_ptr<TrackerService> m_service;
    QPoint m_lastAnchor; // where the panel last said the item is
    std::optional<QString> m_iconThemePath; // none: the symbolic icons are not installed
    QString m_iconName; // of m_icon, drawn once per change
    QIcon m_icon;
    bool m_finalSaveFailed = false;
};
