#include "sim/hfreader.h"

#include <QtEndian>

using namespace simcode;

namespace
{

int byteAt(const QByteArray &b, int i)
{
    return uint8_t(b[i]);
}

// A value block: value, its complement, the value again, then the address byte pattern.
QByteArray valueBlock(int32_t value, uint8_t addr)
{
    QByteArray v(4, '\0');
    qToLittleEndian(value, v.data());
    QByteArray inv = v;
    for (char &c : inv)
        c = char(~c);
    return v + inv + v + QByteArray(1, char(addr)) + QByteArray(1, char(~addr)) + QByteArray(1, char(addr)) +
           QByteArray(1, char(~addr));
}

bool readValue(const QByteArray &block, int32_t &value)
{
    const QByteArray v = block.left(4);
    QByteArray inv = block.mid(4, 4);
    for (char &c : inv)
        c = char(~c);
    if (v != inv || v != block.mid(8, 4))
        return false;
    value = qFromLittleEndian<int32_t>(v.constData());
    return true;
}

} // namespace

HfReader::HfReader()
{
    iso15693.append(Iso15693Tag::make(QByteArray::fromHex("E004010012345678"), 28));
    iso15693.append(Iso15693Tag::make(QByteArray::fromHex("E007000011223344"), 64));
    iso15693[1].icReference = 0x02;
}

SimAnswer HfReader::answer(const SimCommand &c)
{
    switch (c.code) {
    case 0x80:
    case 0x81:
    case 0x82:
    case 0x83:
    case 0x87:
    case 0x88:
    case 0x89:
    case 0x0F:
        return system(c);
    case 0x20:
    case 0x21:
        return mifareBlocks(c);
    case 0x22:
    case 0x23:
    case 0x24:
        return mifareValue(c);
    case 0x25:
        return mifareCardNumber(c);
    case 0x06:
        return c.data.isEmpty() ? halt() : SimAnswer::fail(kBadLength);
    case 0xE0:
    case 0xE1:
    case 0xE3:
        return ultralightCommand(c);
    case 0x09:
    case 0x0B:
    case 0x0D:
        return typeBCommand(c);
    case 0x26:
    case 0x27:
        return idCardCommand(c);
    case 0x10:
        return iso15693Inventory(c);
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x15:
    case 0x17:
    case 0x18:
    case 0x19:
    case 0x1A:
    case 0x1B:
    case 0x1C:
        return iso15693Command(c);
    default:
        return SimAnswer::fail(kUnknownCommand);
    }
}

SimAnswer HfReader::system(const SimCommand &c)
{
    const QByteArray &d = c.data;
    switch (c.code) {
    case 0x80:
        if (d.size() != 1)
            return SimAnswer::fail(kBadLength);
        address = uint8_t(d[0]);
        return SimAnswer::ok();
    case 0x81:
        if (d.size() != 1)
            return SimAnswer::fail(kBadLength);
        if (byteAt(d, 0) > 0x04)
            return SimAnswer::fail(kOverflow);
        baudCode = uint8_t(d[0]);
        return SimAnswer::ok();
    case 0x82:
        if (d.size() != 8)
            return SimAnswer::fail(kBadLength);
        serialNumber = d;
        return SimAnswer::ok();
    case 0x83:
        return d.isEmpty() ? SimAnswer::ok(QByteArray(1, char(address)) + serialNumber) : SimAnswer::fail(kBadLength);
    case 0x0F:
        if (d.size() != 1)
            return SimAnswer::fail(kBadLength);
        if (d[0] != 0x01 && d[0] != 0x02)
            return SimAnswer::fail(kOverflow);
        readingMode = uint8_t(d[0]);
        return SimAnswer::ok();
    default: // 0x87, 0x88, 0x89: period and count
        if (d.size() != 2)
            return SimAnswer::fail(kBadLength);
        (c.code == 0x87 ? ledR : c.code == 0x88 ? led : buzzer) = d;
        return SimAnswer::ok();
    }
}

bool HfReader::wakeMifare(bool all)
{
    if (!cardsPresent || (mifare.halted && !all))
        return false;
    mifare.halted = false;
    return true;
}

bool HfReader::wakeUltralight(bool all)
{
    if (!cardsPresent || (ultralight.halted && !all))
        return false;
    ultralight.halted = false;
    return true;
}

