#include "base/hex.h"
#include "protocol/errorcodes.h"
#include "protocol/iso15693.h"
#include "protocol/keyboard.h"
#include "protocol/mifare.h"
#include "protocol/system.h"
#include "protocol/typeb.h"
#include "protocol/uhf.h"
#include "protocol/ultralight.h"
#include "protocol/wifi.h"
#include "protocol/workmodes.h"

#include <functional>
#include <optional>
#include <gtest/gtest.h>

namespace
{

using namespace protocol;

QByteArray b(const char *hexText)
{
    return hex::toBytes(QString::fromLatin1(hexText));
}

TEST(FalseReason, Table)
{
    EXPECT_EQ(falsereason("83"), "卡不存在....");
    EXPECT_EQ(falsereason("8C"), "密码认证没通过....");
    EXPECT_EQ(falsereason("8c"), ""); // exact comparison
    for (const char *none : {"00", "77", "", "01"})
        EXPECT_EQ(falsereason(none), "") << none;
    EXPECT_EQ(errorText(uint8_t(0x93)), "要操作的BLOCK不存在....");
    EXPECT_EQ(errorText(std::nullopt), "");
}

TEST(Replies, StatusAndErrorCode)
{
    struct Case {
        const char *reply;
        Status status;
        std::optional<uint8_t> code;
    } cases[] = {
        {"", Status::NoReply, std::nullopt},
        {"AA 00 01 00 01 BB", Status::Success, std::nullopt},
        {"AA 00 02 01 83 80 BB", Status::Refused, 0x83},
        {"AA 00 01 01", Status::Refused, std::nullopt}, // refused, and the code is cut off
        {"AA 00 01 02 03 BB", Status::Damaged, std::nullopt},
        {"AA 00", Status::Damaged, std::nullopt},
    };
    for (const Case &c : cases) {
        const auto r = ack(b(c.reply));
        EXPECT_EQ(r.status, c.status) << c.reply;
        EXPECT_EQ(r.errorCode, c.code) << c.reply;
    }
}

TEST(Replies, FieldsAtTheirPlaces)
{
    // AA 00 LEN 00 then data bytes D0 D1 D2 ... so a field's bytes tell where they came from.
    const auto reply = [](int data) {
        QByteArray r = b("AA 00");
        r.append(char(data + 1));
        r.append('\0');
        for (int i = 0; i < data; ++i)
            r.append(char(0xD0 + i));
        return r + b("55 BB");
    };
    const QByteArray r30 = reply(30);
    const auto blocks = mifare::parseBlocks(r30).value;
    EXPECT_EQ(blocks.cardNumber, b("D0 D1 D2 D3"));
    EXPECT_EQ(blocks.data, r30.mid(8, r30.size() - 10));
    const auto number = mifare::parseCardNumber(r30).value;
    EXPECT_EQ(number.count, 0xD0);
    EXPECT_EQ(number.number, b("D1 D2 D3 D4"));
    EXPECT_EQ(ultralight::parsePages(r30).value.serial, b("E0 E1 E2 E3 E4 E5 E6"));
    EXPECT_EQ(typeb::parseIdNumber(r30).value.number, b("D1 D2 D3 D4 D5 D6 D7 D8"));
    const auto identity = hfsystem::parseIdentity(r30).value;
    EXPECT_EQ(identity.address, 0xD0);
    EXPECT_EQ(identity.serialNumber, b("D1 D2 D3 D4 D5 D6 D7 D8"));
    const auto info = iso15693::parseSystemInfo(r30).value;
    EXPECT_EQ(info.uid, b("D2 D3 D4 D5 D6 D7 D8 D9"));
    EXPECT_EQ(info.afi, 0xDB);

    // Keyboard Read: a success too short for its flags is damaged, not a set of made-up flags.
    EXPECT_EQ(keyboard::parseFormat(reply(6)).status, Status::Damaged);
    const auto format = keyboard::parseFormat(reply(9));
    ASSERT_TRUE(format.ok());
    EXPECT_EQ(format.value.format, 0xD1);
    EXPECT_EQ(format.value.customData, 0xD8);
    EXPECT_EQ(keyboard::parseVersion(b("AA 00 05 00 56 31 2E 30 00 BB")).value.text, "V1.0");
}

TEST(Replies, InventoryOfIso15693CountsWholeRecordsOnly)
{
    // Count 02, two records of flags, DSFID and an 8-byte UID, the check byte and trailer.
    const QByteArray reply = b("AA 00 17 00 02 00 00 01 02 03 04 05 06 07 08 00 00 11 12 13 14 15 16 17 18 5A BB");
    const auto inv = iso15693::parseInventory(reply).value;
    EXPECT_EQ(inv.count, 0x02);
    ASSERT_EQ(inv.uids.size(), 2);
    EXPECT_EQ(inv.uids[1], b("11 12 13 14 15 16 17 18"));
    // The count byte is not trusted: a cut record is no record.
    EXPECT_EQ(iso15693::parseInventory(reply.left(reply.size() - 5)).value.uids.size(), 1);
}

TEST(Replies, WifiListing)
{
    // "ab" , signal 2D 35 30, one byte more; "c" , 33 34 35, one byte more; eight bytes never scanned.
    const QByteArray reply = b("AA 00 15 00 61 62 2C 2D 35 30 00 63 2C 33 34 35 00 00 00 00 00 00 00 4D BB");
    const auto list = wifi::parseNetworks(reply);
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list.value.networks.size(), 2);
    EXPECT_EQ(list.value.networks[0].name, "ab");
    EXPECT_EQ(list.value.networks[0].signal, "-50");
    EXPECT_EQ(list.value.networks[1].name, "c");
    EXPECT_EQ(wifi::textOf(b("C3 28")), QString::fromLatin1("\xC3\x28")) << "bytes that are not UTF-8";
}

