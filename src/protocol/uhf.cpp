#include "protocol/uhf.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/frames.h"

namespace protocol::uhf
{

static QByteArray word(uint16_t value)
{
    return bytes({char(value >> 8), char(value & 0xFF)});
}

Request readerMode(ReaderMode mode)
{
    return tableRequest(Family::Uhf, bytes({char(kReaderMode), char(mode)}));
}

Request memorySectorMode(uint8_t sector, const QByteArray &password, uint8_t address, uint8_t length)
{
    requireSize(password, kPasswordBytes, "access password");
    return tableRequest(Family::Uhf, bytes({char(kMemorySectorMode), char(sector)}) + password +
                                         bytes({char(address), char(length)}));
}

static Request module(uint8_t command, const QByteArray &params)
{
    return tableRequest(Family::Uhf, frames::module(command, params), Route::PassThrough);
}

Request inventory()
{
    return module(kInventory, {});
}

Request select(const QByteArray &epc)
{
    const QByteArray mask = epc.left(kMaxMaskBytes);
    // Target 01, the EPC bank from bit 0x20 (behind CRC and PC), mask length in bits, no truncation.
    return module(kSelect, QByteArray::fromRawData("\x01\x00\x00\x00\x20", 5) + char(8 * mask.size()) + '\0' + mask);
}

Request writeEpc(const QByteArray &password, const QByteArray &crc, const QByteArray &epc)
{
    requireSize(password, kPasswordBytes, "access password");
    requireSize(crc, 2, "CRC word");
    requireSize(epc, 2, kMaxEpcBytes, "EPC");
    const int m = int(epc.size());
    const uint16_t words = uint16_t((m + 4) / 2); // CRC word, PC word and the EPC
    // The PC word's top five bits give the EPC length in words: 4m for whole words.
    return module(kWrite, password + char(kBankEpc) + word(0) + word(words) + crc + char((4 * m) & 0xFF) + '\0' + epc);
}

Request readBank(uint8_t bank, uint16_t wordAddress, uint16_t words, const QByteArray &password)
{
    requireSize(password, kPasswordBytes, "access password");
    return module(kRead, password + char(bank) + word(wordAddress) + word(words));
}

Request readEpcBank()
{
    return readBank(kBankEpc, 0, 8, QByteArray(kPasswordBytes, '\0'));
}

QByteArray moduleFrame(const QByteArray &reply)
{
    const qsizetype inner = reply.size() - 4 - 2;
    return inner > 0 ? reply.mid(4, inner) : QByteArray();
}

std::optional<Tag> parseInventory(const QByteArray &module)
{
    if (module.size() < 5)
        return std::nullopt;
    const int n = int(uint8_t(module[4])) - 5;
    if (n < 1 || module.size() < qsizetype(8 + n + 4))
        return std::nullopt;
    return Tag{module.mid(6, 2), module.mid(8, n), module.mid(module.size() - 4, 2)};
}

std::optional<ModuleReply> parseModule(const QByteArray &module)
{
    if (!frames::checkModuleFrame(module).ok())
        return std::nullopt;
    return ModuleReply{uint8_t(module[1]), uint8_t(module[2]), module.mid(5, module.size() - frames::kModuleOverhead)};
}

std::optional<BankRead> parseBankRead(const QByteArray &module)
{
    const auto m = parseModule(module);
    if (!m || m->command != kRead || m->params.isEmpty())
        return std::nullopt;
    const int ul = uint8_t(m->params[0]);
    if (m->params.size() < 1 + ul)
        return std::nullopt;
    return BankRead{m->params.mid(1, ul), m->params.mid(1 + ul)};
}

ModuleFrames splitModuleFrames(const QByteArray &module)
{
    ModuleFrames out;
    qsizetype at = 0;
    while (module.size() - at >= frames::kModuleOverhead) {
        const qsizetype pl = (qsizetype(uint8_t(module[at + 3])) << 8) | uint8_t(module[at + 4]);
        const qsizetype size = pl + frames::kModuleOverhead;
        if (size > module.size() - at)
            break;
        const QByteArray frame = module.mid(at, size);
        if (!frames::checkModuleFrame(frame).ok())
            break;
        out.frames.push_back(frame);
        at += size;
    }
    out.rest = module.mid(at);
    return out;
}

bool writeConfirmed(const QByteArray &module)
{
    return module.size() > 2 && uint8_t(module[2]) == kWrite;
}

} // namespace protocol::uhf

namespace protocol
{

static QString moduleReply(const QByteArray &f)
{
    using namespace describe;
    const auto m = uhf::parseModule(f);
    if (f.isEmpty())
        return QStringLiteral("no reply");
    if (!m)
        return QStringLiteral("damaged module frame %1").arg(hex(f));
    if (m->isError())
        return QStringLiteral("module error %1").arg(byteAt(m->params, 0));
    return QStringLiteral("ok %1").arg(rawParams(m->params));
}

const std::vector<CommandInfo> &uhfCommands()
{
    using namespace describe;
    using namespace uhf;
    static const std::vector<CommandInfo> rows = {
        {Family::Uhf, Frame::Reader, kReaderMode, 0x01, "reader mode: single tag EPC", 300, noParams, readerReply},
        {Family::Uhf, Frame::Reader, kReaderMode, 0x02, "reader mode: passive", 300, noParams, readerReply},
        {Family::Uhf, Frame::Reader, kReaderMode, 0x03, "reader mode: multiple tag EPC", 300, noParams, readerReply},
        {Family::Uhf, Frame::Reader, kReaderMode, 0x04, "reader mode: TID", 300, noParams, readerReply},
        {Family::Uhf, Frame::Reader, kMemorySectorMode, -1, "reader mode: memory sector", 300,
         [](const QByteArray &p) {
             return fields({{"sector", byteAt(p, 0)},
                            {"password", hex(p.mid(1, 4))},
                            {"address", byteAt(p, 5)},
                            {"length", byteAt(p, 6)}});
         },
         readerReply},
        {Family::Uhf, Frame::Module, kInventory, -1, "inventory (one tag)", 500, noParams,
         [](const QByteArray &f) {
             const auto tag = parseInventory(f);
             return tag ? QStringLiteral("ok pc=%1 epc=%2 crc=%3").arg(hex(tag->pc), hex(tag->epc), hex(tag->crc))
                        : moduleReply(f);
         }},
        {Family::Uhf, Frame::Module, kSelect, -1, "select tag", 500,
         [](const QByteArray &p) {
             return fields({{"bits", byteAt(p, 5)}, {"mask", hex(p.mid(7))}});
         },
         moduleReply},
        {Family::Uhf, Frame::Module, kWrite, -1, "write memory", 500,
         [](const QByteArray &p) {
             return fields({{"bank", byteAt(p, 4)}, {"words", hex(p.mid(7, 2))}, {"data", hex(p.mid(9))}});
         },
         moduleReply},
        {Family::Uhf, Frame::Module, kRead, -1, "read memory", 500,
         [](const QByteArray &p) {
             return fields({{"bank", byteAt(p, 4)}, {"from", hex(p.mid(5, 2))}, {"words", hex(p.mid(7, 2))}});
         },
         [](const QByteArray &f) {
             const auto read = parseBankRead(f);
             return read ? QStringLiteral("ok pc_epc=%1 data=%2").arg(hex(read->pcEpc), hex(read->data))
                         : moduleReply(f);
         }},
    };
    return rows;
}

} // namespace protocol
