#include "serial/treadthread.h"

#include "serial/commnotifier.h"
#include "serial/modemwaiter.h"
#include "serial/pollwait.h"
#include "serial/receivedecoder.h"

#include <QElapsedTimer>
#include <cerrno>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using comm::WaitResult;

namespace
{
constexpr int kMaxEmptyReads = 100;
}

TReadThread::TReadThread(int fd, int closeFd, CommNotifier &notifier, const comm::ReadSettings &settings)
    : fd_(fd), closeFd_(closeFd), notifier_(notifier), settings_(settings)
{
    setObjectName(QStringLiteral("TReadThread"));
}

void TReadThread::reportLineErrors()
{
    serial_icounter_struct c{};
    if (!counted_ || ::ioctl(fd_, TIOCGICOUNT, &c) != 0)
        return;
    quint32 flags = 0;
    if (c.frame != errors_.frame)
        flags |= comm::kErrorFrame;
    if (c.overrun != errors_.overrun)
        flags |= comm::kErrorOverrun;
    if (c.parity != errors_.parity)
        flags |= comm::kErrorParity;
    if (c.brk != errors_.brk)
        flags |= comm::kErrorBreak;
    if (c.buf_overrun != errors_.bufOverrun)
        flags |= comm::kErrorRxOver;
    errors_ = {c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
    if (flags)
        notifier_.post({comm::kReceiveError, flags, {}});
}

void TReadThread::run()
{
    ExitMark mark(exited);
    serial_icounter_struct c{};
    counted_ = ::ioctl(fd_, TIOCGICOUNT, &c) == 0;
    if (counted_)
        errors_ = {c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
    ModemWaiter modem(fd_, notifier_);
    modem.start();

    ReceiveDecoder decoder;
    char raw[comm::kReadBufferSize];
    enum class End { No, Closed, Hangup, Quiet } end = End::No;
    int hangupError = 0; // errno of the read that found the device gone; 0 when poll said so

    while (end == End::No) {
        const comm::ReadTiming timing =
            comm::readTiming(settings_.interval.load(), settings_.multiplier.load(), settings_.constant.load());
        decoder.setOptions(comm::ReceiveOptions::unpack(settings_.options.load()));

        const WaitResult first = comm::waitFor(fd_, POLLIN, closeFd_, timing.first);
        if (first == WaitResult::Closed)
            break;
        if (first == WaitResult::Failed) {
            end = End::Hangup;
            break;
        }
        // A total time-out with nothing received: simply read again.
        if (first == WaitResult::TimedOut)
            continue;

        QElapsedTimer clock;
        clock.start();
        QByteArray block;
        block.reserve(comm::kReadBufferSize);
        int empty = 0; // reads that found nothing though the device said it was readable
        for (;;) {
            const qsizetype room = comm::kReadBufferSize - block.size() - decoder.held();
            if (room <= 0)
                break;
            const ssize_t n = ::read(fd_, raw, size_t(room));
            if (n > 0) {
                empty = 0;
                decoder.feed(raw, n, block);
                reportLineErrors();
            } else if (n == 0) {
                end = End::Hangup; // end of file: the far end is gone
                break;
            } else if (errno != EAGAIN && errno != EINTR) {
                end = errno == EBADF ? End::Quiet : End::Hangup;
                hangupError = errno;
                break;
            } else if (++empty > kMaxEmptyReads) {
                end = End::Hangup; // a device that keeps waking us with nothing would spin
                break;
            }
            int wait = timing.gap;
            if (timing.total >= 0) {
                const int left = int(timing.total - clock.elapsed());
                if (left <= 0)
                    break;
                wait = wait < 0 ? left : qMin(wait, left);
            }
            const WaitResult more = comm::waitFor(fd_, POLLIN, closeFd_, wait);
            if (more == WaitResult::TimedOut)
                break;
            if (more == WaitResult::Closed) {
                end = End::Closed; // the close drops a block not yet complete
                break;
            }
            if (more == WaitResult::Failed) {
                end = End::Hangup;
                break;
            }
        }
        // What arrived before a hang-up is still delivered.
        if (!block.isEmpty() && end != End::Closed) {
            const auto size = quint32(block.size());
            notifier_.post({comm::kReceiveData, size, std::move(block)});
        }
    }
    if (end == End::Hangup)
        notifier_.post({comm::kRequestHangup, quint32(hangupError), {}});
    modem.stop();
    ::tcflush(fd_, TCIFLUSH);
}
