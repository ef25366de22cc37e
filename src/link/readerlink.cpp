#include "link/readerlink.h"

#include "base/clock.h"
#include "base/hex.h"
#include "link/waits.h"
#include "protocol/commandtable.h"
#include "protocol/frames.h"

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
    qRegisterMetaType<protocol::Exchange>();
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

QByteArray ReaderLink::frameOf(const protocol::Request &request) const
{
    switch (request.route) {
    case protocol::Route::Reader:
        return frames::hf(settings_.address, request.bytes);
    case protocol::Route::PassThrough:
        return frames::uhf(settings_.address, request.bytes);
    case protocol::Route::Raw:
        break;
    }
    return request.bytes;
}

void ReaderLink::SendHex(const QString &text)
{
    protocol::Request request = protocol::typedRequest(hex::toBytes(text), protocol::Route::Raw);
    request.waitRule = protocol::WaitRule::TakeReplied;
    exchange(request);
}

QString ReaderLink::ReplyHex() const
{
    return hex::fromBytes(lastReply_);
}

protocol::Exchange ReaderLink::exchange(const protocol::Request &request)
{
    using Outcome = protocol::Exchange::Outcome;
    protocol::Exchange done;
    done.time = appclock::now();
    done.sent = frameOf(request);
    done.row = request.row;
    const QByteArray &frame = done.sent;
    const int waitMs = request.waitMs;
    if (frame.size() > frames::kMaxFrameBytes) {
        emit notice(QStringLiteral("frame too long (%1 bytes, at most %2): not sent")
                        .arg(frame.size())
                        .arg(frames::kMaxFrameBytes));
        lastReply_.clear();
        done.outcome = Outcome::TooLong;
        emit exchanged(done);
        return done;
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
        return done; // the link went while it waited: nothing came
    pending_ = outer;
    done.latencyUs = clock.nsecsElapsed() / 1000;
    // Without a reply of its own (no reader, silence, a newer command) the command still takes
    // its whole time, unless a reply turns up meanwhile.
    if (request.waitRule == protocol::WaitRule::Whole)
        Delay(int(qMax<qint64>(0, waitMs - clock.elapsed())));

    if (!mine.reply) {
        done.outcome = mine.superseded ? Outcome::Superseded : Outcome::NoAnswer;
        if (!mine.superseded)
            lastReply_.clear(); // a superseded command leaves the newer one's reply alone
    } else if (mine.reply->written != frame.size()) {
        done.outcome = mine.reply->gone ? Outcome::Gone : Outcome::NoReader;
    } else {
        done.reply = frames::cutReply(mine.reply->frame);
        if (!done.reply.isEmpty())
            protocol::judgeReaderReply(done);
        else
            done.outcome = mine.reply->gone ? Outcome::Gone : Outcome::NoAnswer;
    }
    emit exchanged(done);
    return done;
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
