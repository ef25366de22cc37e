#include "protocol/iso15693.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"

namespace protocol::iso15693
{

Request command(uint8_t code, uint8_t flags, const QByteArray &values, const QByteArray &uid, const QByteArray &after)
{
    if (!uid.isEmpty())
        requireSize(uid, kUidBytes, "UID");
    return tableRequest(Family::Iso15693, bytes({char(code), char(flags)}) + values + uid + after);
}

Request inventory()
{
    return tableRequest(Family::Iso15693, QByteArray::fromRawData("\x10\x06\x00\x00", 4));
}

Request read(uint8_t flags, uint8_t first, uint8_t count, const QByteArray &uid)
{
    return command(kRead, flags, bytes({char(first), char(count)}), uid);
}

Request write(uint8_t flags, uint8_t first, uint8_t count, const QByteArray &uid, const QByteArray &data)
{
    requireSize(data, 1, kMaxBody - 4 - int(uid.size()), "block data");
    return command(kWrite, flags, bytes({char(first), char(count)}), uid, data);
}

Request lock(uint8_t flags, uint8_t block)
{
    return command(kLock, flags, QByteArray(1, char(block)), {});
}

Request select(uint8_t flags, const QByteArray &uid)
{
    requireSize(uid, kUidBytes, "UID");
    return command(kSelect, flags, {}, uid);
}

Request writeAfi(uint8_t flags, uint8_t afi, const QByteArray &uid)
{
    return command(kWriteAfi, flags, QByteArray(1, char(afi)), uid);
}

Request lockAfi(uint8_t flags, const QByteArray &uid)
{
    return command(kLockAfi, flags, {}, uid);
}

Request writeDsfid(uint8_t flags, uint8_t dsfid, const QByteArray &uid)
{
    return command(kWriteDsfid, flags, QByteArray(1, char(dsfid)), uid);
}

Request lockDsfid(uint8_t flags, const QByteArray &uid)
{
    return command(kLockDsfid, flags, {}, uid);
}

Request systemInfo(uint8_t flags, const QByteArray &uid)
{
    return command(kSystemInfo, flags, {}, uid);
}

Request security(uint8_t flags, uint8_t first, uint8_t count, const QByteArray &uid)
{
    return command(kSecurity, flags, bytes({char(first), char(count)}), uid);
}

Result<Inventory> parseInventory(const QByteArray &reply)
{
    const ReaderReply r(reply);
    auto result = resultOf<Inventory>(r);
    if (!result.ok())
        return result;
    const int n = r.size();
    result.value.count = r.byte(4);
    result.value.data = r.span(5, n - 3);
    // The count byte is not trusted: only whole records between it and the check byte count.
    const int records = qMax(0, (n - 7) / 10);
    for (int k = 0; k < records; ++k)
        result.value.uids << r.span(7 + 10 * k, 14 + 10 * k);
    return result;
}

Result<Blocks> parseBlocks(const QByteArray &reply)
{
    return parseReply<Blocks>(reply, [](const ReaderReply &r) { return Blocks{r.byte(4), r.span(5, r.size() - 3)}; });
}

Result<SystemInfo> parseSystemInfo(const QByteArray &reply)
{
    return parseReply<SystemInfo>(reply, [](const ReaderReply &r) {
        return SystemInfo{r.byte(4), r.byte(5), r.byte(14), r.byte(15), r.span(6, 13), r.span(16, r.size() - 3)};
    });
}

} // namespace protocol::iso15693

namespace protocol
{

static QString flagName(const QByteArray &p)
{
    if (p.isEmpty())
        return {};
    switch (uint8_t(p[0])) {
    case iso15693::kFlagsTi:
        return QStringLiteral("42(TI)");
    case iso15693::kFlagsPhilips:
        return QStringLiteral("02(Philips)");
    case iso15693::kFlagsAddressed:
        return QStringLiteral("22(addressed)");
    case iso15693::kFlagsOther:
        return QStringLiteral("52(Other)");
    }
    return describe::byteAt(p, 0);
}

// Flags, one byte per named value, then the UID when the flags address one tag, then data.
static QString addressed(const QByteArray &p, std::initializer_list<const char *> values, bool data = false)
{
    using namespace describe;
    QStringList parts;
    const QString flags = flagName(p);
    if (!flags.isEmpty())
        parts << QStringLiteral("flags=%1").arg(flags);
    int at = 1;
    for (const char *name : values)
        parts << QStringLiteral("%1=%2").arg(QLatin1String(name), byteAt(p, at++));
    const bool withUid = !p.isEmpty() && (uint8_t(p[0]) & 0x20);
    if (withUid) {
        parts << QStringLiteral("uid=%1").arg(hex(p.mid(at, iso15693::kUidBytes)));
        at += iso15693::kUidBytes;
    }
    if (data || p.size() > at)
        parts << QStringLiteral("%1=%2").arg(data ? QStringLiteral("data") : QStringLiteral("extra"), hex(p.mid(at)));
    return parts.join(QLatin1Char(' '));
}

const std::vector<CommandInfo> &iso15693Commands()
{
    using namespace describe;
    using namespace iso15693;
    static const auto blocksReply = [](const QByteArray &f) {
        return readerReplyWith(f, {{"flags", {4, 4}}, {"data", {5, -3}}});
    };
    static const std::vector<CommandInfo> rows = {
        {Family::Iso15693, Frame::Reader, kInventory, -1, "inventory", 1000, rawParams,
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"count", {4, 4}}, {"records", {5, -3}}});
         }},
        {Family::Iso15693, Frame::Reader, kRead, -1, "read blocks", 500,
         [](const QByteArray &p) {
             return addressed(p, {"first", "count"});
         },
         blocksReply},
        {Family::Iso15693, Frame::Reader, kWrite, -1, "write blocks", 500,
         [](const QByteArray &p) {
             return addressed(p, {"first", "count"}, true);
         },
         readerReply},
        {Family::Iso15693, Frame::Reader, kLock, -1, "lock block", 500,
         [](const QByteArray &p) { return addressed(p, {"block"}); }, readerReply},
        {Family::Iso15693, Frame::Reader, kSelect, -1, "select", 500,
         [](const QByteArray &p) { return addressed(p, {}); }, readerReply},
        {Family::Iso15693, Frame::Reader, kWriteAfi, -1, "write AFI", 500,
         [](const QByteArray &p) { return addressed(p, {"afi"}); }, readerReply},
        {Family::Iso15693, Frame::Reader, kLockAfi, -1, "lock AFI", 500,
         [](const QByteArray &p) { return addressed(p, {}); }, readerReply},
        {Family::Iso15693, Frame::Reader, kWriteDsfid, -1, "write DSFID", 500,
         [](const QByteArray &p) { return addressed(p, {"dsfid"}); }, readerReply},
        {Family::Iso15693, Frame::Reader, kLockDsfid, -1, "lock DSFID", 500,
         [](const QByteArray &p) { return addressed(p, {}); }, readerReply},
        {Family::Iso15693, Frame::Reader, kSystemInfo, -1, "system information", 500,
         [](const QByteArray &p) { return addressed(p, {}); },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"flags", {4, 4}},
                                        {"info", {5, 5}},
                                        {"uid", {6, 13}},
                                        {"dsfid", {14, 14}},
                                        {"afi", {15, 15}},
                                        {"other", {16, -3}}});
         }},
        {Family::Iso15693, Frame::Reader, kSecurity, -1, "block security status", 500,
         [](const QByteArray &p) {
             return addressed(p, {"first", "count"});
         },
         blocksReply},
    };
    return rows;
}

} // namespace protocol
