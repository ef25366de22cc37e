#include "serial/tcomm.h"

#include "serial/closeevent.h"
#include "serial/commnotifier.h"
#include "serial/portscan.h"
#include "serial/treadthread.h"
#include "serial/twritethread.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace
{

// How long closing waits for a thread to end before it waits without a limit.
constexpr unsigned long kThreadStopTimeoutMs = 10000;
// Posted by ClosePort behind the threads' last notices.
constexpr int kClosedMark = 0x4FF;

// Started threads run; one that could not be created is neither running nor finished.
bool started(QThread &thread)
{
    return thread.isRunning() || thread.isFinished();
}

template <class T> void stopThread(std::unique_ptr<T> &thread)
{
    if (!thread)
        return;
    // The close event ends every wait of the threads, so the second wait only covers a
    // machine too busy to schedule them within the first.
    if (!thread->wait(kThreadStopTimeoutMs))
        thread->wait();
    // A thread that never ran has nothing to order; one that ran has set its flag.
    [[maybe_unused]] const bool ended = thread->exited.isSet();
    thread.reset();
}

} // namespace

TComm::TComm(QObject *parent)
    : QObject(parent), notifier_(new CommNotifier([this](const CommNotice &n) { dispatch(n); }, this))
{
}

TComm::~TComm()
{
    ClosePort();
}

void TComm::OpenPort()
{
    if (fd_ >= 0)
        throw ECommsError("This serial port already opened");

    // Exclusive: the terminal's own exclusive mode keeps other users off, and the lock keeps
    // off every process that honours it, root included (root passes the exclusive mode).
    // A bare name ("COM1", "ttyUSB0") is a device, never a file in the working directory.
    const QByteArray path = portscan::pathOf(commName_).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ECommsError("the com is not exist!...");
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw ECommsError("the com is not exist!...");
    }
    if (!::isatty(fd)) {
        ::close(fd);
        throw ECommsError("File handle is not a comm handle ");
    }
    ::ioctl(fd, TIOCEXCL);
    // The driver sizes its own queues; there is nothing like a queue-size request to fail.

    fd_ = fd;
    hungUp_ = false;
    ::tcflush(fd_, TCIOFLUSH);
    SendDataEmpty = true;
    applyTimeouts();
    applyLineSettings();

    auto close = std::make_unique<CloseEvent>();
    if (!close->valid()) {
        ::close(fd_);
        fd_ = -1;
        throw ECommsError("Unable to create event");
    }
    close_ = std::move(close);

    readThread_ = std::make_unique<TReadThread>(fd_, close_->fd(), *notifier_, readSettings_);
    readThread_->start(QThread::HighestPriority);
    if (!started(*readThread_)) {
        readThread_.reset();
        close_.reset();
        ::close(fd_);
        fd_ = -1;
        throw ECommsError("Unable to create read thread");
    }
    writeThread_ = std::make_unique<TWriteThread>(fd_, close_->fd(), *notifier_, SendDataEmpty);
    writeThread_->start(QThread::HighPriority);
    if (!started(*writeThread_)) {
        writeThread_.reset();
        close_->set();
        stopThread(readThread_);
        close_.reset();
        ::close(fd_);
        fd_ = -1;
        throw ECommsError("Unable to create write thread");
    }
}

void TComm::ClosePort()
{
    if (fd_ < 0)
        return;
    close_->set();
    ::tcflush(fd_, TCIFLUSH);
    stopThread(readThread_);
    close_->set();
    ::tcflush(fd_, TCOFLUSH);
    SendDataEmpty = true;
    stopThread(writeThread_);
    close_.reset();
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    ++closesPending_;
    notifier_->post({kClosedMark, 0, {}});
}

bool TComm::WritePortData(const char *bytes, quint16 count)
{
    if (!writeThread_ || count == 0)
        return false;
    return writeThread_->post(QByteArray(bytes, count));
}

void TComm::applyLineSettings()
{
    if (fd_ < 0)
        return;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0)
        return;
    comm::toTermios(line_, t);
    ::tcsetattr(fd_, TCSANOW, &t);
    comm::applyModemLines(fd_, line_);
    readSettings_.options = comm::receiveOptions(line_).pack();
}

void TComm::applyTimeouts()
{
    // Reads are timed by the read thread; it takes these at the start of each block.
    readSettings_.interval = timeouts_.ReadIntervalTimeout;
    readSettings_.multiplier = timeouts_.ReadTotalTimeoutMultiplier;
    readSettings_.constant = timeouts_.ReadTotalTimeoutConstant;
}

