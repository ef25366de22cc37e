#pragma once

#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>

namespace cli
{

// Ctrl+C during a long command (a batch): the first SIGINT reaches onInterrupt in the event
// loop, so the command can finish the tag in hand and end cleanly; a second one ends the
// program at once, as usual. A signal handler may do almost nothing, so it writes one byte to
// a pipe that a socket notifier reads. While it lives, it is the only one.
class InterruptWatch
{
public:
    explicit InterruptWatch(std::function<void()> onInterrupt);
    // Puts back how SIGINT was handled before.
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // Whether SIGINT is watched: not when it was ignored already (a job started in the
    // background by a shell without job control) or the pipe could not be made.
    bool active() const { return notifier_ != nullptr; }

private:
    std::function<void()> onInterrupt_;
    int fds_[2] = {-1, -1};
    struct sigaction previous_ {
    };
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace cli
