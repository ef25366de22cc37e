#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The five 96-bit GS1 schemes of the EPC Tag Data Standard and their layouts. Every scheme
// starts with an 8-bit header, a 3-bit filter and a 3-bit partition; the partition says how
// the next bits split between the company prefix and the scheme's reference.
namespace epc
{

enum class Scheme { Sgtin96, Sscc96, Sgln96, Grai96, Giai96 };

struct SchemeInfo {
    Scheme scheme;
    uint8_t header;
    const char *label;     // "SGTIN-96"
    const char *tagName;   // "sgtin-96", as in urn:epc:tag:sgtin-96:
    const char *idName;    // "sgtin", as in urn:epc:id:sgtin:
    const char *reference; // the field after the company prefix; nullptr when there is none (GIAI)
    const char *serial;    // the last field; nullptr when there is none (SSCC)
    // Digits of company prefix + reference together; 0 when the reference has no digit count.
    int referenceTotalDigits;
    // Bits of the serial field; 0 when it takes what the partition leaves (GIAI); SSCC has 24
    // reserved zero bits instead.
    int serialBits;
    // Bits of the field after the company prefix by partition value 0 to 6: the reference, or
    // the individual asset reference for GIAI.
    std::array<int, 7> referenceBits;
    const char *form; // the tag URI's fields for messages: "F.C.I.S (...)"
};

// Partition value p: the company prefix has 12 - p digits in these many bits.
constexpr std::array<int, 7> kCompanyPrefixBits = {40, 37, 34, 30, 27, 24, 20};
constexpr int kSsccReservedBits = 24;

const SchemeInfo &schemeInfo(Scheme scheme);
// By header byte; nullptr for a header that is none of the five.
const SchemeInfo *schemeByHeader(uint8_t header);
// By "sgtin-96" (tag URI) or "sgtin" (pure identity), case-insensitive; nullptr when unknown.
const SchemeInfo *schemeByTagName(const QString &name);
const SchemeInfo *schemeByIdName(const QString &name);

// Partition value for a company prefix of so many digits (6 to 12); -1 outside.
int partitionForPrefixDigits(int digits);

// Digits of the reference at partition p; -1 for a scheme whose reference is the serial (GIAI).
int referenceDigits(const SchemeInfo &info, int partition);

// Bits of the serial field at partition p (the individual asset reference for GIAI).
int serialBits(const SchemeInfo &info, int partition);

} // namespace epc
