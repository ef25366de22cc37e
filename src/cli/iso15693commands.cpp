#include "cli/commandkit.h"
#include "protocol/iso15693.h"

#include <QJsonArray>
#include <utility>

namespace cli
{

namespace
{

namespace iso = protocol::iso15693;

const QStringList kFlagNames = {QStringLiteral("ti"), QStringLiteral("philips"), QStringLiteral("other")};
const uint8_t kFlagBytes[] = {iso::kFlagsTi, iso::kFlagsPhilips, iso::kFlagsOther};

QList<Option> addressing()
{
    return {
        option("uid", "HEX", "Address the one tag with this UID (8 bytes, as inventory prints it)."),
        option("flags", "KIND", "Without --uid: the request flags, ti (42), philips (02, the default) or other (52).")};
}

struct Target {
    uint8_t flags;
    QByteArray uid; // empty: no tag addressed
};

// FIRST COUNT: the first block and the number of blocks, each 0 to 255.
std::pair<uint8_t, uint8_t> blockRange(CommandArgs &args)
{
    const int first = args.takeNumber(QStringLiteral("FIRST"), 0, 255);
    const int count = args.takeNumber(QStringLiteral("COUNT"), 0, 255);
    return {first, count};
}

Target target(CommandArgs &args, uint8_t defaultFlags, bool uidAllowed = true)
{
    const auto uid = args.value(QStringLiteral("uid"));
    const auto flags = args.value(QStringLiteral("flags"));
    if (uid && !uidAllowed)
        args.fail(QStringLiteral("--uid does not go with this command: it addresses no tag."));
    if (uid && flags)
        args.fail(QStringLiteral("--uid and --flags exclude each other: a UID sets the addressed flags (22)."));
    if (uid)
        return {iso::kFlagsAddressed, args.hex(*uid, QStringLiteral("--uid"), iso::kUidBytes, iso::kUidBytes)};
    if (flags)
        return {kFlagBytes[kFlagNames.indexOf(args.choice(*flags, QStringLiteral("--flags"), kFlagNames))], {}};
    return {defaultFlags, {}};
}

// A command whose success carries nothing more.
Runner plain(const protocol::Request &request)
{
    return sendsOnly(request);
}

// A command whose reply carries flags and block bytes.
Runner blocks(const protocol::Request &request, const char *dataKey)
{
    const QString key = QString::fromLatin1(dataKey);
    return [request, key](Session &s) -> std::optional<Record> {
        const auto b = callParsed(s, request, iso::parseBlocks);
        Record r;
        r.hex(QStringLiteral("flags"), QByteArray(1, char(b.flags.value_or(0))));
        r.hex(key, b.data);
        return r;
    };
}

Action inventory()
{
    return {.name = QStringLiteral("inventory"),
            .summary = QStringLiteral("List the tags in the field."),
            .help = QStringLiteral("Prints the count the reader gives and the UID of each whole record, most "
                                   "significant byte first (E0 ...), as --uid takes it."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const auto inv = callParsed(s, iso::inventory(), iso::parseInventory);
                    QJsonArray uids;
                    for (const QByteArray &uid : inv.uids) {
                        QByteArray msbFirst(uid);
                        std::reverse(msbFirst.begin(), msbFirst.end());
                        uids << hexText(msbFirst);
                    }
                    Record r;
                    r.add(QStringLiteral("count"), int(inv.count.value_or(0)));
                    r.add(QStringLiteral("uids"), uids);
                    return r;
                };
            }};
}

Action read()
{
    return {.name = QStringLiteral("read"),
            .args = QStringLiteral("FIRST COUNT [--uid HEX | --flags KIND]"),
            .summary = QStringLiteral("Read COUNT blocks from block FIRST (each 0 to 255)."),
            .options = addressing(),
            .prepare = [](CommandArgs &args) -> Runner {
                const auto [first, count] = blockRange(args);
                args.done();
                const Target t = target(args, iso::kFlagsPhilips);
                return blocks(iso::read(t.flags, first, count, t.uid), "data");
            }};
}

Action write()
{
    return {.name = QStringLiteral("write"),
            .args = QStringLiteral("FIRST COUNT HEX [--uid HEX | --flags KIND]"),
            .summary = QStringLiteral("Write HEX into COUNT blocks from block FIRST (default flags ti)."),
            .options = addressing(),
            .prepare = [](CommandArgs &args) -> Runner {
                const auto [first, count] = blockRange(args);
                const QString text = args.take(QStringLiteral("HEX"));
                args.done();
                const Target t = target(args, iso::kFlagsTi);
                const QByteArray data = args.hex(text, QStringLiteral("HEX"), 1, iso::kMaxBody - 4 - int(t.uid.size()));
                return plain(iso::write(t.flags, first, count, t.uid, data));
            }};
}

Action lock()
{
    return {.name = QStringLiteral("lock"),
            .args = QStringLiteral("BLOCK [--flags KIND]"),
            .summary = QStringLiteral("Lock block BLOCK (0 to 255) for good."),
            .options = {addressing()[1]},
            .prepare = [](CommandArgs &args) -> Runner {
                const int block = args.takeNumber(QStringLiteral("BLOCK"), 0, 255);
                args.done();
                const Target t = target(args, iso::kFlagsPhilips, false);
                return plain(iso::lock(t.flags, uint8_t(block)));
            }};
}

// AFI and DSFID: write a value, or lock it.
Action identifier(const char *name, const char *what)
{
    const QString n = QString::fromLatin1(name);
    return {.name = n,
            .args = QStringLiteral("HEX|lock [--uid HEX | --flags KIND]"),
            .summary =
                QStringLiteral("Write the tag's %1 (one byte in hex), or lock it for good.").arg(QLatin1String(what)),
            .options = addressing(),
            .choices = {QStringLiteral("lock")},
            .prepare = [n, what](CommandArgs &args) -> Runner {
                const QString v = args.take(QStringLiteral("HEX|lock"));
                args.done();
                const Target t = target(args, iso::kFlagsPhilips);
                const bool afi = n == QLatin1String("afi");
                if (v == QLatin1String("lock"))
                    return plain(afi ? iso::lockAfi(t.flags, t.uid) : iso::lockDsfid(t.flags, t.uid));
                const uint8_t value = uint8_t(args.hex(v, QLatin1String(what), 1, 1)[0]);
                return plain(afi ? iso::writeAfi(t.flags, value, t.uid) : iso::writeDsfid(t.flags, value, t.uid));
            }};
}

Action info()
{
    return {.name = QStringLiteral("info"),
            .args = QStringLiteral("[--uid HEX | --flags KIND]"),
            .summary = QStringLiteral("Read the tag's system information."),
            .help = QStringLiteral("Prints flags, info_flags, uid (most significant byte first), dsfid, afi and the "
                                   "other fields, at their fixed positions as if every optional field were present."),
            .options = addressing(),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                const Target t = target(args, iso::kFlagsPhilips);
                const auto request = iso::systemInfo(t.flags, t.uid);
                return [request](Session &s) -> std::optional<Record> {
                    const auto i = callParsed(s, request, iso::parseSystemInfo);
                    const auto byte = [](std::optional<uint8_t> b) {
                        return hexText(QByteArray(1, char(b.value_or(0))));
                    };
                    Record r;
                    r.add(QStringLiteral("flags"), byte(i.flags));
                    r.add(QStringLiteral("info_flags"), byte(i.infoFlags));
                    QByteArray uid = i.uid; // most significant byte first, as inventory prints it
                    std::reverse(uid.begin(), uid.end());
                    r.hex(QStringLiteral("uid"), uid);
                    r.add(QStringLiteral("dsfid"), byte(i.dsfid));
                    r.add(QStringLiteral("afi"), byte(i.afi));
                    r.hex(QStringLiteral("other"), i.other);
                    return r;
                };
            }};
}

Action security()
{
    return {.name = QStringLiteral("security"),
            .args = QStringLiteral("FIRST COUNT [--uid HEX | --flags KIND]"),
            .summary = QStringLiteral("Read the security status of COUNT blocks from FIRST."),
            .options = addressing(),
            .prepare = [](CommandArgs &args) -> Runner {
                const auto [first, count] = blockRange(args);
                args.done();
                const Target t = target(args, iso::kFlagsPhilips);
                return blocks(iso::security(t.flags, first, count, t.uid), "status");
            }};
}

} // namespace

Family iso15693Family()
{
    return {QStringLiteral("iso15693"),
            QStringLiteral("ISO15693 tags: inventory, blocks, AFI, DSFID"),
            QString(),
            {inventory(), read(), write(), lock(), identifier("afi", "AFI"), identifier("dsfid", "DSFID"), info(),
             security()}};
}

} // namespace cli
