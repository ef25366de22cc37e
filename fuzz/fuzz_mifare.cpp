#include "protocol/mifare.h"

#include <cstddef>
#include <cstdint>

// Every parser of the family over replies of any length and content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)protocol::mifare::parseBlocks(bytes);
    (void)protocol::mifare::parseCardId(bytes);
    (void)protocol::mifare::parseValue(bytes);
    (void)protocol::mifare::parseCardNumber(bytes);
    return 0;
}
