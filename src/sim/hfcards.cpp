#include "sim/hfcards.h"

#include <algorithm>

MifareCard::MifareCard() : uid(QByteArray::fromHex("A1B2C3D4"))
{
    const QByteArray transportKey(6, char(0xFF));
    const QByteArray accessBits = QByteArray::fromHex("FF078069");
    for (int b = 0; b < kBlocks; ++b)
        blocks.append(isTrailer(b) ? transportKey + accessBits + transportKey : QByteArray(16, '\0'));
    // Block 0: UID, BCC, SAK, ATQA and the maker's bytes.
    char bcc = 0;
    for (const char c : uid)
        bcc ^= c;
    blocks[0] = uid + QByteArray(1, bcc) + QByteArray::fromHex("080400") + QByteArray::fromHex("62636465666768696A");
}

void MifareCard::setKeys(int sector, const QByteArray &a, const QByteArray &b)
{
    QByteArray &t = blocks[sector * 4 + 3];
    t.replace(0, 6, a.left(6).leftJustified(6, '\0'));
    t.replace(10, 6, b.left(6).leftJustified(6, '\0'));
}

bool MifareCard::accessBitsValid(int sector) const
{
    const QByteArray &t = blocks[sector * 4 + 3];
    const uint8_t b6 = uint8_t(t[6]), b7 = uint8_t(t[7]), b8 = uint8_t(t[8]);
    // Byte 6: ~C2 | ~C1, byte 7: C1 | ~C3, byte 8: C3 | C2 (high nibble first).
    return (b7 >> 4) == (~b6 & 0x0F) && (b8 & 0x0F) == ((~b6 >> 4) & 0x0F) && (b8 >> 4) == (~b7 & 0x0F);
}

UltralightCard::UltralightCard()
{
    const QByteArray sn = QByteArray::fromHex("04A1B2C3D4E5F6");
    // BCC0 = 0x88 ^ SN0 ^ SN1 ^ SN2, BCC1 = SN3 ^ SN4 ^ SN5 ^ SN6.
    const char bcc0 = char(0x88 ^ sn[0] ^ sn[1] ^ sn[2]);
    const char bcc1 = char(sn[3] ^ sn[4] ^ sn[5] ^ sn[6]);
    pages.append(sn.left(3) + QByteArray(1, bcc0));
    pages.append(sn.mid(3, 4));
    pages.append(QByteArray(1, bcc1) + QByteArray::fromHex("480000"));
    pages.append(QByteArray(4, '\0'));
    for (int p = 4; p < kPages; ++p)
        pages.append(QByteArray(4, '\0'));
}

QByteArray UltralightCard::serial() const
{
    return pages[0].left(3) + pages[1];
}

bool UltralightCard::pageLocked(int page) const
{
    const uint8_t lock0 = uint8_t(pages[2][2]);
    const uint8_t lock1 = uint8_t(pages[2][3]);
    if (page == 3)
        return lock0 & 0x08;
    if (page >= 4 && page <= 7)
        return lock0 & (0x10 << (page - 4));
    if (page >= 8 && page <= 15)
        return lock1 & (0x01 << (page - 8));
    return false;
}

Iso15693Tag Iso15693Tag::make(const QByteArray &uidMsbFirst, int blockCount)
{
    Iso15693Tag t;
    t.uid = uidMsbFirst;
    std::reverse(t.uid.begin(), t.uid.end());
    for (int i = 0; i < blockCount; ++i) {
        t.blocks.append(QByteArray(4, '\0'));
        t.locked.append(false);
    }
    return t;
}

QByteArray Iso15693Tag::uidMsbFirst() const
{
    QByteArray u = uid;
    std::reverse(u.begin(), u.end());
    return u;
}

QByteArray TypeBCard::atqb() const
{
    return QByteArray(1, char(0x50)) + pupi + QByteArray::fromHex("00000000") + QByteArray::fromHex("008171");
}
