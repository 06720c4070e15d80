// The frameless 420 × 600 window the status item opens, built on first use so that
// the QML engine costs nothing until the user looks.
#pragma once

#include "platform/Popover.h"

#include <QElapsedTimer>
#include <QPoint>
#include <memory>

class AppContext;
class AppServices;
class QQmlEngine;
class QQuickWindow;
class QScreen;

class PopoverWindow : public Popover
{
    Q_OBJECT

public:
    static constexpr int Width = 420;
    static constexpr int Height = 600;

    explicit PopoverWindow(AppContext *context, QObject *parent = nullptr);
    ~PopoverWindow() override;

    bool isVisible() const override;
    void showAt(QPoint anchor) override;
    void hide() override;

private:
    bool create();
    void onActiveChanged();

    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QObject> m_root;
    bool m_justShown = false;
    // Running from a show that found the window still counted as active, until it is
    // activated or first loses the focus; a loss this soon is the echo of the last hiding.
    QElapsedTimer m_shownStillActive;
    static constexpr qint64 LateFocusLossMs = 1000;
};
