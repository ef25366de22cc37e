#include "serial/pollwait.h"

#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <poll.h>

namespace comm
{
namespace
{

std::atomic<quint64> g_waits{0}, g_closed{0}, g_timedOut{0};

WaitResult tallied(WaitResult r)
{
    g_waits.fetch_add(1, std::memory_order_relaxed);
    if (r == WaitResult::Closed)
        g_closed.fetch_add(1, std::memory_order_relaxed);
    else if (r == WaitResult::TimedOut)
        g_timedOut.fetch_add(1, std::memory_order_relaxed);
    return r;
}

WaitResult pollDeviceOrClose(int fd, short events, int closeFd, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        pollfd fds[2] = {{closeFd, POLLIN, 0}, {fd, events, 0}};
        int left = timeoutMs;
        if (timeoutMs > 0)
            left = int(qMax<qint64>(0, timeoutMs - clock.elapsed()));
        const int r = ::poll(fds, 2, left);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return WaitResult::Failed;
        }
        // The close event comes first, so a close always ends the wait.
        if (fds[0].revents)
            return WaitResult::Closed;
        if (r == 0)
            return WaitResult::TimedOut;
        if (fds[1].revents & events)
            return WaitResult::Ready;
        return WaitResult::Failed;
    }
}

} // namespace

WaitResult waitFor(int fd, short events, int closeFd, int timeoutMs)
{
    return tallied(pollDeviceOrClose(fd, events, closeFd, timeoutMs));
}

WaitCounts waitCounts()
{
    return {g_waits.load(std::memory_order_relaxed), g_closed.load(std::memory_order_relaxed),
            g_timedOut.load(std::memory_order_relaxed)};
}

bool isSignalled(int fd)
{
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, 0);
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0;
    }
}

} // namespace comm
