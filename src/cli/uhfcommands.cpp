#include "base/errors.h"
#include "cli/commandkit.h"
#include "cli/sectoroptions.h"
#include "protocol/uhf.h"

namespace cli
{

namespace
{

namespace uhf = protocol::uhf;

const QStringList kModes = {QStringLiteral("single"), QStringLiteral("passive"), QStringLiteral("multi"),
                            QStringLiteral("tid"), QStringLiteral("sector")};

Action mode()
{
    return {.name = QStringLiteral("mode"),
            .args = QStringLiteral("single|passive|multi|tid|sector [--sector N] [--address N] [--length N] "
                                   "[--password HEX]"),
            .summary = QStringLiteral("Set the UHF reader's reading mode."),
            .help = QStringLiteral("single: searches for the EPC of one tag by itself; passive: reads only when "
                                   "asked; multi: the EPCs of several tags; tid: the TID; sector: a memory sector "
                                   "of the tag, given by the options."),
            .options = sectorOptions(),
            .choices = kModes,
            .prepare = [](CommandArgs &args) -> Runner {
                const int m = choiceIndex(args, QStringLiteral("MODE"), kModes);
                args.done();
                const SectorArgs s = sectorArgs(args, m == 4);
                const protocol::Request request = m == 4
                                                      ? uhf::memorySectorMode(s.sector, s.password, s.address, s.length)
                                                      : uhf::readerMode(uhf::ReaderMode(m + 1));
                return sendsOnly(request);
            }};
}

// The tag in the field; throws ReaderFailure when there is none or the reply is not whole.
uhf::Tag tagInField(Session &s)
{
    const protocol::Request request = uhf::inventory();
    const QByteArray reply = s.exchange(request).reply;
    s.require(protocol::ack(reply), s.waitFor(request));
    const QByteArray module = uhf::moduleFrame(reply);
    if (const auto tag = uhf::parseInventory(module))
        return *tag;
    if (module.size() == uhf::kNoTagFrameBytes)
        throw ReaderFailure(QStringLiteral("no_tag"), QStringLiteral("no tag in the field."));
    throw ReaderFailure(QStringLiteral("damaged"),
                        QStringLiteral("the module's reply is not a whole inventory reply (%1).").arg(hexText(module)));
}

Action read()
{
    return {.name = QStringLiteral("read"),
            .summary = QStringLiteral("Read the EPC, PC and CRC of the tag in the field."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const uhf::Tag tag = tagInField(s);
                    Record r;
                    r.hex(QStringLiteral("epc"), tag.epc);
                    r.hex(QStringLiteral("pc"), tag.pc);
                    r.hex(QStringLiteral("crc"), tag.crc);
                    return r;
                };
            }};
}

Action write()
{
    return {
        .name = QStringLiteral("write"),
        .args = QStringLiteral("EPC [--password HEX] [--verify]"),
        .summary = QStringLiteral("Write a new EPC into the tag in the field."),
        .help = QStringLiteral("EPC is 2 to 62 bytes in whole words (an even number of bytes). The tag in the "
                               "field is found, selected by its EPC and written with its CRC word and a PC word "
                               "for the new length. Prints old_epc and epc, and with --verify verified."),
        .options = {option("password", "HEX", "The tag's access password, 4 bytes (default 00000000)."),
                    flag("verify", "Then read the tag in the field again and fail unless it has the new EPC.")},
        .prepare = [](CommandArgs &args) -> Runner {
            const QByteArray epc =
                args.hex(args.take(QStringLiteral("EPC")), QStringLiteral("EPC"), 2, uhf::kMaxEpcBytes);
            if (epc.size() % 2 != 0)
                args.fail(QStringLiteral("EPC must be whole 2-byte words, not %1 bytes ('%2').")
                              .arg(epc.size())
                              .arg(hexText(epc)));
            args.done();
            QByteArray password(uhf::kPasswordBytes, '\0');
            if (const auto p = args.value(QStringLiteral("password")))
                password = args.hex(*p, QStringLiteral("--password"), uhf::kPasswordBytes, uhf::kPasswordBytes);
            const bool verify = args.isSet(QStringLiteral("verify"));
            return [epc, password, verify](Session &s) -> std::optional<Record> {
                const uhf::Tag tag = tagInField(s);
                Record r;
                r.hex(QStringLiteral("old_epc"), tag.epc);
                call(s, uhf::select(tag.epc));
                const protocol::Request write = uhf::writeEpc(password, tag.crc, epc);
                const QByteArray reply = s.exchange(write).reply;
                s.require(protocol::ack(reply), s.waitFor(write), r);
                const QByteArray module = uhf::moduleFrame(reply);
                if (!uhf::writeConfirmed(module)) {
                    const auto m = uhf::parseModule(module);
                    const auto code = m ? m->errorCode() : std::nullopt;
                    throw ReaderFailure(
                        QStringLiteral("refused"),
                        code ? QStringLiteral("the module did not write: module error %1.")
                                   .arg(hexText(QByteArray(1, char(*code))))
                             : QStringLiteral("the module did not confirm the write (%1).").arg(hexText(module)),
                        std::nullopt, r);
                }
                r.hex(QStringLiteral("epc"), epc);
                if (verify) {
                    const uhf::Tag now = tagInField(s);
                    if (now.epc != epc)
                        throw ReaderFailure(
                            QStringLiteral("verify_failed"),
                            QStringLiteral("the tag in the field reads %1, not the EPC written.").arg(hexText(now.epc)),
                            std::nullopt, r);
                    r.add(QStringLiteral("verified"), true);
                }
                return r;
            };
        }};
}

} // namespace

Family uhfFamily()
{
    return {QStringLiteral("uhf"), QStringLiteral("the UHF reader's reading modes, the tags in its field, their memory"),
            QStringLiteral("inventory and mem go through the reader to its UHF module."), {mode()}};
}

Family epcFamily()
{
    return {QStringLiteral("epc"),
            QStringLiteral("the EPC of the UHF tag in the field, GS1 encoding, batches and their EPCIS documents"),
            QStringLiteral("read, write and batch go through the reader to its UHF module; encode, decode and epcis "
                           "need no reader."),
            {read(), write()}};
}

} // namespace cli
