#pragma once

#include "files/syscalls.h"

#include <QtGlobal>
#include <cerrno>

// The real calls, with one step failing as a device would: after `after` bytes for a write,
// at once for the others. The failing close still closes, as the system's does.
struct FakeDevice {
    enum class Step { None, Open, Write, Fsync, Close, Rename };
    Step step = Step::None;
    int error = 0;
    qint64 after = 0;

    files::SysCalls calls()
    {
        files::SysCalls s = files::SysCalls::real();
        const files::SysCalls real = files::SysCalls::real();
        const auto fail = [this](Step at) {
            if (step != at)
                return false;
            errno = error;
            return true;
        };
        s.open = [=](const char *p, int f, mode_t m) { return fail(Step::Open) ? -1 : real.open(p, f, m); };
        s.write = [this, real](int fd, const void *d, size_t n) -> ssize_t {
            if (step != Step::Write)
                return real.write(fd, d, n);
            if (after <= 0) {
                errno = error;
                return -1;
            }
            const ssize_t done = real.write(fd, d, size_t(qMin<qint64>(after, qint64(n))));
            after -= done > 0 ? done : 0;
            return done;
        };
        s.fsync = [=](int fd) { return fail(Step::Fsync) ? -1 : real.fsync(fd); };
        s.close = [=](int fd) {
            const int r = real.close(fd);
            return fail(Step::Close) ? -1 : r;
        };
        s.rename = [=](const char *a, const char *b) { return fail(Step::Rename) ? -1 : real.rename(a, b); };
        return s;
    }
};
