#include "app/TimeTrackerApp.h"

#include "core/MenuBarLabel.h"
#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "platform/AppContext.h"
#include "platform/AppIdentity.h"
#include "platform/AwayNotifier.h"
#include "platform/AwaySources.h"
#include "platform/DisplayPlatform.h"
#include "platform/IconFont.h"
#include "platform/PopoverLoader.h"
#include "platform/SingleInstance.h"
#include "platform/BusLoop.h"
#include "platform/StatusItem.h"
#include "platform/StatusMenu.h"
#include "platform/SystemTray.h"
#include "platform/TrackerService.h"
#include "platform/Theme.h"
#include "platform/UnixSignals.h"
#include "records/Store.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdio>

namespace {
QIcon iconFor(const QString &name)
{
    // Panels draw light icons on dark bars most of the time; the label's own text
    // colour is the panel's, only the icon is ours. A dark rim keeps the light glyph
    // readable on the light panels and trays there are.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        const QImage rim = IconFont::image(name, size, QColor(0, 0, 0, 110));
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        for (const QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)})
            p.drawImage(offset, rim);
        p.drawImage(0, 0, IconFont::image(name, size, QColor(0xf2, 0xf2, 0xf2)));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// Where panels find our symbolic status icons: empty when they are installed in a folder
// the desktop searches anyway, the installed icon folder beside the program when it was
// installed elsewhere, and nothing (no themed icon, only pixmaps) when they are nowhere.
std::optional<QString> symbolicIconThemePath()
{
    const QString file = QStringLiteral("icons/hicolor/symbolic/apps/") + AppIdentity::symbolicIconName(false)
                         + QStringLiteral(".svg");
    if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation, file).isEmpty())
        return QString();
    const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share"));
    if (QFileInfo::exists(beside + u'/' + file))
        return beside + QStringLiteral("/icons");
    return std::nullopt;
}
} // namespace

