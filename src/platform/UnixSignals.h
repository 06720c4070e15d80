// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the event loop on the main thread.
#pragma once

#include <QObject>

class QCoreApplication;
class QSocketNotifier;

class UnixSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers for as long as the returned object (a child of app) lives;
    // nullptr when they could not be installed. A second call returns the same object.
    static UnixSignals *install(QCoreApplication *app);
    // Catches the signals before any application object exists, so that one arriving
    // while the program starts up is not fatal: it ends the event loop as soon as
    // install() has run and the loop starts. False when they could not be caught.
    static bool catchEarly();
    ~UnixSignals() override;

signals:
    // On the main thread, right before the loop is told to end.
    void received(int signalNumber);

private:
    explicit UnixSignals(QCoreApplication *app);
    bool setUp();
    static void releaseHandlers();
    void drain();

    QSocketNotifier *m_notifier = nullptr;
};