SimAnswer HfReader::mifareBlocks(const SimCommand &c)
{
    // mode, number of blocks, start block, key (6) [, data]
    const QByteArray &d = c.data;
    if (d.size() < 9)
        return SimAnswer::fail(kBadLength);
    const int mode = byteAt(d, 0);
    const int count = byteAt(d, 1);
    const int start = byteAt(d, 2);
    const QByteArray key = d.mid(3, 6);
    const bool write = c.code == 0x21;
    if (mode > 3)
        return SimAnswer::fail(kOverflow);
    if (write ? d.size() != 9 + 16 * count : d.size() != 9)
        return SimAnswer::fail(kBadLength);
    if (count < 1 || count > 4)
        return SimAnswer::fail(kOverflow);
    if (start + count > MifareCard::kBlocks)
        return SimAnswer::fail(kNoSuchBlock);
    if (!wakeMifare(mode & 1))
        return SimAnswer::fail(kNoCard);
    const bool useKeyB = mode & 2;
    for (int b = start; b < start + count; ++b) {
        const int sector = b / 4;
        if (!mifare.accessBitsValid(sector) || key != (useKeyB ? mifare.keyB(sector) : mifare.keyA(sector)))
            return SimAnswer::fail(kKeyRefused);
    }
    if (write) {
        if (start == 0)
            return SimAnswer::fail(kWriteFailed); // the maker's block is read-only
        for (int i = 0; i < count; ++i)
            mifare.blocks[start + i] = d.mid(9 + 16 * i, 16);
        return SimAnswer::ok(mifare.uid);
    }
    QByteArray data = mifare.uid;
    for (int b = start; b < start + count; ++b) {
        QByteArray block = mifare.blocks[b];
        if (MifareCard::isTrailer(b))
            block.replace(0, 6, QByteArray(6, '\0')); // key A never reads back
        data += block;
    }
    return SimAnswer::ok(data);
}

SimAnswer HfReader::mifareValue(const SimCommand &c)
{
    // mode, sector, key (6), value (4, least significant byte first)
    const QByteArray &d = c.data;
    if (d.size() != 12)
        return SimAnswer::fail(kBadLength);
    const int mode = byteAt(d, 0);
    const int sector = byteAt(d, 1);
    if (mode > 3)
        return SimAnswer::fail(kOverflow);
    if (sector >= MifareCard::kBlocks / 4)
        return SimAnswer::fail(kNoSuchBlock);
    if (!wakeMifare(mode & 1))
        return SimAnswer::fail(kNoCard);
    const QByteArray key = d.mid(2, 6);
    if (!mifare.accessBitsValid(sector) || key != ((mode & 2) ? mifare.keyB(sector) : mifare.keyA(sector)))
        return SimAnswer::fail(kKeyRefused);
    // The sector's first data block holds the value (block 1 in sector 0, after the maker's block).
    const int block = sector == 0 ? 1 : sector * 4;
    const int32_t amount = qFromLittleEndian<int32_t>(d.constData() + 8);
    if (c.code == 0x22) {
        mifare.blocks[block] = valueBlock(amount, uint8_t(block));
        return SimAnswer::ok(mifare.uid);
    }
    int32_t value = 0;
    if (!readValue(mifare.blocks[block], value))
        return SimAnswer::fail(kBadValueBlock);
    const int64_t result = c.code == 0x24 ? int64_t(value) + amount : int64_t(value) - amount;
    if (result > INT32_MAX || result < INT32_MIN)
        return SimAnswer::fail(kOverflow);
    mifare.blocks[block] = valueBlock(int32_t(result), uint8_t(block));
    return SimAnswer::ok(mifare.uid + mifare.blocks[block].left(4));
}

SimAnswer HfReader::mifareCardNumber(const SimCommand &c)
{
    // request (26 idle, 52 all), halt afterwards (00 / 01)
    const QByteArray &d = c.data;
    if (d.size() != 2)
        return SimAnswer::fail(kBadLength);
    if ((byteAt(d, 0) != 0x26 && byteAt(d, 0) != 0x52) || byteAt(d, 1) > 1)
        return SimAnswer::fail(kOverflow);
    if (!wakeMifare(byteAt(d, 0) == 0x52))
        return SimAnswer::fail(kNoCard);
    if (d[1] == 0x01)
        mifare.halted = true;
    return SimAnswer::ok(QByteArray(1, '\0') + mifare.uid); // 00: one card in the field
}

SimAnswer HfReader::halt()
{
    if (!cardsPresent)
        return SimAnswer::fail(kNoCard);
    mifare.halted = true;
    ultralight.halted = true;
    return SimAnswer::ok();
}

