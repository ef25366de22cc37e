#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The UHF reader's reading modes and its UHF module behind the pass-through command: the tag
// in the field, select, write and read of its memory banks.
namespace protocol::uhf
{

// Reader commands.
constexpr uint8_t kReaderMode = 0x0F;
constexpr uint8_t kMemorySectorMode = 0xBC;
// Module commands.
constexpr uint8_t kInventory = 0x22;
constexpr uint8_t kSelect = 0x0C;
constexpr uint8_t kWrite = 0x49;
constexpr uint8_t kRead = 0x39;
constexpr uint8_t kError = 0xFF; // the command byte of a module error frame

// Memory banks.
constexpr uint8_t kBankReserved = 0x00; // kill and access password
constexpr uint8_t kBankEpc = 0x01;      // StoredCRC, PC, the EPC
constexpr uint8_t kBankTid = 0x02;      // the chip's identity, read-only
constexpr uint8_t kBankUser = 0x03;
// "reserved", "EPC", "TID", "user"; "bank N" for any other number.
QString bankName(uint8_t bank);
// The longest mask a select can carry: its length in bits is one byte.
constexpr int kMaxMaskBytes = 31;
// What a tag's EPC memory holds at most, and so the longest number written.
constexpr int kMaxEpcBytes = 62;
constexpr int kPasswordBytes = 4;
// The most bytes one write carries: the reader's frame holds 255 bytes, 22 of them around the data.
constexpr int kMaxWriteBytes = 232;

// Module error codes: the byte behind an error frame's command FF.
constexpr uint8_t kErrorReadFailed = 0x09;  // no tag answered the read (none matches the select)
constexpr uint8_t kErrorWriteFailed = 0x10; // no tag answered the write
constexpr uint8_t kErrorKillFailed = 0x12;
constexpr uint8_t kErrorLockFailed = 0x13;
constexpr uint8_t kErrorNoTag = 0x15;         // an inventory round in which no tag was heard
constexpr uint8_t kErrorAccessFailed = 0x16;  // wrong access password
constexpr uint8_t kErrorInvalidCommand = 0x17;
constexpr uint8_t kErrorHopping = 0x20;
// A tag's own error code comes as the operation in the high nibble (A read, B write, C lock,
// D kill, E block permalock) and the tag's code in the low one.
constexpr uint8_t kTagCodeOverrun = 0x3; // no such memory: past the end of a bank, or no bank
constexpr uint8_t kTagCodeLocked = 0x4;
// Whether a module code carries a tag's own error code.
constexpr bool isTagError(uint8_t code)
{
    return code >= 0xA0 && code <= 0xEF;
}
// The code in words: "memory locked", "access failed (wrong password)"; "unknown error" when
// the code is not known.
QString moduleErrorText(uint8_t code);
// The same with the code: "memory locked (module error A4)".
QString moduleErrorMessage(uint8_t code);

enum class ReaderMode { Single = 0x01, Passive = 0x02, Multiple = 0x03, Tid = 0x04 };
Request readerMode(ReaderMode mode);
// The active read of a memory sector: password 4 bytes.
Request memorySectorMode(uint8_t sector, const QByteArray &password, uint8_t address, uint8_t length);

// Module frames, carried behind the pass-through.
Request inventory();
// Selects the tag whose EPC starts with epc, from the EPC's first bit; an EPC longer than a
// mask can be is matched on its first kMaxMaskBytes.
Request select(const QByteArray &epc);
// Selects the tags whose bank (EPC, TID or user) holds mask from bit pointerBits of the bank
// on (0 to kMaxMaskBytes bytes, every bit compared; an empty mask matches every tag). Reads
// and writes then reach the first tag that matches; the inventory is not affected. SelParam
// as the module takes it: target S0, action 0, the bank in the low two bits.
Request selectMask(uint8_t bank, uint32_t pointerBits, const QByteArray &mask);
// Writes CRC word, PC word and the new EPC (whole words) into the EPC bank from word 0.
Request writeEpc(const QByteArray &password, const QByteArray &crc, const QByteArray &epc);
// Writes data (whole words, 2 to kMaxWriteBytes bytes) into a bank from wordAddress, with the
// access password.
Request writeBank(uint8_t bank, uint16_t wordAddress, const QByteArray &data, const QByteArray &password);
// Reads words of a bank from wordAddress.
Request readBank(uint8_t bank, uint16_t wordAddress, uint16_t words, const QByteArray &password);
// Eight words of the EPC bank from address 0, access password 0.
Request readEpcBank();

// The module frame inside a pass-through reply: reply bytes 4 ... n-3, dropping the reader's
// header, address, length, status and its check byte and trailer. Empty when the reply is too
// short to hold one byte there.
QByteArray moduleFrame(const QByteArray &reply);
// The 8-byte module frame that says no tag answered has this size.
constexpr int kNoTagFrameBytes = 8;

// A tag as an inventory reply shows it.
struct Tag {
    QByteArray pc;  // module bytes 6 ... 7
    QByteArray epc; // PL - 5 bytes from module byte 8 on
    QByteArray crc; // the two bytes before checksum and end mark
};
// The tag of an inventory reply (a module frame), or nothing when the frame cannot hold the
// EPC its parameter length announces, with the CRC word and the two closing bytes behind it.
// Only the low byte of the parameter length is read.
std::optional<Tag> parseInventory(const QByteArray &module);

// A tag as an inventory frame shows it, with the signal strength the module measured.
struct InventoryTag {
    int8_t rssi = 0; // module byte 5, a signed byte (taken as dBm)
    QByteArray pc;
    QByteArray epc;
    QByteArray crc;
};
// The tag of one whole, checked inventory frame (command 22): nothing for any other frame.
std::optional<InventoryTag> parseInventoryTag(const QByteArray &frame);

// An inventory reply (a module frame per tag heard), read without trusting it.
struct InventoryRound {
    std::vector<InventoryTag> tags;
    std::optional<uint8_t> errorCode; // an error frame's code ("no tag": kErrorNoTag)
    int otherFrames = 0;              // whole frames that are neither a tag nor an error
    QByteArray rest;                  // bytes behind the last whole frame: a frame the reply area cut
};
InventoryRound parseInventoryRound(const QByteArray &module);

// A module frame read without trusting it.
struct ModuleReply {
    uint8_t type = 0;
    uint8_t command = 0;
    QByteArray params;
    bool isError() const { return command == kError; }
    std::optional<uint8_t> errorCode() const
    {
        return isError() && !params.isEmpty() ? std::optional<uint8_t>(uint8_t(params[0])) : std::nullopt;
    }
};
// Nothing when the frame's header, length, checksum or end mark do not hold.
std::optional<ModuleReply> parseModule(const QByteArray &module);

// What a read of a bank gives: the tag's PC and EPC, then the words read.
struct BankRead {
    QByteArray pcEpc;
    QByteArray data;
};
// Nothing unless module is a whole, checked read reply.
std::optional<BankRead> parseBankRead(const QByteArray &module);
// The PC and EPC of the tag a whole, checked write reply names; nothing for any other frame.
std::optional<QByteArray> parseWriteReply(const QByteArray &module);

// The module frames one reply carries, front to back, each with its header, length, checksum
// and end mark checked: an inventory answers one frame for each tag heard in the round. rest
// holds what follows the last whole frame (a frame cut by the reply area, or damage); it is
// empty when every byte belonged to a frame.
struct ModuleFrames {
    std::vector<QByteArray> frames;
    QByteArray rest;
};
ModuleFrames splitModuleFrames(const QByteArray &module);

// Whether a write reply says the module wrote: its command byte is the write command.
bool writeConfirmed(const QByteArray &module);

} // namespace protocol::uhf
