#include "cli/interruptwatch.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace cli
{

namespace
{

// The pipe's write end, for the handler.
volatile sig_atomic_t writeFd = -1;

extern "C" void onSigint(int)
{
    const int saved = errno;
    if (writeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(writeFd, &byte, 1);
    }
    errno = saved;
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) : onInterrupt_(std::move(onInterrupt))
{
    struct sigaction now {
    };
    if (::sigaction(SIGINT, nullptr, &now) != 0 || now.sa_handler == SIG_IGN)
        return;
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    writeFd = fds_[1];
    struct sigaction action {
    };
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    // Back to the default after the first one: Ctrl+C again ends the program.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &action, &previous_);
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char bytes[16];
        while (::read(fds_[0], bytes, sizeof bytes) > 0) {
        }
        if (onInterrupt_)
            onInterrupt_();
    });
}

InterruptWatch::~InterruptWatch()
{
    if (!notifier_)
        return;
    ::sigaction(SIGINT, &previous_, nullptr);
    writeFd = -1;
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

} // namespace cli
