#include "serial/twritethread.h"

#include "serial/commnotifier.h"
#include "serial/commtypes.h"
#include "serial/pollwait.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

using comm::WaitResult;

TWriteThread::TWriteThread(int fd, int closeFd, CommNotifier &notifier, std::atomic<bool> &sendDataEmpty)
    : fd_(fd), closeFd_(closeFd), notifier_(notifier), sendDataEmpty_(sendDataEmpty),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    setObjectName(QStringLiteral("TWriteThread"));
    accepting_ = wakeFd_ >= 0;
}

TWriteThread::~TWriteThread()
{
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool TWriteThread::post(QByteArray block)
{
    {
        std::lock_guard lock(mutex_);
        if (!accepting_)
            return false;
        queue_.push_back(std::move(block));
        // Under the queue's lock, so that the flag never says empty while a block waits.
        sendDataEmpty_ = false;
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    return true;
}

bool TWriteThread::take(QByteArray &block)
{
    std::lock_guard lock(mutex_);
    if (queue_.empty()) {
        sendDataEmpty_ = true;
        return false;
    }
    block = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void TWriteThread::hangup(int error)
{
    notifier_.post({comm::kRequestHangup, quint32(error), {}});
}

bool TWriteThread::writeBlock(const QByteArray &block)
{
    const char *data = block.constData();
    qsizetype left = block.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EBADF)
            return false;
        if (n < 0 && errno != EAGAIN) {
            hangup(errno);
            return false;
        }
        // The driver's buffer is full (or output is held by flow control): wait for room.
        // A write time-out would only split the block; the rest would be written next, so
        // the wait has no limit but the close event.
        const WaitResult w = comm::waitFor(fd_, POLLOUT, closeFd_, -1);
        if (w == WaitResult::Closed)
            return false;
        if (w == WaitResult::Failed) {
            hangup();
            return false;
        }
    }
    return true;
}

void TWriteThread::run()
{
    ExitMark mark(exited);
    bool wrote = true; // so that the start is announced too
    if (wakeFd_ < 0) {
        hangup();
    } else {
        for (;;) {
            QByteArray block;
            if (!take(block)) {
                if (wrote) {
                    notifier_.post({comm::kSendDataEmpty, 0, {}});
                    wrote = false;
                }
                const WaitResult w = comm::waitFor(wakeFd_, POLLIN, closeFd_, -1);
                if (w == WaitResult::Closed)
                    break;
                if (w != WaitResult::Ready) {
                    hangup();
                    break;
                }
                uint64_t count;
                [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
                continue;
            }
            if (comm::isSignalled(closeFd_))
                break;
            if (!writeBlock(block))
                break;
            wrote = true;
        }
    }
    {
        std::lock_guard lock(mutex_);
        accepting_ = false;
        queue_.clear();
    }
    ::tcflush(fd_, TCOFLUSH);
    sendDataEmpty_ = true;
}
