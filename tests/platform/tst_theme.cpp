// Light or dark: the "appearanceMode" preference decides, any other text follows the desktop.
#include "Preferences.h"
#include "Theme.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Scheme = Theme::Scheme;

class TestTheme : public QObject
{
    Q_OBJECT

private slots:
    void resolveDark_data();
    void resolveDark();
    void followsChanges_data();
    void followsChanges();
};

void TestTheme::resolveDark_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<Scheme>("system");
    QTest::addColumn<bool>("dark");

    QTest::newRow("light on a light desktop") << QStringLiteral("light") << Scheme::Light << false;
    QTest::newRow("light on a dark desktop") << QStringLiteral("light") << Scheme::Dark << false;
    QTest::newRow("dark on a light desktop") << QStringLiteral("dark") << Scheme::Light << true;
    QTest::newRow("dark on a dark desktop") << QStringLiteral("dark") << Scheme::Dark << true;
    QTest::newRow("system on a light desktop") << QStringLiteral("system") << Scheme::Light << false;
    QTest::newRow("system on a dark desktop") << QStringLiteral("system") << Scheme::Dark << true;
    QTest::newRow("empty follows a dark desktop") << QString() << Scheme::Dark << true;
    QTest::newRow("empty follows a light desktop") << QString() << Scheme::Light << false;
    // The comparison is exact: other spellings are "any other value".
    QTest::newRow("Dark follows a light desktop") << QStringLiteral("Dark") << Scheme::Light << false;
    QTest::newRow("LIGHT follows a dark desktop") << QStringLiteral("LIGHT") << Scheme::Dark << true;
    QTest::newRow("padded dark follows a light desktop") << QStringLiteral(" dark") << Scheme::Light << false;
    QTest::newRow("unknown word follows a dark desktop") << QStringLiteral("auto") << Scheme::Dark << true;
}

void TestTheme::resolveDark()
{
    QFETCH(QString, mode);
    QFETCH(Scheme, system);
    QFETCH(bool, dark);
    QCOMPARE(Theme::resolveDark(mode, system), dark);
}

void TestTheme::followsChanges_data()
{
    QTest::addColumn<QString>("modeBefore");
    QTest::addColumn<QString>("modeAfter");
    QTest::addColumn<Scheme>("systemAfter");
    QTest::addColumn<bool>("darkAfter");
    QTest::addColumn<int>("notifications");

    QTest::newRow("preference set to dark") << QStringLiteral("system") << QStringLiteral("dark") << Scheme::Light << true << 1;
    QTest::newRow("back to system while the desktop is light")
        << QStringLiteral("dark") << QStringLiteral("system") << Scheme::Light << false << 1;
    QTest::newRow("desktop turns dark while following it")
        << QStringLiteral("system") << QStringLiteral("system") << Scheme::Dark << true << 1;
    QTest::newRow("desktop turns dark under a forced light")
        << QStringLiteral("light") << QStringLiteral("light") << Scheme::Dark << false << 0;
    QTest::newRow("light forced on a light desktop changes nothing")
        << QStringLiteral("system") << QStringLiteral("light") << Scheme::Light << false << 0;
}

void TestTheme::followsChanges()
{
    QFETCH(QString, modeBefore);
    QFETCH(QString, modeAfter);
    QFETCH(Scheme, systemAfter);
    QFETCH(bool, darkAfter);
    QFETCH(int, notifications);
    QTemporaryDir dir;
    Preferences preferences(dir.path() + QStringLiteral("/timeglas.conf"));
    preferences.setAppearanceMode(modeBefore);
    // Without a GUI application the desktop counts as light until it says otherwise.
    Theme theme(&preferences);
    QCOMPARE(theme.systemScheme(), Scheme::Light);
    QSignalSpy changed(&theme, &Theme::isDarkChanged);

    preferences.setAppearanceMode(modeAfter);
    theme.setSystemScheme(systemAfter);

    QCOMPARE(theme.isDark(), darkAfter);
    QCOMPARE(changed.size(), notifications);
}

QTEST_GUILESS_MAIN(TestTheme)
#include "tst_theme.moc"
