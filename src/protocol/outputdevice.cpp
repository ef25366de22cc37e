#include "protocol/outputdevice.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/frames.h"
#include "protocol/system.h"

namespace protocol::output
{

const std::vector<ByteSetting> &byteSettings()
{
    static const std::vector<ByteSetting> table = {
        {kInterval, "interval", "search card interval"},
        {kFilter, "filter", "card filter number"},
        {kEndSymbol, "end-symbol", "serial port end symbol"},
        {kWiegandFormat, "wiegand-format", "Wiegand output format"},
        {kWiegandPosition, "wiegand-position", "Wiegand value position"},
        {kWiegandPulse, "wiegand-pulse", "Wiegand low level pulse width"},
        {kWiegandIdle, "wiegand-idle", "Wiegand idle level"},
        {kRfPower, "rf-power", "RF power"},
    };
    return table;
}

const QStringList &baudRates()
{
    return hfsystem::baudRates();
}

int baudCode(const QString &rate)
{
    return hfsystem::baudCode(rate);
}

static Request body(uint8_t code, const QByteArray &data)
{
    return tableRequest(Family::OutputDevice, QByteArray(1, char(code)) + data);
}

Request prefix(const QByteArray &bytes)
{
    requireSize(bytes, 0, kMaxAffixBytes, "prefix");
    return body(kAffix, QByteArray(1, char(kPrefix)) + bytes);
}

Request suffix(const QByteArray &bytes)
{
    requireSize(bytes, 0, kMaxAffixBytes, "suffix");
    return body(kAffix, QByteArray(1, char(kSuffix)) + bytes);
}

Request byteSetting(uint8_t code, uint8_t value)
{
    return body(code, QByteArray(1, char(value)));
}

Request interfaces(bool serial, bool wiegand, bool usb)
{
    const auto flag = [](bool on) { return char(on ? 0x01 : 0x00); };
    return body(kInterfaces, bytes({flag(serial), flag(wiegand), flag(usb)}));
}

Request baudRate(uint8_t code)
{
    return body(kBaudRate, QByteArray(1, char(code)));
}

Request usbSerial()
{
    return tableRequest(Family::OutputDevice, frames::hf(0x00, QByteArray(1, char(kUsbSerial))), Route::Raw);
}

} // namespace protocol::output

namespace protocol
{

const std::vector<CommandInfo> &outputDeviceCommands()
{
    using namespace describe;
    using namespace output;
    static const auto value = [](const QByteArray &p) {
        return p.isEmpty() ? QString() : QStringLiteral("value=%1 (%2)").arg(byteAt(p, 0)).arg(uint8_t(p[0]));
    };
    static const auto bytes = [](const QByteArray &p) { return fields({{"bytes", hex(p)}}); };
    static const std::vector<CommandInfo> rows = {
        {Family::OutputDevice, Frame::Reader, kAffix, kPrefix, "set prefix", 300, bytes, readerReply},
        {Family::OutputDevice, Frame::Reader, kAffix, kSuffix, "set suffix", 300, bytes, readerReply},
        {Family::OutputDevice, Frame::Reader, kInterval, -1, "set search interval", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kFilter, -1, "set card filter number", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kInterfaces, -1, "set output interfaces", 300,
         [](const QByteArray &p) {
             return fields({{"serial", byteAt(p, 0)}, {"wiegand", byteAt(p, 1)}, {"usb", byteAt(p, 2)}});
         },
         readerReply},
        {Family::OutputDevice, Frame::Reader, kBaudRate, -1, "set serial baud rate", 300,
         [](const QByteArray &p) {
             const int code = p.isEmpty() ? -1 : uint8_t(p[0]);
             return fields({{"code", byteAt(p, 0)},
                            {"baud", code >= 0 && code < baudRates().size() ? baudRates()[code] : QString()}});
         },
         readerReply},
        {Family::OutputDevice, Frame::Reader, kEndSymbol, -1, "set serial end symbol", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kWiegandFormat, -1, "set Wiegand format", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kWiegandPulse, -1, "set Wiegand pulse width", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kWiegandIdle, -1, "set Wiegand idle level", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kWiegandPosition, -1, "set Wiegand value position", 300, value,
         readerReply},
        {Family::OutputDevice, Frame::Reader, kRfPower, -1, "set RF power", 300, value, readerReply},
        {Family::OutputDevice, Frame::Reader, kUsbSerial, -1, "switch USB to virtual serial port", 300, noParams,
         readerReply},
    };
    return rows;
}

} // namespace protocol
