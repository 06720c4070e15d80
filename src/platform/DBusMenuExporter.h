// A QMenu on the session bus in the com.canonical.dbusmenu protocol, which is how panels
// draw a status item's menu themselves. Flat menus only: entries and separators.
//
// Served on the bus thread from a copy of the entries, taken whenever the menu changes; a
// click crosses over to the GUI thread, where the action is triggered.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class BusLoop;
class QAction;
class QMenu;
struct sd_bus_slot;

class DBusMenuExporter : public QObject
{
    Q_OBJECT

public:
    static constexpr auto menuPath = "/MenuBar";

    // One entry as panels see it; ids count from 1 in the menu's order, 0 is the menu itself.
    struct Entry
    {
        QString label; // with the access key marked the protocol's way
        bool separator = false;
        bool enabled = true;
        bool visible = true;
        // The properties that differ from the protocol's defaults, which is all that is sent.
        QVariantMap properties() const;
        bool operator==(const Entry &) const = default;
    };

    // Exports `menu` (not owned) as it is now and as it changes.
    DBusMenuExporter(QMenu *menu, BusLoop *loop, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    // Puts the menu on the bus at menuPath; false when the bus refused.
    bool publish();
    bool isPublished() const { return m_object != nullptr; }

    // The entries as the menu has them now.
    QList<Entry> entries() const;
    // Runs a click from the panel; false for an unknown entry.
    bool event(int id, const QString &eventId);

private:
    friend struct DBusMenuCalls;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Hands the entries to the bus thread under a new revision.
    void republish();

    QPointer<QMenu> m_menu;
    BusLoop *m_loop;
    sd_bus_slot *m_object = nullptr;
    // Bus thread: what panels are told.
    QList<Entry> m_shown;
    uint m_revision = 1;
};
