#include "link/hidtransport.h"

#include "link/waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cstring>

HidTransport::HidTransport(std::unique_ptr<HidOpener> opener, std::function<void(const QString &)> notice)
    : opener_(std::move(opener)), notice_(std::move(notice))
{
}

HidTransport::~HidTransport() = default;

bool HidTransport::ensureOpen()
{
    if (device_)
        return true;
    QString why;
    device_ = opener_->open(why);
    if (!device_ && why != lastWhy_) {
        // Say it once per reason, not on every command.
        lastWhy_ = why;
        if (!why.isEmpty() && notice_)
            notice_(why);
    }
    if (device_)
        lastWhy_.clear();
    return bool(device_);
}

void HidTransport::drain()
{
    // Input left over from an earlier exchange must not be taken for the next reply.
    uint8_t buf[kReportSize];
    for (int i = 0; i < 64; ++i)
        if (device_->readReport(buf, kReportSize, 0) <= 0)
            break;
}

int HidTransport::write(const QByteArray &frame)
{
    if (!ensureOpen())
        return 0;
    ++exchanges_;
    drain();
    int written = 0;
    qsizetype offset = 0;
    do {
        QByteArray report(kReportSize + 1, '\0'); // report ID 0, then the payload
        const qsizetype n = qMin<qsizetype>(kReportSize, frame.size() - offset);
        if (n > 0)
            std::memcpy(report.data() + 1, frame.constData() + offset, size_t(n));
        if (device_->writeReport(report) < 0) {
            device_.reset(); // unplugged: reopen on the next command
            return written;
        }
        written += int(n);
        offset += n;
    } while (offset < frame.size());
    return written;
}

QByteArray HidTransport::read(int timeoutMs)
{
    // The reply is awaited in short slices with the window's events handled between them, so
    // a reader that never answers does not freeze the window for the whole wait. A command
    // run from one of those events drains this one's reply: this read then ends empty rather
    // than report another command's answer.
    constexpr int kSliceMs = 20;
    QDeadlineTimer deadline(qMax(0, timeoutMs));
    QByteArray reply;
    qsizetype wanted = kReplySize;
    uint8_t buf[kReportSize];
    while (reply.size() < wanted) {
        if (!device_ || waits::cancelled())
            return {};
        const int left = int(qMax<qint64>(0, deadline.remainingTime()));
        const int n = device_->readReport(buf, kReportSize, qMin(left, kSliceMs));
        if (n < 0) {
            device_.reset();
            return {};
        }
        if (n == 0) {
            if (deadline.hasExpired())
                return {}; // no whole reply in time
            const quint64 before = exchanges_;
            QCoreApplication::processEvents();
            if (exchanges_ != before)
                return {};
            continue;
        }
        reply.append(reinterpret_cast<const char *>(buf), n);
        if (reply.size() >= 3)
            wanted = qMin<qsizetype>(kReplySize, qsizetype(static_cast<unsigned char>(reply[2])) + 5);
    }
    reply.truncate(wanted);
    return reply;
}

QString HidTransport::description() const
{
    return QStringLiteral("USB HID reader");
}
