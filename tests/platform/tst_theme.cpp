// Light or dark: the "appearanceMode" preference decides, any other text follows the desktop.
#include "core/Preferences.h"
#include "platform/Theme.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Scheme = Theme::Scheme;

class TestTheme : public QObject
{
    Q_OBJECT

private slots:
    void followsChanges_data()
    {
        QTest::addColumn<QString>("modeBefore");
        QTest::addColumn<QString>("modeAfter");
        QTest::addColumn<Scheme>("systemAfter");
        QTest::addColumn<bool>("darkAfter");
        QTest::addColumn<int>("notifications");
        QTest::newRow("preference set to dark") << "system" << "dark" << Scheme::Light << true << 1;
        QTest::newRow("desktop turns dark while following it") << "system" << "system" << Scheme::Dark << true << 1;
        // The comparison is exact: any other spelling, "system" too, follows the desktop.
        QTest::newRow("\"Dark\" follows a light desktop") << "dark" << "Dark" << Scheme::Light << false << 1;
        QTest::newRow("desktop turns dark under a forced light") << "light" << "light" << Scheme::Dark << false << 0;
        QTest::newRow("light forced on a light desktop changes nothing") << "system" << "light" << Scheme::Light << false << 0;
    }
    void followsChanges()
    {
        QFETCH(QString, modeBefore);
        QFETCH(QString, modeAfter);
        QFETCH(Scheme, systemAfter);
        QFETCH(bool, darkAfter);
        QFETCH(int, notifications);
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("timeglas.conf")));
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
};

QTEST_GUILESS_MAIN(TestTheme)
#include "tst_theme.moc"
