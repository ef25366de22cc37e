#include "protocol/exchange.h"

#include "base/clock.h"
#include "protocol/frames.h"
#include "protocol/reply.h"

namespace protocol
{

void judgeReaderReply(Exchange &exchange)
{
    using Outcome = Exchange::Outcome;
    exchange.errorCode.reset();
    const QByteArray &reply = exchange.reply;
    // A frame with no byte between its length and its check byte carries no status at all.
    if (!frames::checkReaderFrame(reply).ok() || reply.size() <= frames::kReaderOverhead) {
        exchange.outcome = Outcome::Damaged;
        return;
    }
    const ReaderReply r(reply);
    switch (r.status()) {
    case Status::Success:
        exchange.outcome = Outcome::Answered;
        return;
    case Status::Refused:
        exchange.outcome = Outcome::Refused;
        // The check byte is no error code: a refusal without one has LEN 1.
        if (reply.size() > frames::kReaderOverhead + 1)
            exchange.errorCode = r.errorCode();
        return;
    case Status::NoReply:
    case Status::Damaged:
        break;
    }
    exchange.outcome = Outcome::Damaged;
}

Exchange serialExchange(const Request &request)
{
    Exchange exchange;
    exchange.time = appclock::now();
    exchange.channel = Exchange::Channel::Serial;
    exchange.sent = request.bytes;
    exchange.row = request.row;
    return exchange;
}

} // namespace protocol
