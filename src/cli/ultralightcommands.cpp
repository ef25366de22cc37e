#include "cli/commandkit.h"
#include "protocol/ultralight.h"

namespace cli
{

namespace
{

namespace ul = protocol::ultralight;

Option allCards()
{
    return flag("all", "Request all cards, not only idle ones.");
}

Action read()
{
    return {.name = QStringLiteral("read"),
            .args = QStringLiteral("PAGE [--all]"),
            .summary = QStringLiteral("Read four pages from PAGE (0 to 15)."),
            .help = QStringLiteral("Prints the 16 bytes read and the card's serial number."),
            .options = {allCards()},
            .prepare = [](CommandArgs &args) -> Runner {
                const int page = args.takeNumber(QStringLiteral("PAGE"), 0, ul::kPages - 1);
                args.done();
                const auto request = ul::readPages(args.isSet(QStringLiteral("all")), uint8_t(page));
                return [request](Session &s) -> std::optional<Record> {
                    const auto p = callParsed(s, request, ul::parsePages);
                    Record r;
                    r.hex(QStringLiteral("data"), p.data);
                    r.hex(QStringLiteral("serial"), p.serial);
                    return r;
                };
            }};
}

Action write()
{
    return {.name = QStringLiteral("write"),
            .args = QStringLiteral("PAGE HEX [--all]"),
            .summary = QStringLiteral("Write the 4 bytes HEX into PAGE (0 to 15)."),
            .options = {allCards()},
            .prepare = [](CommandArgs &args) -> Runner {
                const int page = args.takeNumber(QStringLiteral("PAGE"), 0, ul::kPages - 1);
                const QByteArray data =
                    args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"), ul::kPageBytes, ul::kPageBytes);
                args.done();
                const auto request = ul::writePage(args.isSet(QStringLiteral("all")), uint8_t(page), data);
                return [request](Session &s) -> std::optional<Record> {
                    const auto serial = callParsed(s, request, ul::parseSerial);
                    Record r;
                    r.hex(QStringLiteral("serial"), serial.serial);
                    return r;
                };
            }};
}

Action serial()
{
    return {.name = QStringLiteral("serial"),
            .args = QStringLiteral("[--all]"),
            .summary = QStringLiteral("Read the card's serial number."),
            .options = {allCards()},
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                const auto request = ul::readSerial(args.isSet(QStringLiteral("all")));
                return [request](Session &s) -> std::optional<Record> {
                    const auto serial = callParsed(s, request, ul::parseSerial);
                    Record r;
                    r.hex(QStringLiteral("serial"), serial.serial);
                    return r;
                };
            }};
}

Action halt()
{
    return {.name = QStringLiteral("halt"),
            .summary = QStringLiteral("Halt the card in the field."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return sendsOnly(ul::halt());
            }};
}

} // namespace

Family ultralightFamily()
{
    return {QStringLiteral("ultralight"),
            QStringLiteral("Ultralight cards: pages and serial number"),
            QString(),
            {read(), write(), serial(), halt()}};
}

} // namespace cli
