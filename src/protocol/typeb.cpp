#include "protocol/typeb.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"

namespace protocol::typeb
{

static Request body(uint8_t code, const QByteArray &data = {})
{
    return tableRequest(Family::TypeB, QByteArray(1, char(code)) + data);
}

Request request()
{
    return body(kRequest);
}

Request attrib(const QByteArray &cardId)
{
    requireSize(cardId, 1, kMaxSendBytes, "card identifier");
    return body(kAttrib, cardId);
}

Request sendData(const QByteArray &data)
{
    requireSize(data, 0, kMaxSendBytes, "data");
    return body(kSendData, QByteArray(1, char(data.size())) + data);
}

Request idNumber()
{
    return body(kIdNumber);
}

Request idFileId()
{
    return body(kIdFileId);
}

Result<Answer> parseRequest(const QByteArray &reply)
{
    return parseReply<Answer>(reply, [](const ReaderReply &r) { return Answer{r.byte(4), r.span(5, r.size() - 3)}; });
}

Result<Data> parseSendData(const QByteArray &reply)
{
    return parseReply<Data>(reply, [](const ReaderReply &r) { return Data{r.span(4, r.size() - 3)}; });
}

Result<IdNumber> parseIdNumber(const QByteArray &reply)
{
    return parseReply<IdNumber>(reply, [](const ReaderReply &r) { return IdNumber{r.span(5, 12)}; });
}

} // namespace protocol::typeb

namespace protocol
{

const std::vector<CommandInfo> &typeBCommands()
{
    using namespace describe;
    static const auto idReply = [](const QByteArray &f) { return readerReplyWith(f, {{"number", {5, 12}}}); };
    static const std::vector<CommandInfo> rows = {
        {Family::TypeB, Frame::Reader, typeb::kRequest, -1, "type B request", 500, noParams,
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"length", {4, 4}}, {"answer", {5, -3}}});
         }},
        {Family::TypeB, Frame::Reader, typeb::kAttrib, -1, "type B attrib", 500,
         [](const QByteArray &p) {
             return fields({{"card", hex(p)}});
         },
         readerReply},
        {Family::TypeB, Frame::Reader, typeb::kSendData, -1, "type B send data", 600,
         [](const QByteArray &p) {
             return fields({{"count", byteAt(p, 0)}, {"data", hex(p.mid(1))}});
         },
         [](const QByteArray &f) {
             return readerReplyWith(f, {{"data", {4, -3}}});
         }},
        {Family::TypeB, Frame::Reader, typeb::kIdNumber, -1, "ID card number", 1000, noParams, idReply},
        {Family::TypeB, Frame::Reader, typeb::kIdFileId, -1, "ID card file ID", 1000, noParams, idReply},
    };
    return rows;
}

} // namespace protocol
