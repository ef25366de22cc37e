#include "cli/commandkit.h"
#include "protocol/wifi.h"

#include <QJsonArray>
#include <QJsonObject>

namespace cli
{

namespace
{

namespace wifi = protocol::wifi;

Action set()
{
    return {.name = QStringLiteral("set"),
            .args = QStringLiteral("NAME PASSWORD"),
            .summary = QStringLiteral("Join the WiFi network NAME with PASSWORD."),
            .help = QStringLiteral("NAME must not hold a comma (the reader ends the name there); name and password "
                                   "together take at most 248 bytes of UTF-8. Quote them when they hold blanks."),
            .prepare = [](CommandArgs &args) -> Runner {
                const QString name = args.take(QStringLiteral("NAME"));
                const QString password = args.take(QStringLiteral("PASSWORD"));
                args.done();
                const auto request = wifi::join(name, password);
                return [request, name](Session &s) -> std::optional<Record> {
                    call(s, request);
                    Record r;
                    r.add(QStringLiteral("name"), name);
                    return r;
                };
            }};
}

Action ip()
{
    return {.name = QStringLiteral("ip"),
            .summary = QStringLiteral("Read the reader's IP address."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const auto a = callParsed(s, wifi::ipAddress(), wifi::parseIpAddress);
                    Record r;
                    r.add(QStringLiteral("ip"), wifi::textOf(a.text));
                    return r;
                };
            }};
}

Action scan()
{
    return {.name = QStringLiteral("scan"),
            .summary = QStringLiteral("List the WiFi networks in range, with their signal."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const auto n = callParsed(s, wifi::scan(), wifi::parseNetworks);
                    QJsonArray list;
                    Record r;
                    for (const wifi::Network &net : n.networks) {
                        const QString name = wifi::textOf(net.name), signal = wifi::textOf(net.signal).trimmed();
                        list << QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("signal"), signal}};
                        r.note(QStringLiteral("%1  %2").arg(signal.leftJustified(4), name));
                    }
                    r.data(QStringLiteral("networks"), list);
                    return r;
                };
            }};
}

} // namespace

Family wifiFamily()
{
    return {QStringLiteral("wifi"), QStringLiteral("a networked reader's WiFi"), QString(), {set(), ip(), scan()}};
}

} // namespace cli
