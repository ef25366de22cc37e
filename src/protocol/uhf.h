#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
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
constexpr uint8_t kBankEpc = 0x01;
constexpr uint8_t kBankTid = 0x02;
// The longest mask a select can carry: its length in bits is one byte.
constexpr int kMaxMaskBytes = 31;
// What a tag's EPC memory holds at most, and so the longest number written.
constexpr int kMaxEpcBytes = 62;
constexpr int kPasswordBytes = 4;

enum class ReaderMode { Single = 0x01, Passive = 0x02, Multiple = 0x03, Tid = 0x04 };
Request readerMode(ReaderMode mode);
// The active read of a memory sector: password 4 bytes.
Request memorySectorMode(uint8_t sector, const QByteArray &password, uint8_t address, uint8_t length);

// Module frames, carried behind the pass-through.
Request inventory();
// Selects the tag whose EPC starts with epc, from the EPC's first bit; an EPC longer than a
// mask can be is matched on its first kMaxMaskBytes.
Request select(const QByteArray &epc);
// Writes CRC word, PC word and the new EPC (whole words) into the EPC bank from word 0.
Request writeEpc(const QByteArray &password, const QByteArray &crc, const QByteArray &epc);
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
