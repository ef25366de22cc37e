#include "protocol/commandtable.h"
#include "protocol/trace.h"

#include <cstddef>
#include <cstdint>

// The trace's decoding of any frame sent and any reply, and the row a typed frame matches: the
// first byte picks the line and how the rest splits into the two frames, so every row's
// decoders meet hostile bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    protocol::Exchange r;
    r.channel = data[0] & 0x80 ? protocol::Exchange::Channel::Serial : protocol::Exchange::Channel::Usb;
    const qsizetype cut = qMin<qsizetype>(bytes.size(), data[0] & 0x3F);
    r.sent = bytes.left(cut);
    r.reply = bytes.mid(cut);
    r.row = (data[0] & 0x40) ? int(size % 80) - 5 : -1;
    (void)protocol::traceLine(r);
    // The same bytes typed by hand: the row they match.
    (void)protocol::typedRequest(r.sent, data[0] & 0x40 ? protocol::Route::Raw : protocol::Route::Reader);
    return 0;
}
