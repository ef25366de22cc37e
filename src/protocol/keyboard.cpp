#include "protocol/keyboard.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/frames.h"

namespace protocol::keyboard
{

const std::vector<Format> &formats()
{
    static const std::vector<Format> table = {
        {0x0F, "10 no.in D", "dec10"},
        {0x0C, "8 no. in HEX", "hex8"},
        {0x0B, "8 no. in D (last 3bytes)", "dec8-last3"},
        {0x09, "8 no. in D ", "dec8-last4"},
        {0x06, "18 no. in D", "dec18"},
        {0x07, "10 no. in HEX", "hex10"},
        {0x01, "8 no. in HEX (7 byte) ", "epc"},
        {0x10, "Card number converted to ASCII output...", "ascii"},
        {0x0A, "10 no. in D reverse", "dec10-reverse"},
        {0x03, "8 no. in HEX reverse", "hex8-reverse"},
        {0x0D, "00+8 no. in D (last 3 bytes)", "dec8-last3-zero"},
        {0x08, "5 no. in D", "dec5"},
        {0x05, "13 no. in D", "dec13"},
        {0x04, "EPC card nubmer transform GS1 format（sgtin-96）...", "gs1"},
        {0x02, "8 no. in HEX reverse  (7 byte)  ", "epc-reverse"},
        {0x00, "2H4D + 2H4D ", "2h4d"},
        {0x0E, "8 no. in D (The card last 3bytes)", "dec8-last3-card"},
    };
    return table;
}

QString formatName(uint8_t code)
{
    for (const Format &f : formats())
        if (f.code == code)
            return QString::fromUtf8(f.name);
    if (code > 0x10)
        return QStringLiteral("Card number custom length hexadecimal output...");
    return {};
}

static Request body(uint8_t code, const QByteArray &data = {})
{
    return tableRequest(Family::Keyboard, QByteArray(1, char(code)) + data);
}

Request setFormat(const FormatSettings &s)
{
    const auto flag = [](bool on) { return char(on ? 0x01 : 0x00); };
    return body(kSetFormat, bytes({char(s.format), flag(s.semicolon), flag(s.questionMark), flag(s.comma),
                                   flag(s.enter), flag(s.bigBuzzer), '\x01', flag(s.rssi)}));
}

Request readFormat()
{
    return body(kReadFormat);
}

Request readingMode(bool active)
{
    return body(kReadingMode, QByteArray(1, active ? '\x01' : '\x02'));
}

Request factoryReset()
{
    return body(kFactoryReset);
}

Request version()
{
    return body(kVersion);
}

Request voice(bool on)
{
    return tableRequest(Family::Keyboard, frames::hf(0x00, bytes({char(kVoice), on ? '\x01' : '\x00'})), Route::Raw);
}

Result<FormatReadback> parseFormat(const QByteArray &reply)
{
    const ReaderReply r(reply);
    auto result = resultOf<FormatReadback>(r);
    if (!result.ok())
        return result;
    if (r.size() < 13) {
        result.status = Status::Damaged;
        return result;
    }
    result.value = {r.byte(5), r.byte(6), r.byte(7), r.byte(8), r.byte(9), r.byte(12)};
    return result;
}

Result<Version> parseVersion(const QByteArray &reply)
{
    return parseReply<Version>(reply, [](const ReaderReply &r) { return Version{r.data()}; });
}

} // namespace protocol::keyboard

namespace protocol
{

const std::vector<CommandInfo> &keyboardCommands()
{
    using namespace describe;
    static const std::vector<CommandInfo> rows = {
        {Family::Keyboard, Frame::Reader, keyboard::kSetFormat, -1, "set output format", 300,
         [](const QByteArray &p) {
             const QString name = p.isEmpty() ? QString() : keyboard::formatName(uint8_t(p[0]));
             return fields(
                 {{"format", byteAt(p, 0) + (name.isEmpty() ? QString() : QStringLiteral("(%1)").arg(name.trimmed()))},
                  {"semicolon", byteAt(p, 1)},
                  {"question", byteAt(p, 2)},
                  {"comma", byteAt(p, 3)},
                  {"enter", byteAt(p, 4)},
                  {"buzzer", byteAt(p, 5)},
                  {"rssi", byteAt(p, 7)}});
         },
         readerReply},
        {Family::Keyboard, Frame::Reader, keyboard::kReadFormat, -1, "read output format", 300, noParams,
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"format", {5, 5}},
                                        {"semicolon", {6, 6}},
                                        {"question", {7, 7}},
                                        {"comma", {8, 8}},
                                        {"enter", {9, 9}},
                                        {"custom", {12, 12}}});
         }},
        {Family::Keyboard, Frame::Reader, keyboard::kReadingMode, 0x01, "active reading", 300, noParams, readerReply},
        {Family::Keyboard, Frame::Reader, keyboard::kReadingMode, 0x02, "passive reading", 300, noParams, readerReply},
        {Family::Keyboard, Frame::Reader, keyboard::kFactoryReset, -1, "factory reset", 300, noParams, readerReply},
        {Family::Keyboard, Frame::Reader, keyboard::kVersion, -1, "read version", 300, noParams,
         [](const QByteArray &f) { return textReply(f, "version"); }},
        // The reader need not answer the voice switch: nothing waits beyond what comes.
        {Family::Keyboard, Frame::Reader, keyboard::kVoice, 0x00, "voice off", 300, noParams, readerReply,
         WaitRule::TakeReplied},
        {Family::Keyboard, Frame::Reader, keyboard::kVoice, 0x01, "voice on", 300, noParams, readerReply,
         WaitRule::TakeReplied},
    };
    return rows;
}

} // namespace protocol
