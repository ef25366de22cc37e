#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

// The HF reader's own settings: device address, baud rate, serial number, LEDs, buzzer, and
// its active and passive card reading.
namespace protocol::hfsystem
{

constexpr uint8_t kSetAddress = 0x80;
constexpr uint8_t kSetBaudRate = 0x81;
constexpr uint8_t kSetSerialNumber = 0x82;
constexpr uint8_t kReadIdentity = 0x83; // the address and the serial number
constexpr uint8_t kLedR = 0x87;
constexpr uint8_t kLed = 0x88;
constexpr uint8_t kBuzzer = 0x89;
constexpr uint8_t kReadingMode = 0x0F;

// The baud rates the reader takes, in the order of their code bytes.
const QStringList &baudRates();
// The code of a rate ("9600" -> 0); -1 for any other text.
int baudCode(const QString &rate);

Request setAddress(uint8_t address);
// code: from baudCode().
Request setBaudRate(uint8_t code);
// serial: 8 bytes.
Request setSerialNumber(const QByteArray &serial);
Request readIdentity();
enum class Signal { Led = kLed, LedR = kLedR, Buzzer = kBuzzer };
// A light or the buzzer: period and count.
Request signal(Signal which, uint8_t period, uint8_t count);
// Active (true) or passive card reading.
Request readingMode(bool active);

struct Identity {
    std::optional<uint8_t> address; // reply byte 4
    QByteArray serialNumber;        // reply bytes 5 ... 12, shorter where the reply ends
};
Result<Identity> parseIdentity(const QByteArray &reply);

} // namespace protocol::hfsystem
