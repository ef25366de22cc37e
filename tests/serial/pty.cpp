#include "pty.h"

#include "serial/tcomm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

Pty::Pty()
{
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        std::abort();
    path = QString::fromLocal8Bit(::ttyname(slave));
}

Pty::~Pty()
{
    closeMaster();
    if (slave >= 0)
        ::close(slave);
}

void Pty::send(const QByteArray &bytes) const
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(master, p, size_t(left));
        if (n <= 0)
            std::abort();
        p += n;
        left -= n;
    }
}

QByteArray Pty::receive(qsizetype n, int ms) const
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < n) {
        const int left = int(ms - clock.elapsed());
        if (left <= 0)
            break;
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0 || !(p.revents & POLLIN))
            break;
        char buf[4096];
        const ssize_t r = ::read(master, buf, sizeof buf);
        if (r <= 0)
            break;
        got.append(buf, r);
    }
    return got;
}

termios Pty::attrs() const
{
    termios t{};
    ::tcgetattr(slave, &t);
    return t;
}

void Pty::setAttrs(const termios &t) const
{
    ::tcsetattr(slave, TCSANOW, &t);
}

void Pty::closeMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

void configureLikeMainWindow(TComm &comm)
{
    comm.setBaudRate(9600);
    comm.setParityCheck(true);
    comm.setTxContinueOnXoff(false);
    comm.setOutx_XonXoffFlow(false);
    comm.setInx_XonXoffFlow(false);
    comm.setReadIntervalTimeout(100);
}
