#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

// How a reader hands the card numbers it reads to the devices behind it: prefix and suffix,
// search interval, card filter, output interfaces, serial baud rate and end symbol, Wiegand
// format and timing, RF power, and the switch of its USB side to a virtual serial port.
namespace protocol::output
{

constexpr uint8_t kAffix = 0xCB;
constexpr uint8_t kPrefix = 0x01;
constexpr uint8_t kSuffix = 0x02;
constexpr uint8_t kInterval = 0xC1;
constexpr uint8_t kFilter = 0xC2;
constexpr uint8_t kInterfaces = 0xC3;
constexpr uint8_t kBaudRate = 0xC4;
constexpr uint8_t kEndSymbol = 0xC5;
constexpr uint8_t kWiegandFormat = 0xC6;
constexpr uint8_t kWiegandPulse = 0xC7;
constexpr uint8_t kWiegandIdle = 0xC8;
constexpr uint8_t kWiegandPosition = 0xC9;
constexpr uint8_t kRfPower = 0xCC;
constexpr uint8_t kUsbSerial = 0xB8;
constexpr int kMaxAffixBytes = 16;

// The one-byte settings: their code and the command line's name.
struct ByteSetting {
    uint8_t code;
    const char *word; // "interval"
    const char *what; // "search card interval"
};
const std::vector<ByteSetting> &byteSettings();

// The baud rates in the order of their codes.
const QStringList &baudRates();
// The code of a rate ("9600" -> 0); -1 for any other text.
int baudCode(const QString &rate);

// prefix: the bytes typed before each number (none to clear it); suffix likewise.
Request prefix(const QByteArray &bytes);
Request suffix(const QByteArray &bytes);
// code: one of byteSettings().
Request byteSetting(uint8_t code, uint8_t value);
Request interfaces(bool serial, bool wiegand, bool usb);
Request baudRate(uint8_t code);
// The switch to a virtual serial port: a whole frame that always goes to address 00.
Request usbSerial();

} // namespace protocol::output
