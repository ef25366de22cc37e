#include "protocol/system.h"

#include <cstddef>
#include <cstdint>

// Every parser of the family over replies of any length and content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)protocol::hfsystem::parseIdentity(bytes);
    return 0;
}
