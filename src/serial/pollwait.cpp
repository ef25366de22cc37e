#include "serial/pollwait.h"

#include <QElapsedTimer>
#include <cerrno>
#include <poll.h>

namespace comm
{

WaitResult waitFor(int fd, short events, int closeFd, int timeoutMs)
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
