#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

// A UHF tag's four memory banks. The EPC bank is StoredCRC, PC and up to 31 words of EPC.
struct UhfTag {
    static constexpr int kReservedWords = 4;
    static constexpr int kEpcWords = 2 + 31;
    static constexpr int kTidWords = 6;
    static constexpr int kUserWords = 32;

    QByteArray reserved = QByteArray(kReservedWords * 2, '\0'); // kill and access password
    QByteArray epcBank = QByteArray(kEpcWords * 2, '\0');
    QByteArray tid = QByteArray(kTidWords * 2, '\0');
    QByteArray user = QByteArray(kUserWords * 2, '\0');

    // What a bank asks before it is written (and the reserved bank before it is read). A tag
    // whose access password is zero lets every access through a Password guard.
    enum class Guard : uint8_t {
        Password, // locked: the access password
        Open,     // unlocked: nothing
        Never,    // permalocked, or read-only memory: refused whatever the password
    };
    // By bank: reserved, EPC, TID, user.
    std::array<Guard, 4> guards{Guard::Password, Guard::Password, Guard::Never, Guard::Password};

    // Why a tag refuses an access, as the module reports it.
    enum class Refusal { None, Overrun, Locked, AccessFailed };
    // Words [address, address + words) of a bank, with the access password the module sent.
    Refusal refusesRead(int bank, int address, int words, const QByteArray &password) const;
    Refusal refusesWrite(int bank, int address, int words, const QByteArray &password) const;

    // How a faulty tag misbehaves when its EPC bank is written.
    bool epcLocked = false;       // refuses the write: the bank is locked
    bool keepsOtherValue = false; // stores the value with its last bit flipped, and says it wrote
    bool leavesOnWrite = false;   // is pulled out of the field during the write

    // A factory-fresh tag: a 12-byte EPC and a TID, both derived from its serial number.
    static UhfTag blank(uint32_t serial);
    // A tag with the given EPC (whole words; an odd last byte is padded with 00).
    static UhfTag withEpc(const QByteArray &epc, uint32_t serial);

    QByteArray pc() const { return epcBank.mid(2, 2); }
    QByteArray crc() const { return epcBank.mid(0, 2); }
    // The EPC as long as the PC word's length field says.
    QByteArray epc() const;
    QByteArray accessPassword() const { return reserved.mid(4, 4); }

    // StoredCRC over PC and EPC, as a tag computes it.
    void updateCrc();

    // The bank's bytes (0 reserved, 1 EPC, 2 TID, 3 user), or null for another bank.
    QByteArray *bank(int number);
    const QByteArray *bank(int number) const { return const_cast<UhfTag *>(this)->bank(number); }

private:
    // Whether the password sent opens what a Password guard closes.
    bool opens(const QByteArray &password) const;
    Refusal refusesRange(int bank, int address, int words) const;
};

// CRC-16 of the air interface (polynomial 0x1021, preset 0xFFFF, result inverted).
uint16_t uhfCrc16(const QByteArray &bytes);
