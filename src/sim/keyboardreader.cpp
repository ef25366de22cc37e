#include "sim/keyboardreader.h"

#include "sim/uhfmodule.h"

using namespace simcode;

KeyboardReader::KeyboardReader(UhfModule &module) : module_(module)
{
    restoreFactorySettings();
    networks = {{QStringLiteral("workshop"), QStringLiteral("-48")},
                {QStringLiteral("lab-2.4G"), QStringLiteral("-61")},
                {QStringLiteral("guest"), QStringLiteral("-70")},
                {QStringLiteral("warehouse-ap"), QStringLiteral("-83")}};
}

void KeyboardReader::restoreFactorySettings()
{
    format = QByteArray::fromHex("0F00000001010100");
    readingMode = 0x01;
    memorySectorMode.clear();
    voiceOn = true;
    prefix.clear();
    suffix.clear();
    oneByteSettings.fill('\0');
    oneByteSettings[0xC1] = 0x0A;
    oneByteSettings[0xC5] = 0x02;
    oneByteSettings[0xC7] = 0x0A;
    oneByteSettings[0xC8] = 0x0A;
    oneByteSettings[0xC9] = 0x09;
    oneByteSettings[0xCC] = 0x02;
    outputInterfaces = QByteArray::fromHex("010101");
    usbVirtualSerial = false;
    wifiName = "workshop";
    wifiPassword.clear();
}

SimAnswer KeyboardReader::answer(const SimCommand &c)
{
    const QByteArray &d = c.data;
    switch (c.code) {
    case 0x82:
        return setFormat(d);
    case 0x83:
        // A leading byte, then the eight setting bytes in the order Set sends them.
        return d.isEmpty() ? SimAnswer::ok(QByteArray(1, '\0') + format) : SimAnswer::fail(kBadLength);
    case 0x0F:
        if (d.size() != 1)
            return SimAnswer::fail(kBadLength);
        if (d[0] < 0x01 || d[0] > 0x04)
            return SimAnswer::fail(kOverflow);
        readingMode = uint8_t(d[0]);
        memorySectorMode.clear();
        return SimAnswer::ok();
    case 0xBC:
        if (d.size() != 7)
            return SimAnswer::fail(kBadLength);
        if (uint8_t(d[0]) > 3)
            return SimAnswer::fail(kOverflow);
        memorySectorMode = d;
        return SimAnswer::ok();
    case 0xCF:
        if (!d.isEmpty())
            return SimAnswer::fail(kBadLength);
        restoreFactorySettings();
        return SimAnswer::ok();
    case 0xC0:
        return d.isEmpty() ? SimAnswer::ok(version.toLatin1()) : SimAnswer::fail(kBadLength);
    case 0xCD:
        if (d.size() != 1)
            return SimAnswer::fail(kBadLength);
        if (uint8_t(d[0]) > 1)
            return SimAnswer::fail(kOverflow);
        voiceOn = d[0] == 0x01;
        return SimAnswer::ok();
    case 0xCB:
        if (d.isEmpty())
            return SimAnswer::fail(kBadLength);
        if ((d[0] != 0x01 && d[0] != 0x02) || d.size() > 5)
            return SimAnswer::fail(kOverflow);
        (d[0] == 0x01 ? prefix : suffix) = d.mid(1);
        return SimAnswer::ok();
    case 0xC3:
        if (d.size() != 3)
            return SimAnswer::fail(kBadLength);
        for (const char f : d)
            if (uint8_t(f) > 1)
                return SimAnswer::fail(kOverflow);
        outputInterfaces = d;
        return SimAnswer::ok();
    case 0xC1:
    case 0xC2:
    case 0xC4:
    case 0xC5:
    case 0xC6:
    case 0xC7:
    case 0xC8:
    case 0xC9:
    case 0xCC:
        return oneByte(c.code, d);
    case 0xB8:
        if (!d.isEmpty())
            return SimAnswer::fail(kBadLength);
        usbVirtualSerial = true;
        return SimAnswer::ok();
    case 0x8A: {
        const int comma = d.indexOf(',');
        if (comma < 0)
            return SimAnswer::fail(kBadLength);
        if (comma == 0)
            return SimAnswer::fail(kSetFailed); // a network needs a name
        // The limits of a wireless network's name and passphrase.
        if (comma > kMaxWifiName || d.size() - comma - 1 > kMaxWifiPassword)
            return SimAnswer::fail(kOverflow);
        wifiName = d.left(comma);
        wifiPassword = d.mid(comma + 1);
        return SimAnswer::ok();
    }
    case 0x8B:
        if (!d.isEmpty())
            return SimAnswer::fail(kBadLength);
        // An address exists only once the reader has joined a network it can see.
        if (!joined())
            return SimAnswer::fail(kSetFailed);
        return SimAnswer::ok(ipAddress.toLatin1());
    case 0x8C:
        return d.isEmpty() ? wifiList() : SimAnswer::fail(kBadLength);
    case 0xCE: {
        const QByteArray reply = module_.process(d);
        if (reply.isEmpty())
            return SimAnswer::fail(kTimeout);
        return reply.size() <= kMaxReplyData ? SimAnswer::ok(reply) : SimAnswer::fail(kOverflow);
    }
    default:
        return SimAnswer::fail(kUnknownCommand);
    }
}

SimAnswer KeyboardReader::setFormat(const QByteArray &d)
{
    if (d.size() != 8)
        return SimAnswer::fail(kBadLength);
    const uint8_t code = uint8_t(d[0]);
    if (code > 0x10 && code <= 0x80) // custom lengths run 0x81 (1 byte) upwards
        return SimAnswer::fail(kOverflow);
    for (int i = 1; i < 8; ++i)
        if (uint8_t(d[i]) > 1)
            return SimAnswer::fail(kOverflow);
    format = d;
    return SimAnswer::ok();
}

SimAnswer KeyboardReader::oneByte(uint8_t code, const QByteArray &d)
{
    if (d.size() != 1)
        return SimAnswer::fail(kBadLength);
    const uint8_t v = uint8_t(d[0]);
    // Ranges from the labels of the reader's settings; the others take any byte.
    const bool ok = (code == 0xC4 && v <= 4) || (code == 0xC5 && v <= 2) || (code == 0xC6 && v <= 3) ||
                    ((code == 0xC7 || code == 0xC8) && v >= 1) || (code == 0xCC && v <= 0x11) ||
                    (code == 0xC9 && v <= 12) || code == 0xC1 || code == 0xC2;
    if (!ok)
        return SimAnswer::fail(kOverflow);
    oneByteSettings[code] = char(v);
    return SimAnswer::ok();
}

bool KeyboardReader::joined() const
{
    for (const Network &n : networks)
        if (!wifiName.isEmpty() && n.name.toUtf8() == wifiName)
            return true;
    return false;
}

SimAnswer KeyboardReader::wifiList() const
{
    // Entries "name,sig|"; the list ends with four bytes the tool skips.
    const QByteArray tail = "\r\n\r\n";
    QByteArray data;
    for (const Network &n : networks) {
        const QByteArray entry = n.name.toUtf8() + ',' + n.signal.toLatin1().leftJustified(3, ' ', true) + '|';
        if (data.size() + entry.size() + tail.size() > kMaxReplyData)
            break;
        data += entry;
    }
    return SimAnswer::ok(data + tail);
}
