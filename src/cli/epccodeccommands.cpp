#include "cli/commandkit.h"
#include "epc/epctext.h"
#include "epc/gs1codec.h"

#include <QJsonValue>

namespace cli
{

namespace
{

// What an EPC is, for JSON: its hex, tag URI, pure-identity URI, scheme and filter. A value no
// scheme decodes has only the first two (its tag URI is the raw one).
Record describe(const QByteArray &bytes, const epc::Decoded &d)
{
    const auto orNull = [](const QString &s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
    Record r;
    r.data(QStringLiteral("hex"), epc::toHex(bytes));
    r.data(QStringLiteral("tag_uri"), d.tagUri);
    r.data(QStringLiteral("id_uri"), orNull(d.idUri));
    r.data(QStringLiteral("scheme"), orNull(d.scheme));
    r.data(QStringLiteral("filter"), d.gs1 ? QJsonValue(d.gs1->filter) : QJsonValue());
    return r;
}

Action encode()
{
    return {.name = QStringLiteral("encode"),
            .args = QStringLiteral("URI [--filter N]"),
            .summary = QStringLiteral("Print the EPC a tag URI stands for, as hex."),
            .help = QStringLiteral(
                "URI is an EPC tag URI of a 96-bit GS1 scheme (urn:epc:tag:sgtin-96:3.0614141.812345.6789; also "
                "sscc-96, sgln-96, grai-96, giai-96), a pure-identity URI (urn:epc:id:sgtin:0614141.812345.6789) "
                "with --filter, a raw URI (urn:epc:raw:96.x...) or hex. Every field is checked against its "
                "scheme: the partition by the company prefix's digits, the digit counts, the serial's limit. "
                "Prints the EPC as upper-case hex; with --json also its URIs, scheme and filter. Needs no "
                "reader."),
            .options = {option("filter", "N",
                               "The filter value, 0 to 7, for a pure-identity URI (a tag URI carries its own).")},
            .prepare = [](CommandArgs &args) -> Runner {
                const QString uri = args.take(QStringLiteral("URI"));
                args.done();
                std::optional<int> filter;
                if (const auto f = args.value(QStringLiteral("filter")))
                    filter = args.number(*f, QStringLiteral("--filter"), 0, 7);
                const bool idUri = uri.trimmed().startsWith(QLatin1String("urn:epc:id:"), Qt::CaseInsensitive);
                if (idUri && !filter)
                    args.fail(QStringLiteral("URI: a pure-identity URI needs --filter N (0 to 7), the filter the "
                                             "tag URI would carry."));
                if (!idUri && filter)
                    args.fail(QStringLiteral("--filter goes with a pure-identity URI (urn:epc:id:...) only; '%1' "
                                             "carries its own.")
                                  .arg(uri));
                const QByteArray bytes =
                    checked(args, QStringLiteral("URI"), [&] { return epc::parseEpcText(uri, filter); });
                return [bytes](Session &) -> std::optional<Record> {
                    Record r = describe(bytes, epc::decode(bytes));
                    r.note(epc::toHex(bytes));
                    return r;
                };
            }};
}

Action decode()
{
    return {.name = QStringLiteral("decode"),
            .args = QStringLiteral("HEX"),
            .summary = QStringLiteral("Print the tag URI of an EPC given as hex."),
            .help = QStringLiteral(
                "HEX is the EPC, whole 16-bit words (2 to 62 bytes). Prints its EPC tag URI "
                "(urn:epc:tag:sgtin-96:3.0614141.812345.6789); a value no 96-bit GS1 scheme decodes prints as "
                "the raw URI (urn:epc:raw:96.x...). With --json also the hex, the pure-identity URI, the scheme "
                "and the filter (null for a raw value). Needs no reader."),
            .prepare = [](CommandArgs &args) -> Runner {
                const QString text = args.take(QStringLiteral("HEX"));
                args.done();
                const QByteArray bytes =
                    checked(args, QString(), [&] { return epc::parseHex(text, QStringLiteral("HEX")); });
                return [bytes](Session &) -> std::optional<Record> {
                    const epc::Decoded d = epc::decode(bytes);
                    Record r = describe(bytes, d);
                    r.note(d.tagUri);
                    return r;
                };
            }};
}

} // namespace

Family epcCodecFamily()
{
    return {QStringLiteral("epc"), QString(), QString(), {encode(), decode()}};
}

} // namespace cli
