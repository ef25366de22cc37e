#include "protocol/describe.h"
#include "protocol/exchange.h"
#include "protocol/frames.h"
#include "protocol/reply.h"

#include <cstddef>
#include <cstdint>

// Reader replies of any length and content: the status, the frame checks, the cut to LEN + 5,
// the outcome an exchange gives them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const protocol::ReaderReply r(bytes);
    (void)r.status();
    (void)r.errorCode();
    (void)r.data();
    (void)r.span(int(size % 7), int(size % 13));
    (void)protocol::ack(bytes);
    (void)frames::checkReaderFrame(bytes);
    (void)frames::checkModuleFrame(bytes);
    (void)frames::cutReply(bytes);
    (void)protocol::describe::readerReply(bytes);
    protocol::Exchange exchange;
    exchange.reply = frames::cutReply(bytes);
    protocol::judgeReaderReply(exchange);
    return 0;
}
