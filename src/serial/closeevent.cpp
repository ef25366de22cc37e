#include "serial/closeevent.h"

#include "serial/pollwait.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

CloseEvent::CloseEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CloseEvent::~CloseEvent()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void CloseEvent::set()
{
    // Nobody reads the counter back, so the event stays readable: a manual reset.
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

bool CloseEvent::isSet() const
{
    return comm::isSignalled(fd_);
}
