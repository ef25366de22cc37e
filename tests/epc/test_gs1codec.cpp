#include "base/errors.h"
#include "epc/epctext.h"
#include "epc/gs1codec.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace
{

using namespace epc;

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// Each vector both ways: the tag URI encodes to the bytes and the bytes decode to the URI.
// The first of each scheme is the standard's worked example (or built from its example fields);
// the others sit on the edges of the partition table: the longest and shortest company
// prefix, each with the largest reference and serial the scheme carries.
TEST(Gs1Codec, TagUrisAndBytesBothWays)
{
    struct Case {
        const char *uri, *hex, *id;
    } cases[] = {
        {"urn:epc:tag:sgtin-96:3.0614141.812345.6789", "3074257BF7194E4000001A85",
         "urn:epc:id:sgtin:0614141.812345.6789"},
        {"urn:epc:tag:sgtin-96:0.123456789012.9.274877906943", "300072FA6468527FFFFFFFFF", nullptr},
        {"urn:epc:tag:sgtin-96:7.123456.9999999.0", "30F8789026259FC000000000", nullptr},
        {"urn:epc:tag:sscc-96:3.0614141.1234567890", "3174257BF4499602D2000000", "urn:epc:id:sscc:0614141.1234567890"},
        {"urn:epc:tag:sscc-96:1.123456789012.99999", "312072FA646851869F000000", nullptr},
        {"urn:epc:tag:sscc-96:2.012345.99999999999", "31580C0E574876E7FF000000", nullptr},
        {"urn:epc:tag:sgln-96:3.0614141.12345.400", "3274257BF460720000000190", "urn:epc:id:sgln:0614141.12345.400"},
        {"urn:epc:tag:sgln-96:3.9521141.12345.5678", "3276451FD46072000000162E", nullptr},
        {"urn:epc:tag:sgln-96:0.123456789012..2199023255551", "320072FA646851FFFFFFFFFF", nullptr},
        {"urn:epc:tag:sgln-96:1.123456.999999.0", "323878901E847E0000000000", nullptr},
        {"urn:epc:tag:grai-96:3.0614141.12345.5678", "3374257BF40C0E400000162E", "urn:epc:id:grai:0614141.12345.5678"},
        {"urn:epc:tag:grai-96:5.0614141.12345.400", "33B4257BF40C0E4000000190", nullptr},
        {"urn:epc:tag:grai-96:3.0614141.00008.1234", "3374257BF4000200000004D2", nullptr},
        {"urn:epc:tag:grai-96:0.123456789012..274877906943", "330072FA6468503FFFFFFFFF", nullptr},
        {"urn:epc:tag:grai-96:2.654321.999999.1", "335A7EFC43D08FC000000001", nullptr},
        {"urn:epc:tag:giai-96:3.0614141.5678", "3474257BF40000000000162E", "urn:epc:id:giai:0614141.5678"},
        {"urn:epc:tag:giai-96:0.123456789012.4398046511103", "340072FA646853FFFFFFFFFF", nullptr},
        {"urn:epc:tag:giai-96:1.123456.4611686018427387903", "343878903FFFFFFFFFFFFFFF", nullptr},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(toHex(encode(parseTagUri(c.uri))), c.hex) << c.uri;
        EXPECT_EQ(toHex(parseEpcText(c.uri)), c.hex) << c.uri;
        const Decoded d = decode(bytes(c.hex));
        ASSERT_TRUE(d.gs1) << c.hex;
        EXPECT_EQ(d.tagUri, c.uri);
        EXPECT_EQ(encode(*d.gs1), bytes(c.hex)) << c.uri;
        if (c.id) {
            EXPECT_EQ(d.idUri, c.id);
            EXPECT_EQ(encode(parseIdUri(c.id, d.gs1->filter)), bytes(c.hex)) << c.id;
        }
    }
}

TEST(Gs1Codec, OtherWaysToTheSameEpc)
{
    const QByteArray example = bytes("3074257BF7194E4000001A85");
    EXPECT_EQ(encode(fromGtin14("80614141123458", 7, "6789", 3)), example);
    EXPECT_EQ(encode(Gs1Epc{Scheme::Sgtin96, 3, "0614141", "812345", "6789"}), example);
    EXPECT_EQ(parseEpcText(" URN:EPC:TAG:SGTIN-96:3.0614141.812345.6789 "), example);
    EXPECT_EQ(parseEpcText("urn:epc:id:sgtin:0614141.812345.6789", 3), example);
    EXPECT_EQ(parseEpcText("30 74 25 7b f7 19 4e 40 00 00 1a 85"), example);
    EXPECT_EQ(parseEpcText("urn:epc:raw:96.x3074257BF7194E4000001A85"), example);
    EXPECT_EQ(gs1CheckDigit("8061414112345"), 8);
    EXPECT_EQ(gs1CheckDigit("0000000000000"), 0);
}

TEST(Gs1Codec, ValuesNoSchemeAllowsDecodeRaw)
{
    const char *raw[] = {
        "E2000000000000000000FFFE", // not a GS1 header
        "303C257BF7194E4000001A85", // partition 7
        "3003A352944000000000000A", // 12-digit company prefix 10^12, past its digits
        "3074257BF7D0900000001A85", // SGTIN item reference 10^6 with a 7-digit prefix
        "3174257BF4499602D2000001", // SSCC reserved bits set
        "320000000000060000000000", // SGLN partition 0 has no location digit, yet the bit is set
    };
    for (const char *hex : raw) {
        const Decoded d = decode(bytes(hex));
        EXPECT_FALSE(d.gs1) << hex;
        EXPECT_EQ(d.tagUri, QStringLiteral("urn:epc:raw:96.x") + hex);
        EXPECT_TRUE(d.idUri.isEmpty());
    }
    EXPECT_EQ(decode(bytes("3074257BF7194E40")).tagUri, "urn:epc:raw:64.x3074257BF7194E40");
    EXPECT_THROW(decode({}), UserError);
}

// Every check, one row each: what is given, and words the message must hold (the field and
// what it expects).
TEST(Gs1Codec, InvalidInputsNameTheFieldAndWhatItTakes)
{
    using F = std::function<void()>;
    const auto tag = [](const char *uri) { return F([=] { parseTagUri(uri); }); };
    const auto id = [](const char *uri, int filter) { return F([=] { parseIdUri(uri, filter); }); };
    const auto text = [](const char *t) { return F([=] { parseEpcText(t); }); };
    struct Case {
        F call;
        const char *expected;
    } cases[] = {
        {tag("urn:epc:tag:sgtin-96:8.0614141.812345.6789"), "filter must be 0 to 7"},
        {tag("urn:epc:tag:sgtin-96:3.0614141.812345"), "F.C.I.S (filter.company prefix.item reference.serial)"},
        {tag("urn:epc:tag:sgtin-198:3.0614141.812345.6789"), "sgtin-96, sscc-96, sgln-96, grai-96 or giai-96"},
        {tag("urn:epc:id:sgtin:0614141.812345.6789"), "starts with urn:epc:tag:"},
        {tag("urn:epc:tag:sgtin-96:3.06141.8123456.6789"), "company prefix must be 6 to 12 digits"},
        {tag("urn:epc:tag:sgtin-96:3.0614141412345.0.6789"), "company prefix must be 6 to 12 digits"},
        {tag("urn:epc:tag:sgtin-96:3.06141A1.812345.6789"), "company prefix must be 6 to 12 digits"},
        {tag("urn:epc:tag:sgtin-96:3.0614141.81234.6789"),
         "item reference of SGTIN-96 must be 6 digits with a company prefix of 7 digits (13 together)"},
        {tag("urn:epc:tag:sgtin-96:3.0614141.812345.274877906944"), "serial of SGTIN-96 must be at most 274877906943"},
        {tag("urn:epc:tag:sgtin-96:3.0614141.812345.99999999999999999999"), "must be at most 274877906943"},
        {tag("urn:epc:tag:sgtin-96:3.0614141.812345.06789"), "without leading zeros"},
        {tag("urn:epc:tag:sgtin-96:3.0614141.812345."), "serial of SGTIN-96 is missing"},
        {tag("urn:epc:tag:sscc-96:3.0614141.123456789"), "serial reference of SSCC-96 must be 10 digits"},
        {tag("urn:epc:tag:sgln-96:3.0614141.12345.2199023255552"),
         "extension of SGLN-96 must be at most 2199023255551"},
        {tag("urn:epc:tag:sgln-96:3.123456789012.1.0"), "location reference of SGLN-96 must be 0 digits"},
        {tag("urn:epc:tag:grai-96:3.0614141.12345.0012"), "serial of GRAI-96 must be a number from 0 to 274877906943 "
                                                          "without leading zeros"},
        {tag("urn:epc:tag:giai-96:3.123456789012.4398046511104"),
         "individual asset reference of GIAI-96 must be at most 4398046511103"},
        {tag("urn:epc:tag:giai-96:3.0614141.ABC123"), "the 96-bit scheme takes digits only"},
        {id("urn:epc:id:sgtin:0614141.812345.A%2Fb", 3), "the 96-bit scheme takes digits only"},
        {id("urn:epc:id:sgtin:0614141.812345.6 7", 3), "a character no EPC URI allows: ' '"},
        {id("urn:epc:id:grai:0614141.12345.5%41", 3), "a character no EPC URI allows: '%'"},
        {id("urn:epc:id:sgtin:0614141.812345", 3), "urn:epc:id:sgtin:C.I.S (company prefix.item reference.serial)"},
        {id("urn:epc:id:sgtin:0614141.812345.6789", 9), "filter must be 0 to 7"},
        {[] { fromGtin14("80614141123457", 7, "1", 0); }, "check digit 7, the digits before it need 8"},
        {[] { fromGtin14("8061414112345", 7, "1", 0); }, "GTIN-14 must be 14 digits"},
        {[] { fromGtin14("80614141123458", 13, "1", 0); }, "company prefix length must be 6 to 12"},
        {[] {
             encode(Gs1Epc{Scheme::Sscc96, 0, "0614141", "1234567890", "5"});
         },
         "SSCC-96 has no serial"},
        {[] {
             encode(Gs1Epc{Scheme::Giai96, 0, "0614141", "1", "5"});
         },
         "GIAI-96 has no reference field"},
        {[] {
             encode(Gs1Epc{Scheme::Grai96, -1, "0614141", "12345", "5"});
         },
         "filter must be 0 to 7"},
        {text("urn:epc:id:sgtin:0614141.812345.6789"), "needs a filter value (0 to 7)"},
        {text("urn:epc:raw:64.x3074257BF7194E4000001A85"), "says 64 bits but holds 96"},
        {text("urn:epc:raw:96.3074257BF7194E4000001A85"), "urn:epc:raw:96.x"},
        {text("urn:isbn:123"), "no EPC URI this tool knows"},
        {text(""), "EPC is empty"},
        {text("30 74 25 G0"), "'G', which is not a hex digit"},
        {text("3074257"), "odd number of hex digits"},
        {text("307425"), "is 3 bytes: an EPC is whole 16-bit words, 2 to 62 bytes"},
        {text("0102030405060708091011121314151617181920212223242526272829303132"
              "0102030405060708091011121314151617181920212223242526272829303132"),
         "is 64 bytes"},
    };
    for (const Case &c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no error, expected: " << c.expected;
        } catch (const UserError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.expected))) << e.what() << "\n  expected: " << c.expected;
        }
    }
}

