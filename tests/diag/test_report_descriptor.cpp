#include "hiddesc/reportdescriptor.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;
using Pages = std::vector<uint16_t>;

// Descriptors as devices send them.
const Bytes bootKeyboard = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15,
                            0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08,
                            0x81, 0x01, 0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91,
                            0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00,
                            0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};
// A security key's FIDO interface: page 0xF1D0, above the standard pages, below the vendor ones.
const Bytes fidoKey = {0x06, 0xD0, 0xF1, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x20, 0x15, 0x00, 0x26,
                       0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x09, 0x21, 0x15, 0x00,
                       0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x91, 0x02, 0xC0};
// A reader's command interface: 64-byte input and output reports on page 0xFF00.
const Bytes vendorReader = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x02, 0x15, 0x00, 0x26, 0xFF, 0x00,
                            0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x09, 0x03, 0x95, 0x40, 0x91, 0x02, 0xC0};
// A mouse with a nested physical collection, then a consumer-control collection.
const Bytes mouseAndConsumer = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05,
                                0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01,
                                0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0xC0, 0xC0, 0x05, 0x0C, 0x09,
                                0x01, 0xA1, 0x01, 0x85, 0x02, 0x09, 0xE9, 0x09, 0xEA, 0x15, 0x00, 0x25, 0x01,
                                0x75, 0x01, 0x95, 0x02, 0x81, 0x02, 0x95, 0x06, 0x81, 0x01, 0xC0};

