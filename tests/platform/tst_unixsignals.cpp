// SIGTERM, SIGINT and SIGHUP end the app the orderly way: the loop returns 0 and says which signal came.
#include "platform/UnixSignals.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

class TestUnixSignals : public QObject
{
    Q_OBJECT

private:
    UnixSignals *m_handler = nullptr;

private slots:
    void initTestCase()
    {
        m_handler = UnixSignals::install(QCoreApplication::instance());
        QVERIFY(m_handler);
        QCOMPARE(UnixSignals::install(QCoreApplication::instance()), m_handler);
    }

    void quitsOnSignal_data()
    {
        QTest::addColumn<QList<int>>("raised");
        QTest::addColumn<QString>("from"); // "main", a "nested" loop, or "nohup" (main, SIGHUP ignored at start)
        QTest::addColumn<QList<int>>("seen");
        // main() below raised SIGTERM before the application existed, as a session ending during start-up does.
        QTest::newRow("raised during start-up") << QList<int>{} << "main" << QList<int>{SIGTERM};
        QTest::newRow("a burst of all three quits once") << QList<int>{SIGTERM, SIGINT, SIGHUP} << "main"
                                                         << QList<int>{SIGTERM, SIGINT, SIGHUP};
        // The save dialog runs a loop of its own; the session ending must still get through.
        QTest::newRow("inside a nested loop") << QList<int>{SIGTERM} << "nested" << QList<int>{SIGTERM};
        // Ignored on purpose, and must stay so. The pipe keeps order: a caught SIGHUP would come before SIGINT.
        QTest::newRow("SIGHUP ignored under nohup") << QList<int>{SIGHUP, SIGINT} << "nohup" << QList<int>{SIGINT};
    }
    void quitsOnSignal()
    {
        QFETCH(QList<int>, raised);
        QFETCH(QString, from);
        QFETCH(QList<int>, seen);
        if (from == u"nohup") {
            delete m_handler;
            ::signal(SIGHUP, SIG_IGN);
            m_handler = UnixSignals::install(QCoreApplication::instance());
        }
        QSignalSpy received(m_handler, &UnixSignals::received);
        bool nestedReturned = false;
        const auto raiseAll = [&] {
            for (int signalNumber : raised)
                ::raise(signalNumber);
        };
        if (from == u"nested") {
            QTimer::singleShot(0, [&] {
                QEventLoop dialog;
                QTimer::singleShot(0, raiseAll);
                dialog.exec();
                nestedReturned = true;
            });
        } else {
            raiseAll();
        }
        QTimer guard; // a signal that is not handled fails the test instead of hanging it
        guard.callOnTimeout([] { QCoreApplication::exit(99); });
        guard.start(10000);
        const int exitCode = QCoreApplication::exec();
        if (from == u"nohup")
            ::signal(SIGHUP, SIG_DFL);
        QCOMPARE(exitCode, 0);
        QList<int> numbers;
        for (const QList<QVariant> &arguments : received)
            numbers.append(arguments.constFirst().toInt());
        QCOMPARE(numbers, seen);
        QCOMPARE(nestedReturned, from == u"nested");
    }
};

int main(int argc, char *argv[])
{
    if (!UnixSignals::catchEarly())
        return 1;
    ::raise(SIGTERM); // fatal unless caught before the application exists
    QCoreApplication app(argc, argv);
    TestUnixSignals test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_unixsignals.moc"
