// Finds and presses controls of a shown view by their accessible names, the way assistive
// technology reaches them, so tests also prove that every control can be named and pressed.
#pragma once

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest/QTest>

namespace a11y {

inline QAccessibleInterface *find(QAccessibleInterface *node, const QString &name)
{
    if (!node)
        return nullptr;
    if (node->text(QAccessible::Name) == name && !node->state().invisible)
        return node;
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface *hit = find(node->child(i), name))
            return hit;
    return nullptr;
}

inline QAccessibleInterface *find(QQuickWindow *window, const QString &name)
{
    return find(QAccessible::queryAccessibleInterface(window), name);
}

// Runs the control's press action; false when no visible control has that name or it cannot be pressed.
inline bool press(QQuickWindow *window, const QString &name)
{
    QAccessibleInterface *iface = find(window, name);
    QAccessibleActionInterface *actions = iface ? iface->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

// Types text into the window's focused item, one key press per character (non-ASCII included).
inline void type(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

} // namespace a11y
