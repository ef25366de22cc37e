#include "cli/sectoroptions.h"

#include "cli/args.h"

namespace cli
{

QList<Option> sectorOptions()
{
    return {option("sector", "N", "sector mode: the memory bank, 0 to 3 (default 3)."),
            option("address", "N", "sector mode: the first word, 0 to 255 (default 0)."),
            option("length", "N", "sector mode: the number of words, 0 to 255 (default 8)."),
            option("password", "HEX", "sector mode: the access password, 4 bytes (default 00000000).")};
}

SectorArgs sectorArgs(CommandArgs &args, bool sector)
{
    SectorArgs s;
    const QStringList names = {QStringLiteral("sector"), QStringLiteral("address"), QStringLiteral("length"),
                               QStringLiteral("password")};
    for (const QString &n : names)
        if (!sector && args.isSet(n))
            args.fail(QStringLiteral("--%1 belongs to the sector mode only.").arg(n));
    if (const auto v = args.value(names[0]))
        s.sector = uint8_t(args.number(*v, QStringLiteral("--sector"), 0, 3));
    if (const auto v = args.value(names[1]))
        s.address = uint8_t(args.number(*v, QStringLiteral("--address"), 0, 255));
    if (const auto v = args.value(names[2]))
        s.length = uint8_t(args.number(*v, QStringLiteral("--length"), 0, 255));
    if (const auto v = args.value(names[3]))
        s.password = args.hex(*v, QStringLiteral("--password"), int(s.password.size()), int(s.password.size()));
    return s;
}

} // namespace cli
