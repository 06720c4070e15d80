// The frameless 420 × 600 window the status item opens, built on first use so that
// the QML engine costs nothing until the user looks.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <memory>

class AppServices;
class QQmlEngine;
class QQuickWindow;
class QScreen;

class PopoverWindow : public QObject
{
    Q_OBJECT

public:
    static constexpr int Width = 420;
    static constexpr int Height = 600;

    explicit PopoverWindow(AppServices *services, QObject *parent = nullptr);
    ~PopoverWindow() override;

    bool isCreated() const { return m_window != nullptr; }
    bool isVisible() const;
    QQuickWindow *window() const { return m_window.get(); }

    // Shows the window next to `anchor` (screen coordinates of the status item), or hides it.
    void toggle(QPoint anchor);
    void showAt(QPoint anchor);
    void hide();

    // Where a window of `size` goes for an item at `anchor`: below it when the item is in
    // the upper half of the screen, above it otherwise, centred on it, kept on screen.
    static QPoint placement(QPoint anchor, QSize size, const QRect &available);

private:
    bool create();
    void onActiveChanged();

    QPointer<AppServices> m_services;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QObject> m_root;
    bool m_justShown = false;
};
