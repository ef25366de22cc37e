#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// The 13.56 MHz cards in the simulated HF reader's field.

// 1 KB card: 16 sectors of 4 blocks of 16 bytes; the last block of each sector holds
// key A, the access bits and key B.
struct MifareCard {
    static constexpr int kBlocks = 64;
    QByteArray uid;           // 4 bytes
    QList<QByteArray> blocks; // kBlocks x 16 bytes
    bool halted = false;

    MifareCard();
    static bool isTrailer(int block) { return block % 4 == 3; }
    QByteArray keyA(int sector) const { return blocks[sector * 4 + 3].left(6); }
    QByteArray keyB(int sector) const { return blocks[sector * 4 + 3].right(6); }
    void setKeys(int sector, const QByteArray &keyA, const QByteArray &keyB);
    // Whether the access bits of the sector's trailer hold their inverted copies. A card
    // whose trailer was written with malformed access bits never authenticates that sector
    // again.
    bool accessBitsValid(int sector) const;
};

// 16 pages of 4 bytes; pages 0-2 hold the 7-byte serial number with its check bytes,
// page 2 also the lock bytes, page 3 is one-time programmable.
struct UltralightCard {
    static constexpr int kPages = 16;
    QList<QByteArray> pages;
    bool halted = false;

    UltralightCard();
    QByteArray serial() const; // 7 bytes
    bool pageLocked(int page) const;
};

// An ISO15693 tag. The UID is kept as the air interface carries it, least significant
// byte first (the E0 byte last).
struct Iso15693Tag {
    QByteArray uid;
    uint8_t dsfid = 0x00;
    uint8_t afi = 0x00;
    bool dsfidLocked = false;
    bool afiLocked = false;
    uint8_t icReference = 0x01;
    QList<QByteArray> blocks; // 4 bytes each
    QList<bool> locked;

    static Iso15693Tag make(const QByteArray &uidMsbFirst, int blockCount);
    QByteArray uidMsbFirst() const;
};

// A type B card (answers REQB with its ATQB) and the resident identity card.
struct TypeBCard {
    QByteArray pupi = QByteArray::fromHex("41300A10");
    bool attributed = false;
    QByteArray atqb() const; // 12 bytes: 50, PUPI, application data, protocol info
};

struct IdCard {
    QByteArray idNumber = QByteArray::fromHex("0102030405060708");
    QByteArray fileId = QByteArray::fromHex("1122334455667788");
};
