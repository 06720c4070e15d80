#include "platform/PopoverLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(popoverLog, "timeglas.popover")

PopoverLoader::PopoverLoader(AppContext *context, const QString &modulePath, QObject *parent)
    : QObject(parent), m_context(context), m_modulePath(modulePath)
{
}

QString PopoverLoader::defaultModulePath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/" TIMEGLAS_MODULE_DIR "/libtimeglas_popover.so"));
}

Popover *PopoverLoader::popover()
{
    if (m_popover || !m_error.isEmpty())
        return m_popover;
    // A loaded module stays loaded: the popover's code must outlive the popover.
    QPluginLoader loader(m_modulePath);
    QObject *root = loader.instance();
    auto *factory = qobject_cast<PopoverFactory *>(root);
    if (!factory) {
        m_error = root ? QStringLiteral("%1 is not the popover module").arg(m_modulePath)
                       : QStringLiteral("%1: %2").arg(m_modulePath, loader.errorString());
        qCWarning(popoverLog, "Cannot load the popover: %s", qPrintable(m_error));
        return nullptr;
    }
    m_popover = factory->createPopover(m_context, this);
    return m_popover;
}

void PopoverLoader::toggle(QPoint anchor)
{
    if (Popover *p = popover())
        p->toggle(anchor);
}

void PopoverLoader::showAt(QPoint anchor)
{
    if (Popover *p = popover())
        p->showAt(anchor);
}
