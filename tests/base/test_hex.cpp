#include "base/errors.h"
#include "base/hex.h"

#include <gtest/gtest.h>

namespace
{

// Conversions of hex text that no part of the program uses any more; they stay here with
// their cases.
QString Getchr(const QString &text)
{
    QString out;
    const qsizetype n = text.size() / 2;
    for (qsizetype i = 0; i < n; ++i) {
        const int hi = hex::digitValue(text[2 * i]);
        const int lo = hex::digitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            throw UserError(QStringLiteral("'$%1' is not a valid integer value").arg(text.mid(2 * i, 2)));
        out.append(QChar(char16_t(hi * 16 + lo)));
    }
    return out;
}

void GetAscii(const QString &text, QString &out)
{
    // The reader expects the bytes of the system code page, which is UTF-8 here.
    for (char b : text.toUtf8())
        out += hex::byteText(static_cast<unsigned char>(b));
}

int32_t adddate(const QString &text)
{
    const QString digits = hex::checkdata(text);
    int32_t sum = 0;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        sum += hex::digitValue(digits[i]) * 16 + hex::digitValue(digits[i + 1]);
    return sum;
}

TEST(HexText, Conversions)
{
    EXPECT_EQ(hex::checkdata("AA 00 03 85 01 78 ff BB"), "AA0003850178ffBB");
    EXPECT_EQ(hex::checkdata("12 3"), "12");
    EXPECT_EQ(hex::checkdata("x1y2z"), "12");
    EXPECT_EQ(hex::checkdata(""), "");
    EXPECT_EQ(hex::cdate("E0040100"), "00 01 04 E0 ");
    EXPECT_EQ(hex::cdate("12345"), "45 23 ");
    EXPECT_EQ(Getchr("414243"), "ABC");
    EXPECT_EQ(Getchr("41424"), "AB");
    QString out;
    GetAscii("AB", out);
    EXPECT_EQ(out, "4142");
    GetAscii("", out);
    EXPECT_EQ(out, "4142");
    EXPECT_EQ(adddate("  00 39 00  09 00 00 00  00 01 00 00  00 08 "), 0x4B);
    EXPECT_EQ(adddate("FF FF"), 510);
}

TEST(HexText, ConversionErrorsCarryTheFrameworkText)
{
    try {
        Getchr("4G");
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

// The one test of a hex digit behind every reader of hex text: ASCII 0-9, a-f and A-F, nothing
// that another script or the full-width forms call a digit.
TEST(HexText, OneTestOfADigit)
{
    struct Case {
        const char *text;
        bool hex;
    } cases[] = {
        {"09afAF", true},    {"g", false}, {"G", false}, {"/", false},   {":", false},
        {"@", false},        {"`", false}, {"", false},  {"1 2", false}, {"\xEF\xBC\x90", false}, // full-width 0
        {"\xD9\xA3", false},                                                                      // Arabic-Indic 3
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(hex::onlyDigits(text), c.hex) << c.text;
        EXPECT_EQ(!text.isEmpty() && hex::filter(text) == text, c.hex) << c.text;
        bool number = true;
        try {
            hex::HexToInt(text);
        } catch (const UserError &) {
            number = false;
        }
        EXPECT_EQ(number, c.hex) << c.text;
    }
}

// One check for every hex field of the pages and the command line: whole bytes, the allowed
// separators, the count, and a message naming the field and what it expects.
TEST(HexField, WholeBytesOrAMessageNamingTheField)
{
    struct Case {
        const char *text;
        int min, max;
        const char *bytes; // nullptr: refused
    } cases[] = {
        {"FF FF", 2, 2, "FFFF"},
        {"0a:0B", 2, 2, "0A0B"},
        {"e2-00,01", 1, 4, "E20001"},
        {"", 0, 4, ""},
        {"123", 1, 4, nullptr},
        {"1", 1, 1, nullptr},
        {"GG", 1, 1, nullptr},
        {"0x10", 1, 2, nullptr},
        {"01 02 03", 1, 2, nullptr},
        {"", 1, 1, nullptr},
        {"\xEF\xBC\x90\xEF\xBC\x90", 1, 1, nullptr},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        if (c.bytes) {
            EXPECT_EQ(hex::fromBytes(hex::bytesField(text, "The key", c.min, c.max)), c.bytes) << c.text;
            continue;
        }
        try {
            hex::bytesField(text, "The key", c.min, c.max);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const UserError &e) {
            EXPECT_TRUE(e.message().startsWith("The key must be ")) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("'" + text + "'")) << e.message().toStdString();
        }
    }
    EXPECT_EQ(hex::byteField("0a", "The block"), 0x0A);
}

} // namespace
