#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// What a tag's TID says about its chip: the class byte, and for an E2-class TID (the chips of
// UHF tags) the flags, the chip maker's mask-designer ID and the model number, named for the
// chips in common use.
namespace protocol::tid
{

constexpr uint8_t kClassGen2 = 0xE2; // mask-designer ID and model number follow
constexpr uint8_t kClassIso = 0xE0;  // an IC maker code (as ISO 15693 UIDs carry) and a serial
// The bytes that hold class, flags, mask-designer ID and model number.
constexpr int kHeaderBytes = 4;

// The first 32 bits of an E2-class TID.
struct Gen2Header {
    bool extended = false;     // XTID: an extended header follows in word 2
    bool security = false;     // the chip supports security commands
    bool file = false;         // the chip supports file commands
    uint16_t maskDesigner = 0; // 9 bits, from the GS1 list of mask-designer IDs
    uint16_t modelNumber = 0;  // 12 bits, the maker's own numbering
};
// Nothing unless the TID starts with class E2 and holds the four header bytes.
std::optional<Gen2Header> gen2Header(const QByteArray &tid);

// The maker of a mask-designer ID; empty when the ID is not in the list.
QString makerName(uint16_t maskDesigner);
// The model of a chip; empty when the model number is not one of its maker's known ones.
QString modelName(uint16_t maskDesigner, uint16_t modelNumber);

// A chip as a table or a line shows it.
struct Chip {
    QString maker; // empty when unknown
    QString model; // empty when unknown
    // "Impinj Monza R6"; "Impinj, unknown model 0x1FF"; "unknown (mask designer 0x0AB, model
    // 0x123)"; "E0 class (ISO 15693-style), NXP"; "TID too short (2 bytes)"; "no TID"
    QString text;
};
Chip identify(const QByteArray &tid);

} // namespace protocol::tid
