#include "protocol/ultralight.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"

namespace protocol::ultralight
{

static Request body(uint8_t code, const QByteArray &data)
{
    return tableRequest(Family::Ultralight, QByteArray(1, char(code)) + data);
}

static char request(bool allCards)
{
    return allCards ? '\x01' : '\x00';
}

Request readSerial(bool allCards)
{
    return body(kReadSerial, QByteArray(1, request(allCards)));
}

Request readPages(bool allCards, uint8_t page)
{
    return body(kReadPages, bytes({request(allCards), char(page)}));
}

Request writePage(bool allCards, uint8_t page, const QByteArray &data)
{
    requireSize(data, kPageBytes, "page data");
    // The byte between the request and the page is always 01.
    return body(kWritePage, bytes({request(allCards), '\x01', char(page)}) + data);
}

Request halt()
{
    return body(kHalt, {});
}

Result<Serial> parseSerial(const QByteArray &reply)
{
    return parseReply<Serial>(reply, [](const ReaderReply &r) { return Serial{r.span(4, 10)}; });
}

Result<Pages> parsePages(const QByteArray &reply)
{
    return parseReply<Pages>(reply, [](const ReaderReply &r) { return Pages{r.span(4, 19), r.span(20, 26)}; });
}

} // namespace protocol::ultralight

namespace protocol
{

static QString cards(const QByteArray &p)
{
    return p.isEmpty() ? QString() : p[0] ? QStringLiteral("all") : QStringLiteral("idle");
}

const std::vector<CommandInfo> &ultralightCommands()
{
    using namespace describe;
    static const std::vector<CommandInfo> rows = {
        {Family::Ultralight, Frame::Reader, ultralight::kReadSerial, -1, "read serial number", 300,
         [](const QByteArray &p) {
             return fields({{"cards", cards(p)}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"serial", {4, 10}}});
         }},
        {Family::Ultralight, Frame::Reader, ultralight::kReadPages, -1, "read pages", 800,
         [](const QByteArray &p) {
             return fields({{"cards", cards(p)}, {"page", byteAt(p, 1)}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"data", {4, 19}}, {"serial", {20, 26}}});
         }},
        {Family::Ultralight, Frame::Reader, ultralight::kWritePage, -1, "write page", 500,
         [](const QByteArray &p) {
             return fields({{"cards", cards(p)}, {"page", byteAt(p, 2)}, {"data", hex(p.mid(3))}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"serial", {4, 10}}});
         }},
        {Family::Ultralight, Frame::Reader, ultralight::kHalt, -1, "halt", 300, describe::noParams,
         describe::readerReply},
    };
    return rows;
}

} // namespace protocol
