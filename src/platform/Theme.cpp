#include "platform/Theme.h"

#include "core/Preferences.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>

namespace {
constexpr auto portalService = "org.freedesktop.portal.Desktop";
constexpr auto portalPath = "/org/freedesktop/portal/desktop";
constexpr auto portalInterface = "org.freedesktop.portal.Settings";
constexpr auto appearanceNamespace = "org.freedesktop.appearance";
constexpr auto colorSchemeKey = "color-scheme";
} // namespace

Theme::Theme(Preferences *preferences, QObject *parent)
    : QObject(parent), m_preferences(preferences), m_systemScheme(schemeFromPalette())
{
    if (preferences)
        connect(preferences, &Preferences::appearanceModeChanged, this, &Theme::update);
    update();
}

bool Theme::resolveDark(const QString &mode, Scheme system)
{
    if (mode == QLatin1String("light"))
        return false;
    if (mode == QLatin1String("dark"))
        return true;
    return system == Scheme::Dark;
}

void Theme::setSystemScheme(Scheme scheme)
{
    if (m_systemScheme == scheme)
        return;
    m_systemScheme = scheme;
    update();
}

void Theme::update()
{
    const QString mode = m_preferences ? m_preferences->appearanceMode() : QString();
    const bool dark = resolveDark(mode, m_systemScheme);
    if (dark == m_isDark)
        return;
    m_isDark = dark;
    emit isDarkChanged();
}

QColor Theme::background() const
{
    return m_isDark ? QColor::fromRgbF(0.11f, 0.12f, 0.14f) : QColor::fromRgbF(0.96f, 0.96f, 0.97f);
}

QColor Theme::textBase() const
{
    return m_isDark ? QColor(Qt::white) : QColor(Qt::black);
}

QColor Theme::text(double opacity) const
{
    QColor c = textBase();
    c.setAlphaF(float(opacity));
    return c;
}

Theme::Scheme Theme::schemeFromPortal(const QVariant &value)
{
    // 0: no preference, 1: prefer dark, 2: prefer light. The value may arrive wrapped
    // in one or two variants depending on the portal's version.
    QVariant v = value;
    while (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    return v.toUInt() == 1 ? Scheme::Dark : Scheme::Light;
}

Theme::Scheme Theme::schemeFromPalette()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return Scheme::Light;
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightnessF() < 0.5 ? Scheme::Dark : Scheme::Light;
}

void Theme::watchDesktop()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(QLatin1String(portalService), QLatin1String(portalPath), QLatin1String(portalInterface),
                QStringLiteral("SettingChanged"), this,
                SLOT(onPortalSettingChanged(QString, QString, QDBusVariant)));

    QDBusMessage read = QDBusMessage::createMethodCall(QLatin1String(portalService), QLatin1String(portalPath),
                                                       QLatin1String(portalInterface), QStringLiteral("Read"));
    read << QLatin1String(appearanceNamespace) << QLatin1String(colorSchemeKey);
    // Asynchronous: a missing portal must not delay start-up.
    bus.callWithCallback(read, this, SLOT(onPortalReadReply(QDBusMessage)));
}

void Theme::onPortalSettingChanged(const QString &ns, const QString &key, const QDBusVariant &value)
{
    if (ns == QLatin1String(appearanceNamespace) && key == QLatin1String(colorSchemeKey))
        setSystemScheme(schemeFromPortal(value.variant()));
}

void Theme::onPortalReadReply(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        setSystemScheme(schemeFromPortal(reply.arguments().constFirst()));
}
