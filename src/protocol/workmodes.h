#pragma once

#include "protocol/request.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

// The UHF module's work modes, set over its serial line: reading mode, memory sector read in
// active mode, and the switch to USB HID.
namespace protocol::workmodes
{

constexpr uint8_t kReadingMode = 0xC1;
constexpr uint8_t kUsbHid = 0xC2;
constexpr uint8_t kMemorySector = 0xC9;
// The status byte of a module reply on the serial line: BB, type, command, two length bytes,
// then the first parameter.
constexpr int kStatusByte = 5;
// Status values up to this one name a mode that was set.
constexpr uint8_t kMaxMode = 0x07;

enum class Mode { Passive = 0x00, Single = 0x01, Multiple = 0x02, Tid = 0x03 };

// Whole module frames, sent as they stand on the serial line.
Request readingMode(Mode mode);
// password: 4 bytes.
Request memorySector(uint8_t sector, const QByteArray &password, uint8_t address, uint8_t length);
Request usbHid();

// The status byte of a module reply block; nothing when the block is too short to hold it.
std::optional<uint8_t> status(const QByteArray &block);

} // namespace protocol::workmodes
