#include "sim/uhftag.h"

uint16_t uhfCrc16(const QByteArray &bytes)
{
    uint16_t crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= uint16_t(uint8_t(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    return uint16_t(~crc);
}

static QByteArray serialBytes(uint32_t serial)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(serial >> (8 * (3 - i)));
    return b;
}

UhfTag UhfTag::withEpc(const QByteArray &epc, uint32_t serial)
{
    UhfTag tag;
    QByteArray words = epc.left(2 * (kEpcWords - 2));
    if (words.size() % 2)
        words.append('\0');
    const int lengthWords = int(words.size() / 2);
    tag.epcBank[2] = char(lengthWords << 3);
    tag.epcBank[3] = 0;
    tag.epcBank.replace(4, words.size(), words);
    tag.updateCrc();
    // A TID as a chip maker writes it: class E2, maker and model, then a serial number.
    tag.tid = QByteArray::fromHex("E28011052000") + QByteArray(2, '\0') + serialBytes(serial);
    return tag;
}

UhfTag UhfTag::blank(uint32_t serial)
{
    return withEpc(QByteArray::fromHex("E20000000000000000") + serialBytes(serial).mid(1), serial);
}

QByteArray UhfTag::epc() const
{
    const int words = (uint8_t(epcBank[2]) >> 3) & 0x1F;
    return epcBank.mid(4, 2 * words);
}

void UhfTag::updateCrc()
{
    const uint16_t crc = uhfCrc16(pc() + epc());
    epcBank[0] = char(crc >> 8);
    epcBank[1] = char(crc & 0xFF);
}

QByteArray *UhfTag::bank(int number)
{
    switch (number) {
    case 0:
        return &reserved;
    case 1:
        return &epcBank;
    case 2:
        return &tid;
    case 3:
        return &user;
    default:
        return nullptr;
    }
}

bool UhfTag::opens(const QByteArray &password) const
{
    const QByteArray own = accessPassword();
    return own == QByteArray(4, '\0') || password == own;
}

UhfTag::Refusal UhfTag::refusesRange(int number, int address, int words) const
{
    const QByteArray *memory = bank(number);
    if (!memory || words <= 0 || (address + words) * 2 > memory->size())
        return Refusal::Overrun;
    return Refusal::None;
}

UhfTag::Refusal UhfTag::refusesRead(int number, int address, int words, const QByteArray &password) const
{
    // A password sent is tried first: a wrong one fails the access whatever it was for.
    if (password != QByteArray(4, '\0') && !opens(password))
        return Refusal::AccessFailed;
    if (const Refusal r = refusesRange(number, address, words); r != Refusal::None)
        return r;
    if (number != 0) // locks guard the other banks against writes only
        return Refusal::None;
    if (guards[0] == Guard::Never)
        return Refusal::Locked;
    return guards[0] == Guard::Password && !opens(password) ? Refusal::AccessFailed : Refusal::None;
}

UhfTag::Refusal UhfTag::refusesWrite(int number, int address, int words, const QByteArray &password) const
{
    if (password != QByteArray(4, '\0') && !opens(password))
        return Refusal::AccessFailed;
    if (const Refusal r = refusesRange(number, address, words); r != Refusal::None)
        return r;
    const Guard guard = guards[size_t(number)];
    if (guard == Guard::Never || number == 2 || (number == 1 && epcLocked))
        return Refusal::Locked;
    return guard == Guard::Password && !opens(password) ? Refusal::AccessFailed : Refusal::None;
}
