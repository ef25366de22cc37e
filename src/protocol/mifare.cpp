#include "protocol/mifare.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"

namespace protocol::mifare
{

static Request body(uint8_t code, const QByteArray &data)
{
    return tableRequest(Family::Mifare, QByteArray(1, char(code)) + data);
}

Request readBlocks(Access access, uint8_t count, uint8_t start, const QByteArray &key)
{
    requireSize(key, kKeyBytes, "key");
    return body(kReadBlocks, bytes({char(access.mode()), char(count), char(start)}) + key);
}

Request writeBlocks(Access access, uint8_t count, uint8_t start, const QByteArray &key, const QByteArray &data)
{
    requireSize(key, kKeyBytes, "key");
    requireSize(data, 1, 4 * kBlockBytes, "block data");
    return body(kWriteBlocks, bytes({char(access.mode()), char(count), char(start)}) + key + data);
}

Request value(ValueOp op, Access access, uint8_t sector, const QByteArray &key, const QByteArray &amount)
{
    requireSize(key, kKeyBytes, "key");
    requireSize(amount, 4, "value");
    return body(uint8_t(op), bytes({char(access.mode()), char(sector)}) + key + amount);
}

Request cardNumber(bool allCards, bool halt)
{
    return body(kCardNumber, bytes({char(allCards ? 0x52 : 0x26), char(halt ? 0x01 : 0x00)}));
}

Request halt()
{
    return body(kHalt, {});
}

Result<Blocks> parseBlocks(const QByteArray &reply)
{
    return parseReply<Blocks>(reply, [](const ReaderReply &r) {
        return Blocks{r.span(4, 7), r.span(8, r.size() - 3)};
    });
}

Result<CardId> parseCardId(const QByteArray &reply)
{
    return parseReply<CardId>(reply, [](const ReaderReply &r) { return CardId{r.span(4, 7)}; });
}

Result<ValueResult> parseValue(const QByteArray &reply)
{
    return parseReply<ValueResult>(reply, [](const ReaderReply &r) {
        return ValueResult{r.span(4, 7), r.span(8, 11)};
    });
}

Result<CardNumber> parseCardNumber(const QByteArray &reply)
{
    return parseReply<CardNumber>(reply, [](const ReaderReply &r) { return CardNumber{r.byte(4), r.span(5, 8)}; });
}

} // namespace protocol::mifare

namespace protocol
{

static QString access(const QByteArray &p)
{
    if (p.isEmpty())
        return {};
    const uint8_t mode = uint8_t(p[0]);
    return QStringLiteral("%1,key %2")
        .arg(mode & 0x01 ? QStringLiteral("all") : QStringLiteral("idle"),
             mode & 0x02 ? QStringLiteral("B") : QStringLiteral("A"));
}

// The parameters of a value operation: cards and key, sector, key, the value or amount.
static QString valueParams(const QByteArray &p, const char *amount)
{
    using namespace describe;
    return fields({{"cards", access(p)}, {"sector", byteAt(p, 1)}, {"key", hex(p.mid(2, 6))}, {amount, hex(p.mid(8))}});
}

const std::vector<CommandInfo> &mifareCommands()
{
    using namespace describe;
    static const auto remaining = [](const QByteArray &f) {
        return readerReplyWith(f, {{"card", {4, 7}}, {"remaining", {8, 11}}});
    };
    static const std::vector<CommandInfo> rows = {
        {Family::Mifare, Frame::Reader, mifare::kReadBlocks, -1, "read blocks", 500,
         [](const QByteArray &p) {
             return fields(
                 {{"cards", access(p)}, {"count", byteAt(p, 1)}, {"start", byteAt(p, 2)}, {"key", hex(p.mid(3, 6))}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"card", {4, 7}}, {"data", {8, -3}}});
         }},
        {Family::Mifare, Frame::Reader, mifare::kWriteBlocks, -1, "write blocks", 500,
         [](const QByteArray &p) {
             return fields({{"cards", access(p)},
                            {"count", byteAt(p, 1)},
                            {"start", byteAt(p, 2)},
                            {"key", hex(p.mid(3, 6))},
                            {"data", hex(p.mid(9))}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"card", {4, 7}}});
         }},
        {Family::Mifare, Frame::Reader, mifare::kInitValue, -1, "initialise value block", 500,
         [](const QByteArray &p) { return valueParams(p, "value"); },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"card", {4, 7}}});
         }},
        {Family::Mifare, Frame::Reader, mifare::kIncrement, -1, "increment value", 500,
         [](const QByteArray &p) { return valueParams(p, "amount"); }, remaining},
        {Family::Mifare, Frame::Reader, mifare::kDecrement, -1, "decrement value", 500,
         [](const QByteArray &p) { return valueParams(p, "amount"); }, remaining},
        {Family::Mifare, Frame::Reader, mifare::kCardNumber, -1, "read card number", 300,
         [](const QByteArray &p) {
             const QString req = p.isEmpty()             ? QString()
                                 : uint8_t(p[0]) == 0x52 ? QStringLiteral("all")
                                                         : QStringLiteral("idle");
             return fields({{"cards", req}, {"halt", byteAt(p, 1)}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"count", {4, 4}}, {"card", {5, 8}}});
         }},
        {Family::Mifare, Frame::Reader, mifare::kHalt, -1, "halt", 300, noParams, readerReply},
    };
    return rows;
}

} // namespace protocol
