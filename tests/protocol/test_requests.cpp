#include "base/hex.h"
#include "protocol/commandtable.h"
#include "protocol/frames.h"
#include "protocol/iso15693.h"
#include "protocol/keyboard.h"
#include "protocol/mifare.h"
#include "protocol/outputdevice.h"
#include "protocol/system.h"
#include "protocol/typeb.h"
#include "protocol/uhf.h"
#include "protocol/ultralight.h"
#include "protocol/wifi.h"
#include "protocol/workmodes.h"

#include <gtest/gtest.h>

namespace
{

using namespace protocol;

QByteArray bytes(const char *hexText)
{
    return hex::toBytes(QString::fromLatin1(hexText));
}

// Every builder's bytes, byte for byte, and the row of the command table it is traced as.
TEST(Requests, BodiesAndTheirRowsInTheCommandTable)
{
    const QByteArray key = bytes("FF FF FF FF FF FF"), uid = bytes("E0 04 01 00 11 22 33 44");
    struct Case {
        Request request;
        const char *bytes;
        const char *row; // the name the trace gives it
    } cases[] = {
        {hfsystem::setAddress(0x05), "80 05", "set device address"},
        {hfsystem::setBaudRate(2), "81 02", "set baud rate"},
        {hfsystem::setSerialNumber(bytes("01 02 03 04 05 06 07 08")), "82 01 02 03 04 05 06 07 08",
         "set serial number"},
        {hfsystem::readIdentity(), "83", "read address and serial number"},
        {hfsystem::signal(hfsystem::Signal::LedR, 0x16, 0x03), "87 16 03", "LED-R"},
        {hfsystem::signal(hfsystem::Signal::Buzzer, 0x16, 0x03), "89 16 03", "buzzer"},
        {hfsystem::readingMode(false), "0F 02", "passive card reading"},
        {mifare::readBlocks({true, true}, 4, 0x10, key), "20 03 04 10 FF FF FF FF FF FF", "read blocks"},
        {mifare::writeBlocks({false, true}, 1, 0x3F, key, bytes("11 22")), "21 02 01 3F FF FF FF FF FF FF 11 22",
         "write blocks"},
        {mifare::value(mifare::ValueOp::Decrement, {true, false}, 1, key, bytes("00 20 00 00")),
         "23 01 01 FF FF FF FF FF FF 00 20 00 00", "decrement value"},
        {mifare::cardNumber(true, true), "25 52 01", "read card number"},
        {mifare::cardNumber(false, false), "25 26 00", "read card number"},
        {ultralight::readSerial(true), "E3 01", "read serial number"},
        {ultralight::readPages(false, 15), "E0 00 0F", "read pages"},
        {ultralight::writePage(true, 4, bytes("11 22 33 44")), "E1 01 01 04 11 22 33 44", "write page"},
        {typeb::attrib(bytes("41 30 0A 10")), "0B 41 30 0A 10", "type B attrib"},
        {typeb::sendData(bytes("05 00 00")), "0D 03 05 00 00", "type B send data"},
        {typeb::sendData({}), "0D 00", "type B send data"},
        {typeb::idFileId(), "27", "ID card file ID"},
        {iso15693::inventory(), "10 06 00 00", "inventory"},
        {iso15693::read(iso15693::kFlagsAddressed, 1, 5, uid), "11 22 01 05 E0 04 01 00 11 22 33 44", "read blocks"},
        {iso15693::write(iso15693::kFlagsTi, 5, 1, {}, bytes("11 22 33 44")), "12 42 05 01 11 22 33 44",
         "write blocks"},
        {iso15693::lock(iso15693::kFlagsPhilips, 5), "13 02 05", "lock block"},
        {iso15693::select(iso15693::kFlagsAddressed, uid), "15 22 E0 04 01 00 11 22 33 44", "select"},
        {iso15693::security(iso15693::kFlagsOther, 0, 5, {}), "1C 52 00 05", "block security status"},
        {keyboard::setFormat({}), "82 0F 00 00 00 01 01 01 00", "set output format"},
        {keyboard::setFormat({0x8A, true, true, true, false, false, true}), "82 8A 01 01 01 00 00 01 01",
         "set output format"},
        {keyboard::readingMode(true), "0F 01", "active reading"},
        {keyboard::voice(false), "AA 00 02 CD 00 CF BB", "voice off"},
        {keyboard::voice(true), "AA 00 02 CD 01 CE BB", "voice on"},
        {output::prefix(bytes("30 31 32 33")), "CB 01 30 31 32 33", "set prefix"},
        {output::suffix({}), "CB 02", "set suffix"},
        {output::byteSetting(output::kWiegandPulse, 0x0A), "C7 0A", "set Wiegand pulse width"},
        {output::interfaces(true, false, true), "C3 01 00 01", "set output interfaces"},
        {output::usbSerial(), "AA 00 01 B8 B9 BB", "switch USB to virtual serial port"},
        {wifi::join(QStringLiteral("ab"), QStringLiteral("1,2")), "8A 61 62 2C 31 2C 32", "join WiFi network"},
        {wifi::scan(), "8C", "list WiFi networks"},
        {uhf::readerMode(uhf::ReaderMode::Tid), "0F 04", "reader mode: TID"},
        {uhf::memorySectorMode(3, bytes("00 00 00 00"), 0, 8), "BC 03 00 00 00 00 00 08", "reader mode: memory sector"},
        {uhf::inventory(), "BB 00 22 00 00 22 7E", "inventory"},
        {uhf::readEpcBank(), "BB 00 39 00 09 00 00 00 00 01 00 00 00 08 4B 7E", "read memory"},
        {uhf::readBank(uhf::kBankTid, 0, 6, bytes("11 22 33 44")), "BB 00 39 00 09 11 22 33 44 02 00 00 00 06 F4 7E",
         "read memory"},
        {workmodes::readingMode(workmodes::Mode::Single), "BB 00 C1 00 01 01 C3 7E", "set reading mode"},
        {workmodes::usbHid(), "BB 00 C2 00 01 00 C3 7E", "switch to USB HID"},
        {workmodes::memorySector(3, bytes("00 00 00 00"), 0, 8), "BB 00 C9 00 07 03 00 00 00 00 00 08 DB 7E",
         "set memory sector read"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.request.bytes, bytes(c.bytes)) << c.row;
        const int row = c.request.row;
        ASSERT_GE(row, 0) << c.row;
        EXPECT_EQ(QString::fromLatin1(commandTable()[size_t(row)].name), c.row) << c.bytes;
        EXPECT_EQ(commandTable()[size_t(row)].family, c.request.family) << c.bytes;
    }
}

TEST(Requests, SelectAndWriteOfTheEpcBank)
{
    struct Case {
        const char *name;
        QByteArray frame;
        const char *expected;
    } cases[] = {
        {"select, 12-byte EPC: PL 13, mask 60 bits", uhf::select(bytes("00 00 00 00 00 00 00 00 00 00 00 01")).bytes,
         "BB 00 0C 00 13 01 00 00 00 20 60 00 00 00 00 00 00 00 00 00 00 00 00 01 A1 7E"},
        {"select, 8-byte EPC: PL 0F, mask 40 bits", uhf::select(bytes("11 22 33 44 aa bb cc dd")).bytes,
         "BB 00 0C 00 0F 01 00 00 00 20 40 00 11 22 33 44 AA BB CC DD 34 7E"},
        {"write with the defaults and CRC 1234",
         uhf::writeEpc(bytes("00000000"), bytes("1234"), bytes("000000000000000000000001")).bytes,
         "BB 00 49 00 19 00 00 00 00 01 00 00 00 08 12 34 30 00 00 00 00 00 00 00 00 00 00 00 00 01 E2 7E"},
        {"write of a 4-byte EPC with a password",
         uhf::writeEpc(bytes("11223344"), bytes("ABCD"), bytes("E2000001")).bytes,
         "BB 00 49 00 11 11 22 33 44 01 00 00 00 04 AB CD 10 00 E2 00 00 01 74 7E"},
        {"select on the TID's first 4 bytes", uhf::selectMask(uhf::kBankTid, 0, bytes("E2801105")).bytes,
         "BB 00 0C 00 0B 02 00 00 00 00 20 00 E2 80 11 05 B1 7E"},
        {"select with an empty mask from bit 16 of user memory", uhf::selectMask(uhf::kBankUser, 16, {}).bytes,
         "BB 00 0C 00 07 03 00 00 00 10 00 00 26 7E"},
        {"write of two user words from word 2 with a password",
         uhf::writeBank(uhf::kBankUser, 2, bytes("11223344"), bytes("C0FFEE01")).bytes,
         "BB 00 49 00 0D C0 FF EE 01 03 00 02 00 02 11 22 33 44 B5 7E"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.frame, bytes(c.expected)) << c.name;

    // A mask length is one byte: a longer EPC is selected on its first 31 bytes.
    const QByteArray frame = uhf::select(QByteArray(40, char(0xAA))).bytes;
    EXPECT_EQ(frame.mid(3, 2), bytes("00 26")); // PL = 31 + 7
    EXPECT_EQ(uint8_t(frame[10]), 0xF8);        // 248 bits
    EXPECT_EQ(frame.size(), 7 + 38);
}

// The builders refuse what would make a wrong frame, whoever calls them.
TEST(Requests, WrongSizesAreRefused)
{
    const auto refused = [](const std::function<void()> &f) {
        try {
            f();
        } catch (const std::exception &) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused([] { mifare::readBlocks({}, 1, 0, bytes("FF FF")); }));
    EXPECT_TRUE(refused([] { ultralight::writePage(false, 4, bytes("11 22 33")); }));
    EXPECT_TRUE(refused([] { iso15693::select(iso15693::kFlagsAddressed, bytes("E0 04")); }));
    EXPECT_TRUE(refused([] { uhf::writeEpc(bytes("00 00 00 00"), bytes("12 34"), QByteArray(64, 'x')); }));
    EXPECT_TRUE(refused([] { uhf::selectMask(uhf::kBankReserved, 0, bytes("00")); }));
    EXPECT_TRUE(refused([] { uhf::selectMask(uhf::kBankTid, 0, QByteArray(32, 'x')); }));
    EXPECT_TRUE(refused([] { uhf::writeBank(uhf::kBankUser, 0, bytes("11 22 33"), bytes("00 00 00 00")); }));
    EXPECT_TRUE(refused([] { uhf::writeBank(uhf::kBankUser, 0, {}, bytes("00 00 00 00")); }));
    EXPECT_TRUE(refused([] { wifi::join(QStringLiteral("a,b"), QStringLiteral("x")); }));
    EXPECT_TRUE(refused([] { wifi::join(QString(200, QLatin1Char('n')), QString(49, QLatin1Char('p'))); }));
    EXPECT_FALSE(refused([] { wifi::join(QString(200, QLatin1Char('n')), QString(48, QLatin1Char('p'))); }));
    EXPECT_TRUE(refused([] { typeb::sendData(QByteArray(typeb::kMaxSendBytes + 1, 'x')); }));
    EXPECT_LE(frames::hf(0, typeb::sendData(QByteArray(typeb::kMaxSendBytes, 'x')).bytes).size(),
              frames::kMaxFrameBytes);
}

} // namespace
