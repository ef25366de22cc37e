#include "protocol/uhf.h"

#include "base/errors.h"
#include "base/hex.h"
#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/frames.h"

#include <QStringList>

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
    // The EPC bank from bit 0x20, behind CRC and PC.
    return selectMask(kBankEpc, 0x20, epc.left(kMaxMaskBytes));
}

Request selectMask(uint8_t bank, uint32_t pointerBits, const QByteArray &mask)
{
    if (bank < kBankEpc || bank > kBankUser)
        throw UserError(QStringLiteral("A select compares the EPC, TID or user bank, not bank %1.").arg(bank));
    requireSize(mask, 0, kMaxMaskBytes, "select mask");
    // SelParam (target S0, action 0, bank), pointer, mask length in bits, no truncation, mask.
    const QByteArray pointer = bytes({char(pointerBits >> 24), char(pointerBits >> 16), char(pointerBits >> 8),
                                      char(pointerBits & 0xFF)});
    return module(kSelect, char(bank) + pointer + char(8 * mask.size()) + '\0' + mask);
}

Request writeEpc(const QByteArray &password, const QByteArray &crc, const QByteArray &epc)
{
    requireSize(crc, 2, "CRC word");
    requireSize(epc, 2, kMaxEpcBytes, "EPC");
    const int m = int(epc.size());
    // The PC word's top five bits give the EPC length in words: 4m for whole words.
    return writeBank(kBankEpc, 0, crc + char((4 * m) & 0xFF) + '\0' + epc, password);
}

