#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class CommNotifier;

// Watches the carrier-detect and ring lines of a device that can report them and posts a
// modem-state notice for each change. The kernel's wait for a line change cannot include
// the close event, so the waiter runs on a thread of its own, which stop() interrupts with
// a signal whose handler does nothing.
class ModemWaiter
{
public:
    ModemWaiter(int fd, CommNotifier &notifier);
    ~ModemWaiter();
    ModemWaiter(const ModemWaiter &) = delete;
    ModemWaiter &operator=(const ModemWaiter &) = delete;

    // False, with nothing started, when the device keeps no line counters (a pseudo-terminal).
    bool start();
    void stop();

private:
    void run();

    int fd_;
    CommNotifier &notifier_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
    std::thread thread_;
};
