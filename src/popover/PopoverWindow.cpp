#include "popover/PopoverWindow.h"

#include "qml/AppServices.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <utility>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(qmlLog, "timeglas.popover.qml")

PopoverWindow::PopoverWindow(AppContext *context, QObject *parent)
    : Popover(parent), m_services(std::make_unique<AppServices>(context))
{
    connect(m_services.get(), &AppServices::popoverHideRequested, this, &PopoverWindow::hide);
}

PopoverWindow::~PopoverWindow()
{
    if (m_window)
        m_services->timerManager()->setViewsShown(true);
    m_root.reset();
    m_window.reset();
    m_engine.reset();
    m_services.reset();
}

bool PopoverWindow::isVisible() const
{
    return m_window && m_window->isVisible();
}

bool PopoverWindow::create()
{
    if (m_window)
        return true;
    m_engine = std::make_unique<QQmlEngine>();
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(m_engine.get());
    component.setData("import Timeglas\nPopover {}\n", QUrl(QStringLiteral("qrc:/Timeglas/PopoverWindow.qml")));
    QObject *root = component.isReady() ? component.createWithInitialProperties(
                        {{QStringLiteral("services"), QVariant::fromValue(m_services.get())}})
                                        : nullptr;
    auto *item = qobject_cast<QQuickItem *>(root);
    if (!item) {
        for (const QQmlError &e : component.errors())
            qCWarning(qmlLog, "%s", qPrintable(e.toString()));
        delete root;
        m_engine.reset();
        return false;
    }
    m_root.reset(root);

    m_window = std::make_unique<QQuickWindow>();
    m_window->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_window->setTitle(QStringLiteral("Timeglas"));
    m_window->setColor(m_services->theme()->background());
    m_window->resize(Width, Height);
    m_window->setMinimumSize({Width, Height});
    m_window->setMaximumSize({Width, Height});
    item->setParentItem(m_window->contentItem());
    item->setSize({qreal(Width), qreal(Height)});
    connect(m_services->theme(), &Theme::isDarkChanged, m_window.get(),
            [this] { m_window->setColor(m_services->theme()->background()); });
    connect(m_window.get(), &QWindow::activeChanged, this, &PopoverWindow::onActiveChanged);
    // A hidden popover computes nothing on the tick.
    TimerManager *timerManager = m_services->timerManager();
    timerManager->setViewsShown(false);
    connect(m_window.get(), &QWindow::visibleChanged, timerManager, &TimerManager::setViewsShown);
    return true;
}

void PopoverWindow::showAt(QPoint anchor)
{
    if (!create())
        return;
    QScreen *screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        if (anchor.isNull())
            anchor = QPoint(screen->availableGeometry().right() - Width / 2, screen->availableGeometry().top());
        m_window->setScreen(screen);
        m_window->setPosition(placement(anchor, {Width, Height}, screen->availableGeometry()));
    }
    // A window hidden a moment ago may still count as active: the platform reports its loss
    // of focus late (X11 waits a while for a focus-in that would cancel it), and that report
    // must not hide the window asked for now.
    if (m_window->isActive())
        m_shownStillActive.start();
    else
        m_shownStillActive.invalidate();
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    // Opening counts as a window becoming key even where the window manager does not
    // hand us the focus; the activation that may follow is the same event.
    m_justShown = true;
    emit m_services->windowBecameKey();
}

void PopoverWindow::hide()
{
    if (m_window)
        m_window->hide();
}

void PopoverWindow::onActiveChanged()
{
    const bool lateLoss = m_shownStillActive.isValid() && m_shownStillActive.elapsed() < LateFocusLossMs;
    m_shownStillActive.invalidate();
    if (m_window->isActive()) {
        if (!std::exchange(m_justShown, false))
            emit m_services->windowBecameKey();
        return;
    }
    if (!lateLoss && !m_services->isPopoverPinned())
        hide();
}
