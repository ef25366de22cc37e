#include "link/readerlink.h"

#include "link/frames.h"
#include "link/hextext.h"
#include "link/timestamp.h"
#include "link/waits.h"

#include <QElapsedTimer>
#include <QPointer>
#include <optional>

struct ReaderLink::Pending {
    quint64 id;
    std::optional<UsbReply> reply;
    bool superseded = false;
};

ReaderLink::ReaderLink(UsbTransport &transport, QObject *parent) : QObject(parent), transport_(&transport)
{
    qRegisterMetaType<ExchangeRecord>();
}

ReaderLink::~ReaderLink() = default;

void ReaderLink::setTransport(UsbTransport &transport)
{
    if (&transport == transport_)
        return;
    transport_ = &transport;
    ++transportGeneration_;
    takePresence(ReaderPresence::Unknown, QString());
}

void ReaderLink::probe()
{
    QPointer<ReaderLink> self(this);
    transport_->probe([self, generation = transportGeneration_, replies = replies_](const UsbReply &reply) {
        if (self && self->transportGeneration_ == generation && self->replies_ == replies &&
            reply.presence != ReaderPresence::Unknown)
            self->takePresence(reply.presence, reply.why);
    });
}

void ReaderLink::takePresence(ReaderPresence presence, const QString &why)
{
    if (presence == presence_ && why == presenceWhy_)
        return;
    presence_ = presence;
    presenceWhy_ = why;
    emit presenceChanged(presence, why);
}

QByteArray ReaderLink::exchange(const QByteArray &body, int waitMs, int command)
{
    return transfer(frames::hf(settings_.address, body), waitMs, command, true);
}

QByteArray ReaderLink::exchangeUhf(const QByteArray &moduleFrame, int waitMs, int command)
{
    return transfer(frames::uhf(settings_.address, moduleFrame), waitMs, command, true);
}

QByteArray ReaderLink::exchangeRaw(const QByteArray &frame, int waitMs, int command)
{
    return transfer(frame, waitMs, command, true);
}

QByteArray ReaderLink::sendRaw(const QByteArray &frame, int replyWaitMs, int command)
{
    return transfer(frame, replyWaitMs, command, false);
}

void ReaderLink::SendHex(const QString &text, int replyWaitMs)
{
    transfer(hex::toBytes(text), replyWaitMs, -1, false);
}

QString ReaderLink::ReplyHex() const
{
    return hex::fromBytes(lastReply_);
}

QByteArray ReaderLink::transfer(const QByteArray &frame, int waitMs, int command, bool wholeWait)
{
    ExchangeRecord record;
    record.time = appclock::now();
    record.sent = frame;
    record.command = command;
    if (frame.size() > frames::kMaxFrameBytes) {
        emit notice(QStringLiteral("frame too long (%1 bytes, at most %2): not sent")
                        .arg(frame.size())
                        .arg(frames::kMaxFrameBytes));
        lastReply_.clear();
        record.outcome = ExchangeRecord::Outcome::TooLong;
        emit exchanged(record);
        return {};
    }

    // A command started inside another's wait ends that wait: the earlier command gets no
    // reply rather than this one's.
    if (pending_)
        pending_->superseded = true;
    Pending mine{++nextId_, {}, false};
    Pending *outer = pending_;
    pending_ = &mine;
    QElapsedTimer clock;
    clock.start();
    QPointer<ReaderLink> self(this);
    transport_->start(frame, waitMs, [self, id = mine.id, size = frame.size()](const UsbReply &reply) {
        if (self && self->pending_ && self->pending_->id == id)
            self->arrived(reply, size);
    });
    waits::waitUntil(waitMs, [&mine] { return mine.superseded || mine.reply.has_value(); });
    if (!self)
        return {};
    pending_ = outer;
    record.latencyUs = clock.nsecsElapsed() / 1000;
    // Without a reply of its own (no reader, silence, a newer command) the command still takes
    // its whole time, unless a reply turns up meanwhile.
    if (wholeWait)
        Delay(int(qMax<qint64>(0, waitMs - clock.elapsed())));

    using Outcome = ExchangeRecord::Outcome;
    if (!mine.reply) {
        record.outcome = mine.superseded ? Outcome::Superseded : Outcome::NoAnswer;
        if (!mine.superseded)
            lastReply_.clear(); // a superseded command leaves the newer one's reply alone
    } else if (mine.reply->written != frame.size()) {
        record.outcome = mine.reply->gone ? Outcome::Gone : Outcome::NoReader;
    } else {
        record.reply = frames::cutReply(mine.reply->frame);
        record.outcome = !record.reply.isEmpty() ? Outcome::Answered
                         : mine.reply->gone      ? Outcome::Gone
                                                 : Outcome::NoAnswer;
    }
    emit exchanged(record);
    return record.reply;
}

void ReaderLink::arrived(const UsbReply &reply, qsizetype frameSize)
{
    pending_->reply = reply;
    ++replies_;
    const bool failed = reply.presence == ReaderPresence::Absent || reply.presence == ReaderPresence::Unreachable;
    if (failed) {
        ++failures_;
        emit readerFailed(reply.why);
    }
    // Said when it happens, not at the end of the wait.
    if (!reply.notice.isEmpty())
        emit notice(reply.notice);
    if (reply.written != frameSize) {
        emit notice(kWriteFailed);
        lastReply_.clear();
    } else {
        lastReply_ = frames::cutReply(reply.frame);
        if (settings_.echo)
            emit notice(QStringLiteral("Receive...") + ReplyHex());
    }
    if (reply.presence != ReaderPresence::Unknown)
        takePresence(reply.presence, reply.why);
    waits::notify(); // this wait, or a reply-aware wait further out, may end now
}

void ReaderLink::Delay(int ms)
{
    waits::waitUntil(ms, [this] { return !lastReply_.isEmpty(); });
}

void ReaderLink::Delayy(int ms)
{
    waits::waitUntil(ms, [] { return false; });
}
