#pragma once

#include "sim/simcommand.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

class UhfModule;

// The keyboard-output UHF reader personality: output format, output devices, reading mode,
// WiFi, and the pass-through to its UHF module.
class KeyboardReader
{
public:
    struct Network {
        QString name;
        QString signal; // three characters, e.g. "-50"
    };

    explicit KeyboardReader(UhfModule &module);

    SimAnswer answer(const SimCommand &command);

    static constexpr int kMaxWifiName = 32;
    static constexpr int kMaxWifiPassword = 64;

    // Back to the state a factory reset leaves.
    void restoreFactorySettings();
    // Whether the stored network is one of those in range (the reader then has an address).
    bool joined() const;

    uint8_t address = 0x00;
    // Format code, ; ? , Enter, buzzer, constant, RSSI: the eight bytes of the Set command.
    QByteArray format;
    uint8_t readingMode = 0x01;
    QByteArray memorySectorMode; // sector, password (4), address, length
    bool voiceOn = true;
    QByteArray prefix, suffix;
    QByteArray oneByteSettings = QByteArray(256, '\0'); // by command code (C1, C2, C4 ...)
    QByteArray outputInterfaces;                        // serial, Wiegand, USB flags
    bool usbVirtualSerial = false;
    QString version = QStringLiteral("SIM-UHF V1.0");
    QByteArray wifiName, wifiPassword;
    QString ipAddress = QStringLiteral("192.168.1.57");
    QList<Network> networks;

private:
    SimAnswer setFormat(const QByteArray &d);
    SimAnswer oneByte(uint8_t code, const QByteArray &d);
    SimAnswer wifiList() const;

    UhfModule &module_;
};
