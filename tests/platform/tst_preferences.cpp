// The stored preferences: defaults of a fresh installation, what survives a restart, and a file only its owner
// can read; and the autostart entry, whose file alone says whether we start with the session.
#include "core/Preferences.h"
#include "platform/Autostart.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions openToAll = ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;
// Owner, group and others; the "user" bits only repeat one of them.
int mode(const QString &path)
{
    return int(QFile::permissions(path)) & 0x7077;
}
} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.emplace();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
    }
    void survivesRestart_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("fresh"); // a new installation's value
        QTest::addColumn<QVariant>("value");
        const QVariant none = QVariant(QString());
        QTest::newRow("dark appearance") << QByteArray("appearanceMode") << QVariant(QStringLiteral("system"))
                                         << QVariant(QStringLiteral("dark"));
        QTest::newRow("actual hours in the label") << QByteArray("defaultShowBillableTime") << QVariant(true) << QVariant(false);
        QTest::newRow("selected task") << QByteArray("selectedTaskID") << none
                                       << QVariant(QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));
        // Characters that mean something in an INI file, and Danish letters.
        QTest::newRow("API key with INI syntax") << QByteArray("workbookAPIKey") << none
                                                 << QVariant(QStringLiteral("a=b;c#d [e] \"f\" \\g æøå"));
        QTest::newRow("empty API key after one was set") << QByteArray("workbookAPIKey") << none << none;
        QTest::newRow("away time never asked about") << QByteArray("awayMinutes") << QVariant(10) << QVariant(0);
    }

    void survivesRestart()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, fresh);
        QFETCH(QVariant, value);
        {
            Preferences before(filePath());
            QCOMPARE(before.property(property.constData()), fresh);
            // Another value first, so that the one under test is a real change.
            const QVariant other = value.metaType() == QMetaType::fromType<int>() ? QVariant(value.toInt() + 5)
                                                                                   : QVariant(QStringLiteral("something else"));
            QVERIFY(before.setProperty(property.constData(), other));
            QVERIFY(before.setProperty(property.constData(), value));
        }
        Preferences after(filePath());
        QCOMPARE(after.property(property.constData()), value);
    }

    // Only its owner may read the file, whatever was there before; what is no regular file is refused at once
    // (no wait on a FIFO), and nothing at the far end of a link changes.
    void ownersRegularFileOnly_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("created on first start") << QString();
        QTest::newRow("existing file open to all") << "open";
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a link to another file") << "link";
        QTest::newRow("a dangling link") << "dangling";
        QTest::newRow("a folder") << "folder";
    }

    void ownersRegularFileOnly()
    {
        QFETCH(QString, what);
        QVERIFY(QDir().mkpath(QFileInfo(filePath()).absolutePath()));
        const QString target = what == u"open" ? filePath() : m_dir->filePath(QStringLiteral("target"));
        QFile targetFile(target);
        QVERIFY(targetFile.open(QIODevice::WriteOnly) && targetFile.write("[General]\nworkbookAPIKey=old\n") > 0);
        QVERIFY(targetFile.setPermissions(openToAll));
        if (what == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(filePath()).constData(), 0644), 0);
        else if (what == u"folder")
            QVERIFY(QDir().mkpath(filePath()));
        else if (what == u"link" || what == u"dangling")
            QVERIFY(QFile::link(what == u"link" ? target : m_dir->filePath(QStringLiteral("nothing")), filePath()));
        if (what.isEmpty() || what == u"open") {
            Preferences preferences(filePath());
            QCOMPARE(mode(filePath()), int(ownerOnly));
            preferences.setWorkbookAPIKey(QStringLiteral("hemmelig"));
            QCOMPARE(mode(filePath()), int(ownerOnly));
            return;
        }
        const std::optional<QString> refused = Preferences::prepareFile(filePath());
        QVERIFY(refused && !refused->isEmpty());
        QCOMPARE(mode(target), int(openToAll));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("nothing"))));
    }

    // The autostart switch shows what the entry says, whoever wrote it; switching writes or removes it, with an
    // Exec line that runs the program wherever it lies, and removing what is not there is no error.
    void autostartComesFromTheFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // the entry found, if any
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec"); // empty: no entry can hold that path
        const QString usual = QStringLiteral("/usr/bin/timeglas");
        QTest::newRow("plain entry") << QByteArray("[Desktop Entry]\nType=Application\nExec=timeglas\n") << true << usual << usual;
        QTest::newRow("hidden by the session") << QByteArray("[Desktop Entry]\nExec=timeglas\nHidden=true\n") << false << usual << usual;
        QTest::newRow("disabled by GNOME's tools")
            << QByteArray("[Desktop Entry]\nExec=timeglas\nX-GNOME-Autostart-enabled=false\n") << false << usual << usual;
        QTest::newRow("Hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=timeglas\n[Desktop Action x]\nHidden=true\n") << true << usual << usual;
        QTest::newRow("space") << QByteArray() << false << "/home/a b/timeglas" << "\"/home/a b/timeglas\"";
        QTest::newRow("dollar and quote") << QByteArray() << false << "/opt/$x\"y/timeglas" << "\"/opt/\\\\$x\\\\\"y/timeglas\"";
        QTest::newRow("backslash") << QByteArray() << false << "/opt/a\\b/timeglas" << "\"/opt/a\\\\\\\\b/timeglas\"";
        QTest::newRow("percent is no field code") << QByteArray() << false << "/opt/100%/timeglas" << "/opt/100%%/timeglas";
        QTest::newRow("a newline cannot be written") << QByteArray() << false << "/opt/a\nb/timeglas" << "";
    }
    void autostartComesFromTheFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, enabled);
        QFETCH(QString, program);
        QFETCH(QString, exec);
        const QString path = Autostart::entryPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile entry(path);
        QVERIFY(content.isEmpty() || (entry.open(QIODevice::WriteOnly) && entry.write(content) == content.size()));
        entry.close();
        QCOMPARE(Autostart::isEnabled(), enabled);
        QCOMPARE(Autostart::execValue(program), exec);
        if (exec.isEmpty()) {
            QVERIFY(!Autostart::setEnabled(true, program).isEmpty());
            QVERIFY(!QFile::exists(path));
            return;
        }
        for (const bool enable : {!enabled, enabled, false, false, true}) {
            QCOMPARE(Autostart::setEnabled(enable, program), QString());
            QCOMPARE(Autostart::isEnabled(), enable);
            QCOMPARE(QFile::exists(path), enable);
            QFile f(path);
            if (!enable || !f.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = f.readAll();
            QVERIFY(text.startsWith("[Desktop Entry]\n"));
            QVERIFY(text.contains("\nType=Application\n"));
            QVERIFY(text.contains("\nExec=" + exec.toUtf8() + '\n'));
            QVERIFY(!text.contains("Hidden"));
        }
    }

private:
    QString filePath() const { return m_dir->path() + QStringLiteral("/timeglas/timeglas.conf"); }
    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
