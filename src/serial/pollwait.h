#pragma once

#include <QtGlobal>

// Waits of the worker threads: always on the device and the close event together, since
// closing another descriptor does not wake a blocked poll or read on Linux.
namespace comm
{

enum class WaitResult {
    Closed,   // the close event is set
    Ready,    // the device is ready for what was asked
    TimedOut, // nothing within the time
    Failed,   // the device reports an error or a hang-up, or the wait itself failed
};

// Waits for events (POLLIN or POLLOUT) on fd, or for closeFd to become readable, for at
// most timeoutMs (-1: without limit). A hang-up with data still readable counts as Ready,
// so the data is read before the hang-up is seen.
WaitResult waitFor(int fd, short events, int closeFd, int timeoutMs);

// True when fd is readable at once (the close event is set).
bool isSignalled(int fd);

// How the waits of every worker thread have ended so far, for tests: a close ends the waits
// it finds at once rather than at their time-outs, and no thread keeps waiting on a dead line.
struct WaitCounts {
    quint64 all = 0;
    quint64 closed = 0;
    quint64 timedOut = 0;
};
WaitCounts waitCounts();

} // namespace comm
