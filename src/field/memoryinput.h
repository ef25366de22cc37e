#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The checks of what is asked of a tag's memory that need no tag: every one throws UserError
// naming the field or option as the user sees it, before anything is sent.
namespace field
{

// Banks as words: "reserved", "epc", "tid", "user".
const QStringList &bankWords();
QString bankWord(uint8_t bank);
// Nothing for a word that is no bank.
std::optional<uint8_t> bankFromWord(const QString &word);

// The words a bank holds whatever the chip: reserved 4 (kill and access password), EPC 33
// (StoredCRC, PC and at most 31 words of EPC); nothing for TID and user memory, which only
// the tag knows.
std::optional<int> fixedBankWords(uint8_t bank);
// The EPC bank's words: StoredCRC (the tag computes it), the PC word, then the EPC.
constexpr int kCrcWord = 0;
constexpr int kPcWord = 1;
constexpr int kEpcWord = 2;
// The PC word's top five bits give the EPC's length in words.
constexpr int kPcLengthShift = 11;
// Word addresses and counts travel in 16 bits.
constexpr int kMaxWordAddress = 0xFFFF;

// The names of the values, as a window's labels or the command's options say them.
struct MemoryLabels {
    QString address = QStringLiteral("word address");
    QString words = QStringLiteral("word count");
    QString data = QStringLiteral("data");
    QString password = QStringLiteral("access password");
};

// A read of words [address, address + words) of bank; without words, to the bank's end.
void checkRead(uint8_t bank, int address, std::optional<int> words, const MemoryLabels &labels = {});
// A write of data (whole words) from address: never the TID, never the EPC bank's CRC word, no
// word past a bank of fixed size, and a PC word written at word 1 whose length covers the EPC
// words written behind it.
void checkWrite(uint8_t bank, int address, const QByteArray &data, const MemoryLabels &labels = {});

// Hex text as whole words (at least one), each digit pair checked; names label.
QByteArray wordsField(const QString &text, const QString &label);
// An access password: 4 bytes of hex.
QByteArray passwordField(const QString &text, const QString &label);

} // namespace field
