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
    // Faint fills and hairlines: the text colour at 0.02 / 0.06 under dark, 0.03 / 0.08 under light.
    Q_PROPERTY(QColor faint READ faint NOTIFY isDarkChanged)
    Q_PROPERTY(QColor hairline READ hairline NOTIFY isDarkChanged)
    // The fixed palette, the same under both appearances.
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor accentDark READ accentDark CONSTANT)
    Q_PROPERTY(QColor green READ green CONSTANT)
    Q_PROPERTY(QColor blue READ blue CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)

public:
    enum class Scheme { Light, Dark };

    explicit Theme(Preferences *preferences, QObject *parent = nullptr);

    bool isDark() const { return m_isDark; }
    QColor background() const;
    // White under dark, black under light; views apply their own opacity.
    QColor textBase() const;
    Q_INVOKABLE QColor text(double opacity) const;
    Q_INVOKABLE static QColor withOpacity(const QColor &color, double opacity)
    {
        QColor c = color;
        c.setAlphaF(float(opacity));
        return c;
    }
    QColor faint() const { return text(m_isDark ? 0.02 : 0.03); }
    QColor hairline() const { return text(m_isDark ? 0.06 : 0.08); }

    static QColor accent() { return QColor::fromRgbF(0.9f, 0.35f, 0.45f); }
    static QColor accentDark() { return QColor::fromRgbF(0.85f, 0.25f, 0.35f); }
    static QColor green() { return QColor::fromRgbF(0.2f, 0.72f, 0.45f); }
    static QColor blue() { return QColor::fromRgbF(0.3f, 0.55f, 0.9f); }
    static QColor red() { return QColor::fromRgbF(0.85f, 0.2f, 0.25f); }

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
