// The command line and the bus interface as scripts and bars meet them: the real program on a
// private bus, driven by `timeglas` commands.
#include "PrivateBus.h"
#include "ProgramEnvironment.h"
#include "SqlPeek.h"
#include "cli/StatusLine.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {
const QString hostile = QStringLiteral("<b>x</b> & %{F#f00}");
const QString service = QStringLiteral("dk.timeglas.Timeglas");
const QString objectPath = QStringLiteral("/dk/timeglas/Timeglas");

struct Outcome
{
    int code = -1;
    QString out;
    QString err;
};
} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_program;
    QList<QVariantMap> m_changes; // PropertiesChanged as the program sent them
    QString m_owner;              // the program's own connection (a quitting one may still speak)

    QString storePath() const { return m_dir.filePath(QStringLiteral("data/timeglas/timeglas.sqlite")); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = programEnvironment(QDir(m_dir.path()));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
        return env;
    }
    void startCommand(QProcess &p, const QStringList &arguments) const
    {
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(TIMEGLAS_BINARY), arguments);
    }
    Outcome run(const QStringList &arguments) const
    {
        QProcess p;
        startCommand(p, arguments);
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    static bool onBus()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(service).value();
    }
    bool startProgram()
    {
        startCommand(m_program, {});
        if (!m_program.waitForStarted() || !QTest::qWaitFor(onBus, 30000))
            return false;
        m_owner = QDBusConnection::sessionBus().interface()->serviceOwner(service);
        return true;
    }
    // Ends the program that owns the name, whoever started it.
    static bool endProgram()
    {
        const auto pid = QDBusConnection::sessionBus().interface()->servicePid(service);
        return pid.isValid() && ::kill(pid_t(pid.value()), SIGTERM) == 0 && QTest::qWaitFor([] { return !onBus(); }, 30000);
    }
    static QVariantMap properties()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(service, objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("GetAll"));
        get << service;
        const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
        return reply.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    }
    // Today's task rows as the file holds them: "name|seconds|running".
    QStringList tasksOnDisk()
    {
        return SqlPeek(storePath()).column("SELECT name || '|' || accumulatedSeconds || '|' || (lastStartTime IS NOT NULL)"
                                           " FROM Task ORDER BY rowid");
    }
    void seed(const QString &setup)
    {
        QString error;
        auto store = Store::open(storePath(), &error);
        QVERIFY2(store, qPrintable(error));
        store->insert(Task::create(QStringLiteral("Møde"), timecalc::startOfToday(), 0, std::nullopt))->setAccumulatedSeconds(3600);
        if (setup == u"closed")
            store->insert(ClosedDay::create(timecalc::startOfToday(), 1.0));
        QVERIFY(!store->save().has_value());
        store.reset();
        if (setup == u"refusing")
            QVERIFY(SqlPeek(storePath()).exec("CREATE TRIGGER refuse BEFORE INSERT ON Task WHEN NEW.name = 'Ny'"
                                              " BEGIN SELECT RAISE(ABORT, 'not this one'); END"));
    }
    static QString readLine(QProcess &p)
    {
        if (!QTest::qWaitFor([&] { return p.canReadLine(); }, 30000))
            return QStringLiteral("<no line>");
        return QString::fromUtf8(p.readLine()).chopped(1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDBusConnection::sessionBus().connect(service, objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("PropertiesChanged"), this,
                                                      SLOT(propertiesChanged(QDBusMessage))));
    }
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        m_changes.clear();
    }
    void cleanup()
    {
        if (onBus())
            QVERIFY(endProgram());
        m_program.waitForFinished(30000);
    }

    // A user's text reaches each bar as written: nothing in it becomes markup or a format code.
    void lines_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("saveError");
        QTest::addColumn<QString>("expected");
        const QString label = "00:00:05 · " + hostile;
        const QString escaped = QStringLiteral("00:00:05 · &lt;b&gt;x&lt;/b&gt; &amp; %{F#f00}");
        QTest::newRow("plain") << int(LineFormat::Plain) << label << "" << label;
        QTest::newRow("plain, a line break in a name") << int(LineFormat::Plain) << "a\nb\rc" << "" << "a b c";
        QTest::newRow("waybar") << int(LineFormat::Json) << label << ""
                                << "{\"text\":\"" + escaped + "\",\"tooltip\":\"&lt;b&gt;x&lt;/b&gt; &amp; %{F#f00}\","
                                   "\"class\":\"running\",\"alt\":\"running\"}";
        QTest::newRow("waybar, not saving") << int(LineFormat::Json) << "\"q\" \\ \x01" << "Ændringer gemmes ikke: 'x'"
                                            << "{\"text\":\"&quot;q&quot; \\\\ \\u0001\",\"tooltip\":\"&lt;b&gt;x&lt;/b&gt;"
                                               " &amp; %{F#f00}\\nÆndringer gemmes ikke: &#39;x&#39;\","
                                               "\"class\":\"not-saving\",\"alt\":\"not-saving\"}";
        QTest::newRow("polybar") << int(LineFormat::Polybar) << label << ""
                                 << QStringLiteral("00:00:05 · <b>x</b> & %\u2060{F#f00}");
        QTest::newRow("polybar, a lone percent") << int(LineFormat::Polybar) << "100% {x} %" << "" << "100% {x} %";
        QTest::newRow("i3blocks") << int(LineFormat::I3blocks) << "\"" + hostile + "\"" << ""
                                  << "{\"full_text\":\"\\\"<b>x</b> & %{F#f00}\\\"\"}";
        QTest::newRow("generic monitor") << int(LineFormat::Genmon) << label << ""
                                         << "<txt>" + escaped + "</txt><tool>&lt;b&gt;x&lt;/b&gt; &amp; %{F#f00}</tool>";
    }
    void lines()
    {
        QFETCH(int, format);
        QFETCH(QString, label);
        QFETCH(QString, saveError);
        QFETCH(QString, expected);
        TrackerStatus status;
        status.label = label.toStdString();
        status.running = true;
        status.toolTip = hostile.toStdString();
        status.saveError = saveError.toStdString();
        QCOMPARE(QString::fromStdString(statusLine(&status, LineFormat(format))), expected);
        // While the program is not running the text is empty; i3blocks would take an empty line for the end.
        QCOMPARE(statusLine(nullptr, LineFormat(format)), format == int(LineFormat::I3blocks) ? "{\"full_text\":\"\"}" : "");
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // how standard output begins
        QTest::newRow("version") << QStringList{"--version"} << 0 << "timeglas " TIMEGLAS_VERSION "\n";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Brug: timeglas";
        QTest::newRow("an unknown command") << QStringList{"statsu"} << 2 << "";
        QTest::newRow("two formats") << QStringList{"status", "--json", "--polybar"} << 2 << "";
        QTest::newRow("stop with an argument") << QStringList{"stop", "now"} << 2 << "";
        // Nothing runs here: the commands that need the program say so.
        QTest::newRow("status, nothing running") << QStringList{"status", "--json"} << 1 << "\n";
        QTest::newRow("stop, nothing running") << QStringList{"stop"} << 1 << "";
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, out);
        const Outcome o = run(arguments);
        QCOMPARE(o.code, code);
        QVERIFY2(out.isEmpty() ? o.out.isEmpty() : o.out.startsWith(out), qPrintable(o.out));
        // A refusal or a mistake is one line that says why (a mistake adds where to look).
        QCOMPARE(o.err.count(u'\n'), code == 0 ? 0 : code == 1 ? 1 : 2);
        QCOMPARE(onBus(), false);
    }

    // Starting by name on today, as "Ny opgave" adds and the play button starts; refusals are
    // an exit status and one line, never a silent success. A stop banks at once.
    void startByName_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("runningName"); // the task that runs afterwards; "-" for none
        QTest::addColumn<QStringList>("disk");   // after a stop
        const QString longName(Task::NameLimit + 20, u'a');
        QTest::newRow("today's task, name trimmed") << "" << QStringList{"start", "  Møde "} << 0 << "Møde"
                                                    << QStringList{"Møde|3600|0"};
        QTest::newRow("a new task, its words joined") << "" << QStringList{"start", "Frokost", "med", "Jens"} << 0
                                                      << "Frokost med Jens"
                                                      << QStringList{"Møde|3600|0", "Frokost med Jens|0|0"};
        QTest::newRow("no name: the unnamed task") << "" << QStringList{"start"} << 0 << "" << QStringList{"Møde|3600|0", "|0|0"};
        QTest::newRow("a name cut to the limit") << "" << QStringList{"start", longName} << 0 << longName.left(Task::NameLimit)
                                                 << QStringList{"Møde|3600|0", longName.left(Task::NameLimit) + "|0|0"};
        QTest::newRow("a closed day") << "closed" << QStringList{"start", "Møde"} << 1 << "-" << QStringList{"Møde|3600|0"};
        // As in the popover: it runs, and the user is told that it is not saved.
        QTest::newRow("a store refusing the task") << "refusing" << QStringList{"start", "Ny"} << 1 << "Ny"
                                                   << QStringList{"Møde|3600|0"};
    }
    void startByName()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, runningName);
        QFETCH(QStringList, disk);
        seed(setup);
        QVERIFY(startProgram());
        const Outcome started = run(arguments);
        QCOMPARE(started.code, code);
        QCOMPARE(started.err.count(u'\n'), code ? 1 : 0);
        QVariantMap now = properties();
        QCOMPARE(now.value(QStringLiteral("Running")).toBool(), runningName != u"-");
        if (runningName != u"-") {
            QCOMPARE(now.value(QStringLiteral("TaskName")).toString(), runningName);
            QCOMPARE(run({"status"}).out.section(u'\n', 0, 0), now.value(QStringLiteral("Label")).toString());
            QVERIFY(now.value(QStringLiteral("Label")).toString().endsWith(runningName.isEmpty() ? QStringLiteral("·") : runningName));
        }
        const Outcome stopped = run({"stop"});
        QCOMPARE(stopped.code, setup == u"refusing" ? 1 : 0);
        QCOMPARE(properties().value(QStringLiteral("Running")).toBool(), false);
        // Banked and saved at once (the clock may have passed a second meanwhile).
        QStringList onDisk = tasksOnDisk();
        onDisk.replaceInStrings(QRegularExpression(QStringLiteral("^Møde\\|360\\d\\|")), QStringLiteral("Møde|3600|"));
        onDisk.replaceInStrings(QRegularExpression(QStringLiteral("\\|\\d\\|0$")), QStringLiteral("|0|0"));
        QCOMPARE(onDisk, disk);
        QCOMPARE(run({"stop"}).code, setup == u"refusing" ? 1 : 0); // nothing runs: nothing to do
    }

    // A bar's follower: a line now, one per second while a task runs, none while idle, an
    // empty line while the program is gone and the label again when it is back. The bus
    // hears only what changed.
    void follow()
    {
        seed(QString());
        QVERIFY(startProgram());
        QProcess follower;
        startCommand(follower, {"status", "--follow"});
        QCOMPARE(readLine(follower), QStringLiteral("1.00t"));
        const qsizetype idle = m_changes.size();
        QCOMPARE(run({"start", "Møde"}).code, 0);
        const QRegularExpression clock(QStringLiteral("^01:00:(\\d\\d) · Møde$"));
        int previous = -1;
        for (int i = 0; i < 3; ++i) {
            const QString line = readLine(follower);
            const auto match = clock.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            if (previous >= 0)
                QCOMPARE(match.captured(1).toInt(), previous + 1);
            previous = match.captured(1).toInt();
        }
        // After the start, each second changes the label and the seconds, and nothing else.
        QVERIFY(m_changes.size() > idle + 1);
        for (const QVariantMap &change : std::as_const(m_changes).mid(idle + 1))
            QCOMPARE(change.keys(), QStringList({"Label", "Seconds"}));
        QCOMPARE(run({"stop"}).code, 0);
        QString line;
        do
            line = readLine(follower);
        while (clock.match(line).hasMatch());
        QCOMPARE(line, QStringLiteral("1.00t"));
        QCOMPARE(run({"stop"}).code, 0);
        QVERIFY(endProgram());
        QCOMPARE(readLine(follower), QString()); // the next line after idle: the program went
        QVERIFY(m_program.waitForFinished(30000));
        QVERIFY(startProgram());
        QCOMPARE(readLine(follower), QStringLiteral("1.00t"));
        follower.kill();
        follower.waitForFinished();
    }

    // With nothing running, a follower waits, and a start brings the program and the task.
    void startWhenNotRunning()
    {
        QProcess follower;
        startCommand(follower, {"status", "--follow", "--json"});
        QCOMPARE(readLine(follower), QString());
        const Outcome started = run({"start", hostile});
        QCOMPARE(started.code, 0);
        QVERIFY(onBus());
        // The program is on the bus a moment before the task runs.
        QString line = readLine(follower);
        if (line.contains(QStringLiteral("\"idle\"")))
            line = readLine(follower);
        QVERIFY2(line.contains(QStringLiteral("· &lt;b&gt;x&lt;/b&gt; &amp; %{F#f00}\"")), qPrintable(line));
        QCOMPARE(properties().value(QStringLiteral("TaskName")).toString(), hostile);
        follower.kill();
        follower.waitForFinished();
    }

public slots:
    void propertiesChanged(const QDBusMessage &message)
    {
        if (message.service() == m_owner)
            m_changes.append(qdbus_cast<QVariantMap>(message.arguments().value(1)));
    }
};

int main(int argc, char *argv[])
{
    return runOnPrivateBus<QCoreApplication, CliTest>(argc, argv);
}

#include "tst_cli.moc"
