#pragma once

#include <functional>
#include <sys/types.h>

namespace files
{

// The system calls behind every save and the session log, so that a test can put a device
// that fails (a full disk, a quota met at close) under the same code the real disk runs.
// Each returns what the call returns and sets errno as it does.
struct SysCalls {
    std::function<int(const char *path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void *data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char *from, const char *to)> rename;
    std::function<int(const char *path)> unlink;

    static const SysCalls &real();
};

} // namespace files
