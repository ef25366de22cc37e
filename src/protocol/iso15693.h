#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

// ISO15693 tags: inventory, blocks, AFI, DSFID, system information, block security.
namespace protocol::iso15693
{

constexpr uint8_t kInventory = 0x10;
constexpr uint8_t kRead = 0x11;
constexpr uint8_t kWrite = 0x12;
constexpr uint8_t kLock = 0x13;
constexpr uint8_t kSelect = 0x15;
constexpr uint8_t kWriteAfi = 0x17;
constexpr uint8_t kLockAfi = 0x18;
constexpr uint8_t kWriteDsfid = 0x19;
constexpr uint8_t kLockDsfid = 0x1A;
constexpr uint8_t kSystemInfo = 0x1B;
constexpr uint8_t kSecurity = 0x1C;
constexpr int kUidBytes = 8;
// The longest body one reader frame carries.
constexpr int kMaxBody = 255 - 5;

// The request flags the tool offers.
constexpr uint8_t kFlagsTi = 0x42;
constexpr uint8_t kFlagsPhilips = 0x02;
constexpr uint8_t kFlagsAddressed = 0x22; // the UID follows: one tag answers
constexpr uint8_t kFlagsOther = 0x52;

// One command of the table: code, flags, then values, the UID (8 bytes, or empty when no tag
// is addressed) and data after the UID. The typed builders below all come down to it.
Request command(uint8_t code, uint8_t flags, const QByteArray &values, const QByteArray &uid,
                const QByteArray &after = {});

Request inventory();
Request read(uint8_t flags, uint8_t first, uint8_t count, const QByteArray &uid);
Request write(uint8_t flags, uint8_t first, uint8_t count, const QByteArray &uid, const QByteArray &data);
Request lock(uint8_t flags, uint8_t block);
Request select(uint8_t flags, const QByteArray &uid);
Request writeAfi(uint8_t flags, uint8_t afi, const QByteArray &uid);
Request lockAfi(uint8_t flags, const QByteArray &uid);
Request writeDsfid(uint8_t flags, uint8_t dsfid, const QByteArray &uid);
Request lockDsfid(uint8_t flags, const QByteArray &uid);
Request systemInfo(uint8_t flags, const QByteArray &uid);
Request security(uint8_t flags, uint8_t first, uint8_t count, const QByteArray &uid);

struct Inventory {
    std::optional<uint8_t> count; // reply byte 4, as the reader counts
    QByteArray data;              // bytes 5 up to the check byte
    // The UIDs of the whole 10-byte records after the count (flags, DSFID, UID least
    // significant byte first), as the reply holds them.
    QList<QByteArray> uids;
};
Result<Inventory> parseInventory(const QByteArray &reply);

struct Blocks {
    std::optional<uint8_t> flags; // reply byte 4
    QByteArray data;              // bytes 5 up to the check byte
};
// Read and block security replies.
Result<Blocks> parseBlocks(const QByteArray &reply);

// System information at its fixed positions, as if every optional field were present.
struct SystemInfo {
    std::optional<uint8_t> flags, infoFlags, dsfid, afi;
    QByteArray uid;   // reply bytes 6 ... 13
    QByteArray other; // bytes 16 up to the check byte
};
Result<SystemInfo> parseSystemInfo(const QByteArray &reply);

} // namespace protocol::iso15693
