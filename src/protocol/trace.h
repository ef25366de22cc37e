#pragma once

#include "protocol/exchange.h"
#include "protocol/request.h"

#include <QString>
#include <optional>

// Exchanges in words, for the frame trace window and the command line's --trace file.
namespace protocol
{

struct DecodedExchange {
    std::optional<Family> family; // nothing when the table has no such command
    QString familyText;           // "Mifare S50/S70"; several when rows of several families match
    QString name;                 // "read blocks"
    QString request;              // the command's parameters
    QString reply;                // what the reply says
    QString problems;             // frame checks that failed ("reply: check byte"); empty when none
};

DecodedExchange decode(const Exchange &exchange);

// The outcome in words ("answered", "no answer" ...).
QString outcomeText(Exchange::Outcome outcome);

// One exchange as one line of text: time, channel, latency, family and command, the frames as
// hex, the decoded request and reply, and failed checks.
QString traceLine(const Exchange &exchange, const DecodedExchange &decoded);
inline QString traceLine(const Exchange &exchange)
{
    return traceLine(exchange, decode(exchange));
}

} // namespace protocol
