#include "protocol/iso15693.h"

#include <cstddef>
#include <cstdint>

// Every parser of the family over replies of any length and content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)protocol::iso15693::parseInventory(bytes);
    (void)protocol::iso15693::parseBlocks(bytes);
    (void)protocol::iso15693::parseSystemInfo(bytes);
    return 0;
}
