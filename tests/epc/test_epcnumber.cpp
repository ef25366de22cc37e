#include "epc/epcnumber.h"
#include "support/core/helpers.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

namespace
{

QString spaced(const char *text)
{
    return QString::fromLatin1(text).remove(QLatin1Char(' '));
}

TEST(EpcNumber, HexaddInBothOrders)
{
    struct Case {
        const char *number, *step;
        bool reverse;
        const char *expected;
    } cases[] = {
        {"00 00 00 00 00 00 00 00 00 00 00 01", "1", false, "00 00 00 00 00 00 00 00 00 00 00 02"},
        {"00 00 00 00 00 00 00 00 00 00 00 01", "1", true, "01 00 00 00 00 00 00 00 00 00 00 01"},
        {"00 00 00 00 00 00 00 00 00 00 00 FF", "1", false, "00 00 00 00 00 00 00 00 00 00 01 00"},
        // Twelve bytes FF overflow into a thirteenth.
        {"FF FF FF FF FF FF FF FF FF FF FF FF", "1", false, "01 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"FF FF FF FF FF FF FF FF FF FF FF FF", "1", true, "00 00 00 00 00 00 00 00 00 00 00 00 01"},
        {"FF 00 00 00 00 00 00 00 00 00 00 01", "1", true, "00 01 00 00 00 00 00 00 00 00 00 01"},
        // The step is filled to 00 00 01 00 first.
        {"E2 00 00 00", "100", false, "E2 00 01 00"},
        {"E2 00 00 00", "100", true, "E2 01 00 00"},
        // The step is hexadecimal.
        {"00 00 00 00", "10", false, "00 00 00 10"},
        {"00 00 00 00", "10", true, "10 00 00 00"},
        // Lower-case digits are read, the result is upper case.
        {"00 00 00 0a", "1", false, "00 00 00 0B"},
        {"ab cd ef 00", "1", true, "AC CD EF 00"},
        // Carries across many bytes.
        {"00 FF FF FF FF FF FF FF", "1", false, "01 00 00 00 00 00 00 00"},
        {"FF FF FF FF FF FF FF 00", "1", true, "00 00 00 00 00 00 00 01"},
        {"12 34 FF FE", "3", false, "12 35 00 01"},
        {"00 FE", "1", false, "00 FF"}, // a sum of FF carries nothing
        {"FE 00", "1", true, "FF 00"},
        // Steps of other lengths.
        {"00 00 00 01", "FFFF", false, "00 01 00 00"},
        {"00 00 00 01", "FFFFFFFF", false, "01 00 00 00 00"},
        {"01", "0100", false, "01 01"},     // the number grows to the step's width
        {"01", "0100", true, "00 02"},      // filled in front, the number's first byte is 00
        {"00 00", "0", false, "00 00"},     // a zero step keeps the number
        {"00 10", "FFF", false, "10 0F"},   // an odd step is filled to whole bytes
        {"00", "100", false, "01 00"},      // odd after filling: one more 0 in front of both
        {"00 01", "00 01", false, "00 02"}, // blanks are not digits and do not shift the bytes
    };
    for (const Case &c : cases)
        EXPECT_EQ(epcnumber::hexadd(spaced(c.number), QString::fromLatin1(c.step), c.reverse), spaced(c.expected))
            << c.number << " + " << c.step << (c.reverse ? " reverse" : " plus");
}

TEST(EpcNumber, CountingOnGivesConsecutiveNumbers)
{
    QString n = QStringLiteral("0000000000000000000000FE");
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        seen << n;
        n = epcnumber::hexadd(n, QStringLiteral("1"), false);
    }
    EXPECT_EQ(seen, QStringList({"0000000000000000000000FE", "0000000000000000000000FF", "000000000000000000000100",
                                 "000000000000000000000101"}));
}

} // namespace
