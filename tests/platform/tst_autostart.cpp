// The autostart entry: where it goes, that the file alone says whether we start with the
// session, and that the command in it runs this program whatever its path.
#include "AppIdentity.h"
#include "Autostart.h"

#include <QTemporaryDir>
#include <QtTest>

class AutostartTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }

    void entryPathFollowsConfigHome_data()
    {
        QTest::addColumn<QByteArray>("configHome"); // "-" leaves it unset; "config" is inside the test folder
        QTest::addColumn<QString>("expected");
        const QString name = QStringLiteral("/autostart/") + AppIdentity::id() + QStringLiteral(".desktop");
        QTest::newRow("XDG_CONFIG_HOME") << QByteArray("config") << QStringLiteral("config") + name;
        QTest::newRow("unset: ~/.config") << QByteArray("-") << QStringLiteral("home/.config") + name;
        QTest::newRow("relative is ignored") << QByteArray("relative/config") << QStringLiteral("home/.config") + name;
    }
    void entryPathFollowsConfigHome()
    {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, expected);
        if (configHome == "-")
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome == "config" ? m_dir.filePath(QStringLiteral("config")).toUtf8() : configHome);
        QCOMPARE(Autostart::entryPath(), m_dir.filePath(expected));
    }

    // The switch shows what the file says, whoever wrote it; switching writes or removes it,
    // and removing what is not there is no error.
    void stateComesFromTheFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain entry") << QByteArray("[Desktop Entry]\nType=Application\nExec=timeglas\n") << true;
        QTest::newRow("hidden by the session") << QByteArray("[Desktop Entry]\nExec=timeglas\nHidden=true\n") << false;
        QTest::newRow("disabled by GNOME's tools")
            << QByteArray("[Desktop Entry]\nExec=timeglas\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("Hidden=false") << QByteArray("[Desktop Entry]\nExec=timeglas\nHidden=false\n") << true;
        QTest::newRow("Hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=timeglas\n[Desktop Action x]\nHidden=true\n") << true;
    }
    void stateComesFromTheFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, enabled);
        const QString path = Autostart::entryPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::WriteOnly) && entry.write(content) == content.size());
        entry.close();
        QCOMPARE(Autostart::isEnabled(), enabled);

        for (const bool enable : {!enabled, enabled, false, false, true}) {
            QCOMPARE(Autostart::setEnabled(enable, QStringLiteral("/usr/bin/timeglas")), QString());
            QCOMPARE(Autostart::isEnabled(), enable);
            QCOMPARE(QFile::exists(path), enable);
            QFile f(path);
            if (!enable || !f.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = f.readAll();
            QVERIFY(text.startsWith("[Desktop Entry]\n"));
            QVERIFY(text.contains("\nType=Application\n"));
            QVERIFY(text.contains("\nExec=/usr/bin/timeglas\n"));
            QVERIFY(!text.contains("Hidden"));
        }
    }

    void execRunsTheProgram_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/timeglas" << "/usr/bin/timeglas";
        QTest::newRow("space") << "/home/a b/timeglas" << "\"/home/a b/timeglas\"";
        QTest::newRow("dollar and quote") << "/opt/$x\"y/timeglas" << "\"/opt/\\\\$x\\\\\"y/timeglas\"";
        QTest::newRow("backslash") << "/opt/a\\b/timeglas" << "\"/opt/a\\\\\\\\b/timeglas\"";
        QTest::newRow("percent is no field code") << "/opt/100%/timeglas" << "/opt/100%%/timeglas";
        QTest::newRow("a newline cannot be written") << "/opt/a\nb/timeglas" << "";
    }
    void execRunsTheProgram()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(Autostart::execValue(program), exec);
    }
};

QTEST_GUILESS_MAIN(AutostartTest)
#include "tst_autostart.moc"