Bytes join(const Bytes &a, const Bytes &b)
{
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

struct DescriptorCase {
    const char *name;
    Bytes bytes;
    Pages pages;
    bool wellFormed;
    bool firstIsVendor;
};

const std::vector<DescriptorCase> &descriptorCases()
{
    static const std::vector<DescriptorCase> list = {
        {"keyboard", bootKeyboard, {0x0001}, true, false},
        {"security key", fidoKey, {0xF1D0}, true, false},
        {"reader", vendorReader, {0xFF00}, true, true},
        {"reader on the last vendor page", {0x06, 0xFF, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0}, {0xFFFF}, true, true},
        {"page just below the vendor range", {0x06, 0xFF, 0xFE, 0x09, 0x01, 0xA1, 0x01, 0xC0}, {0xFEFF}, true, false},
        {"mouse and consumer control", mouseAndConsumer, {0x0001, 0x000C}, true, false},
        // A keyboard with a vendor-defined second collection stays closed to the rule.
        {"keyboard then vendor collection", join(bootKeyboard, vendorReader), {0x0001, 0xFF00}, true, false},
        {"reader then keyboard", join(vendorReader, bootKeyboard), {0xFF00, 0x0001}, true, true},
        // A 4-byte usage carries its own page in the high half.
        {"extended usage", {0x05, 0x01, 0x0B, 0x01, 0x00, 0x00, 0xFF, 0xA1, 0x01, 0xC0}, {0xFF00}, true, true},
        // A 2-byte usage takes the page in force at the collection, set after it here.
        {"page after usage", {0x09, 0x01, 0x06, 0x00, 0xFF, 0xA1, 0x01, 0xC0}, {0xFF00}, true, true},
        {"push and pop",
         {0x05, 0x01, 0xA4, 0x06, 0x00, 0xFF, 0xB4, 0x09, 0x06, 0xA1, 0x01, 0xC0},
         {0x0001},
         true,
         false},
        {"long item skipped",
         {0xFE, 0x02, 0x10, 0xA1, 0x01, 0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0},
         {0xFF00},
         true,
         true},
        {"empty", {}, {}, true, false},
        // Damaged descriptors.
        {"cut inside the page item", {0x06, 0x00}, {}, false, false},
        {"cut after the collection", {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09}, {0xFF00}, false, true},
        {"collection left open", {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01}, {0xFF00}, false, true},
        {"stray end collection", {0xC0, 0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0}, {}, false, false},
        {"long item longer than the rest", {0xFE, 0x10, 0x00, 0x01}, {}, false, false},
        {"long item cut in its header", {0xFE, 0x01}, {}, false, false},
        {"reserved item type", {0x0C, 0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0}, {}, false, false},
        {"pop without push", {0xB4, 0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0}, {}, false, false},
    };
    return list;
}

TEST(ReportDescriptor, TopLevelPagesOfRealAndDamagedDescriptors)
{
    for (const DescriptorCase &c : descriptorCases()) {
        const hiddesc::TopLevelPages found = hiddesc::topLevelUsagePages(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(found.pages, c.pages) << c.name;
        EXPECT_EQ(found.wellFormed, c.wellFormed) << c.name;
        EXPECT_EQ(hiddesc::firstCollectionIsVendor(c.bytes.data(), c.bytes.size()), c.firstIsVendor) << c.name;
    }
}

// Every cut of every descriptor: nothing read past the end (the sanitizer build watches) and
// the pages found are the first ones of the whole descriptor.
TEST(ReportDescriptor, EveryCutGivesAPrefixOfThePages)
{
    for (const DescriptorCase &c : descriptorCases()) {
        const Pages whole = hiddesc::topLevelUsagePages(c.bytes.data(), c.bytes.size()).pages;
        for (size_t length = 0; length < c.bytes.size(); ++length) {
            const Bytes cut(c.bytes.begin(), c.bytes.begin() + long(length));
            const Pages pages = hiddesc::topLevelUsagePages(cut.data(), cut.size()).pages;
            ASSERT_LE(pages.size(), whole.size()) << c.name << " cut at " << length;
            EXPECT_TRUE(std::equal(pages.begin(), pages.end(), whole.begin())) << c.name << " cut at " << length;
        }
    }
}

TEST(ReportDescriptor, ManyCollectionsOrDeepPushesAreGarbage)
{
    Bytes many;
    for (int i = 0; i < 300; ++i)
        many.insert(many.end(), {0x06, 0x00, 0xFF, 0xA1, 0x01, 0xC0});
    const hiddesc::TopLevelPages found = hiddesc::topLevelUsagePages(many.data(), many.size());
    EXPECT_FALSE(found.wellFormed);
    EXPECT_LE(found.pages.size(), 257u);

    Bytes deep(100, 0xA4);
    deep.insert(deep.end(), {0x06, 0x00, 0xFF, 0xA1, 0x01, 0xC0});
    EXPECT_FALSE(hiddesc::topLevelUsagePages(deep.data(), deep.size()).wellFormed);
    EXPECT_FALSE(hiddesc::firstCollectionIsVendor(deep.data(), deep.size()));
}

// Random bytes and real descriptors with random bytes changed, under the sanitizers: the
// reader stays inside the buffer and the probe's answer is the first page's.
TEST(ReportDescriptor, FuzzedDescriptors)
{
    std::mt19937 rng(20261208);
    for (int i = 0; i < 20000; ++i) {
        Bytes bytes;
        if (i % 2 == 0) {
            bytes.resize(rng() % 300);
            for (uint8_t &b : bytes)
                b = uint8_t(rng());
        } else {
            bytes = descriptorCases()[rng() % descriptorCases().size()].bytes;
            for (int n = 0; n < 3 && !bytes.empty(); ++n)
                bytes[rng() % bytes.size()] = uint8_t(rng());
        }
        // An exact-size heap copy, so that a read past the end is caught.
        const std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        const hiddesc::TopLevelPages found = hiddesc::topLevelUsagePages(exact.get(), bytes.size());
        ASSERT_LE(found.pages.size(), 257u);
        EXPECT_EQ(hiddesc::firstCollectionIsVendor(exact.get(), bytes.size()),
                  !found.pages.empty() && hiddesc::isVendorPage(found.pages.front()));
    }
}

} // namespace
