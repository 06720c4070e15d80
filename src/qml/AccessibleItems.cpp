#include "qml/AccessibleItems.h"

#include <QAccessible>
#include <QtQuick/private/qaccessiblequickitem_p.h>
#include <QtQuick/private/qquickitem_p.h>

namespace {

// Qt 6.4 reports every Qt Quick item as enabled, so a greyed-out button would be read as one
// that works; and it has no way for a QML item to offer a menu.
class QuickItemInterface : public QAccessibleQuickItem
{
public:
    using QAccessibleQuickItem::QAccessibleQuickItem;

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleQuickItem::state();
        if (!isEnabled())
            state.disabled = true;
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleQuickItem::actionNames();
        if (offersMenu())
            names.append(showMenuAction());
        return names;
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() && offersMenu())
            QMetaObject::invokeMethod(item(), "showMenuAction");
        else
            QAccessibleQuickItem::doAction(actionName);
    }

private:
    // A MouseArea's own `enabled` hides the item's; the most derived one is what QML sets.
    bool isEnabled() const { return item()->isEnabled() && item()->property("enabled").toBool(); }

    bool offersMenu() const
    {
        return isEnabled() && item()->metaObject()->indexOfSignal("showMenuAction()") >= 0;
    }
};

QAccessibleInterface *itemInterface(const QString &className, QObject *object)
{
    // Qt's own factory answers at this class name too; ours is asked first.
    if (className != QLatin1String("QQuickItem"))
        return nullptr;
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item || !QQuickItemPrivate::get(item)->isAccessible)
        return nullptr;
    return new QuickItemInterface(item);
}

} // namespace

void accessibility::installItemInterface()
{
    // The factory installed last is asked first, and Qt Quick installs its own when it loads.
    QAccessible::removeFactory(itemInterface);
    QAccessible::installFactory(itemInterface);
}
