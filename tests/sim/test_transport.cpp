#include "simtestutil.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace
{

TEST(SimulatedReader, ChecksTheFrameAroundEachCommand)
{
    struct Case {
        const char *name;
        QString frame;
        QString expected;
    };
    const Case cases[] = {
        {"valid frame", "AA 00 01 C0 C1 BB", ok(hex::fromBytes("SIM-UHF V1.0"))},
        {"wrong check byte", "AA 00 01 C0 C0 BB", fail("85")},
        {"wrong trailer", "AA 00 01 C0 C1 BC", fail("85")},
        {"LEN says more than there is", "AA 00 02 C0 C2 BB", fail("85")},
        {"LEN says less than there is", "AA 00 01 C0 00 C1 BB", fail("85")},
        {"module frame sent without the pass-through", "BB 00 0C 00 13 01 00 00 00 20 60 00 11 7E", fail("85")},
        {"shorter than any frame", "AA 00 BB", fail("85")},
        {"empty body", "AA 00 00 00 BB", fail("91")},
        {"another device address is answered too", "AA 0A 01 C0 CB BB", ok(hex::fromBytes("SIM-UHF V1.0"))},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        EXPECT_EQ(exchange(r, c.frame), c.expected) << c.name;
    }
}

TEST(SimulatedReader, OneShotFaults)
{
    SimulatedReader r;
    r.failNextWith(0x83);
    EXPECT_EQ(command(r, QStringLiteral("C0")), fail("83"));
    EXPECT_EQ(command(r, QStringLiteral("CF")), ok()) << "the fault is used up";

    r.silenceNext();
    EXPECT_EQ(command(r, QStringLiteral("CF")), "");
    EXPECT_EQ(command(r, QStringLiteral("CF")), ok());

    r.damageNext();
    EXPECT_EQ(bytes(command(r, QStringLiteral("CF")), 3, 3), "02");

    // A failed command is not carried out.
    r.failNextWith(0x81);
    command(r, QStringLiteral("82 8A 01 01 01 00 01 01 01"));
    EXPECT_EQ(bytes(command(r, QStringLiteral("83")), 5, 5), "0F");
}

TEST(SimulatedReader, ReplyIsHandedOverOnce)
{
    SimulatedReader r;
    r.write(hex::toBytes(simtest::hfText("CF")));
    EXPECT_FALSE(r.read(0).isEmpty());
    EXPECT_TRUE(r.read(0).isEmpty());
    EXPECT_EQ(r.write(QByteArray()), 0);
    EXPECT_TRUE(r.read(0).isEmpty());
    EXPECT_EQ(r.write(QByteArray(256, char(0xAA))), 0) << "longer than the reader's send buffer";
    EXPECT_EQ(r.framesReceived(), 1);
}

TEST(SimulatedReader, PersonalityByName)
{
    using P = SimulatedReader::Personality;
    EXPECT_EQ(SimulatedReader::personalityFromName(""), P::Keyboard);
    EXPECT_EQ(SimulatedReader::personalityFromName("keyboard"), P::Keyboard);
    EXPECT_EQ(SimulatedReader::personalityFromName("hf"), P::Hf);
    EXPECT_FALSE(SimulatedReader::personalityFromName("HF"));
    EXPECT_FALSE(SimulatedReader::personalityFromName("uhf"));
    // The same code means what the personality says.
    SimulatedReader kb(P::Keyboard), hf(P::Hf);
    EXPECT_EQ(bytes(command(kb, "83"), 2, 2), "0A");
    EXPECT_EQ(bytes(command(hf, "83"), 2, 2), "0A");
    EXPECT_EQ(bytes(command(kb, "83"), 5, 5), "0F");
    EXPECT_EQ(bytes(command(hf, "83"), 5, 12), "2024000000000001");
    EXPECT_EQ(command(kb, "82 0102030405060708"), fail("10"));
    EXPECT_EQ(command(hf, "82 0102030405060708"), ok());
}

} // namespace
