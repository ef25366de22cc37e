#include "cli/commandkit.h"
#include "protocol/typeb.h"

namespace cli
{

namespace
{

namespace tb = protocol::typeb;

Action request()
{
    return {.name = QStringLiteral("request"),
            .summary = QStringLiteral("Request the card in the field; prints its answer."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const auto a = callParsed(s, tb::request(), tb::parseRequest);
                    Record r;
                    r.add(QStringLiteral("length"), int(a.length.value_or(0)));
                    r.hex(QStringLiteral("answer"), a.data);
                    return r;
                };
            }};
}

Action attrib()
{
    return {.name = QStringLiteral("attrib"),
            .args = QStringLiteral("HEX"),
            .summary = QStringLiteral("Select the card whose identifier HEX the request gave."),
            .prepare = [](CommandArgs &args) -> Runner {
                const QByteArray id =
                    args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"), 1, tb::kMaxSendBytes);
                args.done();
                return sendsOnly(tb::attrib(id));
            }};
}

Action send()
{
    return {.name = QStringLiteral("send"),
            .args = QStringLiteral("HEX"),
            .summary = QStringLiteral("Send the bytes HEX to the card; prints its answer."),
            .prepare = [](CommandArgs &args) -> Runner {
                const QByteArray data =
                    args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"), 1, tb::kMaxSendBytes);
                args.done();
                return [data](Session &s) -> std::optional<Record> {
                    const auto d = callParsed(s, tb::sendData(data), tb::parseSendData);
                    Record r;
                    r.hex(QStringLiteral("answer"), d.data);
                    return r;
                };
            }};
}

Action idRead(const char *name, const char *summary, protocol::Request (*request)())
{
    return {.name = QString::fromLatin1(name),
            .summary = QString::fromLatin1(summary),
            .prepare = [request](CommandArgs &args) -> Runner {
                args.done();
                return [request](Session &s) -> std::optional<Record> {
                    const auto n = callParsed(s, request(), tb::parseIdNumber);
                    Record r;
                    r.hex(QStringLiteral("number"), n.number);
                    return r;
                };
            }};
}

} // namespace

Family typebFamily()
{
    return {QStringLiteral("typeb"), QStringLiteral("ISO14443 type B cards"), QString(), {request(), attrib(), send()}};
}

Family idcardFamily()
{
    return {QStringLiteral("idcard"),
            QStringLiteral("the resident identity card"),
            QString(),
            {idRead("number", "Read the card's number (8 bytes).", tb::idNumber),
             idRead("file-id", "Read the card's file ID (8 bytes).", tb::idFileId)}};
}

} // namespace cli