int TimeTrackerApp::run(int argc, char *argv[])
{
    // First of all, before the application object (which takes tens of milliseconds to
    // build), so that a signal at any later moment ends in an orderly quit.
    UnixSignals::catchEarly();
    // A widget application: the tray fallback and the save dialog are widgets.
    DisplayPlatform::prepare();
    QApplication app(argc, argv);
    DisplayPlatform::finish();
    QGuiApplication::setApplicationName(QStringLiteral("timeglas"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Timeglas"));
    QGuiApplication::setDesktopFileName(AppIdentity::id());
    // The interface is Danish whatever the locale, Qt's own dialogs included.
    QTranslator qtTranslations;
    if (qtTranslations.load(QStringLiteral("qtbase_da"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslations);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    UnixSignals::install(&app);

    // Only one process may write the store: a later start asks the running one for the popover.
    SingleInstance instance;
    switch (instance.claim()) {
    case SingleInstance::Role::Secondary:
        return 0;
    case SingleInstance::Role::Failed:
        std::fprintf(stderr, "Could not start Timeglas: %s\n", qPrintable(instance.errorString()));
        return 1;
    case SingleInstance::Role::Primary:
        break;
    }

    SystemTrayFactory tray;
    TimeTrackerApp shell(&tray);
    if (!shell.start())
        return 1;
    QObject::connect(&instance, &SingleInstance::toggleRequested, &shell, &TimeTrackerApp::togglePopover);
    const int status = app.exec();
    // Whoever ran us must learn that the last changes never reached the disk.
    return shell.finalSaveFailed() ? 1 : status;
}

TimeTrackerApp::TimeTrackerApp(TrayFactory *tray)
    : m_tray(tray)
{
}

TimeTrackerApp::~TimeTrackerApp()
{
    // Views let go of records before the store deletes them.
    m_service.reset();
    m_awayNotifier.reset();
    m_awaySources.reset();
    m_statusItem.reset();
    m_menu.reset();
    m_popover.reset();
    m_label.reset();
    m_bus.reset();
    m_context.reset();
}

bool TimeTrackerApp::start()
{
    QString error;
    // Before anything reads the file: QSettings would follow a link or wait on a FIFO forever.
    if (const auto refused = Preferences::prepareFile(Preferences::defaultPath())) {
        std::fprintf(stderr, "Could not open the preferences: %s (%s)\n", qPrintable(*refused),
                     qPrintable(Preferences::defaultPath()));
        std::fflush(stderr);
        return false;
    }
    m_context = AppContext::open(Store::defaultPath(), &error);
    if (!m_context) {
        std::fprintf(stderr, "Could not create ModelContainer: %s\n", qPrintable(error));
        std::fflush(stderr);
        return false;
    }
    m_context->theme()->watchDesktop();

    // Quitting by any route (our own quit, a signal, the session ending) passes here.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TimeTrackerApp::stopRunningTasks);

    // A task left running by a crash keeps counting, and the label ticks with it,
    // even before the popover is first opened.
    m_context->timerManager()->syncActiveTask(m_context->store()->tasks());

    // Time away is learnt from the system bus (suspend, session lock) and the session bus.
    m_awaySources = std::make_unique<AwaySources>(m_context->awayTracker(), QDBusConnection::systemBus(),
                                                  QDBusConnection::sessionBus());
    m_awayNotifier = std::make_unique<AwayNotifier>(m_context->awayTracker(), QDBusConnection::sessionBus());

    m_popover = std::make_unique<PopoverLoader>(m_context.get(), PopoverLoader::defaultModulePath());
    m_label = std::make_unique<MenuBarLabel>(m_context->store(), m_context->timerManager(),
                                             m_context->preferences());
    connect(m_label.get(), &MenuBarLabel::presentationChanged, this, &TimeTrackerApp::showPresentation);

    m_bus = std::make_unique<BusLoop>();
    if (QString busError; !m_bus->open(&busError))
        std::fprintf(stderr, "Cannot connect to the session bus: %s\n", qPrintable(busError));
    m_statusItem = std::make_unique<StatusItem>(m_bus.get(), m_tray);
    // Where the panel draws our label, the bus thread keeps its clock: the GUI thread
    // sleeps while its screens are hidden. A tray icon's tooltip is ours to tick.
    m_context->timerManager()->setViewsShown(false);
    connect(m_statusItem.get(), &StatusItem::backendChanged, this, [this](StatusItem::Backend backend) {
        m_context->timerManager()->setTicksWhileHidden(backend != StatusItem::Backend::StatusNotifier);
    });
    connect(m_statusItem.get(), &StatusItem::activated, this, [this](QPoint anchor) {
        if (!anchor.isNull())
            m_lastAnchor = anchor;
        m_popover->toggle(anchor);
    });
    m_menu = std::make_unique<StatusMenu>();
    connect(m_menu.get(), &StatusMenu::openRequested, this, &TimeTrackerApp::togglePopover);
    m_statusItem->setMenu(m_menu->menu());
    m_iconThemePath = symbolicIconThemePath();
    showPresentation(m_label->presentation());
    if (!m_statusItem->show()) {
        // Nothing in this session shows status items: do not leave the user with an
        // invisible program.
        m_popover->showAt(QPoint());
    }

    // Scripts, shortcuts and bars reach the tracker on the session bus.
    TrackerService::PopoverControl popover{
        [this] {
            if (Popover *p = m_popover->popover(); p && !p->isVisible())
                p->showAt(popoverAnchor());
        },
        [this] {
            if (m_popover->isLoaded())
                m_popover->popover()->hide();
        },
        [this] { togglePopover(); },
    };
    m_service = std::make_unique<TrackerService>(m_context.get(), m_label.get(), std::move(popover));
    if (QString busError; !m_service->publish(m_bus.get(), &busError))
        std::fprintf(stderr, "Scripts cannot reach Timeglas on the session bus: %s\n", qPrintable(busError));
    return true;
}

void TimeTrackerApp::togglePopover()
{
    if (!m_popover)
        return;
    m_popover->toggle(popoverAnchor());
}

QPoint TimeTrackerApp::popoverAnchor() const
{
    // The item's place as the panel last gave it; before any click, the pointer, which
    // only X11 reports outside our own windows.
    if (m_lastAnchor.isNull() && QGuiApplication::platformName() == QLatin1String("xcb"))
        return QCursor::pos();
    return m_lastAnchor;
}

void TimeTrackerApp::showPresentation(const LabelPresentation &presentation)
{
    if (presentation.iconName != m_iconName) {
        m_iconName = presentation.iconName;
        m_icon = iconFor(m_iconName);
        if (m_iconThemePath) {
            m_statusItem->setIconName(
                AppIdentity::symbolicIconName(m_iconName == QLatin1String("hourglass")), *m_iconThemePath);
        }
    }
    m_statusItem->setPresentation(m_icon, presentation.text, presentation.toolTip, presentation.warning,
                                  presentation.clock);
}

void TimeTrackerApp::stopRunningTasks()
{
    if (m_context)
        m_finalSaveFailed = m_context->timerManager()->stopAll(m_context->store()->fetch<Task>(), m_context->store())
                                .has_value();
}
