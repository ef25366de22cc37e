#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <cstdint>

// Mifare S50/S70 cards: blocks, value blocks, the card number, halt.
namespace protocol::mifare
{

constexpr uint8_t kReadBlocks = 0x20;
constexpr uint8_t kWriteBlocks = 0x21;
constexpr uint8_t kInitValue = 0x22;
constexpr uint8_t kDecrement = 0x23;
constexpr uint8_t kIncrement = 0x24;
constexpr uint8_t kCardNumber = 0x25;
constexpr uint8_t kHalt = 0x06;
constexpr int kKeyBytes = 6;
constexpr int kBlockBytes = 16;

// Which cards answer and which key authenticates: the mode byte (bit 0: all cards, bit 1: key B).
struct Access {
    bool allCards = false;
    bool keyB = false;
    uint8_t mode() const { return uint8_t((allCards ? 0x01 : 0x00) | (keyB ? 0x02 : 0x00)); }
};

// count blocks from start; key: 6 bytes.
Request readBlocks(Access access, uint8_t count, uint8_t start, const QByteArray &key);
// data: the blocks' bytes; the reader checks them against count.
Request writeBlocks(Access access, uint8_t count, uint8_t start, const QByteArray &key, const QByteArray &data);
enum class ValueOp { Init = kInitValue, Increment = kIncrement, Decrement = kDecrement };
// amount: 4 bytes as the reader takes them.
Request value(ValueOp op, Access access, uint8_t sector, const QByteArray &key, const QByteArray &amount);
// allCards: request all cards (0x52) or idle ones (0x26); halt: halt the card after reading.
Request cardNumber(bool allCards, bool halt);
Request halt();

struct Blocks {
    QByteArray cardNumber; // reply bytes 4 ... 7
    QByteArray data;       // bytes 8 up to the check byte: every block read
};
Result<Blocks> parseBlocks(const QByteArray &reply);

struct CardId {
    QByteArray cardNumber; // reply bytes 4 ... 7
};
Result<CardId> parseCardId(const QByteArray &reply);

struct ValueResult {
    QByteArray cardNumber; // reply bytes 4 ... 7
    QByteArray remaining;  // reply bytes 8 ... 11
};
Result<ValueResult> parseValue(const QByteArray &reply);

struct CardNumber {
    std::optional<uint8_t> count; // reply byte 4: 0x00 one card, 0x01 several
    QByteArray number;            // reply bytes 5 ... 8
};
Result<CardNumber> parseCardNumber(const QByteArray &reply);

} // namespace protocol::mifare
