#include "sim/ptyuhfmodule.h"

#include "sim/faultplan.h"
#include "sim/uhfmodule.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace
{
constexpr int kMaxParams = 512; // a longer length field is noise, not a frame
constexpr int kStaleMs = 300;
} // namespace

PtyUhfModule::PtyUhfModule(UhfModule &module, FaultPlan *faults, QObject *parent)
    : QObject(parent), module_(module), faults_(faults)
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        master_ = slave_ = -1;
        return;
    }
    path_ = QString::fromLocal8Bit(name);
    // Raw, so that the line neither echoes the tool's frames nor changes any byte.
    termios t{};
    if (tcgetattr(slave_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyUhfModule::readMaster);
}

PtyUhfModule::~PtyUhfModule()
{
    delete notifier_;
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyUhfModule::readMaster()
{
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        const QByteArray out = feed(QByteArray(chunk, int(n)));
        // Non-blocking: a reply nobody reads is dropped rather than stalling the window.
        qsizetype done = 0;
        while (done < out.size()) {
            const ssize_t w = ::write(master_, out.constData() + done, size_t(out.size() - done));
            if (w <= 0)
                break;
            done += w;
        }
    }
}

QByteArray PtyUhfModule::feed(const QByteArray &bytes)
{
    // A frame arrives in one go; a piece left waiting this long is a broken frame and
    // must not swallow the next one.
    if (!buffer_.isEmpty() && sinceLastBytes_.isValid() && sinceLastBytes_.elapsed() > kStaleMs)
        buffer_.clear();
    sinceLastBytes_.start();
    buffer_ += bytes;
    QByteArray out;
    for (;;) {
        const qsizetype start = buffer_.indexOf(char(0xBB));
        if (start < 0) {
            buffer_.clear();
            break;
        }
        buffer_.remove(0, start);
        if (buffer_.size() < 5)
            break;
        const int pl = (uint8_t(buffer_[3]) << 8) | uint8_t(buffer_[4]);
        if (pl > kMaxParams) {
            buffer_.remove(0, 1);
            continue;
        }
        if (buffer_.size() < pl + 7)
            break;
        if (uint8_t(buffer_[pl + 6]) != 0x7E) {
            buffer_.remove(0, 1); // not a frame after all: look for the next start
            continue;
        }
        const QByteArray frame = buffer_.left(pl + 7);
        buffer_.remove(0, pl + 7);
        QByteArray reply;
        switch (faults_ ? faults_->take() : FaultPlan::Kind::None) {
        case FaultPlan::Kind::Silent:
            break;
        case FaultPlan::Kind::Fail:
            reply = UhfModule::errorFrame(faults_->code());
            break;
        case FaultPlan::Kind::Damage:
            reply = frame.left(3); // a cut-off answer
            break;
        case FaultPlan::Kind::None:
            reply = module_.process(frame);
            break;
        }
        if (!reply.isEmpty())
            ++answered_;
        emit frameAnswered(frame, reply);
        out += reply;
    }
    return out;
}
