#include "protocol/tidchips.h"

#include <cstddef>
#include <cstdint>

// The chip names of TIDs of any length and content, as tags answer them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray tid(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)protocol::tid::gen2Header(tid);
    (void)protocol::tid::identify(tid);
    return 0;
}
