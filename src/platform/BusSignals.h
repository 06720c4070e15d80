// Signals to the session bus, every one of a moment handed over together.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>

namespace BusSignals {

// Sends `signal` on `bus` once the current pass of the event loop is done, with whatever
// else was sent during it. QtDBus hands each message sent from the main thread to its own
// thread with a wake-up of its own (and, when the two meet, a wait on a lock); a ticking
// label sends two each second, so the ones of one moment go over in one hand-over, sent
// from the bus's thread. Order is kept.
void send(const QDBusConnection &bus, const QDBusMessage &signal);

} // namespace BusSignals