TEST(Replies, TheTagOfAnInventory)
{
    const QByteArray epc12 = b("E2 00 00 00 00 00 00 00 00 00 00 07");
    const QByteArray good = b("BB 02 22 00 11 C8 30 00") + epc12 + b("AB CD 55 7E");
    struct Case {
        const char *name;
        QByteArray module;
        bool found;
        QByteArray epc, crc;
    } cases[] = {
        {"12-byte EPC", good, true, epc12, b("AB CD")},
        {"8-byte EPC", b("BB 02 22 00 0D C8 20 00 01 02 03 04 05 06 07 08 12 34 00 7E"), true,
         b("0102030405060708"), b("1234")},
        {"PL announces more than the reply holds", good.left(good.size() - 1), false, {}, {}},
        {"EPC but no CRC behind it", good.left(8 + 12), false, {}, {}},
        {"PL leaves no EPC", b("BB 02 22 00 05 C8 30 00 AB CD 00 7E"), false, {}, {}},
        {"PL below 5", b("BB 02 22 00 02 C8 30 00 AB CD 00 7E"), false, {}, {}},
        {"too short for PL", b("BB 02 22 00"), false, {}, {}},
        {"empty", {}, false, {}, {}},
    };
    for (const Case &c : cases) {
        const auto tag = uhf::parseInventory(c.module);
        ASSERT_EQ(tag.has_value(), c.found) << c.name;
        if (tag) {
            EXPECT_EQ(tag->epc, c.epc) << c.name;
            EXPECT_EQ(tag->crc, c.crc) << c.name;
        }
    }
    // The module frame inside the reader's reply: bytes 4 up to the check byte.
    EXPECT_EQ(uhf::moduleFrame(b("AA 00 09 00 BB 01 FF 00 01 15 16 7E 2F BB")), b("BB 01 FF 00 01 15 16 7E"));
    EXPECT_EQ(uhf::moduleFrame(b("AA 00 02 00 42 40 BB")), b("42"));
    EXPECT_TRUE(uhf::moduleFrame(b("AA 00 01 00 01 BB")).isEmpty());
    const auto error = uhf::parseModule(b("BB 01 FF 00 01 15 16 7E"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCode(), 0x15);
    const auto read = uhf::parseBankRead(b("BB 01 39 00 06 03 30 00 E2 11 22 88 7E"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->pcEpc, b("30 00 E2"));
    EXPECT_EQ(read->data, b("11 22"));
    EXPECT_EQ(workmodes::status(b("BB 01 C1 00 01 02 C5 7E")), 0x02);
    EXPECT_FALSE(workmodes::status(b("BB 01 C1 00 01")).has_value());
}

// Checksums computed by hand: 02+22+00+11+C8+30+00+E2+07+AB+CD = 0x38E, 01+FF+00+01+15 = 0x116.
TEST(Replies, OneModuleFramePerTagInAReply)
{
    const QByteArray tag = b("BB 02 22 00 11 C8 30 00 E2 00 00 00 00 00 00 00 00 00 00 07 AB CD 8E 7E");
    const QByteArray noTag = b("BB 01 FF 00 01 15 16 7E");
    struct Case {
        const char *name;
        QByteArray module;
        int frames;
        QByteArray rest;
    } cases[] = {
        {"one tag", tag, 1, {}},
        {"two tags", tag + tag, 2, {}},
        {"no tag", noTag, 1, {}},
        {"a second frame cut by the reply area", tag + tag.left(10), 1, tag.left(10)},
        {"a damaged checksum stops at that frame", tag + noTag.left(6) + "\x17\x7E" + tag, 1,
         noTag.left(6) + "\x17\x7E" + tag},
        {"a length past the end", b("BB 02 22 FF FF 00"), 0, b("BB 02 22 FF FF 00")},
        {"empty", {}, 0, {}},
    };
    for (const Case &c : cases) {
        const uhf::ModuleFrames split = uhf::splitModuleFrames(c.module);
        EXPECT_EQ(int(split.frames.size()), c.frames) << c.name;
        EXPECT_EQ(split.rest.toHex(), c.rest.toHex()) << c.name;
        for (const QByteArray &f : split.frames)
            EXPECT_TRUE(f == tag || f == noTag) << c.name;
    }
}

// An inventory reply: every tag frame with its signed RSSI byte; an error frame among them and a
// cut last frame are no tags. Checksums by hand: 02+22+00+11+7F+30+00+E2+07+AB+CD = 0x345,
// the same with 80 = 0x346, with C8 = 0x38E.
TEST(Replies, AnInventoryRoundWithItsSignalStrengths)
{
    const QByteArray epc = b("E2 00 00 00 00 00 00 00 00 00 00 07");
    const QByteArray strong = b("BB 02 22 00 11 7F 30 00") + epc + b("AB CD 45 7E");
    const QByteArray weakest = b("BB 02 22 00 11 80 30 00") + epc + b("AB CD 46 7E");
    const QByteArray usual = b("BB 02 22 00 11 C8 30 00") + epc + b("AB CD 8E 7E");
    const QByteArray noTag = b("BB 01 FF 00 01 15 16 7E");
    struct Case {
        const char *name;
        QByteArray reply;
        std::vector<int> rssi;
        std::optional<uint8_t> error;
        int restBytes;
    } cases[] = {
        {"three tags, RSSI as signed bytes", strong + weakest + usual, {127, -128, -56}, {}, 0},
        {"a last frame cut by the reply area", usual + strong.left(9), {-56}, {}, 9},
        {"no tag", noTag, {}, 0x15, 0},
        {"an error frame among tags", usual + noTag + strong, {-56, 127}, 0x15, 0},
        {"a damaged checksum ends the round", usual + strong.left(22) + b("00 7E"), {-56}, {}, 24},
        {"nothing", {}, {}, {}, 0},
    };
    for (const Case &c : cases) {
        const uhf::InventoryRound round = uhf::parseInventoryRound(c.reply);
        std::vector<int> rssi;
        for (const uhf::InventoryTag &t : round.tags) {
            rssi.push_back(t.rssi);
            EXPECT_EQ(t.epc, epc) << c.name;
            EXPECT_EQ(t.pc, b("30 00")) << c.name;
            EXPECT_EQ(t.crc, b("AB CD")) << c.name;
        }
        EXPECT_EQ(rssi, c.rssi) << c.name;
        EXPECT_EQ(round.errorCode, c.error) << c.name;
        EXPECT_EQ(round.rest.size(), c.restBytes) << c.name;
    }
}

// A module's error code in words, with the code itself.
TEST(Replies, ModuleErrorsInWords)
{
    const std::pair<uint8_t, const char *> cases[] = {
        {0x09, "read failed (no tag answered) (module error 09)"},
        {0x10, "write failed (no tag answered) (module error 10)"},
        {0x15, "no tag (module error 15)"},
        {0x16, "access failed (wrong password) (module error 16)"},
        {0x17, "invalid command (module error 17)"},
        {0xA3, "memory overrun (no such memory) (module error A3)"},
        {0xB4, "memory locked (module error B4)"},
        {0xAB, "insufficient power (module error AB)"},
        {0x42, "unknown error (module error 42)"},
    };
    for (const auto &[code, text] : cases)
        EXPECT_EQ(uhf::moduleErrorMessage(code), QString::fromLatin1(text));
}

// Every parser over every length of a reply: fields are whole pieces of the reply, never bytes
// from past its end.
TEST(Replies, EveryParserOverEveryLength)
{
    const auto pieces = std::vector<std::pair<const char *, std::function<QList<QByteArray>(const QByteArray &)>>>{
        {"mifare blocks", [](const QByteArray &r) { auto v = mifare::parseBlocks(r).value; return QList{v.cardNumber, v.data}; }},
        {"mifare value", [](const QByteArray &r) { auto v = mifare::parseValue(r).value; return QList{v.cardNumber, v.remaining}; }},
        {"ultralight", [](const QByteArray &r) { auto v = ultralight::parsePages(r).value; return QList{v.data, v.serial}; }},
        {"type B", [](const QByteArray &r) { auto v = typeb::parseRequest(r).value; return QList{v.data}; }},
        {"send data", [](const QByteArray &r) { return QList{typeb::parseSendData(r).value.data}; }},
        {"15693 inventory", [](const QByteArray &r) { auto v = iso15693::parseInventory(r).value; return v.uids << v.data; }},
        {"15693 info", [](const QByteArray &r) { auto v = iso15693::parseSystemInfo(r).value; return QList{v.uid, v.other}; }},
        {"version", [](const QByteArray &r) { return QList{keyboard::parseVersion(r).value.text}; }},
        {"wifi", [](const QByteArray &r) { QList<QByteArray> out; for (const auto &n : wifi::parseNetworks(r).value.networks) out << n.name << n.signal; return out; }},
        {"module", [](const QByteArray &r) { const auto t = uhf::parseInventory(uhf::moduleFrame(r)); return t ? QList{t->pc, t->epc, t->crc} : QList<QByteArray>{}; }},
        {"inventory round", [](const QByteArray &r) { QList<QByteArray> out; for (const auto &t : uhf::parseInventoryRound(uhf::moduleFrame(r)).tags) out << t.pc << t.epc << t.crc; return out; }},
    };
    for (int length = 0; length <= 48; ++length) {
        QByteArray reply;
        for (int i = 0; i < length; ++i)
            reply.append(char(0x40 + i));
        if (length > 0)
            reply[0] = char(0xAA);
        if (length > 2)
            reply[2] = char(qMax(0, length - 5));
        if (length > 3)
            reply[3] = '\0';
        if (length > 6) // a comma for the WiFi listing
            reply[6] = ',';
        for (const auto &[name, parse] : pieces)
            for (const QByteArray &piece : parse(reply))
                EXPECT_TRUE(piece.isEmpty() || reply.contains(piece)) << name << " at length " << length;
    }
}

} // namespace
