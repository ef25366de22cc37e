#include "field/memoryinput.h"

#include "base/errors.h"
#include "base/hex.h"
#include "protocol/uhf.h"

namespace field
{

namespace uhf = protocol::uhf;

namespace
{

constexpr int kEpcBankWords = 2 + uhf::kMaxEpcBytes / 2; // at most 31 words of EPC

} // namespace

const QStringList &bankWords()
{
    static const QStringList words = {QStringLiteral("reserved"), QStringLiteral("epc"), QStringLiteral("tid"),
                                      QStringLiteral("user")};
    return words;
}

QString bankWord(uint8_t bank)
{
    return bank < bankWords().size() ? bankWords()[bank] : QString::number(bank);
}

std::optional<uint8_t> bankFromWord(const QString &word)
{
    const qsizetype i = bankWords().indexOf(word.trimmed().toLower());
    return i < 0 ? std::nullopt : std::optional<uint8_t>(uint8_t(i));
}

std::optional<int> fixedBankWords(uint8_t bank)
{
    if (bank == uhf::kBankReserved)
        return 4;
    if (bank == uhf::kBankEpc)
        return kEpcBankWords;
    return std::nullopt;
}

void checkRead(uint8_t bank, int address, std::optional<int> words, const MemoryLabels &labels)
{
    if (bank > uhf::kBankUser)
        throw UserError(QStringLiteral("There is no memory bank %1: the banks are reserved, EPC, TID and user.").arg(bank));
    const auto size = fixedBankWords(bank);
    if (address < 0 || address > kMaxWordAddress || (size && address >= *size))
        throw UserError(QStringLiteral("%1 %2 is past the %3 bank, which holds words 0 to %4.")
                            .arg(labels.address)
                            .arg(address)
                            .arg(uhf::bankName(bank))
                            .arg(size ? *size - 1 : kMaxWordAddress));
    if (!words)
        return;
    const int limit = (size ? *size : kMaxWordAddress + 1) - address;
    if (*words < 1 || *words > limit)
        throw UserError(QStringLiteral("%1 must be from 1 to %2 from word %3 of the %4 bank, not %5.")
                            .arg(labels.words)
                            .arg(limit)
                            .arg(address)
                            .arg(uhf::bankName(bank))
                            .arg(*words));
}

void checkWrite(uint8_t bank, int address, const QByteArray &data, const MemoryLabels &labels)
{
    if (bank == uhf::kBankTid)
        throw UserError(QStringLiteral("The TID bank is read-only: it names the chip and the tag."));
    if (data.isEmpty() || data.size() % 2 != 0)
        throw UserError(
            QStringLiteral("%1 must be whole 2-byte words, not %2 bytes.").arg(labels.data).arg(data.size()));
    checkRead(bank, address, std::nullopt, labels);
    const int words = int(data.size() / 2);
    const auto size = fixedBankWords(bank);
    const int limit = size ? *size : kMaxWordAddress + 1;
    if (address + words > limit)
        throw UserError(QStringLiteral("%1 holds %2 words, more than the %3 bank holds from word %4 (%5).")
                            .arg(labels.data)
                            .arg(words)
                            .arg(uhf::bankName(bank))
                            .arg(address)
                            .arg(limit - address));
    if (bank != uhf::kBankEpc)
        return;
    if (address == kCrcWord)
        throw UserError(QStringLiteral("%1 0 of the EPC bank is the CRC, which the tag computes itself: start at "
                                       "word 1 (the PC word) or word 2 (the EPC).")
                            .arg(labels.address));
    if (address == kPcWord) {
        // The PC word's top five bits give the EPC's length in words.
        const int pcWords = (uint8_t(data[0]) << 8) >> kPcLengthShift;
        if (pcWords < words - 1)
            throw UserError(QStringLiteral("%1: its first word is the PC word, whose length bits say %2 of EPC, "
                                           "but %3 words of EPC follow it.")
                                .arg(labels.data, pcWords == 1 ? QStringLiteral("1 word") : QStringLiteral("%1 words").arg(pcWords))
                                .arg(words - 1));
    }
}

QByteArray wordsField(const QString &text, const QString &label)
{
    const QByteArray bytes = hex::bytesField(text, label, 1, 2 * (kMaxWordAddress + 1));
    if (bytes.size() % 2 != 0)
        throw UserError(QStringLiteral("%1 must be whole 2-byte words (4 hex digits each), not %2 bytes.")
                            .arg(label)
                            .arg(bytes.size()));
    return bytes;
}

QByteArray passwordField(const QString &text, const QString &label)
{
    return hex::bytesField(text, label, uhf::kPasswordBytes);
}

} // namespace field
