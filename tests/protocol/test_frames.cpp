#include "base/hex.h"
#include "protocol/frames.h"

#include <array>
#include <gtest/gtest.h>

namespace
{

QString spaced(const QString &frameText)
{
    return QString::fromLatin1(hex::toBytes(frameText).toHex(' ').toUpper());
}

TEST(Frames, HfAndUhfFramesByteForByte)
{
    struct Case {
        uint8_t address;
        const char *body, *expected;
        bool uhf;
    } cases[] = {
        {0x00, "85 01 78", "AA 00 03 85 01 78 FF BB", false},
        {0x00, "CD 01", "AA 00 02 CD 01 CE BB", false},
        {0x00, "B8", "AA 00 01 B8 B9 BB", false},
        {0x00, "", "AA 00 00 00 BB", false},
        {0x0A, "83", "AA 0A 01 83 88 BB", false},
        {0x00, "82 0F 00 00 00 01 01 01 00", "AA 00 09 82 0F 00 00 00 01 01 01 00 85 BB", false},
        {0x00, "bb 00 22 00 00 22 7e ", "AA 00 08 CE BB 00 22 00 00 22 7E 03 BB", true},
    };
    for (const Case &c : cases) {
        const QByteArray body = hex::toBytes(QString::fromLatin1(c.body));
        const QByteArray f = c.uhf ? frames::uhf(c.address, body) : frames::hf(c.address, body);
        EXPECT_EQ(spaced(hex::fromBytes(f)), c.expected) << c.body;
        EXPECT_TRUE(frames::checkReaderFrame(f).ok()) << c.body;
    }
}

TEST(Frames, ModuleFrameChecksum)
{
    EXPECT_EQ(spaced(hex::fromBytes(frames::module(0xC1, QByteArray(1, '\x01')))), "BB 00 C1 00 01 01 C3 7E");
    EXPECT_EQ(spaced(hex::fromBytes(frames::module(0x22, {}))), "BB 00 22 00 00 22 7E");
    EXPECT_TRUE(frames::checkModuleFrame(frames::module(0x39, QByteArray(9, '\x11'))).ok());
}

// Replies are untrusted: each check says which field is wrong and reads nothing past the end.
TEST(Frames, ChecksOfUntrustedFrames)
{
    struct Case {
        const char *frame;
        bool header, length, check, trailer;
    } reader[] = {
        {"AA 00 01 00 01 BB", true, true, true, true},
        {"AA 00 01 00 02 BB", true, true, false, true},
        {"AA 00 01 00 01 BC", true, true, true, false},
        {"AA 00 02 00 01 BB", true, false, false, true},
        {"AB 00 01 00 01 BB", false, true, true, true},
        {"AA 00", true, false, false, false},
        {"", false, false, false, false},
    };
    for (const Case &c : reader) {
        const auto k = frames::checkReaderFrame(hex::toBytes(QString::fromLatin1(c.frame)));
        EXPECT_EQ((std::array{k.header, k.length, k.check, k.trailer}),
                  (std::array{c.header, c.length, c.check, c.trailer}))
            << c.frame;
    }
    struct ModuleCase {
        const char *frame;
        bool ok;
    } module[] = {{"BB 00 C1 00 01 01 C3 7E", true},
                  {"BB 00 C1 00 02 01 C3 7E", false},
                  {"BB 00 C1 00 01 01 C4 7E", false},
                  {"BB 00 C1", false},
                  {"", false}};
    for (const ModuleCase &c : module)
        EXPECT_EQ(frames::checkModuleFrame(hex::toBytes(QString::fromLatin1(c.frame))).ok(), c.ok) << c.frame;

    // A reply is cut to LEN + 5, never past what was read, never past the reply area.
    EXPECT_EQ(frames::cutReply(hex::toBytes("AA 00 01 00 01 BB 99")).size(), 6);
    EXPECT_EQ(frames::cutReply(hex::toBytes("AA 00 09 00")).size(), 4);
    EXPECT_EQ(frames::cutReply(QByteArray(300, char(0xF5))).size(), 245);
}

} // namespace
