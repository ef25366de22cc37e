#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// The keyboard-output reader: how it types card numbers, its reading mode, factory settings,
// version and voice.
namespace protocol::keyboard
{

constexpr uint8_t kSetFormat = 0x82;
constexpr uint8_t kReadFormat = 0x83;
constexpr uint8_t kReadingMode = 0x0F;
constexpr uint8_t kFactoryReset = 0xCF;
constexpr uint8_t kVersion = 0xC0;
constexpr uint8_t kVoice = 0xCD;
// The custom-length hexadecimal output: 0x80 + the number of bytes (1 ... 127).
constexpr uint8_t kCustomLengthBase = 0x80;

// One output format: its code and the name Read prints for it.
struct Format {
    uint8_t code;
    const char *name; // UTF-8
    const char *word; // the command line's name for it
};
// The named formats in the order the page lists them (without the custom length).
const std::vector<Format> &formats();
// The name Read prints for a code; the custom-length name for every code above 0x10; empty
// for a code that matches nothing.
QString formatName(uint8_t code);

// What the Set command sends.
struct FormatSettings {
    uint8_t format = 0x0F;
    bool semicolon = false;
    bool questionMark = false;
    bool comma = false; // in the middle of the number
    bool enter = true;
    bool bigBuzzer = true;
    bool rssi = false; // the signal strength follows the data
    bool operator==(const FormatSettings &) const = default;
};
Request setFormat(const FormatSettings &settings);
Request readFormat();
// Active (true) or passive reading.
Request readingMode(bool active);
Request factoryReset();
Request version();
// The voice switch: a whole frame that always goes to address 00 (sent raw).
Request voice(bool on);

// What Read reports. Flags are the reply's bytes: 0x00 means "not added".
struct FormatReadback {
    std::optional<uint8_t> format;       // reply byte 5
    std::optional<uint8_t> semicolon;    // byte 6
    std::optional<uint8_t> questionMark; // byte 7
    std::optional<uint8_t> comma;        // byte 8
    std::optional<uint8_t> enter;        // byte 9
    std::optional<uint8_t> customData;   // byte 12: 0x00 none
};
// A success too short to hold byte 12 is a damaged reply, not a set of flags.
Result<FormatReadback> parseFormat(const QByteArray &reply);

struct Version {
    QByteArray text; // everything between the status byte and the check byte
};
Result<Version> parseVersion(const QByteArray &reply);

} // namespace protocol::keyboard
