#include "protocol/wifi.h"

#include "base/errors.h"
#include "protocol/commandtable.h"
#include "protocol/describe.h"

namespace protocol::wifi
{

Request join(const QString &name, const QString &password)
{
    if (name.contains(QLatin1Char(kSeparator)))
        throw UserError(QStringLiteral("The WiFi name '%1' holds a comma, which the reader takes for the end of "
                                       "the name.")
                            .arg(name));
    const QByteArray data = name.toUtf8() + kSeparator + password.toUtf8();
    if (data.size() > kMaxJoinBytes)
        throw UserError(QStringLiteral("The WiFi name and password are too long: together at most %1 bytes.")
                            .arg(kMaxJoinBytes - 1));
    return tableRequest(Family::Wifi, char(kJoin) + data);
}

Request ipAddress()
{
    return tableRequest(Family::Wifi, QByteArray(1, char(kIpAddress)));
}

Request scan()
{
    return tableRequest(Family::Wifi, QByteArray(1, char(kScan)));
}

QString textOf(const QByteArray &bytes)
{
    return describe::text(bytes);
}

Result<IpAddress> parseIpAddress(const QByteArray &reply)
{
    return parseReply<IpAddress>(reply, [](const ReaderReply &r) { return IpAddress{r.data()}; });
}

Result<Networks> parseNetworks(const QByteArray &reply)
{
    const ReaderReply r(reply);
    auto result = resultOf<Networks>(r);
    if (!result.ok())
        return result;
    const QByteArray &bytes = r.frame();
    const qsizetype last = bytes.size() - 9;
    QByteArray name;
    int skip = 0;
    for (qsizetype i = 4; i <= last; ++i) {
        const char b = bytes[i];
        if (b == kSeparator) {
            result.value.networks << Network{name, bytes.mid(i + 1, 3)};
            name.clear();
            skip = 5;
        } else if (skip > 1) {
            --skip;
        } else {
            name.append(b);
        }
    }
    return result;
}

} // namespace protocol::wifi

namespace protocol
{

const std::vector<CommandInfo> &wifiCommands()
{
    using namespace describe;
    static const std::vector<CommandInfo> rows = {
        {Family::Wifi, Frame::Reader, wifi::kJoin, -1, "join WiFi network", 300,
         [](const QByteArray &p) {
             const qsizetype comma = p.indexOf(wifi::kSeparator);
             return fields(
                 {{"name", QStringLiteral("\"%1\"").arg(text(p.left(comma < 0 ? p.size() : comma)))},
                  {"password", comma < 0 ? QString() : QStringLiteral("(%1 bytes)").arg(p.size() - comma - 1)}});
         },
         readerReply},
        {Family::Wifi, Frame::Reader, wifi::kIpAddress, -1, "read IP address", 300, noParams,
         [](const QByteArray &f) { return textReply(f, "ip"); }},
        {Family::Wifi, Frame::Reader, wifi::kScan, -1, "list WiFi networks", 2000, noParams,
         [](const QByteArray &f) {
             const auto r = wifi::parseNetworks(f);
             if (!r.ok())
                 return readerReply(f);
             QStringList names;
             for (const wifi::Network &n : r.value.networks)
                 names << QStringLiteral("\"%1\"").arg(text(n.name));
             return QStringLiteral("ok networks=%1 %2").arg(r.value.networks.size()).arg(names.join(QLatin1Char(',')));
         }},
    };
    return rows;
}

} // namespace protocol
