// Light or dark for the whole app: the "appearanceMode" preference, or the desktop's
// colour scheme (freedesktop portal) when the preference says to follow the system.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QDBusMessage;
class QDBusVariant;

class Preferences;

class Theme : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isDark READ isDark NOTIFY isDarkChanged)
    Q_PROPERTY(QColor background READ background NOTIFY isDarkChanged)
    Q_PROPERTY(QColor textBase READ textBase NOTIFY isDarkChanged)

public:
    enum class Scheme { Light, Dark };

    explicit Theme(Preferences *preferences, QObject *parent = nullptr);

    bool isDark() const { return m_isDark; }
    QColor background() const;
    // White under dark, black under light; views apply their own opacity.
    QColor textBase() const;
    Q_INVOKABLE QColor text(double opacity) const;

    // "light" and "dark" force a scheme; any other text follows the system.
    static bool resolveDark(const QString &mode, Scheme system);

    Scheme systemScheme() const { return m_systemScheme; }
    // Called when the desktop reports a new colour scheme.
    void setSystemScheme(Scheme scheme);

    // Starts listening to the desktop's setting on the session bus.
    void watchDesktop();

signals:
    void isDarkChanged();

private slots:
    void onPortalSettingChanged(const QString &ns, const QString &key, const QDBusVariant &value);
    void onPortalReadReply(const QDBusMessage &reply);

private:
    void update();
    static Scheme schemeFromPortal(const QVariant &value);
    static Scheme schemeFromPalette();

    QPointer<Preferences> m_preferences;
    Scheme m_systemScheme;
    bool m_isDark = false;
};
