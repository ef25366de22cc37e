#pragma once

#include "protocol/request.h"

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <cstdint>
#include <optional>

namespace protocol
{

// One exchange with the reader, everything about how it went: what the link returns for a
// request, and what the frame trace shows.
struct Exchange {
    enum class Channel { Usb, Serial };
    enum class Outcome {
        Answered,   // a reply came: on the USB line a reader frame that checks, status 0x00
        Refused,    // the reader's status 0x01; errorCode holds the code after it, when there is one
        NoAnswer,   // nothing within the wait
        Damaged,    // a reply whose reader frame does not check, or whose status byte is unknown
        Gone,       // the reader went away during the exchange
        NoReader,   // the frame could not be written
        Superseded, // another command started inside this one's wait
        TooLong,    // refused before sending: longer than the reader takes
    };

    QDateTime time; // when the frame went out (the application clock)
    Channel channel = Channel::Usb;
    QByteArray sent;  // the frame as written
    QByteArray reply; // the reply to this command, cut to its length; empty when none came
    Outcome outcome = Outcome::NoAnswer;
    std::optional<uint8_t> errorCode; // Refused: the reader's error code
    qint64 latencyUs = 0;             // from the write to the reply, or to the end of the wait
    int row = -1;                     // the command table's row, -1 when none is known
};

// The outcome of a reader reply that came to a USB exchange: Answered, Refused (its error code
// into errorCode) or Damaged. The reply is untrusted: only the bytes it holds are read.
void judgeReaderReply(Exchange &exchange);

// The record of a request sent on a line of its own (the UHF module's serial line), stamped
// now with its frame and table row; the sender adds the reply, outcome and latency.
Exchange serialExchange(const Request &request);

} // namespace protocol

Q_DECLARE_METATYPE(protocol::Exchange)
