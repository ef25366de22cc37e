#include "cli/commandkit.h"
#include "protocol/mifare.h"

namespace cli
{

namespace
{

namespace mf = protocol::mifare;

QList<Option> accessOptions()
{
    return {option("key", "HEX", "The key, 6 bytes (default FFFFFFFFFFFF)."),
            flag("key-b", "Authenticate with key B rather than key A."),
            flag("all", "Request all cards, not only idle ones.")};
}

struct Access {
    mf::Access access;
    QByteArray key;
};

Access accessArgs(CommandArgs &args)
{
    Access a{{args.isSet(QStringLiteral("all")), args.isSet(QStringLiteral("key-b"))},
             QByteArray(mf::kKeyBytes, char(0xFF))};
    if (const auto k = args.value(QStringLiteral("key")))
        a.key = args.hex(*k, QStringLiteral("--key"), mf::kKeyBytes, mf::kKeyBytes);
    return a;
}

Action read()
{
    return {.name = QStringLiteral("read"),
            .args = QStringLiteral("BLOCK [--count N] [--key HEX] [--key-b] [--all]"),
            .summary = QStringLiteral("Read blocks of the card, from BLOCK (0 to 255)."),
            .help = QStringLiteral("Prints the card number and the data of every block read."),
            .options = accessOptions() << option("count", "N", "How many blocks, 1 to 4 (default 1)."),
            .prepare = [](CommandArgs &args) -> Runner {
                const int block = args.takeNumber(QStringLiteral("BLOCK"), 0, 255);
                args.done();
                int count = 1;
                if (const auto c = args.value(QStringLiteral("count")))
                    count = args.number(*c, QStringLiteral("--count"), 1, 4);
                const Access a = accessArgs(args);
                const auto request = mf::readBlocks(a.access, uint8_t(count), uint8_t(block), a.key);
                return [request](Session &s) -> std::optional<Record> {
                    const auto b = callParsed(s, request, mf::parseBlocks);
                    Record r;
                    r.hex(QStringLiteral("card_number"), b.cardNumber);
                    r.hex(QStringLiteral("data"), b.data);
                    return r;
                };
            }};
}

Action write()
{
    return {.name = QStringLiteral("write"),
            .args = QStringLiteral("BLOCK HEX [--key HEX] [--key-b] [--all]"),
            .summary = QStringLiteral("Write whole blocks of the card, from BLOCK (0 to 255)."),
            .help = QStringLiteral("HEX is 1 to 4 blocks of 16 bytes; their number is the block count sent."),
            .options = accessOptions(),
            .prepare = [](CommandArgs &args) -> Runner {
                const int block = args.takeNumber(QStringLiteral("BLOCK"), 0, 255);
                const QByteArray data = args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"),
                                                 mf::kBlockBytes, 4 * mf::kBlockBytes);
                if (data.size() % mf::kBlockBytes != 0)
                    args.fail(QStringLiteral("HEX must be whole blocks of 16 bytes, not %1 bytes.").arg(data.size()));
                args.done();
                const Access a = accessArgs(args);
                const auto request =
                    mf::writeBlocks(a.access, uint8_t(data.size() / mf::kBlockBytes), uint8_t(block), a.key, data);
                return [request](Session &s) -> std::optional<Record> {
                    const auto c = callParsed(s, request, mf::parseCardId);
                    Record r;
                    r.hex(QStringLiteral("card_number"), c.cardNumber);
                    return r;
                };
            }};
}

Action value()
{
    const QStringList ops = {QStringLiteral("init"), QStringLiteral("increment"), QStringLiteral("decrement")};
    return {.name = QStringLiteral("value"),
            .args = QStringLiteral("init|increment|decrement SECTOR AMOUNT [--key HEX] [--key-b] [--all]"),
            .summary = QStringLiteral("Initialise a value block, or add to or take from it."),
            .help = QStringLiteral("SECTOR is 0 to 255; AMOUNT is 4 bytes in hex, as the reader takes them. Prints "
                                   "the card number and, after increment and decrement, the remaining value."),
            .options = accessOptions(),
            .choices = ops,
            .prepare = [ops](CommandArgs &args) -> Runner {
                const int op = choiceIndex(args, QStringLiteral("OPERATION"), ops);
                const int sector = args.takeNumber(QStringLiteral("SECTOR"), 0, 255);
                const QByteArray amount = args.hex(args.take(QStringLiteral("AMOUNT")), QStringLiteral("AMOUNT"), 4, 4);
                args.done();
                const Access a = accessArgs(args);
                const mf::ValueOp which[] = {mf::ValueOp::Init, mf::ValueOp::Increment, mf::ValueOp::Decrement};
                const auto request = mf::value(which[op], a.access, uint8_t(sector), a.key, amount);
                return [request, op](Session &s) -> std::optional<Record> {
                    const auto v = callParsed(s, request, mf::parseValue);
                    Record r;
                    r.hex(QStringLiteral("card_number"), v.cardNumber);
                    if (op != 0)
                        r.hex(QStringLiteral("remaining"), v.remaining);
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
                return sendsOnly(mf::halt());
            }};
}

Action cardNumber()
{
    return {.name = QStringLiteral("card-number"),
            .args = QStringLiteral("[--all] [--halt]"),
            .summary = QStringLiteral("Read the card number; says whether several cards answered."),
            .options = {flag("all", "Request all cards, not only idle ones."),
                        flag("halt", "Halt the card after reading.")},
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                const auto request =
                    mf::cardNumber(args.isSet(QStringLiteral("all")), args.isSet(QStringLiteral("halt")));
                return [request](Session &s) -> std::optional<Record> {
                    const auto n = callParsed(s, request, mf::parseCardNumber);
                    Record r;
                    r.hex(QStringLiteral("card_number"), n.number);
                    r.add(QStringLiteral("several_cards"), n.count.value_or(0) != 0);
                    return r;
                };
            }};
}

} // namespace

Family mifareFamily()
{
    return {QStringLiteral("mifare"),
            QStringLiteral("Mifare S50/S70 cards: blocks, value blocks, card number"),
            QString(),
            {read(), write(), value(), halt(), cardNumber()}};
}

} // namespace cli
