#include "link/errors.h"
#include "link/frames.h"
#include "link/hextext.h"

#include <gtest/gtest.h>

namespace {

QString spaced(const QString &frameText)
{
    return QString::fromLatin1(hex::toBytes(frameText).toHex(' ').toUpper());
}

TEST(HexText, Conversions)
{
    EXPECT_EQ(hex::checkdata("AA 00 03 85 01 78 ff BB"), "AA0003850178ffBB");
    EXPECT_EQ(hex::checkdata("12 3"), "12");
    EXPECT_EQ(hex::checkdata("x1y2z"), "12");
    EXPECT_EQ(hex::checkdata(""), "");
    EXPECT_EQ(hex::cdate("E0040100"), "00 01 04 E0 ");
    EXPECT_EQ(hex::cdate("12345"), "45 23 ");
    EXPECT_EQ(hex::Getchr("414243"), "ABC");
    EXPECT_EQ(hex::Getchr("41424"), "AB");
    QString out;
    hex::GetAscii("AB", out);
    EXPECT_EQ(out, "4142");
    hex::GetAscii("", out);
    EXPECT_EQ(out, "4142");
    EXPECT_EQ(hex::adddate("  00 39 00  09 00 00 00  00 01 00 00  00 08 "), 0x4B);
    EXPECT_EQ(hex::adddate("FF FF"), 510);
}

TEST(HexText, ConversionErrorsCarryTheFrameworkText)
{
    try {
        hex::Getchr("4G");
        FAIL() << "no error";
    } catch (const UserError &e) {
        EXPECT_EQ(e.message(), "'$4G' is not a valid integer value");
    }
    for (const char *bad : {"", "abc", "1.5", "0x10", " - "})
        EXPECT_THROW(hex::StrToInt(bad), UserError) << bad;
    EXPECT_EQ(hex::StrToInt(" 42 "), 42);
    EXPECT_EQ(hex::StrToInt("-5"), -5);
    EXPECT_EQ(hex::HexToInt("0A"), 10);
}

TEST(Frames, HfAndUhfFramesByteForByte)
{
    struct Case {
        const char *address, *body, *expected;
        bool uhf;
    } cases[] = {
        {"00", "85 01 78", "AA 00 03 85 01 78 FF BB", false},
        {"00", "CD 01", "AA 00 02 CD 01 CE BB", false},
        {"00", "cd,01", "AA 00 02 CD 01 CE BB", false},
        {"00", "cd01", "AA 00 02 CD 01 CE BB", false},
        {"00", "B8", "AA 00 01 B8 B9 BB", false},
        {"00", "", "AA 00 00 00 BB", false},
        {"0a", "83", "AA 0A 01 83 88 BB", false},
        {"00", "82 0F 00 00 00 01 01 01 00", "AA 00 09 82 0F 00 00 00 01 01 01 00 85 BB", false},
        {"00", "bb 00 22 00 00 22 7e ", "AA 00 08 CE BB 00 22 00 00 22 7E 03 BB", true},
    };
    for (const Case &c : cases) {
        const QString f = c.uhf ? frames::uhf(c.address, c.body) : frames::hf(c.address, c.body);
        EXPECT_EQ(spaced(f), c.expected) << c.body;
    }
}

TEST(Frames, OddDigitShiftsTheFrameAndDropsTheLastTrailerDigit)
{
    // LEN counts whole pairs; the unpaired digit stays and shifts everything after it.
    const QString f = frames::hf("00", "123");
    EXPECT_EQ(f.left(6), "AA0001");
    EXPECT_EQ(hex::checkdata(f).size() % 2, 0);
    EXPECT_EQ(hex::checkdata(f).size(), f.size() - 1);
}

TEST(Frames, ModuleFrameChecksum)
{
    EXPECT_EQ(spaced(frames::module(0xC1, "01")), "BB 00 C1 00 01 01 C3 7E");
    EXPECT_EQ(spaced(frames::module(0x22, "")), "BB 00 22 00 00 22 7E");
}

} // namespace
