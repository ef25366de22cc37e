#include "uhf/epcframes.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

// Readable failure output.
static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

QString spaced(const char *text)
{
    return QString::fromLatin1(text).remove(QLatin1Char(' '));
}

TEST(EpcFrames, FixedFramesAndTheirChecksums)
{
    const auto sum = [](const QString &frame) {
        const QByteArray b = QByteArray::fromHex(frame.toLatin1());
        int s = 0;
        for (qsizetype i = 1; i < b.size() - 2; ++i)
            s += uint8_t(b[i]);
        return s & 0xFF;
    };
    EXPECT_EQ(spaced("BB 00 22 00 00 22 7E"), epcframes::kInventory.toUpper().remove(QLatin1Char(' ')));
    EXPECT_EQ(sum(spaced("BB 00 22 00 00 22 7E")), 0x22);
    EXPECT_EQ(sum(QString(epcframes::kRead).remove(QLatin1Char(' '))), 0x4B);
    EXPECT_TRUE(epcframes::kRead.endsWith(QLatin1String("4B 7E")));
}

TEST(EpcFrames, SelectAndWrite)
{
    struct Case {
        const char *name;
        QString frame;
        const char *expected;
    } cases[] = {
        {"select, 12-byte EPC: PL 13, mask 60 bits", epcframes::select(spaced("00 00 00 00 00 00 00 00 00 00 00 01")),
         "BB 00 0C 00 13 01 00 00 00 20 60 00 00 00 00 00 00 00 00 00 00 00 00 01 A1 7E"},
        {"select, 8-byte EPC: PL 0F, mask 40 bits", epcframes::select(spaced("11 22 33 44 aa bb cc dd")),
         "BB 00 0C 00 0F 01 00 00 00 20 40 00 11 22 33 44 AA BB CC DD 34 7E"},
        {"write with the defaults and CRC 1234",
         epcframes::write(QStringLiteral("00000000"), QStringLiteral("1234"), spaced("000000000000000000000001")),
         "BB 00 49 00 19 00 00 00 00 01 00 00 00 08 12 34 30 00 00 00 00 00 00 00 00 00 00 00 00 01 E2 7E"},
        {"write of a 4-byte EPC with a password",
         epcframes::write(spaced("11223344"), spaced("ABCD"), spaced("E2000001")),
         "BB 00 49 00 11 11 22 33 44 01 00 00 00 04 AB CD 10 00 E2 00 00 01 74 7E"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.frame, spaced(c.expected)) << c.name;

    // A mask length is one byte: a longer EPC is selected on its first 31 bytes.
    const QString longEpc = QString(80, QLatin1Char('A'));
    const QString frame = epcframes::select(longEpc);
    EXPECT_EQ(frame.mid(6, 4), "0026"); // PL = 31 + 7
    EXPECT_EQ(frame.mid(20, 2), "F8");  // 248 bits
    EXPECT_EQ(frame.size(), 2 * (5 + 38 + 2));
}

TEST(EpcFrames, CutAndReadTheInventoryReply)
{
    // AA 00 LEN 00, the module frame, XOR BB.
    EXPECT_EQ(epcframes::cut(spaced("AA 00 09 00 BB 01 FF 00 01 15 16 7E 2F BB")), spaced("BB 01 FF 00 01 15 16 7E"));
    EXPECT_EQ(epcframes::cut(spaced("AA 00 02 00 42 40 BB")), "42");
    EXPECT_EQ(epcframes::cut(spaced("AA 00 01 00 01 BB")), "");
    EXPECT_EQ(epcframes::cut(""), "");

    const QString epc12 = spaced("E2 00 00 00 00 00 00 00 00 00 00 07");
    const QString good = spaced("BB 02 22 00 11 C8 30 00") + epc12 + spaced("AB CD 55 7E");
    struct Case {
        const char *name;
        QString reply;
        bool found;
        QString epc, crc;
    } cases[] = {
        {"12-byte EPC", good, true, epc12, "ABCD"},
        {"8-byte EPC", spaced("BB 02 22 00 0D C8 20 00 01 02 03 04 05 06 07 08 12 34 00 7E"), true,
         spaced("0102030405060708"), "1234"},
        {"PL announces more than the reply holds", good.left(good.size() - 2), false, {}, {}},
        {"EPC but no CRC behind it", good.left(2 * (8 + 12)), false, {}, {}},
        {"PL leaves no EPC", spaced("BB 02 22 00 05 C8 30 00 AB CD 00 7E"), false, {}, {}},
        {"PL below 5", spaced("BB 02 22 00 02 C8 30 00 AB CD 00 7E"), false, {}, {}},
        {"PL not hexadecimal", spaced("BB 02 22 00") + "ZZ" + spaced("C8 30 00 AB CD 00 7E"), false, {}, {}},
        {"too short for PL", spaced("BB 02 22 00"), false, {}, {}},
        {"empty", {}, false, {}, {}},
    };
    for (const Case &c : cases) {
        const auto tag = epcframes::parseInventory(c.reply);
        ASSERT_EQ(tag.has_value(), c.found) << c.name;
        if (tag) {
            EXPECT_EQ(tag->epc, c.epc) << c.name;
            EXPECT_EQ(tag->crc, c.crc) << c.name;
        }
    }
}

} // namespace
