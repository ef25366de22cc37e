#include "serial/modemwaiter.h"

#include "serial/commnotifier.h"
#include "serial/commtypes.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <linux/serial.h>
#include <pthread.h>
#include <sys/ioctl.h>

namespace
{

void wake(int) {}

// The signal that interrupts the wait; -1 when another part of the program already handles
// it, so the waiter is not used rather than disturbing that handler.
int wakeSignal()
{
    static const int sig = [] {
        const int s = SIGRTMIN + 4;
        struct sigaction old {
        };
        if (sigaction(s, nullptr, &old) != 0 || old.sa_handler != SIG_DFL)
            return -1;
        struct sigaction sa {
        };
        sa.sa_handler = wake;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0; // no restart: the interrupted ioctl must return
        return sigaction(s, &sa, nullptr) == 0 ? s : -1;
    }();
    return sig;
}

} // namespace

ModemWaiter::ModemWaiter(int fd, CommNotifier &notifier) : fd_(fd), notifier_(notifier) {}

ModemWaiter::~ModemWaiter()
{
    stop();
}

bool ModemWaiter::start()
{
    serial_icounter_struct counters{};
    if (::ioctl(fd_, TIOCGICOUNT, &counters) != 0 || wakeSignal() < 0)
        return false;
    stop_ = false;
    done_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void ModemWaiter::stop()
{
    if (!thread_.joinable())
        return;
    stop_ = true;
    // The signal may land just before the thread enters its wait; then the next one ends it.
    const pthread_t handle = thread_.native_handle();
    while (!done_.load()) {
        pthread_kill(handle, wakeSignal());
        std::unique_lock lock(mutex_);
        finished_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_.load(); });
    }
    thread_.join();
}

void ModemWaiter::run()
{
    serial_icounter_struct before{};
    if (::ioctl(fd_, TIOCGICOUNT, &before) == 0) {
        while (!stop_) {
            if (::ioctl(fd_, TIOCMIWAIT, TIOCM_CD | TIOCM_RNG) != 0) {
                if (errno == EINTR)
                    continue;
                break; // the device went away; the read thread reports it
            }
            serial_icounter_struct now{};
            if (::ioctl(fd_, TIOCGICOUNT, &now) != 0)
                break;
            quint32 bits = 0;
            if (now.dcd != before.dcd)
                bits |= comm::kModemCarrierDetect;
            if (now.rng != before.rng)
                bits |= comm::kModemRing;
            before = now;
            if (bits)
                notifier_.post({comm::kModemStateChange, bits, {}});
        }
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    finished_.notify_all();
}
