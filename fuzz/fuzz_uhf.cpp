#include "protocol/uhf.h"

#include <cstddef>
#include <cstdint>

// Every parser of the family over replies of any length and content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)protocol::uhf::parseInventory(protocol::uhf::moduleFrame(bytes));
    (void)protocol::uhf::parseInventory(bytes);
    (void)protocol::uhf::parseModule(bytes);
    (void)protocol::uhf::parseBankRead(bytes);
    (void)protocol::uhf::writeConfirmed(bytes);
    (void)protocol::uhf::parseWriteReply(bytes);
    (void)protocol::uhf::parseInventoryTag(bytes);
    (void)protocol::uhf::parseInventoryRound(bytes);
    for (const QByteArray &frame : protocol::uhf::splitModuleFrames(bytes).frames)
        (void)protocol::uhf::parseInventory(frame);
    return 0;
}