SimAnswer HfReader::ultralightCommand(const SimCommand &c)
{
    const QByteArray &d = c.data;
    const int expected = c.code == 0xE3 ? 1 : c.code == 0xE0 ? 2 : 7;
    if (d.size() != expected || (c.code == 0xE1 && d[1] != 0x01))
        return SimAnswer::fail(kBadLength);
    if (byteAt(d, 0) > 1)
        return SimAnswer::fail(kOverflow);
    const int page = c.code == 0xE0 ? byteAt(d, 1) : c.code == 0xE1 ? byteAt(d, 2) : 0;
    if (page >= UltralightCard::kPages)
        return SimAnswer::fail(kNoSuchBlock);
    if (!wakeUltralight(d[0] == 0x01))
        return SimAnswer::fail(kNoCard);
    if (c.code == 0xE3)
        return SimAnswer::ok(ultralight.serial());
    if (c.code == 0xE0) {
        QByteArray data;
        for (int i = 0; i < 4; ++i) // reading past the last page wraps to page 0
            data += ultralight.pages[(page + i) % UltralightCard::kPages];
        return SimAnswer::ok(data + ultralight.serial());
    }
    const QByteArray value = d.mid(3, 4);
    if (page < 2)
        return SimAnswer::fail(kWriteFailed);
    if (ultralight.pageLocked(page))
        return SimAnswer::fail(kLocked);
    QByteArray &p = ultralight.pages[page];
    if (page == 2) { // only the lock bits, and they only ever get set
        p[2] = char(p[2] | value[2]);
        p[3] = char(p[3] | value[3]);
    } else if (page == 3) { // one-time programmable: bits only get set
        for (int i = 0; i < 4; ++i)
            p[i] = char(p[i] | value[i]);
    } else {
        p = value;
    }
    return SimAnswer::ok(ultralight.serial());
}

SimAnswer HfReader::typeBCommand(const SimCommand &c)
{
    const QByteArray &d = c.data;
    if (!cardsPresent)
        return SimAnswer::fail(kNoCard);
    if (c.code == 0x09) {
        if (!d.isEmpty())
            return SimAnswer::fail(kBadLength);
        typeB.attributed = false;
        const QByteArray atqb = typeB.atqb();
        return SimAnswer::ok(QByteArray(1, char(atqb.size())) + atqb);
    }
    if (c.code == 0x0B) {
        if (d.size() < 4)
            return SimAnswer::fail(kBadLength);
        if (d.left(4) != typeB.pupi)
            return SimAnswer::fail(kNoCard); // no card with that identifier answers
        typeB.attributed = true;
        return SimAnswer::ok();
    }
    // 0x0D: n, then n bytes for the card
    if (d.isEmpty() || byteAt(d, 0) == 0 || d.size() != 1 + byteAt(d, 0))
        return SimAnswer::fail(kBadFrame);
    const QByteArray apdu = d.mid(1);
    if (uint8_t(apdu[0]) == 0x05) // REQB
        return SimAnswer::ok(typeB.atqb());
    if (!typeB.attributed)
        return SimAnswer::fail(kNoCard);
    if (apdu.startsWith(QByteArray::fromHex("00840000")) && apdu.size() == 5) {
        QByteArray challenge;
        for (int i = 0; i < byteAt(apdu, 4); ++i)
            challenge.append(char(0x11 * (i + 1)));
        return SimAnswer::ok(challenge + QByteArray::fromHex("9000"));
    }
    return SimAnswer::ok(QByteArray::fromHex("6D00")); // instruction not supported
}

SimAnswer HfReader::idCardCommand(const SimCommand &c)
{
    if (!c.data.isEmpty())
        return SimAnswer::fail(kBadLength);
    if (!cardsPresent)
        return SimAnswer::fail(kNoCard);
    const QByteArray &value = c.code == 0x26 ? idCard.idNumber : idCard.fileId;
    return SimAnswer::ok(QByteArray(1, char(value.size())) + value);
}

SimAnswer HfReader::iso15693Inventory(const SimCommand &c)
{
    if (c.data.isEmpty() || !(byteAt(c.data, 0) & 0x04))
        return SimAnswer::fail(kBadLength);
    if (!cardsPresent || iso15693.isEmpty())
        return SimAnswer::fail(kNoCard);
    QByteArray data(1, char(0));
    int n = 0;
    for (const Iso15693Tag &t : std::as_const(iso15693)) {
        if (data.size() + 10 > kMaxReplyData)
            break;
        data += QByteArray(1, '\0') + QByteArray(1, char(t.dsfid)) + t.uid;
        ++n;
    }
    data[0] = char(n);
    return SimAnswer::ok(data);
}