TEST(Gs1Codec, CounterOfEachScheme)
{
    struct Case {
        const char *uri;
        quint64 value, max;
        const char *next;
    } cases[] = {
        {"urn:epc:tag:sgtin-96:3.0614141.812345.6789", 6789, 274877906943ull,
         "urn:epc:tag:sgtin-96:3.0614141.812345.6790"},
        {"urn:epc:tag:sscc-96:3.0614141.0000000099", 99, 9999999999ull, "urn:epc:tag:sscc-96:3.0614141.0000000100"},
        {"urn:epc:tag:sgln-96:3.0614141.12345.0", 0, 2199023255551ull, "urn:epc:tag:sgln-96:3.0614141.12345.1"},
        {"urn:epc:tag:giai-96:3.123456.7", 7, 4611686018427387903ull, "urn:epc:tag:giai-96:3.123456.8"},
    };
    for (const Case &c : cases) {
        const Gs1Epc e = parseTagUri(c.uri);
        const Counter counter = counterOf(e);
        EXPECT_EQ(counter.value, c.value) << c.uri;
        EXPECT_EQ(counter.max, c.max) << c.uri;
        EXPECT_EQ(tagUri(withCounter(e, c.value + 1)), c.next);
    }
}

// Random values under the five headers: whatever decodes as GS1 encodes back to the same
// bytes, and its URIs parse back to it; the rest is raw.
TEST(Gs1Codec, RandomValuesDecodeToWhatEncodesThemOrRaw)
{
    std::mt19937 rng(961);
    int gs1 = 0;
    for (int i = 0; i < 20000; ++i) {
        QByteArray value(12, '\0');
        for (char &b : value)
            b = char(rng());
        value[0] = char(0x30 + rng() % 5);
        if (i % 2) // a partition of 0 to 6 and a company prefix in range, most of the time
            value[1] = char((value[1] & 0xE3) | ((rng() % 7) << 2)), value[2] = char(value[2] & 0x7F);
        const Decoded d = decode(value);
        if (!d.gs1) {
            EXPECT_EQ(d.tagUri, rawUri(value));
            continue;
        }
        ++gs1;
        ASSERT_EQ(encode(*d.gs1), value) << qPrintable(d.tagUri);
        ASSERT_EQ(parseTagUri(d.tagUri), *d.gs1);
        ASSERT_EQ(parseIdUri(d.idUri, d.gs1->filter), *d.gs1);
    }
    EXPECT_GT(gs1, 1000);
}

} // namespace
