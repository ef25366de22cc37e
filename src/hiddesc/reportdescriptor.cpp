#include "hiddesc/reportdescriptor.h"

namespace hiddesc
{

namespace
{

// Item types and tags of the short item prefix byte (tag in the high nibble, type in bits
// 2-3, data size code in bits 0-1).
enum : uint8_t { TypeMain = 0, TypeGlobal = 1, TypeLocal = 2, TypeReserved = 3 };
enum : uint8_t { MainCollection = 0xA, MainEndCollection = 0xC };
enum : uint8_t { GlobalUsagePage = 0x0, GlobalPush = 0xA, GlobalPop = 0xB };
enum : uint8_t { LocalUsage = 0x0 };
constexpr uint8_t longItemPrefix = 0xFE;
// Deeper pushes or more collections than any real device has mean the bytes are garbage.
constexpr std::size_t maxPushDepth = 32;
constexpr std::size_t maxCollections = 256;

} // namespace

TopLevelPages topLevelUsagePages(const uint8_t *data, std::size_t size)
{
    TopLevelPages result;
    uint16_t usagePage = 0;
    std::vector<uint16_t> pushed;
    bool haveUsage = false;
    uint32_t usage = 0;
    bool usageExtended = false; // a 4-byte usage carries its own page in the high half
    int depth = 0;

    std::size_t pos = 0;
    while (pos < size) {
        const uint8_t prefix = data[pos];
        if (prefix == longItemPrefix) {
            // Long items: prefix, data size, tag, data. None is defined; skip them whole.
            if (size - pos < 3 || size - pos - 3 < data[pos + 1]) {
                result.wellFormed = false;
                return result;
            }
            pos += 3 + std::size_t(data[pos + 1]);
            continue;
        }
        const std::size_t length = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (size - pos - 1 < length) {
            result.wellFormed = false;
            return result;
        }
        uint32_t value = 0;
        for (std::size_t i = 0; i < length; ++i)
            value |= uint32_t(data[pos + 1 + i]) << (8 * i);
        const uint8_t type = (prefix >> 2) & 3, tag = prefix >> 4;
        pos += 1 + length;

        switch (type) {
        case TypeMain:
            if (tag == MainCollection) {
                if (depth == 0) {
                    // A 16-bit usage takes the page in force at the main item, as the kernel reads it.
                    const uint16_t page = haveUsage && usageExtended ? uint16_t(usage >> 16) : usagePage;
                    result.pages.push_back(page);
                    if (result.pages.size() > maxCollections) {
                        result.wellFormed = false;
                        return result;
                    }
                }
                ++depth;
            } else if (tag == MainEndCollection) {
                if (depth == 0) {
                    result.wellFormed = false;
                    return result;
                }
                --depth;
            }
            haveUsage = false; // local items last until the next main item
            break;
        case TypeGlobal:
            if (tag == GlobalUsagePage) {
                usagePage = uint16_t(value);
            } else if (tag == GlobalPush) {
                if (pushed.size() == maxPushDepth) {
                    result.wellFormed = false;
                    return result;
                }
                pushed.push_back(usagePage);
            } else if (tag == GlobalPop) {
                if (pushed.empty()) {
                    result.wellFormed = false;
                    return result;
                }
                usagePage = pushed.back();
                pushed.pop_back();
            }
            break;
        case TypeLocal:
            // The collection's usage is the first one since the last main item.
            if (tag == LocalUsage && !haveUsage) {
                haveUsage = true;
                usage = value;
                usageExtended = length == 4;
            }
            break;
        case TypeReserved:
            result.wellFormed = false;
            return result;
        }
    }
    // A descriptor that leaves a collection open was cut short.
    if (depth != 0)
        result.wellFormed = false;
    return result;
}

bool firstCollectionIsVendor(const uint8_t *data, std::size_t size)
{
    const TopLevelPages found = topLevelUsagePages(data, size);
    return !found.pages.empty() && isVendorPage(found.pages.front());
}

} // namespace hiddesc
