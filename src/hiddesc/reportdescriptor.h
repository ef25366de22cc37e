#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Reads which usage page each top-level collection of a HID report descriptor has. A reader's
// command interface is marked by a vendor-defined page; keyboards, mice and security keys
// use the standard pages. No Qt here: the udev probe links this alone.
namespace hiddesc
{

// The largest report descriptor the kernel keeps; its sysfs copy is never longer.
constexpr std::size_t maxDescriptorSize = 4096;

constexpr bool isVendorPage(uint16_t page)
{
    return page >= 0xFF00;
}

struct TopLevelPages {
    // The usage page of each top-level collection, in descriptor order.
    std::vector<uint16_t> pages;
    // False when the descriptor is cut or malformed; pages then holds the collections whose
    // Collection item came before the damage.
    bool wellFormed = true;
};

TopLevelPages topLevelUsagePages(const uint8_t *data, std::size_t size);

// The rule's test: the first top-level collection has a vendor-defined usage page.
bool firstCollectionIsVendor(const uint8_t *data, std::size_t size);

} // namespace hiddesc
