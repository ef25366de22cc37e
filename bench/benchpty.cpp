#include "benchpty.h"

#include "serial/tcomm.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

BenchPty::BenchPty()
{
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    path_ = QString::fromLocal8Bit(::ttyname(slave_));
}

BenchPty::~BenchPty()
{
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

bool BenchPty::send(const char *bytes, qsizetype size) const
{
    while (size > 0) {
        const ssize_t n = ::write(master_, bytes, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= n;
    }
    return true;
}

void BenchPty::drain() const
{
    char buf[4096];
    pollfd p{master_, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN))
        if (::read(master_, buf, sizeof buf) <= 0)
            break;
}

void configureLikeMainWindow(TComm &comm, const QString &path)
{
    comm.setCommName(path);
    comm.setBaudRate(9600);
    comm.setParityCheck(true);
    comm.setTxContinueOnXoff(false);
    comm.setOutx_XonXoffFlow(false);
    comm.setInx_XonXoffFlow(false);
    comm.setReadIntervalTimeout(100);
}