Request writeBank(uint8_t bank, uint16_t wordAddress, const QByteArray &data, const QByteArray &password)
{
    requireSize(password, kPasswordBytes, "access password");
    requireSize(data, 2, kMaxWriteBytes, "data written");
    if (data.size() % 2 != 0)
        throw UserError(QStringLiteral("The data written must be whole 2-byte words, not %1 bytes.").arg(data.size()));
    return module(kWrite, password + char(bank) + word(wordAddress) + word(uint16_t(data.size() / 2)) + data);
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

std::optional<InventoryTag> parseInventoryTag(const QByteArray &frame)
{
    const auto m = parseModule(frame);
    // RSSI, PC word, the EPC, CRC word.
    if (!m || m->command != kInventory || m->params.size() < 5)
        return std::nullopt;
    const QByteArray &p = m->params;
    return InventoryTag{int8_t(uint8_t(p[0])), p.mid(1, 2), p.mid(3, p.size() - 5), p.right(2)};
}

InventoryRound parseInventoryRound(const QByteArray &module)
{
    InventoryRound round;
    ModuleFrames split = splitModuleFrames(module);
    for (const QByteArray &frame : split.frames) {
        if (auto tag = parseInventoryTag(frame)) {
            round.tags.push_back(std::move(*tag));
            continue;
        }
        const auto m = parseModule(frame);
        if (m && m->errorCode())
            round.errorCode = m->errorCode();
        else
            ++round.otherFrames;
    }
    round.rest = std::move(split.rest);
    return round;
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

std::optional<QByteArray> parseWriteReply(const QByteArray &module)
{
    const auto m = parseModule(module);
    if (!m || m->command != kWrite || m->params.isEmpty())
        return std::nullopt;
    const int ul = uint8_t(m->params[0]);
    if (m->params.size() < 1 + ul)
        return std::nullopt;
    return m->params.mid(1, ul);
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

QString bankName(uint8_t bank)
{
    switch (bank) {
    case kBankReserved:
        return QStringLiteral("reserved");
    case kBankEpc:
        return QStringLiteral("EPC");
    case kBankTid:
        return QStringLiteral("TID");
    case kBankUser:
        return QStringLiteral("user");
    default:
        return QStringLiteral("bank %1").arg(bank);
    }
}

QString moduleErrorText(uint8_t code)
{
    if (isTagError(code)) {
        switch (code & 0x0F) {
        case 0x0:
            return QStringLiteral("the tag refused (other error)");
        case kTagCodeOverrun:
            return QStringLiteral("memory overrun (no such memory)");
        case kTagCodeLocked:
            return QStringLiteral("memory locked");
        case 0xB:
            return QStringLiteral("insufficient power");
        case 0xF:
            return QStringLiteral("the tag refused (non-specific error)");
        default:
            return QStringLiteral("the tag refused (its error code %1)").arg(code & 0x0F);
        }
    }
    switch (code) {
    case kErrorReadFailed:
        return QStringLiteral("read failed (no tag answered)");
    case kErrorWriteFailed:
        return QStringLiteral("write failed (no tag answered)");
    case kErrorKillFailed:
        return QStringLiteral("kill failed");
    case kErrorLockFailed:
        return QStringLiteral("lock failed");
    case kErrorNoTag:
        return QStringLiteral("no tag");
    case kErrorAccessFailed:
        return QStringLiteral("access failed (wrong password)");
    case kErrorInvalidCommand:
        return QStringLiteral("invalid command");
    case kErrorHopping:
        return QStringLiteral("frequency hopping failed");
    default:
        return QStringLiteral("unknown error");
    }
}

QString moduleErrorMessage(uint8_t code)
{
    return QStringLiteral("%1 (module error %2)").arg(moduleErrorText(code), hex::byteText(code));
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
        return m->errorCode() ? uhf::moduleErrorMessage(*m->errorCode()) : QStringLiteral("module error");
    return QStringLiteral("ok %1").arg(rawParams(m->params));
}

// Every tag of an inventory reply with its signal strength.
static QString inventoryReply(const QByteArray &f)
{
    using namespace describe;
    const uhf::InventoryRound round = uhf::parseInventoryRound(f);
    if (round.tags.empty()) {
        const std::vector<QByteArray> whole = uhf::splitModuleFrames(f).frames;
        return moduleReply(whole.empty() ? f : whole.front());
    }
    QStringList tags;
    for (const uhf::InventoryTag &t : round.tags)
        tags << QStringLiteral("rssi=%1 pc=%2 epc=%3 crc=%4").arg(t.rssi).arg(hex(t.pc), hex(t.epc), hex(t.crc));
    QString text = QStringLiteral("ok %1 tag%2: %3")
                       .arg(round.tags.size())
                       .arg(round.tags.size() == 1 ? "" : "s")
                       .arg(tags.join(QStringLiteral("; ")));
    if (!round.rest.isEmpty())
        text += QStringLiteral(" (%1 bytes of a cut frame)").arg(round.rest.size());
    return text;
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
        {Family::Uhf, Frame::Module, kInventory, -1, "inventory", 500, noParams, inventoryReply},
        {Family::Uhf, Frame::Module, kSelect, -1, "select tag", 500,
         [](const QByteArray &p) {
             return fields({{"bank", p.isEmpty() ? QString() : bankName(uint8_t(p[0]) & 0x03)},
                            {"pointer", hex(p.mid(1, 4))},
                            {"bits", byteAt(p, 5)},
                            {"mask", hex(p.mid(7))}});
         },
         moduleReply},
        {Family::Uhf, Frame::Module, kWrite, -1, "write memory", 500,
         [](const QByteArray &p) {
             return fields({{"bank", p.size() > 4 ? bankName(uint8_t(p[4])) : QString()},
                            {"from", hex(p.mid(5, 2))},
                            {"words", hex(p.mid(7, 2))},
                            {"data", hex(p.mid(9))}});
         },
         moduleReply},
        {Family::Uhf, Frame::Module, kRead, -1, "read memory", 500,
         [](const QByteArray &p) {
             return fields({{"bank", p.size() > 4 ? bankName(uint8_t(p[4])) : QString()},
                            {"from", hex(p.mid(5, 2))},
                            {"words", hex(p.mid(7, 2))}});
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
