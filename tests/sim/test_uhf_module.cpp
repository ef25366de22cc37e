#include "simtestutil.h"

#include "sim/uhftag.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace
{

const QString kInventory = QStringLiteral("bb 00 22 00 00 22 7e ");

// The module frame inside a pass-through reply: reply bytes 4 … n-3.
QString moduleReply(SimulatedReader &r, const QString &moduleFrame)
{
    const QString reply = exchange(r, simtest::uhfText(moduleFrame));
    return reply.size() >= 14 ? reply.mid(8, reply.size() - 12) : QString();
}

// The mask length is one byte: a longer EPC is selected on its first 31 bytes.
QString selectFrame(const QString &epc)
{
    const int n = qMin(int(epc.size() / 2), 31);
    return simtest::moduleText(0x0C, QStringLiteral("01 00000020") + hex::byteText(8 * n) + QStringLiteral("00") +
                                         epc.left(2 * n));
}

QString writeFrame(const QString &password, const QString &crc, const QString &epc)
{
    const int m = int(epc.size() / 2);
    return simtest::moduleText(0x49, password + QStringLiteral("01 0000") + hex::byteText((m + 4) / 2 >> 8) +
                                         hex::byteText((m + 4) / 2 & 0xFF) + crc + hex::byteText(4 * m) +
                                         QStringLiteral("00") + epc);
}

// What the EPC page does for one Write: inventory, select the tag found, write the new EPC.
QString writeLikeThePage(SimulatedReader &r, const QString &newEpc)
{
    const QString inv = moduleReply(r, kInventory);
    if (inv.size() <= 16)
        return inv;
    const int n = inv.mid(8, 2).toInt(nullptr, 16) - 5;
    const QString epc = inv.mid(16, 2 * n);
    const QString crc = inv.mid(inv.size() - 8, 4);
    moduleReply(r, selectFrame(epc));
    return moduleReply(r, writeFrame(QStringLiteral("00000000"), crc, newEpc));
}

TEST(UhfModule, InventoryShowsTheTagAtTheEpcPagePositions)
{
    SimulatedReader r;
    const QString inv = moduleReply(r, kInventory);
    ASSERT_EQ(inv.mid(0, 6), "BB0222");
    const int pl = inv.mid(8, 2).toInt(nullptr, 16);
    EXPECT_EQ(pl, 5 + 12);
    EXPECT_EQ(inv.mid(16, 24), r.currentEpc()); // digits 17 … 40
    EXPECT_EQ(inv.mid(12, 4), "3000");          // PC word of a 12-byte EPC
    EXPECT_EQ(inv.mid(inv.size() - 8, 4), hex::fromBytes(r.uhf().tag()->crc()));
    EXPECT_EQ(inv.right(2), "7E");

    r.uhf().takeTagAway();
    EXPECT_EQ(moduleReply(r, kInventory).size(), 16) << "an 8-byte error frame means no tag";
}

TEST(UhfModule, WriteChangesTheEpcAndTheNextInventoryShowsIt)
{
    SimulatedReader r;
    const QString reply = writeLikeThePage(r, QStringLiteral("000000000000000000000001"));
    EXPECT_EQ(reply.mid(4, 2), "49");
    EXPECT_EQ(r.currentEpc(), "000000000000000000000001");
    EXPECT_EQ(r.tagLog(), QStringList{"000000000000000000000001"});
    const QString inv = moduleReply(r, kInventory);
    EXPECT_EQ(inv.mid(16, 24), "000000000000000000000001");
    // The tag computes its CRC anew over PC 3000 and the new EPC; the one written with the old
    // EPC is not kept.
    EXPECT_EQ(hex::fromBytes(r.uhf().tag()->crc()), "1D8C");
}

// The air interface's CRC-16 (polynomial 0x1021, preset 0xFFFF, ones' complement out) against
// values worked out apart from the simulator: the published check value of "123456789" for
// this CRC, and tags' StoredCRC over PC and EPC computed bit by bit.
TEST(UhfCrc16, GivesThePublishedCheckValueAndKnownStoredCrcs)
{
    const struct {
        QByteArray bytes;
        uint16_t crc;
    } cases[] = {
        {"123456789", 0xD64E},
        {{}, 0x0000}, // the preset, complemented
        {QByteArray::fromHex("00"), 0x1E0F},
        {QByteArray::fromHex("FF"), 0x00FF},
        {QByteArray::fromHex("3000E20000000000000000000001"), 0x0227},
        {QByteArray::fromHex("3000000000000000000000000001"), 0x1D8C},
        {QByteArray::fromHex("30003074257BF7194E4000001A85"), 0xAAF9}, // sgtin-96 3.0614141.812345.6789
    };
    for (const auto &c : cases)
        EXPECT_EQ(uhfCrc16(c.bytes), c.crc) << c.bytes.toHex().toStdString();
}

TEST(UhfModule, EpcsOfEveryWordCountAreWrittenAndShown)
{
    SimulatedReader r;
    for (const int bytes : {2, 8, 12, 16, 32, 62}) {
        QString epc;
        for (int i = 0; i < bytes; ++i)
            epc += hex::byteText((i * 37 + bytes) & 0xFF);
        const QString reply = writeLikeThePage(r, epc);
        ASSERT_EQ(reply.mid(4, 2), "49") << bytes;
        EXPECT_EQ(r.currentEpc(), epc) << bytes;
        const QString inv = moduleReply(r, kInventory);
        EXPECT_EQ(inv.mid(8, 2).toInt(nullptr, 16), bytes + 5) << bytes;
        EXPECT_EQ(inv.mid(12, 4), hex::byteText(4 * bytes) + "00") << "PC word, " << bytes;
        EXPECT_EQ(inv.mid(16, 2 * bytes), epc) << bytes;
        const QByteArray id = hex::toBytes(hex::byteText(4 * bytes) + "00" + epc);
        EXPECT_EQ(inv.mid(inv.size() - 8, 4), hex::byteText(uhfCrc16(id) >> 8) + hex::byteText(uhfCrc16(id) & 0xFF))
            << bytes;
    }
    EXPECT_EQ(r.tagLog().size(), 6);
}

TEST(UhfModule, QueuedBlankTagsReplaceEachWrittenTag)
{
    SimulatedReader r;
    r.uhf().queueBlankTags(2);
    QStringList blanks;
    for (int i = 1; i <= 4; ++i) {
        blanks << r.currentEpc();
        writeLikeThePage(r, QStringLiteral("0000000000000000000000") + hex::byteText(i));
    }
    EXPECT_EQ(r.tagLog(), QStringList({"000000000000000000000001", "000000000000000000000002",
                                       "000000000000000000000003", "000000000000000000000004"}));
    EXPECT_NE(blanks[0], blanks[1]);
    EXPECT_NE(blanks[1], blanks[2]);
    EXPECT_EQ(blanks[3], "000000000000000000000003") << "with the queue empty the last tag stays";
    EXPECT_EQ(r.uhf().queuedBlankTags(), 0);
}

TEST(UhfModule, RefusesWritesItCannotCarryOut)
{
    struct Case {
        const char *name;
        std::function<void(SimulatedReader &)> arrange;
        QString frame;
        QString errorCode; // module byte 5 of the error frame
    };
    const QString epc = QStringLiteral("111111111111111111111111");
    const Case cases[] = {
        {"no tag in the field", [](SimulatedReader &r) { r.uhf().takeTagAway(); }, writeFrame("00000000", "0000", epc),
         "10"},
        {"selected another tag", [](SimulatedReader &r) { moduleReply(r, selectFrame("AABBCCDDEEFF001122334455")); },
         writeFrame("00000000", "0000", epc), "10"},
        {"wrong access password",
         [](SimulatedReader &r) {
             UhfTag t = *r.uhf().tag();
             t.reserved = hex::toBytes("0000000012345678");
             r.uhf().setTag(t);
         },
         writeFrame("00000000", "0000", epc), "16"},
        {"past the end of the EPC bank", {}, simtest::moduleText(0x49, "00000000 01 0020 0002 11112222"), "A3"},
        {"TID is read-only", {}, simtest::moduleText(0x49, "00000000 02 0000 0001 1111"), "A4"},
        {"word count and data disagree", {}, simtest::moduleText(0x49, "00000000 01 0002 0002 1111"), "17"},
        {"bad checksum", {}, QStringLiteral("BB 00 22 00 00 23 7E"), "17"},
        {"unknown module command", {}, simtest::moduleText(0x77, ""), "17"},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        if (c.arrange)
            c.arrange(r);
        const QString before = r.currentEpc();
        const QString reply = moduleReply(r, c.frame);
        EXPECT_EQ(reply.mid(4, 2), "FF") << c.name;
        EXPECT_EQ(reply.mid(10, 2), c.errorCode) << c.name;
        EXPECT_EQ(r.currentEpc(), before) << c.name;
        EXPECT_TRUE(r.tagLog().isEmpty()) << c.name;
    }
}

TEST(UhfModule, ReadReturnsTheEpcBank)
{
    SimulatedReader r;
    const QString epc = r.currentEpc();
    moduleReply(r, selectFrame(epc));
    const QString reply = moduleReply(r, QStringLiteral("BB 00 39 00 09 00 00 00 00 01 00 00 00 08 4B 7E"));
    ASSERT_EQ(reply.mid(4, 2), "39");
    // UL, PC + EPC, then 8 words from address 0: CRC, PC, 6 words of EPC.
    const QString data = reply.mid(10 + 2 + 28, 32);
    EXPECT_EQ(data, hex::fromBytes(r.uhf().tag()->crc()) + "3000" + epc);
}

TEST(UhfModule, PassThroughWithoutAModuleFrameTimesOut)
{
    SimulatedReader r;
    EXPECT_EQ(command(r, QStringLiteral("CE 01 02 03")), fail("82"));
    EXPECT_EQ(command(r, QStringLiteral("CE")), fail("82"));
}

} // namespace
