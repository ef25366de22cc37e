#include "simtestutil.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace
{

struct Case {
    const char *name;
    const char *body;
    QString expected;
};

TEST(KeyboardReader, AnswersEachCommandAtThePositionsThePagesRead)
{
    const QString version = hex::fromBytes("SIM-UHF V1.0");
    const Case cases[] = {
        {"set format, defaults", "82 0F 00 00 00 01 01 01 00", ok()},
        {"set format, custom length 10", "82 8A 01 00 01 01 01 01 01", ok()},
        {"set format, code between ASCII and custom", "82 20 00 00 00 01 01 01 00", fail("10")},
        {"set format, flag not 0/1", "82 0F 02 00 00 01 01 01 00", fail("10")},
        {"set format, too short", "82 0F 00", fail("91")},
        {"read format, factory state", "83", ok("00 0F 00 00 00 01 01 01 00")},
        {"active reading", "0F 01", ok()},
        {"TID reading", "0F 04", ok()},
        {"reading mode out of range", "0F 05", fail("10")},
        {"memory sector mode", "BC 03 00 00 00 00 00 08", ok()},
        {"memory sector mode, sector 4", "BC 04 00 00 00 00 00 08", fail("10")},
        {"factory default", "CF", ok()},
        {"version as text", "C0", ok(version)},
        {"voice off", "CD 00", ok()},
        {"prefix of four bytes", "CB 01 30 31 32 33", ok()},
        {"suffix cleared", "CB 02", ok()},
        {"prefix of five bytes", "CB 01 30 31 32 33 34", fail("10")},
        {"prefix without selector", "CB", fail("91")},
        {"search interval 255", "C1 FF", ok()},
        {"output interfaces", "C3 00 01 00", ok()},
        {"output interfaces, flag 2", "C3 02 01 00", fail("10")},
        {"baud rate 115200", "C4 04", ok()},
        {"baud rate typed as 4800", "C4", fail("91")},
        {"end symbol 3", "C5 03", fail("10")},
        {"Wiegand WG98", "C6 03", ok()},
        {"pulse width 0", "C7 00", fail("10")},
        {"idle level 10", "C8 0A", ok()},
        {"RF power 18", "CC 12", fail("10")},
        {"USB virtual serial port", "B8", ok()},
        {"WiFi name ab, no password", "8A 61 62 2C", ok()},
        {"WiFi without a name", "8A 2C 70 77", fail("81")},
        {"WiFi without separator", "8A 61 62", fail("91")},
        {"IP address as text", "8B", ok(hex::fromBytes("192.168.1.57"))},
        {"HF-only command", "80 1F", fail("8F")},
        {"unknown command", "77", fail("8F")},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        EXPECT_EQ(command(r, QString::fromLatin1(c.body)), c.expected) << c.name;
    }
}

TEST(KeyboardReader, ReadReturnsWhatSetStored)
{
    // Reply bytes 5 to 12 carry the eight setting bytes in the order Set sent them.
    const char *settings[] = {"0F 00 00 00 01 01 01 00", "8A 01 01 01 00 01 01 01", "10 00 01 00 01 00 01 00",
                              "01 01 00 01 00 01 01 01"};
    for (const char *s : settings) {
        SimulatedReader r;
        ASSERT_EQ(command(r, QStringLiteral("82") + QString::fromLatin1(s)), ok()) << s;
        const QString read = command(r, QStringLiteral("83"));
        EXPECT_EQ(bytes(read, 3, 3), "00");
        EXPECT_EQ(bytes(read, 5, 12), hex::filter(QString::fromLatin1(s))) << s;
    }
    SimulatedReader r;
    command(r, QStringLiteral("82 8A 01 01 01 00 01 01 01"));
    command(r, QStringLiteral("CF"));
    EXPECT_EQ(bytes(command(r, QStringLiteral("83")), 5, 12), "0F00000001010100") << "factory reset";
}

TEST(KeyboardReader, NetworkListFillsRowsAsTheListScanReadsThem)
{
    // The scan of the WiFi page: reply bytes 4 … n-9, entries name , sss x.
    SimulatedReader r;
    const QByteArray reply = hex::toBytes(command(r, QStringLiteral("8C")));
    ASSERT_EQ(uint8_t(reply[3]), 0x00);
    const int n = int(reply.size());
    QStringList rows;
    QByteArray name;
    int skip = 0;
    for (int i = 4; i <= n - 9; ++i) {
        if (reply[i] == ',') {
            rows << QString::fromLatin1(name) + "|" + QString::fromLatin1(reply.mid(i + 1, 3));
            name.clear();
            skip = 5;
        } else if (skip > 1) {
            --skip;
        } else {
            name.append(reply[i]);
        }
    }
    EXPECT_EQ(rows, QStringList({"workshop|-48", "lab-2.4G|-61", "guest|-70", "warehouse-ap|-83"}));
}

TEST(KeyboardReader, NetworkListStaysWithinTheReplyArea)
{
    SimulatedReader r;
    for (int i = 0; i < 40; ++i)
        r.keyboard().networks.append({QStringLiteral("a-rather-long-network-name-%1").arg(i), QStringLiteral("-99")});
    const QByteArray reply = hex::toBytes(command(r, QStringLiteral("8C")));
    EXPECT_LE(uint8_t(reply[2]), 240);
    EXPECT_EQ(int(reply.size()), uint8_t(reply[2]) + 5);
}

} // namespace
