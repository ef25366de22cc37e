#include "link/hidtransport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <cstring>

namespace
{
QEvent::Type deliveryEvent()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}
} // namespace

HidTransport::HidTransport(std::unique_ptr<HidOpener> opener, QObject *parent)
    : QObject(parent), opener_(std::move(opener))
{
    worker_ = std::thread([this] { run(); });
}

HidTransport::~HidTransport()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    newest_ = ~quint64(0); // a read in progress gives up at its next slice
    wake_.notify_all();
    worker_.join();
}

QString HidTransport::description() const
{
    return QStringLiteral("USB HID reader");
}

void HidTransport::start(const QByteArray &frame, int timeoutMs, Done done)
{
    const quint64 id = ++nextId_;
    awaited_ = id;
    done_ = std::move(done);
    {
        const std::lock_guard lock(mutex_);
        pending_ = Request{id, frame, qMax(0, timeoutMs)}; // an older request not yet taken is dropped
        newest_ = id;
    }
    wake_.notify_one();
}

void HidTransport::probe(Done done)
{
    probeDone_ = std::move(done); // a newer probe's answer serves an older one's asker too
    {
        const std::lock_guard lock(mutex_);
        probeWanted_ = true;
    }
    wake_.notify_one();
}

void HidTransport::deliverProbe(const UsbReply &reply)
{
    if (!probeDone_)
        return;
    Done done = std::move(probeDone_);
    probeDone_ = nullptr;
    done(reply);
}

void HidTransport::deliver(quint64 id, const UsbReply &reply)
{
    if (id != awaited_ || !done_)
        return; // superseded by a later start
    Done done = std::move(done_);
    done_ = nullptr;
    done(reply);
}

void HidTransport::run()
{
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || pending_.has_value() || probeWanted_; });
            if (stop_)
                return;
            if (!pending_) {
                probeWanted_ = false;
                lock.unlock();
                // Not announced: the reason is said in the log by the first exchange that fails.
                Delivery probe;
                probe.probe = true;
                ensureOpen(probe.reply, false);
                hand(std::move(probe));
                continue;
            }
            request = std::move(*pending_);
            pending_.reset();
        }
        hand({false, request.id, perform(request)});
    }
}

void HidTransport::hand(Delivery d)
{
    auto *event = new QEvent(deliveryEvent());
    {
        const std::lock_guard lock(mutex_);
        delivered_.push_back(std::move(d));
    }
    posted_.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(this, event);
}

bool HidTransport::event(QEvent *event)
{
    posted_.load(std::memory_order_acquire);
    if (event->type() != deliveryEvent())
        return QObject::event(event);
    Delivery d;
    {
        const std::lock_guard lock(mutex_);
        if (delivered_.empty())
            return true;
        d = std::move(delivered_.front());
        delivered_.pop_front();
    }
    if (d.probe)
        deliverProbe(d.reply);
    else
        deliver(d.id, d.reply);
    return true;
}

bool HidTransport::superseded(quint64 id)
{
    return newest_.load() != id;
}

bool HidTransport::ensureOpen(UsbReply &out, bool announce)
{
    if (!device_) {
        QString why;
        device_ = opener_->open(why);
        if (!device_) {
            out.presence = why.isEmpty() ? ReaderPresence::Absent : ReaderPresence::Unreachable;
            out.why = why.isEmpty() ? opener_->absent() : why;
            // Said once per reason, not on every command.
            if (announce && why != lastWhy_) {
                lastWhy_ = why;
                out.notice = why;
            }
            return false;
        }
        lastWhy_.clear();
    }
    out.presence = ReaderPresence::Present;
    return true;
}

namespace
{
// The reader went away under an exchange; the next command opens it again.
void lost(UsbReply &out)
{
    out.gone = true;
    out.presence = ReaderPresence::Absent;
    out.why = QStringLiteral("The USB reader went away (unplugged, or its USB connection failed).");
}
} // namespace

void HidTransport::drain()
{
    // Input left over from an earlier exchange must not be taken for the next reply.
    uint8_t buf[kReportSize];
    for (int i = 0; i < 64; ++i)
        if (device_->readReport(buf, kReportSize, 0) <= 0)
            break;
}

UsbReply HidTransport::perform(const Request &request)
{
    UsbReply out;
    if (!ensureOpen(out, true))
        return out;
    drain();
    const QByteArray &frame = request.frame;
    qsizetype offset = 0;
    do {
        QByteArray report(kReportSize + 1, '\0'); // report ID 0, then the payload
        const qsizetype n = qMin<qsizetype>(kReportSize, frame.size() - offset);
        if (n > 0)
            std::memcpy(report.data() + 1, frame.constData() + offset, size_t(n));
        if (device_->writeReport(report) < 0) {
            device_.reset();
            lost(out);
            return out;
        }
        out.written += int(n);
        offset += n;
    } while (offset < frame.size());

    QDeadlineTimer deadline(request.timeoutMs);
    QByteArray reply;
    qsizetype wanted = kReplySize;
    uint8_t buf[kReportSize];
    while (reply.size() < wanted) {
        if (superseded(request.id))
            return out;
        const int left = int(qMax<qint64>(0, deadline.remainingTime()));
        const int n = device_->readReport(buf, kReportSize, qMin(left, kReadSliceMs));
        if (n < 0) {
            device_.reset();
            lost(out);
            return out;
        }
        if (n == 0) {
            if (deadline.hasExpired())
                return out; // no whole reply in time
            continue;
        }
        reply.append(reinterpret_cast<const char *>(buf), n);
        if (reply.size() >= 3)
            wanted = qMin<qsizetype>(kReplySize, qsizetype(uint8_t(reply[2])) + 5);
    }
    reply.truncate(wanted);
    out.frame = reply;
    return out;
}
