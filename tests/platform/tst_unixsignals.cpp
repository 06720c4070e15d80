// SIGTERM, SIGINT and SIGHUP end the app the orderly way: the loop returns 0 and says which signal came.
#include "platform/UnixSignals.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {
// The loop's exit code after `trigger`, with a guard so a signal that is not handled fails
// the test with code 99 instead of hanging it.
template<typename Trigger>
int runLoop(Trigger trigger)
{
    QTimer guard;
    guard.callOnTimeout([] { QCoreApplication::exit(99); });
    guard.start(10000);
    trigger();
    return QCoreApplication::exec();
}

QList<int> numbers(const QSignalSpy &received)
{
    QList<int> seen;
    for (const QList<QVariant> &arguments : received)
        seen.append(arguments.constFirst().toInt());
    return seen;
}
} // namespace

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
        QTest::addColumn<QString>("from"); // "main", or a "nested" loop
        // main() below raised SIGTERM before the application existed, as a session ending during start-up does.
        QTest::newRow("raised during start-up") << QList<int>{} << "main";
        QTest::newRow("a burst of all three quits once") << QList<int>{SIGTERM, SIGINT, SIGHUP} << "main";
        // The save dialog runs a loop of its own; the session ending must still get through.
        QTest::newRow("inside a nested loop") << QList<int>{SIGTERM} << "nested";
    }
    void quitsOnSignal()
    {
        QFETCH(QList<int>, raised);
        QFETCH(QString, from);
        QSignalSpy received(m_handler, &UnixSignals::received);
        bool nestedReturned = false;
        const auto raiseAll = [&] {
            for (int signalNumber : raised)
                ::raise(signalNumber);
        };
        const int exitCode = runLoop([&] {
            if (from == u"main") {
                raiseAll();
            } else {
                QTimer::singleShot(0, [&] {
                    QEventLoop dialog;
                    QTimer::singleShot(0, raiseAll);
                    dialog.exec();
                    nestedReturned = true;
                });
            }
        });
        QCOMPARE(exitCode, 0);
        QCOMPARE(numbers(received), raised.isEmpty() ? QList<int>{SIGTERM} : raised);
        QCOMPARE(nestedReturned, from == u"nested");
    }

    // Started under nohup, SIGHUP is ignored on purpose and must stay so.
    void ignoredSighupStaysIgnored()
    {
        delete m_handler;
        ::signal(SIGHUP, SIG_IGN);
        m_handler = UnixSignals::install(QCoreApplication::instance());
        QSignalSpy received(m_handler, &UnixSignals::received);
        // The pipe keeps order: had SIGHUP been caught, it would be seen before SIGINT.
        const int exitCode = runLoop([] {
            ::raise(SIGHUP);
            ::raise(SIGINT);
        });
        ::signal(SIGHUP, SIG_DFL);
        QCOMPARE(exitCode, 0);
        QCOMPARE(numbers(received), QList<int>{SIGINT});
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
