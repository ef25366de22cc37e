#pragma once

#include <QString>
#include <optional>

// The UHF-module frames of EPC writing and the reading of the module's replies, all as hex
// text. A module frame is BB 00 CMD PL_HI PL_LO PARAMS CHECKSUM 7E.
namespace epcframes
{

// Inventory of a single tag, as the reader is sent it.
inline const QString kInventory = QStringLiteral("bb 00 22 00 00 22 7e ");
// Eight words of the EPC bank from address 0, access password 0.
inline const QString kRead = QStringLiteral("BB 00 39 00 09 00 00 00 00 01 00 00 00 08 4B 7E");

// The longest mask a select can carry: its length in bits is one byte.
constexpr int kMaxMaskBytes = 31;
// What a tag's EPC memory holds at most, and so the longest number written.
constexpr int kMaxEpcBytes = 62;
// A module reply of this many digits is the 8-byte frame that says no tag answered.
constexpr int kNoTagDigits = 16;

// Selects the tag whose EPC starts with epc (whole pairs of hex digits), from the EPC's
// first bit; an EPC longer than a mask can be is matched on its first kMaxMaskBytes.
QString select(const QString &epc);

// Writes CRC word, PC word and the new EPC into the EPC bank from word 0.
// password: 8 hex digits; crc: 4 hex digits; epc: whole pairs.
QString write(const QString &password, const QString &crc, const QString &epc);

// The module frame inside a pass-through reply: reply bytes 4 ... n-3, dropping the
// reader's header, address, length, status and its check byte and trailer. A reply too
// short to hold one byte there gives an empty text.
QString cut(const QString &replyHex);

// A tag as an inventory reply shows it.
struct InventoryTag {
    QString epc; // PL - 5 bytes from module byte 8 on
    QString crc; // the two bytes before checksum and end mark
};

// The tag of an inventory reply (cut text), or nothing when the reply cannot hold the EPC
// its parameter length announces, with the CRC word and the two closing bytes behind it.
std::optional<InventoryTag> parseInventory(const QString &moduleReply);

} // namespace epcframes
