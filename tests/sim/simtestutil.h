#pragma once

#include "base/hex.h"
#include "protocol/frames.h"
#include "sim/simulatedreader.h"

#include <QString>

// Hex-text helpers shared by the simulator tests.
namespace simtest
{

// Frames as hex text, built by the link's byte encoders from hex text.
inline QString moduleText(int command, const QString &params)
{
    return hex::fromBytes(frames::module(uint8_t(command), hex::toBytes(params)));
}
inline QString hfText(const QString &body)
{
    return hex::fromBytes(frames::hf(0x00, hex::toBytes(body)));
}
inline QString uhfText(const QString &moduleFrame)
{
    return hex::fromBytes(frames::uhf(0x00, hex::toBytes(moduleFrame)));
}

// Writes a frame given as hex text and returns the reply as upper-case hex ("" = silence).
inline QString exchange(SimulatedReader &r, const QString &frameHex)
{
    r.write(hex::toBytes(frameHex));
    return hex::fromBytes(r.read(100));
}

// Sends an HF body (command and data) at address 00.
inline QString command(SimulatedReader &r, const QString &body)
{
    return exchange(r, hfText(body));
}

// An expected reply frame, worked out here independently of the simulator.
inline QString reply(const QString &status, const QString &dataHex, const QString &address = QStringLiteral("00"))
{
    const QByteArray data = hex::toBytes(dataHex);
    const QByteArray a = hex::toBytes(address);
    int x = uint8_t(a[0]) ^ (1 + int(data.size())) ^ hex::toBytes(status)[0];
    for (const char c : data)
        x ^= uint8_t(c);
    return QStringLiteral("AA") + address + hex::byteText(1 + int(data.size())) + status +
           hex::filter(dataHex).toUpper() + hex::byteText(x & 0xFF) + QStringLiteral("BB");
}
inline QString ok(const QString &dataHex = {})
{
    return reply(QStringLiteral("00"), dataHex);
}
inline QString fail(const QString &code)
{
    return reply(QStringLiteral("01"), code);
}

// Reply bytes first … last (counted from 0) of a hex reply; shorter past the end.
inline QString bytes(const QString &hexText, int first, int last)
{
    return hexText.mid(2 * first, 2 * (last - first + 1));
}

} // namespace simtest
