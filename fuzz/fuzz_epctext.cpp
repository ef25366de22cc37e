#include "base/errors.h"
#include "epc/epctext.h"
#include "epc/gs1codec.h"

#include <cstddef>
#include <cstdint>

// EPC texts as people type them (hex, tag, raw and pure-identity URIs) and 96-bit values of any
// content through the GS1 decoder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        (void)epc::decode(bytes); // at least one byte; none is refused with a message
    } catch (const UserError &) {
    }
    const QString text = QString::fromUtf8(bytes);
    try {
        (void)epc::parseEpcText(text, size % 2 ? std::optional<int>(int(size % 9)) : std::nullopt);
    } catch (const UserError &) {
    }
    try {
        (void)epc::parseTagUri(text);
    } catch (const UserError &) {
    }
    return 0;
}