SimAnswer HfReader::iso15693Command(const SimCommand &c)
{
    const QByteArray &d = c.data;
    if (d.isEmpty())
        return SimAnswer::fail(kBadLength);
    const int flag = byteAt(d, 0);
    const bool addressed = flag & 0x20;
    const bool option = flag & 0x40;
    if (addressed && (flag & 0x10))
        return SimAnswer::fail(kBadLength);

    // Fixed bytes after the flag, before the UID.
    int fixed = 0;
    switch (c.code) {
    case 0x11:
    case 0x12:
    case 0x1C:
        fixed = 2;
        break;
    case 0x13:
    case 0x17:
    case 0x19:
        fixed = 1;
        break;
    default:
        break;
    }
    const bool hasUid = c.code == 0x15 || (addressed && c.code != 0x13);
    const int head = 1 + fixed + (hasUid ? 8 : 0);
    if (d.size() < head)
        return SimAnswer::fail(kBadLength);
    if (c.code != 0x12 && d.size() != head)
        return SimAnswer::fail(kBadLength);
    if (c.code == 0x13 && addressed)
        return SimAnswer::fail(kBadLength); // an addressed lock needs the UID it lacks

    if (!cardsPresent || iso15693.isEmpty())
        return SimAnswer::fail(kNoCard);
    int target = -1;
    if (hasUid) {
        // The UID is taken in either byte order: as the air interface carries it, or as
        // the inventory shows it (E0 first).
        const QByteArray uid = d.mid(1 + fixed, 8);
        for (int i = 0; i < iso15693.size(); ++i)
            if (iso15693[i].uid == uid || iso15693[i].uidMsbFirst() == uid)
                target = i;
        if (target < 0)
            return SimAnswer::fail(kNoCard);
    } else if (flag & 0x10) {
        target = selected15693;
        if (target < 0 || target >= iso15693.size())
            return SimAnswer::fail(kNoCard);
    } else {
        target = 0; // the tag nearest the antenna answers
    }
    Iso15693Tag &t = iso15693[target];
    const QByteArray flagsOk(1, '\0');

    if (c.code == 0x11 || c.code == 0x12 || c.code == 0x1C) {
        const int first = byteAt(d, 1);
        const int count = byteAt(d, 2);
        if (count < 1)
            return SimAnswer::fail(kOverflow);
        if (first + count > t.blocks.size())
            return SimAnswer::fail(kNoSuchBlock);
        if (c.code == 0x12) {
            if (d.size() != head + 4 * count)
                return SimAnswer::fail(kBadLength);
            for (int b = first; b < first + count; ++b)
                if (t.locked[b])
                    return SimAnswer::fail(kLocked);
            for (int i = 0; i < count; ++i)
                t.blocks[first + i] = d.mid(head + 4 * i, 4);
            return SimAnswer::ok();
        }
        QByteArray data = flagsOk;
        for (int b = first; b < first + count; ++b) {
            if (c.code == 0x1C || option)
                data.append(char(t.locked[b] ? 0x01 : 0x00));
            if (c.code == 0x11)
                data += t.blocks[b];
        }
        if (data.size() > kMaxReplyData)
            return SimAnswer::fail(kOverflow);
        return SimAnswer::ok(data);
    }

    switch (c.code) {
    case 0x13: {
        const int block = byteAt(d, 1);
        if (block >= t.blocks.size())
            return SimAnswer::fail(kNoSuchBlock);
        if (t.locked[block])
            return SimAnswer::fail(kLockFailed);
        t.locked[block] = true;
        return SimAnswer::ok();
    }
    case 0x15:
        selected15693 = target;
        return SimAnswer::ok();
    case 0x17:
    case 0x19: {
        bool &locked = c.code == 0x17 ? t.afiLocked : t.dsfidLocked;
        if (locked)
            return SimAnswer::fail(kLocked);
        (c.code == 0x17 ? t.afi : t.dsfid) = uint8_t(d[1]);
        return SimAnswer::ok();
    }
    case 0x18:
    case 0x1A: {
        bool &locked = c.code == 0x18 ? t.afiLocked : t.dsfidLocked;
        if (locked)
            return SimAnswer::fail(kLockFailed);
        locked = true;
        return SimAnswer::ok();
    }
    default: { // 0x1B system information, every optional field present
        QByteArray data = flagsOk;
        data.append(char(0x0F));
        data += t.uid;
        data.append(char(t.dsfid));
        data.append(char(t.afi));
        data.append(char(t.blocks.size() - 1));
        data.append(char(0x03));
        data.append(char(t.icReference));
        return SimAnswer::ok(data);
    }
    }
}
