#include "protocol/workmodes.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/frames.h"

namespace protocol::workmodes
{

static Request module(uint8_t command, const QByteArray &params)
{
    return tableRequest(Family::WorkModes, frames::module(command, params), Route::Raw);
}

Request readingMode(Mode mode)
{
    return module(kReadingMode, QByteArray(1, char(mode)));
}

Request memorySector(uint8_t sector, const QByteArray &password, uint8_t address, uint8_t length)
{
    requireSize(password, 4, "access password");
    return module(kMemorySector, char(sector) + password + char(address) + char(length));
}

Request usbHid()
{
    return module(kUsbHid, QByteArray(1, '\0'));
}

std::optional<uint8_t> status(const QByteArray &block)
{
    if (block.size() <= kStatusByte)
        return std::nullopt;
    return uint8_t(block[kStatusByte]);
}

} // namespace protocol::workmodes

namespace protocol
{

static QString statusReply(const QByteArray &f)
{
    if (f.isEmpty())
        return QStringLiteral("no reply");
    const auto s = workmodes::status(f);
    return s ? QStringLiteral("status=%1").arg(describe::byteAt(f, workmodes::kStatusByte))
             : QStringLiteral("damaged %1").arg(describe::hex(f));
}

const std::vector<CommandInfo> &workModeCommands()
{
    using namespace describe;
    using namespace workmodes;
    static const std::vector<CommandInfo> rows = {
        {Family::WorkModes, Frame::Module, kReadingMode, -1, "set reading mode", 300,
         [](const QByteArray &p) {
             static const char *names[] = {"passive", "single tag EPC", "multiple tag EPC", "TID"};
             const int m = p.isEmpty() ? -1 : uint8_t(p[0]);
             return fields(
                 {{"mode", byteAt(p, 0) +
                               (m >= 0 && m < 4 ? QStringLiteral("(%1)").arg(QLatin1String(names[m])) : QString())}});
         },
         statusReply},
        {Family::WorkModes, Frame::Module, kMemorySector, -1, "set memory sector read", 300,
         [](const QByteArray &p) {
             return fields({{"sector", byteAt(p, 0)},
                            {"password", hex(p.mid(1, 4))},
                            {"address", byteAt(p, 5)},
                            {"length", byteAt(p, 6)}});
         },
         statusReply},
        {Family::WorkModes, Frame::Module, kUsbHid, -1, "switch to USB HID", 300, rawParams, statusReply},
    };
    return rows;
}

} // namespace protocol
