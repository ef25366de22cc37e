#include "cli/commandkit.h"
#include "cli/fieldkit.h"
#include "field/memoryinput.h"
#include "protocol/uhf.h"

namespace cli
{

namespace
{

namespace uhf = protocol::uhf;

// The options as the checks of the field library name them.
field::MemoryLabels optionLabels()
{
    return {QStringLiteral("--address"), QStringLiteral("--words"), QStringLiteral("--data"),
            QStringLiteral("--password")};
}

const QList<Option> kAddressOptions = {
    option("epc", "HEX", "The tag by its EPC (whole words)."),
    option("tid", "HEX", "The tag by its TID (a write needs the whole TID): for tags that share an EPC."),
    option("password", "HEX", "The access password, 4 bytes (default 00000000): the reserved bank and locked banks "
                              "need it.")};

struct MemoryArgs {
    uint8_t bank = 0;
    int address = 0;
    std::optional<field::TagAddress> tag;
    QByteArray password = QByteArray(uhf::kPasswordBytes, '\0');
};

MemoryArgs readCommon(CommandArgs &args, const QStringList &banks)
{
    MemoryArgs m;
    const QString word = args.choice(args.take(QStringLiteral("BANK")), QStringLiteral("BANK"), banks);
    m.bank = *field::bankFromWord(word);
    args.done();
    if (const auto a = args.value(QStringLiteral("address")))
        m.address = args.number(*a, QStringLiteral("--address"), 0, field::kMaxWordAddress);
    m.tag = tagAddressArgs(args);
    if (const auto p = args.value(QStringLiteral("password")))
        m.password = checked(args, QString(), [&] { return field::passwordField(*p, QStringLiteral("--password")); });
    return m;
}

// Words as people read them: eight a line behind the first one's address, hex and printable text.
void dumpNotes(Record &r, int address, const QByteArray &data)
{
    for (qsizetype at = 0; at < data.size(); at += 16) {
        const QByteArray line = data.mid(at, 16);
        QStringList words;
        for (qsizetype k = 0; k < line.size(); k += 2)
            words << hexText(line.mid(k, 2));
        QString text;
        for (const char c : line)
            text += c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c) : QLatin1Char('.');
        r.note(QStringLiteral("%1: %2  %3").arg(address + int(at / 2), 5).arg(words.join(QLatin1Char(' ')), -39).arg(text));
    }
}

Action read()
{
    Action a{
        .name = QStringLiteral("mem read"),
        .args = QStringLiteral("reserved|epc|tid|user [--address W] [--words N] [--epc HEX | --tid HEX] "
                               "[--password HEX]"),
        .summary = QStringLiteral("Read words of a memory bank of one tag."),
        .help = QStringLiteral(
            "Reads N words from word W (default 0) of the bank: reserved (kill and access password, read with "
            "--password where the tag locks it), epc (StoredCRC, PC and the EPC), tid, user. Without --words, to "
            "the bank's end, found by reading until the tag says memory overrun (so a chip without user memory "
            "gives 0 words). The tag is the one --epc or --tid names, each read selecting it first; without "
            "them the one tag in the field (several tags are refused: choose one). A refusal is said in words with "
            "the module's code (memory overrun, memory locked, access failed).\n\n"
            "Prints bank, address, words and the EPC of the tag that answered, then the words eight a line; with "
            "--json bank, address, words, data (hex) and epc."),
        .options = {option("address", "W", "The first word (default 0)."),
                    option("words", "N", "How many words (default: to the bank's end).")},
        .choices = field::bankWords(),
        .prepare = [](CommandArgs &args) -> Runner {
            const MemoryArgs m = readCommon(args, field::bankWords());
            std::optional<int> words;
            if (const auto w = args.value(QStringLiteral("words")))
                words = args.number(*w, QStringLiteral("--words"), 1, field::kMaxWordAddress + 1);
            checked(args, QString(), [&] {
                field::checkRead(m.bank, m.address, words, optionLabels());
                return true;
            });
            return [m, words](Session &s) -> std::optional<Record> {
                field::ModuleChannel channel = moduleChannel(s);
                field::TagMemory memory(channel, addressedTag(s, channel, m.tag), m.password);
                const field::MemoryResult result =
                    words ? memory.read(m.bank, m.address, *words) : memory.readToEnd(m.bank, m.address);
                Record r;
                r.add(QStringLiteral("bank"), field::bankWord(m.bank));
                r.add(QStringLiteral("address"), m.address);
                if (!result.ok())
                    throwMemoryFailure(s, channel, result, r);
                r.add(QStringLiteral("words"), int(result.data.size() / 2));
                r.data(QStringLiteral("data"), hexText(result.data));
                r.hex(QStringLiteral("epc"), result.epc);
                dumpNotes(r, m.address, result.data);
                return r;
            };
        }};
    a.options += kAddressOptions;
    return a;
}

// Which of the reserved bank's passwords a write reaches, for the warning.
QString passwordNote(int address, int words)
{
    QStringList which;
    if (address < 2)
        which << QStringLiteral("kill password");
    if (address + words > 2)
        which << QStringLiteral("access password");
    return QStringLiteral("The tag's %1 changed: keep it. A tag whose access password is lost cannot have its locked "
                          "banks written again, nor be unlocked; its kill password kills the tag for good.")
        .arg(which.join(QStringLiteral(" and ")));
}

Action write()
{
    const QStringList banks = {QStringLiteral("reserved"), QStringLiteral("epc"), QStringLiteral("user")};
    Action a{
        .name = QStringLiteral("mem write"),
        .args = QStringLiteral("reserved|epc|user --address W --data HEX [--epc HEX | --tid HEX] [--password HEX] "
                               "[--no-verify]"),
        .summary = QStringLiteral("Write words into a memory bank of one tag, read back and compared."),
        .help = QStringLiteral(
            "Writes the words of --data from word W, in chunks, each read back and compared (not with "
            "--no-verify): a difference fails with its word address, exit status 1. Only the tag addressed is "
            "written: its TID is read through the select of --epc or --tid first, and every write selects that "
            "whole TID (a tag whose TID has no serial number is written through its EPC, and never its EPC "
            "bank). A bank that ends before the last word refuses the write before anything is written.\n\n"
            "In the EPC bank, word 0 is the CRC the tag computes: start at word 1 (the PC word, whose length bits "
            "must cover the EPC words written behind it) or word 2 (the EPC: words written past its end make it "
            "longer, and the PC word is written with the new length). The TID bank is read-only. Writing the "
            "reserved bank sets the kill and access passwords: keep them.\n\n"
            "Prints bank, address, words, verified, the PC word when it was written for a new length, and the "
            "tag's EPC."),
        .options = {option("address", "W", "The first word written."),
                    option("data", "HEX", "The words to write, 4 hex digits each."),
                    flag("no-verify", "Do not read the words back.")},
        .choices = banks,
        .prepare = [banks](CommandArgs &args) -> Runner {
            MemoryArgs m = readCommon(args, banks);
            if (!args.value(QStringLiteral("address")))
                args.fail(QStringLiteral("--address W is missing: the first word to write."));
            const auto text = args.value(QStringLiteral("data"));
            if (!text)
                args.fail(QStringLiteral("--data HEX is missing: the words to write."));
            const QByteArray data =
                checked(args, QString(), [&] { return field::wordsField(*text, QStringLiteral("--data")); });
            checked(args, QString(), [&] {
                field::checkWrite(m.bank, m.address, data, optionLabels());
                return true;
            });
            const bool verify = !args.isSet(QStringLiteral("no-verify"));
            return [m, data, verify](Session &s) -> std::optional<Record> {
                field::ModuleChannel channel = moduleChannel(s);
                field::TagMemory memory(channel, addressedTag(s, channel, m.tag), m.password);
                const field::MemoryResult result = memory.write(m.bank, m.address, data, verify);
                const int words = int(data.size() / 2);
                Record r;
                r.add(QStringLiteral("bank"), field::bankWord(m.bank));
                r.add(QStringLiteral("address"), m.address);
                r.add(QStringLiteral("words"), words);
                if (!result.ok())
                    throwMemoryFailure(s, channel, result, r);
                r.add(QStringLiteral("verified"), verify);
                if (!result.pc.isEmpty())
                    r.hex(QStringLiteral("pc"), result.pc);
                r.hex(QStringLiteral("epc"), result.epc);
                if (m.bank == uhf::kBankReserved)
                    r.note(passwordNote(m.address, words));
                return r;
            };
        }};
    a.options += kAddressOptions;
    return a;
}

} // namespace

Family uhfMemoryFamily()
{
    return {QStringLiteral("uhf"), QString(), QString(), {read(), write()}};
}

} // namespace cli
