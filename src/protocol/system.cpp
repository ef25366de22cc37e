#include "protocol/system.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"

namespace protocol::hfsystem
{

const QStringList &baudRates()
{
    static const QStringList rates = {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                                      QStringLiteral("57600"), QStringLiteral("115200")};
    return rates;
}

int baudCode(const QString &rate)
{
    return int(baudRates().indexOf(rate));
}

static Request body(uint8_t code, const QByteArray &data = {})
{
    return tableRequest(Family::System, QByteArray(1, char(code)) + data);
}

Request setAddress(uint8_t address)
{
    return body(kSetAddress, QByteArray(1, char(address)));
}

Request setBaudRate(uint8_t code)
{
    return body(kSetBaudRate, QByteArray(1, char(code)));
}

Request setSerialNumber(const QByteArray &serial)
{
    requireSize(serial, 8, "serial number");
    return body(kSetSerialNumber, serial);
}

Request readIdentity()
{
    return body(kReadIdentity);
}

Request signal(Signal which, uint8_t period, uint8_t count)
{
    return body(uint8_t(which), bytes({char(period), char(count)}));
}

Request readingMode(bool active)
{
    return body(kReadingMode, QByteArray(1, active ? '\x01' : '\x02'));
}

Result<Identity> parseIdentity(const QByteArray &reply)
{
    return parseReply<Identity>(reply, [](const ReaderReply &r) { return Identity{r.byte(4), r.span(5, 12)}; });
}

} // namespace protocol::hfsystem

namespace protocol
{

const std::vector<CommandInfo> &systemCommands()
{
    using namespace describe;
    static const auto signalParams = [](const QByteArray &p) {
        return fields({{"period", byteAt(p, 0)}, {"count", byteAt(p, 1)}});
    };
    static const std::vector<CommandInfo> rows = {
        {Family::System, Frame::Reader, hfsystem::kSetAddress, -1, "set device address", 300,
         [](const QByteArray &p) {
             return fields({{"address", byteAt(p, 0)}});
         },
         readerReply},
        {Family::System, Frame::Reader, hfsystem::kSetBaudRate, -1, "set baud rate", 300,
         [](const QByteArray &p) {
             const int code = p.isEmpty() ? -1 : uint8_t(p[0]);
             const QString rate =
                 code >= 0 && code < hfsystem::baudRates().size() ? hfsystem::baudRates()[code] : QStringLiteral("?");
             return fields({{"code", byteAt(p, 0)}, {"baud", rate}});
         },
         readerReply},
        {Family::System, Frame::Reader, hfsystem::kSetSerialNumber, -1, "set serial number", 300,
         [](const QByteArray &p) {
             return fields({{"serial", hex(p)}});
         },
         readerReply},
        {Family::System, Frame::Reader, hfsystem::kReadIdentity, -1, "read address and serial number", 300, noParams,
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"address", {4, 4}}, {"serial", {5, 12}}});
         }},
        {Family::System, Frame::Reader, hfsystem::kLed, -1, "LED", 300, signalParams, readerReply},
        {Family::System, Frame::Reader, hfsystem::kLedR, -1, "LED-R", 300, signalParams, readerReply},
        {Family::System, Frame::Reader, hfsystem::kBuzzer, -1, "buzzer", 300, signalParams, readerReply},
        // The page's mode switches do not look at the answer: the reply echo alone shows it.
        {Family::System, Frame::Reader, hfsystem::kReadingMode, 0x01, "active card reading", 300, noParams, readerReply,
         WaitRule::TakeReplied},
        {Family::System, Frame::Reader, hfsystem::kReadingMode, 0x02, "passive card reading", 300, noParams,
         readerReply, WaitRule::TakeReplied},
    };
    return rows;
}

} // namespace protocol
