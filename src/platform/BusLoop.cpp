#include "platform/BusLoop.h"

#include "platform/StatusNotifierItem.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

#include <QMetaObject>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <future>
#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

BusLoop::~BusLoop()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        wake();
        m_thread.join();
    }
    sd_bus_flush_close_unref(m_bus);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool BusLoop::open(QString *error)
{
    if (isOpen())
        return true;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    int r = m_wakeFd < 0 ? -errno : sd_bus_open_user(&m_bus);
    const char *unique = nullptr;
    if (r >= 0)
        r = sd_bus_get_unique_name(m_bus, &unique); // waits for the bus's hello
    if (r < 0) {
        *error = QString::fromLocal8Bit(std::strerror(-r));
        m_bus = sd_bus_flush_close_unref(m_bus);
        return false;
    }
    m_uniqueName = QString::fromUtf8(unique);
    // From here on only the bus thread touches the connection.
    m_thread = std::thread([this] { serve(); });
    return true;
}

void BusLoop::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
}

void BusLoop::post(Work work)
{
    if (!isOpen())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(work));
    }
    wake();
}

int BusLoop::run(const std::function<int(sd_bus *)> &work)
{
    if (!isOpen())
        return -ENOTCONN;
    std::promise<int> done;
    std::future<int> result = done.get_future();
    post([&](sd_bus *bus) { done.set_value(work(bus)); });
    return result.get();
}

void BusLoop::setClock(const std::optional<LabelClock> &clock)
{
    post([this, clock](sd_bus *) {
        if (clock == m_clock)
            return;
        m_clock = clock;
        if (clock) {
            const QString tail = MenuBarLabel::runningTail(clock->name);
            m_tail = tail.toStdString();
            m_guideTail = StatusNotifierItem::guideFor(tail).toStdString();
        }
        m_clockChanged = true; // the listeners hear of it at once
    });
}

int BusLoop::answerFromGui(sd_bus_message *call, QObject *context, std::function<Reply()> handle)
{
    sd_bus_message_ref(call);
    QMetaObject::invokeMethod(
        context,
        [this, call, handle = std::move(handle)] {
            post([call, reply = handle()](sd_bus *) {
                reply(call);
                sd_bus_message_unref(call);
            });
        },
        Qt::QueuedConnection);
    return 1; // answered later
}

void BusLoop::tick(double now)
{
    if (!m_clock)
        return;
    // A millisecond past the turn of the second, so that the reading there has moved on.
    m_nextTick = m_clock->nextSecondAfter(now) + 0.001;
    // Drawn into the same buffers each second: nothing to allocate once the first is done.
    m_reading.seconds = m_clock->secondsAt(now);
    char digits[24];
    const int length = timecalc::formatElapsed(digits, m_reading.seconds);
    m_reading.text.assign(digits, size_t(length)).append(m_tail);
    std::replace_if(digits, digits + length, [](char c) { return c >= '0' && c <= '9'; }, '8');
    m_reading.guide.assign(digits, size_t(length)).append(m_guideTail);
    for (const auto &[owner, listener] : m_listeners)
        listener(m_bus, m_reading);
}

void BusLoop::serve()
{
    bool connected = true;
    bool busReady = true; // sd-bus may hold what it read before the loop began
    for (;;) {
        std::vector<Work> posted;
        bool stopping;
        {
            std::lock_guard lock(m_mutex);
            posted.swap(m_posted);
            stopping = m_stopping;
        }
        for (Work &work : posted)
            work(m_bus);
        if (stopping)
            break;
        double now = timecalc::Clock::nowSeconds();
        if (m_clockChanged || (m_clock && now >= m_nextTick)) {
            m_clockChanged = false;
            tick(now);
        }
        // Only when the socket or a timeout calls for it, or when something posted may have
        // left work behind: a tick that finds nothing to read does not ask the socket.
        if (connected && (busReady || !posted.empty())) {
            int r;
            while ((r = sd_bus_process(m_bus, nullptr)) > 0) {
            }
            // The bus went away (the session is ending): what is posted still runs, to no effect.
            connected = r >= 0;
        }

        // Sleep until the bus, a post or the next second of the clock needs us.
        int64_t waitNs = -1;
        bool busTimeout = false;
        if (connected) {
            uint64_t until = 0;
            if (sd_bus_get_timeout(m_bus, &until) > 0 && until != UINT64_MAX) {
                busTimeout = true;
                timespec mono{};
                clock_gettime(CLOCK_MONOTONIC, &mono);
                const int64_t nowUs = int64_t(mono.tv_sec) * 1000000 + mono.tv_nsec / 1000;
                waitNs = std::max<int64_t>(0, (int64_t(until) - nowUs) * 1000);
            }
        }
        if (m_clock) {
            now = timecalc::Clock::nowSeconds();
            const int64_t tickNs = std::max<int64_t>(0, int64_t((m_nextTick - now) * 1e9));
            waitNs = waitNs < 0 ? tickNs : std::min(waitNs, tickNs);
        }
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {-1, 0, 0}};
        if (connected)
            fds[1] = {sd_bus_get_fd(m_bus), short(sd_bus_get_events(m_bus)), 0};
        const timespec timeout{time_t(waitNs / 1000000000), long(waitNs % 1000000000)};
        const int ready = ::ppoll(fds, connected ? 2 : 1, waitNs < 0 ? nullptr : &timeout, nullptr);
        busReady = fds[1].revents != 0 || (ready == 0 && busTimeout);
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] const auto read = ::read(m_wakeFd, &count, sizeof count);
        }
    }
    sd_bus_flush(m_bus);
}
