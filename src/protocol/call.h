#pragma once

#include "link/readerlink.h"
#include "protocol/request.h"

namespace protocol
{

// Sends a request through the link as its route says and returns the reply to it (empty when
// none came). The trace learns which command of the table it was.
QByteArray exchange(ReaderLink &link, const Request &request, int waitMs);

// Sends a request and takes the reply that comes within replyWaitMs without waiting any
// longer: for commands whose answer only the reply echo shows.
QByteArray sendOnly(ReaderLink &link, const Request &request, int replyWaitMs);

// The trace's record of a request sent on a line of its own (the UHF module's serial line),
// stamped now with its frame and table row; the sender adds the reply, outcome and latency.
ExchangeRecord serialRecord(const Request &request);

} // namespace protocol
