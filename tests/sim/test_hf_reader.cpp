#include "simtestutil.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace
{

const QString kKey = QStringLiteral("FF FF FF FF FF FF");
const QString kUid = QStringLiteral("A1B2C3D4");
const QString kUlSerial = QStringLiteral("04A1B2C3D4E5F6");
const QString kIsoUid = QStringLiteral("E004010012345678"); // as the inventory shows it
const QString kIsoUidWire = QStringLiteral("78563412000104E0");
const QString kTrailer = QStringLiteral("000000000000 FF078069 FFFFFFFFFFFF"); // key A never reads back

struct Step {
    const char *body;
    QString expected;
};

// Runs the steps in order against one HF reader, so later steps see earlier effects.
void run(const char *name, std::initializer_list<Step> steps, SimulatedReader *reader = nullptr)
{
    SimulatedReader own(SimulatedReader::Personality::Hf);
    SimulatedReader &r = reader ? *reader : own;
    int i = 0;
    for (const Step &s : steps) {
        EXPECT_EQ(command(r, QString::fromLatin1(s.body)), s.expected) << name << ", step " << i << ": " << s.body;
        ++i;
    }
}

TEST(HfReader, SystemCommands)
{
    run("read address and serial", {{"83", ok("00 2024000000000001")}});
    run("set address, reply carries it", {{"80 1F", ok()}, {"83", reply("00", "1F 2024000000000001", "1F")}});
    run("set serial number", {{"82 0102030405060708", ok()}, {"83", ok("00 0102030405060708")}});
    run("serial number of seven bytes", {{"82 01020304050607", fail("91")}});
    run("baud rate", {{"81 04", ok()}, {"81 05", fail("10")}, {"81", fail("91")}});
    run("LED, LED-R, buzzer", {{"88 16 03", ok()}, {"87 16 03", ok()}, {"89 16 03", ok()}, {"89 16", fail("91")}});
    run("active and passive", {{"0F 01", ok()}, {"0F 02", ok()}, {"0F 03", fail("10")}});
    run("keyboard-only command", {{"C0", fail("8F")}, {"CE BB 00 22 00 00 22 7E", fail("8F")}});
}

TEST(HfReader, MifareBlocksKeysAndValues)
{
    const QString zeros16 = QStringLiteral("00").repeated(16);
    const QString data = QStringLiteral("00112233445566778899AABBCCDDEEFF");
    run("read 4 blocks from 10 with key A",
        {{"20 00 04 10 FF FF FF FF FF FF", ok(kUid + zeros16 + zeros16 + zeros16 + kTrailer)}});
    run("read with key B and All", {{"20 03 01 10 FF FF FF FF FF FF", ok(kUid + zeros16)}});
    run("wrong key", {{"20 00 01 10 3C 719E05D84B", fail("8C")}});
    run("past the last block", {{"20 00 04 3E FFFFFFFFFFFF", fail("93")}});
    run("five blocks", {{"20 00 05 10 FFFFFFFFFFFF", fail("10")}});
    run("key of five bytes", {{"20 00 01 10 FFFFFFFFFF", fail("91")}});
    run("write then read", {{QString("21 00 01 10 FFFFFFFFFFFF " + data).toLatin1().constData(), ok(kUid)},
                            {"20 00 01 10 FFFFFFFFFFFF", ok(kUid + data)}});
    run("write data shorter than the blocks", {{"21 00 02 10 FFFFFFFFFFFF 00112233", fail("91")}});
    run("maker's block is read-only",
        {{QString("21 00 01 00 FFFFFFFFFFFF " + data).toLatin1().constData(), fail("96")}});
    run("value: init, increment, decrement", {{"22 00 01 FFFFFFFFFFFF 00880000", ok(kUid)},
                                              {"24 00 01 FFFFFFFFFFFF 00200000", ok(kUid + "00A80000")},
                                              {"23 00 01 FFFFFFFFFFFF 00A00000", ok(kUid + "00080000")}});
    run("increment without a value block", {{"24 00 02 FFFFFFFFFFFF 01000000", fail("8A")}});
    run("value overflow",
        {{"22 00 01 FFFFFFFFFFFF FFFFFF7F", ok(kUid)}, {"24 00 01 FFFFFFFFFFFF 01000000", fail("10")}});
    run("sector 16", {{"22 00 10 FFFFFFFFFFFF 00000000", fail("93")}});
    run("card number, halt, wake with All", {{"25 26 00", ok("00" + kUid)},
                                             {"06", ok()},
                                             {"25 26 00", fail("83")},
                                             {"20 00 01 10 FFFFFFFFFFFF", fail("83")},
                                             {"25 52 01", ok("00" + kUid)},
                                             {"25 26 00", fail("83")},
                                             {"20 01 01 10 FFFFFFFFFFFF", ok(kUid + zeros16)},
                                             {"25 26 00", ok("00" + kUid)}});
}

TEST(HfReader, KeysArePerSector)
{
    SimulatedReader r(SimulatedReader::Personality::Hf);
    r.hf().mifare.setKeys(4, hex::toBytes("3C719E05D84B"), hex::toBytes("6AE217C0598F"));
    run("sector 4 with its own keys",
        {{"20 00 01 10 FFFFFFFFFFFF", fail("8C")},
         {"20 00 01 10 3C719E05D84B", ok(kUid + QStringLiteral("00").repeated(16))},
         {"20 02 01 10 6AE217C0598F", ok(kUid + QStringLiteral("00").repeated(16))},
         {"20 02 01 10 3C719E05D84B", fail("8C")},
         {"20 00 01 14 FFFFFFFFFFFF", ok(kUid + QStringLiteral("00").repeated(16))},
         {"20 00 02 13 3C719E05D84B", fail("8C")}},
        &r);
}

TEST(HfReader, Ultralight)
{
    run("serial number", {{"E3 00", ok(kUlSerial)}, {"E3 02", fail("10")}});
    run("write a page, read it back", {{"E1 00 01 04 11223344", ok(kUlSerial)},
                                       {"E0 00 04", ok("11223344" + QStringLiteral("00").repeated(12) + kUlSerial)}});
    run("reading the last page wraps to page 0",
        {{"E0 00 0F", ok("00000000 04A1B2" + hex::byteText(0x88 ^ 0x04 ^ 0xA1 ^ 0xB2) + "C3D4E5F6 " +
                         hex::byteText(0xC3 ^ 0xD4 ^ 0xE5 ^ 0xF6) + "480000" + kUlSerial)}});
    run("serial pages are read-only", {{"E1 00 01 01 11223344", fail("96")}});
    run("page 16", {{"E0 00 10", fail("93")}, {"E1 00 01 10 11223344", fail("93")}});
    run("constant byte not 01", {{"E1 00 02 04 11223344", fail("91")}});
    run("locked page", {{"E1 00 01 02 000010 00", ok(kUlSerial)},
                        {"E1 00 01 04 11223344", fail("94")},
                        {"E1 00 01 05 11223344", ok(kUlSerial)}});
    run("halt, then Idle fails and All wakes", {{"06", ok()}, {"E3 00", fail("83")}, {"E3 01", ok(kUlSerial)}});
}

TEST(HfReader, TypeBAndIdCard)
{
    const QString atqb = QStringLiteral("50 41300A10 00000000 008171");
    run("request", {{"09", ok("0C" + atqb)}});
    run("attrib with the card's identifier", {{"0B 41 30 0A 10", ok()}, {"0D 05 0084000004", ok("11223344 9000")}});
    run("attrib with another identifier", {{"0B 01 02 03 04", fail("83")}});
    run("send data before attrib", {{"0D 05 0084000004", fail("83")}, {"0D 03 05 00 00", ok(atqb)}});
    run("send data with a wrong count", {{"0D 04 05 00 00", fail("85")}, {"0D 00", fail("85")}});
    run("unknown instruction", {{"0B 41300A10", ok()}, {"0D 02 00 A4", ok("6D00")}});
    run("identity card", {{"26", ok("08 0102030405060708")}, {"27", ok("08 1122334455667788")}, {"26 00", fail("91")}});
}

TEST(HfReader, Iso15693)
{
    const QString zeros = QStringLiteral("00000000");
    run("read 5 blocks unaddressed", {{"11 02 01 05", ok("00" + zeros.repeated(5))}});
    run("addressed read, UID as shown or as carried",
        {{QString("11 22 01 01 " + kIsoUid).toLatin1().constData(), ok("00" + zeros)},
         {QString("11 22 01 01 " + kIsoUidWire).toLatin1().constData(), ok("00" + zeros)},
         {"11 22 01 01 E0040100AAAAAAAA", fail("83")},
         {"11 22 01 01", fail("91")}});
    run("write, lock, write again", {{"12 42 05 01 11 22 33 44", ok()},
                                     {"11 02 05 01", ok("00 11223344")},
                                     {"11 42 05 01", ok("00 00 11223344")},
                                     {"13 02 05", ok()},
                                     {"12 02 05 01 55667788", fail("94")},
                                     {"13 02 05", fail("95")},
                                     {"1C 02 04 02", ok("00 00 01")}});
    run("addressed write puts the UID before the data",
        {{QString("12 22 00 01 " + kIsoUid + " CAFEBABE").toLatin1().constData(), ok()},
         {"11 02 00 01", ok("00 CAFEBABE")}});
    run("lock block addressed lacks the UID", {{"13 22 05", fail("91")}});
    run("block out of range", {{"11 02 1B 02", fail("93")}, {"11 02 00 00", fail("10")}});
    run("write data length", {{"12 02 00 02 11223344", fail("91")}});
    run("AFI and DSFID", {{"17 02 06", ok()},
                          {"18 02", ok()},
                          {"17 02 07", fail("94")},
                          {"18 02", fail("95")},
                          {"19 02 08", ok()},
                          {"1A 02", ok()},
                          {"19 02 09", fail("94")},
                          {"1B 02", ok("00 0F" + kIsoUidWire + "08 06 1B 03 01")}});
    run("select, then the select flag reaches that tag", {{"11 12 00 01", fail("83")},
                                                          {"15 02 E007000011223344", ok()},
                                                          {"1B 12", ok("00 0F 44332211000007E0 00 00 3F 03 02")},
                                                          {"15 02 E0070000FFFFFFFF", fail("83")}});
    run("address and select together", {{QString("1B 32 " + kIsoUid).toLatin1().constData(), fail("91")}});
}

TEST(HfReader, Iso15693InventoryListsTheUidsAsThePageCutsThem)
{
    SimulatedReader r(SimulatedReader::Personality::Hf);
    const QString reply = command(r, QStringLiteral("10 06 00 00"));
    ASSERT_EQ(bytes(reply, 3, 3), "00");
    EXPECT_EQ(bytes(reply, 4, 4), "02");
    const int n = int(reply.size() / 2);
    QStringList uids;
    for (int k = 1; k <= (2 * n - 14) / 20; ++k)
        uids << hex::filter(hex::cdate(bytes(reply, 7 + 10 * (k - 1), 14 + 10 * (k - 1))));
    EXPECT_EQ(uids, r.iso15693Uids());
    EXPECT_EQ(uids, QStringList({"E004010012345678", "E007000011223344"}));

    EXPECT_EQ(command(r, QStringLiteral("10 02 00 00")), fail("91")) << "flag without the inventory bit";
}

TEST(HfReader, NoCardInTheField)
{
    const char *bodies[] = {
        "20 00 01 10 FFFFFFFFFFFF", "25 26 00", "06", "E3 00", "09", "26", "10 06 00 00", "11 02 01 01"};
    SimulatedReader r(SimulatedReader::Personality::Hf);
    r.hf().cardsPresent = false;
    for (const char *b : bodies)
        EXPECT_EQ(command(r, QString::fromLatin1(b)), fail("83")) << b;
    EXPECT_EQ(command(r, QStringLiteral("83")), ok("00 2024000000000001")) << "the reader itself still answers";
}

} // namespace
