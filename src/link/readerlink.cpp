#include "link/readerlink.h"

#include "base/clock.h"
#include "base/hex.h"
#include "link/waits.h"
#include "protocol/commandtable.h"
#include "protocol/frames.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <climits>
#include <optional>

struct ReaderLink::Active {
    quint64 id = 0;
    protocol::Exchange done; // time, frame and row from the start; the rest at the end
    protocol::WaitRule waitRule = protocol::WaitRule::Whole;
    qsizetype frameSize = 0;
    QElapsedTimer clock;
    QTimer timer; // the request's wait
    std::optional<UsbReply> reply;
    bool superseded = false;
    bool ownPartOver = false;
    ExchangeDone callback;
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
    std::optional<protocol::Exchange> result;
    QPointer<ReaderLink> self(this);
    ++nested_;
    const quint64 id = begin(request, [&result](const protocol::Exchange &e) {
        result = e;
        waits::notify();
    });
    if (id != 0) {
        // The link's own timer ends the exchange at the latest; the wait here only runs the
        // event loop meanwhile (and lets it run once even for a reply that came in the call).
        const int slackMs = qMin(request.waitMs, INT_MAX - 1000) + 1000;
        do
            waits::waitUntil(slackMs, [&result] { return result.has_value(); });
        while (!result && self && !waits::cancelled());
    }
    if (!self) {
        // The link went while it waited: nothing came.
        protocol::Exchange gone;
        gone.time = appclock::now();
        gone.row = request.row;
        return gone;
    }
    if (!result)
        finish(id); // the program is closing: the exchange ends now, as unanswered
    if (--nested_ == 0 && !held_.empty() && !heldPosted_) {
        // Started from the event loop, so that a page's next command, sent right after this
        // one, still goes first.
        heldPosted_ = true;
        QMetaObject::invokeMethod(
            this, [this] { startHeld(); }, Qt::QueuedConnection);
    }
    return *result;
}

void ReaderLink::start(const protocol::Request &request, ExchangeDone done)
{
    if (nested_ > 0 || !held_.empty()) {
        held_.push_back({request, std::move(done)});
        return;
    }
    begin(request, std::move(done));
}

void ReaderLink::startHeld()
{
    heldPosted_ = false;
    while (nested_ == 0 && !held_.empty()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        begin(next.request, std::move(next.done));
    }
}

ReaderLink::Active *ReaderLink::find(quint64 id) const
{
    for (const auto &a : active_)
        if (a->id == id)
            return a.get();
    return nullptr;
}

quint64 ReaderLink::begin(const protocol::Request &request, ExchangeDone callback)
{
    using Outcome = protocol::Exchange::Outcome;
    protocol::Exchange done;
    done.time = appclock::now();
    done.sent = frameOf(request);
    done.row = request.row;
    if (done.sent.size() > frames::kMaxFrameBytes) {
        emit notice(QStringLiteral("frame too long (%1 bytes, at most %2): not sent")
                        .arg(done.sent.size())
                        .arg(frames::kMaxFrameBytes));
        lastReply_.clear();
        done.outcome = Outcome::TooLong;
        emit exchanged(done);
        callback(done);
        return 0;
    }

    // A command started inside another's wait ends that wait: the earlier command gets no
    // reply rather than this one's.
    if (Active *older = find(awaited_)) {
        older->superseded = true;
        awaited_ = 0;
        ownPartEnded(*older);
    }
    auto active = std::make_unique<Active>();
    const quint64 id = ++nextId_;
    active->id = id;
    active->frameSize = done.sent.size();
    active->done = std::move(done);
    active->waitRule = request.waitRule;
    active->callback = std::move(callback);
    active->timer.setSingleShot(true);
    active->timer.setTimerType(Qt::PreciseTimer);
    connect(&active->timer, &QTimer::timeout, this, [this, id] { timedOut(id); });
    const QByteArray frame = active->done.sent;
    const int waitMs = request.waitMs;
    active->clock.start();
    active->timer.start(qMax(0, waitMs));
    awaited_ = id;
    active_.push_back(std::move(active));

    QPointer<ReaderLink> self(this);
    transport_->start(frame, waitMs, [self, id, size = frame.size()](const UsbReply &reply) {
        if (self && self->awaited_ == id)
            self->arrived(id, reply, size);
    });
    // The superseded one may end now (by its wait rule), once this one is on its way.
    std::vector<quint64> over;
    for (const auto &a : active_)
        if (a->superseded && a->waitRule == protocol::WaitRule::TakeReplied)
            over.push_back(a->id);
    for (const quint64 o : over)
        finish(o);
    return id;
}

void ReaderLink::ownPartEnded(Active &active)
{
    if (active.ownPartOver)
        return;
    active.ownPartOver = true;
    active.done.latencyUs = active.clock.nsecsElapsed() / 1000;
}

void ReaderLink::timedOut(quint64 id)
{
    Active *a = find(id);
    if (!a)
        return;
    if (awaited_ == id)
        awaited_ = 0; // a reply later than the wait is nobody's
    ownPartEnded(*a);
    finish(id);
}

void ReaderLink::finish(quint64 id)
{
    using Outcome = protocol::Exchange::Outcome;
    auto it = active_.begin();
    while (it != active_.end() && (*it)->id != id)
        ++it;
    if (it == active_.end())
        return;
    const std::unique_ptr<Active> mine = std::move(*it);
    active_.erase(it);
    if (awaited_ == id)
        awaited_ = 0;
    ownPartEnded(*mine);
    protocol::Exchange &done = mine->done;
    if (!mine->reply) {
        done.outcome = mine->superseded ? Outcome::Superseded : Outcome::NoAnswer;
        if (!mine->superseded)
            lastReply_.clear(); // a superseded command leaves the newer one's reply alone
    } else if (mine->reply->written != mine->frameSize) {
        done.outcome = mine->reply->gone ? Outcome::Gone : Outcome::NoReader;
    } else {
        done.reply = frames::cutReply(mine->reply->frame);
        if (!done.reply.isEmpty())
            protocol::judgeReaderReply(done);
        else
            done.outcome = mine->reply->gone ? Outcome::Gone : Outcome::NoAnswer;
    }
    emit exchanged(done);
    mine->callback(done);
}

void ReaderLink::arrived(quint64 id, const UsbReply &reply, qsizetype frameSize)
{
    Active *mine = find(id);
    awaited_ = 0;
    mine->reply = reply;
    ownPartEnded(*mine);
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

    // Without a reply of its own (no reader, silence) a command still takes its whole time,
    // unless a reply turns up meanwhile: this one's ends it, and the wait of every older one
    // whose own part is over.
    const bool replyHeld = !lastReply_.isEmpty();
    if (replyHeld || mine->waitRule == protocol::WaitRule::TakeReplied)
        finish(id);
    if (replyHeld) {
        std::vector<quint64> over; // newest first, as nested waits end
        for (auto it = active_.rbegin(); it != active_.rend(); ++it)
            if ((*it)->ownPartOver)
                over.push_back((*it)->id);
        for (const quint64 o : over)
            finish(o);
    }
    waits::notify(); // a reply-aware wait further out may end now
}

void ReaderLink::Delay(int ms)
{
    waits::waitUntil(ms, [this] { return !lastReply_.isEmpty(); });
}

void ReaderLink::Delayy(int ms)
{
    waits::waitUntil(ms, [] { return false; });
}
