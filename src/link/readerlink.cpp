#include "link/readerlink.h"

#include "link/frames.h"
#include "link/hextext.h"
#include "link/waits.h"

#include <QElapsedTimer>

ReaderLink::ReaderLink(UsbTransport &transport, Hooks hooks) : transport_(&transport), hooks_(std::move(hooks)) {}

void ReaderLink::Send(const QString &body, int replyWaitMs)
{
    SendHex(frames::hf(hooks_.address(), body), replyWaitMs);
}

void ReaderLink::SendUHF(const QString &body, int replyWaitMs)
{
    SendHex(frames::uhf(hooks_.address(), body), replyWaitMs);
}

void ReaderLink::SendHex(const QString &text, int replyWaitMs)
{
    const QByteArray frame = hex::toBytes(text);
    if (frame.size() > frames::kMaxFrameBytes) {
        hooks_.log(QStringLiteral("frame too long (%1 bytes, at most %2): not sent")
                       .arg(frame.size())
                       .arg(frames::kMaxFrameBytes));
        setReply(QString());
        return;
    }
    if (transport_->write(frame) != frame.size()) {
        hooks_.log(kWriteFailed);
        setReply(QString());
        return;
    }
    QByteArray reply = transport_->read(replyWaitMs);
    if (!reply.isEmpty()) {
        // The frame ends LEN + 5 bytes in; never past the bytes actually read.
        const int len = static_cast<unsigned char>(reply.size() > 2 ? reply[2] : 0);
        reply.truncate(qMin<qsizetype>(qsizetype(len) + 5, qMin<qsizetype>(reply.size(), UsbTransport::kReplySize)));
    }
    setReply(hex::fromBytes(reply));
    if (hooks_.echo && hooks_.echo())
        hooks_.log(QStringLiteral("Receive...") + replyHex_);
}

void ReaderLink::clearReply()
{
    setReply(QString());
}

void ReaderLink::setReply(const QString &reply)
{
    replyHex_ = reply;
    if (!reply.isEmpty())
        waits::notify();
}

void ReaderLink::Delay(int ms)
{
    waits::waitUntil(ms, [this] { return !replyHex_.isEmpty(); });
}

void ReaderLink::Delayy(int ms)
{
    waits::waitUntil(ms, [] { return false; });
}

QString ReaderLink::exchangeWith(const std::function<void()> &send, int waitMs)
{
    QElapsedTimer clock;
    clock.start();
    send();
    const QString own = replyHex_;
    Delay(qMax<qint64>(0, waitMs - clock.elapsed()));
    return own;
}

QString ReaderLink::exchange(const QString &body, int waitMs)
{
    return exchangeWith([&] { Send(body, waitMs); }, waitMs);
}

QString ReaderLink::exchangeUHF(const QString &body, int waitMs)
{
    return exchangeWith([&] { SendUHF(body, waitMs); }, waitMs);
}

QString ReaderLink::exchangeHex(const QString &text, int waitMs)
{
    return exchangeWith([&] { SendHex(text, waitMs); }, waitMs);
}
