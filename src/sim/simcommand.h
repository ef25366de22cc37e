#pragma once

#include <QByteArray>
#include <cstdint>

// One command as the simulated reader sees it once the frame around it has been checked.
struct SimCommand {
    uint8_t code = 0;
    QByteArray data; // the bytes after the command code
};

// What the simulated reader does about one command: answer with a status and data, or
// stay silent.
struct SimAnswer {
    bool silent = false;
    uint8_t status = 0x00;
    QByteArray data;

    static SimAnswer ok(const QByteArray &data = {}) { return {false, 0x00, data}; }
    static SimAnswer fail(uint8_t code) { return {false, 0x01, QByteArray(1, char(code))}; }
    static SimAnswer none() { return {true, 0x00, {}}; }
};

// The reader's error codes the simulator uses (the meanings are the reader's error table).
namespace simcode
{
constexpr uint8_t kOverflow = 0x10;       // a value above its allowed range
constexpr uint8_t kSetFailed = 0x81;      // a setting the reader refuses
constexpr uint8_t kTimeout = 0x82;        // the module behind the reader did not answer
constexpr uint8_t kNoCard = 0x83;         // no card in the field (or it did not answer)
constexpr uint8_t kBadFrame = 0x85;       // header, length, check byte or trailer wrong
constexpr uint8_t kBadValueBlock = 0x8A;  // value operation on a block that holds no value
constexpr uint8_t kKeyRefused = 0x8C;     // authentication failed
constexpr uint8_t kUnknownCommand = 0x8F; // a command this reader does not have
constexpr uint8_t kBadLength = 0x91;      // wrong number of data bytes for the command
constexpr uint8_t kNoSuchBlock = 0x93;    // block or page outside the card's memory
constexpr uint8_t kLocked = 0x94;         // the block (or AFI, DSFID) is locked
constexpr uint8_t kLockFailed = 0x95;     // lock of something already locked
constexpr uint8_t kWriteFailed = 0x96;    // write to a read-only block
} // namespace simcode

// Largest data part of a reply: LEN (status + data) must stay at or below 240.
constexpr int kMaxReplyData = 239;