template <class T> void TComm::setLine(T LineSettings::*field, T value)
{
    if (line_.*field == value)
        return;
    line_.*field = value;
    applyLineSettings();
}

template <class T> void TComm::setTimeout(T Timeouts::*field, T value)
{
    if (timeouts_.*field == value)
        return;
    timeouts_.*field = value;
    if (fd_ >= 0)
        applyTimeouts();
}

void TComm::dispatch(const CommNotice &n)
{
    switch (n.message) {
    case comm::kReceiveData:
        if (OnReceiveData)
            OnReceiveData(this, n.block.constData(), quint16(n.value));
        break;
    case comm::kReceiveError:
        if (OnReceiveError)
            OnReceiveError(this, n.value);
        break;
    case comm::kRequestHangup:
        // Once per opening, though both threads may see the end; and a port closed (or
        // reopened) since has nothing to hang up.
        if (closesPending_ > 0 || fd_ < 0 || hungUp_)
            break;
        hungUp_ = true;
        hangupError_ = int(n.value);
        if (OnRequestHangup)
            OnRequestHangup(this);
        break;
    case kClosedMark:
        --closesPending_;
        break;
    case comm::kModemStateChange:
        if (OnModemStateChange)
            OnModemStateChange(this, n.value);
        break;
    case comm::kSendDataEmpty:
        if (OnSendDataEmpty)
            OnSendDataEmpty(this);
        break;
    default:
        break;
    }
}

void TComm::setBaudRate(quint32 v)
{
    setLine(&LineSettings::BaudRate, v);
}
void TComm::setParityCheck(bool v)
{
    setLine(&LineSettings::ParityCheck, v);
}
void TComm::setOutx_CtsFlow(bool v)
{
    setLine(&LineSettings::Outx_CtsFlow, v);
}
void TComm::setOutx_DsrFlow(bool v)
{
    setLine(&LineSettings::Outx_DsrFlow, v);
}
void TComm::setDtrControl(TDtrControl v)
{
    setLine(&LineSettings::DtrControl, v);
}
void TComm::setDsrSensitivity(bool v)
{
    setLine(&LineSettings::DsrSensitivity, v);
}
void TComm::setTxContinueOnXoff(bool v)
{
    setLine(&LineSettings::TxContinueOnXoff, v);
}
void TComm::setOutx_XonXoffFlow(bool v)
{
    setLine(&LineSettings::Outx_XonXoffFlow, v);
}
void TComm::setInx_XonXoffFlow(bool v)
{
    setLine(&LineSettings::Inx_XonXoffFlow, v);
}
void TComm::setReplaceWhenParityError(bool v)
{
    setLine(&LineSettings::ReplaceWhenParityError, v);
}
void TComm::setIgnoreNullChar(bool v)
{
    setLine(&LineSettings::IgnoreNullChar, v);
}
void TComm::setRtsControl(TRtsControl v)
{
    setLine(&LineSettings::RtsControl, v);
}
void TComm::setXonLimit(quint16 v)
{
    setLine(&LineSettings::XonLimit, v);
}
void TComm::setXoffLimit(quint16 v)
{
    setLine(&LineSettings::XoffLimit, v);
}
void TComm::setByteSize(TByteSize v)
{
    setLine(&LineSettings::ByteSize, v);
}
void TComm::setStopBits(TStopBits v)
{
    setLine(&LineSettings::StopBits, v);
}
void TComm::setXonChar(char v)
{
    setLine(&LineSettings::XonChar, v);
}
void TComm::setXoffChar(char v)
{
    setLine(&LineSettings::XoffChar, v);
}
void TComm::setReplacedChar(char v)
{
    setLine(&LineSettings::ReplacedChar, v);
}

void TComm::setReadIntervalTimeout(quint32 v)
{
    setTimeout(&Timeouts::ReadIntervalTimeout, v);
}
void TComm::setReadTotalTimeoutMultiplier(quint32 v)
{
    setTimeout(&Timeouts::ReadTotalTimeoutMultiplier, v);
}
void TComm::setReadTotalTimeoutConstant(quint32 v)
{
    setTimeout(&Timeouts::ReadTotalTimeoutConstant, v);
}
void TComm::setWriteTotalTimeoutMultiplier(quint32 v)
{
    setTimeout(&Timeouts::WriteTotalTimeoutMultiplier, v);
}
void TComm::setWriteTotalTimeoutConstant(quint32 v)
{
    setTimeout(&Timeouts::WriteTotalTimeoutConstant, v);
}
