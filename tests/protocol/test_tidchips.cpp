#include "protocol/tidchips.h"

#include <gtest/gtest.h>

namespace
{

using namespace protocol::tid;

// TIDs as tags of these chips carry them (serials made up), and what is not a chip's TID.
TEST(TidChips, NamesTheChipOrSaysWhatIsUnknown)
{
    struct Case {
        const char *tid;
        const char *text;
        const char *maker;
        const char *model;
    };
    const Case cases[] = {
        {"E2801160200074CF085F0936", "Impinj Monza R6", "Impinj", "Monza R6"},
        {"E2801105200075A1B2C3D4E5", "Impinj Monza 4QT", "Impinj", "Monza 4QT"},
        {"E2801190200051187E26CB52", "Impinj M750", "Impinj", "M750"},
        {"E2801191", "Impinj M730", "Impinj", "M730"},
        {"E2003412013BFF0012345678", "Alien Technology Higgs-3", "Alien Technology", "Higgs-3"},
        {"E2803821200011112222", "Alien Technology Higgs-9", "Alien Technology", "Higgs-9"},
        {"E2806894200050A1B2C3D4E5", "NXP UCODE 8", "NXP", "UCODE 8"},
        {"E2806995", "NXP UCODE 9", "NXP", "UCODE 9"},
        {"E2806F12", "NXP UCODE 7xm-2k", "NXP", "UCODE 7xm-2k"},
        {"E200B044", "EM Microelectronic EM4325", "EM Microelectronic", "EM4325"},
        // Security and file bits set do not change the chip.
        {"E2E011A0", "Impinj M770", "Impinj", "M770"},
        // A known maker with a number none of its lists has.
        {"E2801FFF", "Impinj, unknown model 0xFFF", "Impinj", ""},
        {"E281D001", "Kiloway, unknown model 0x001", "Kiloway", ""},
        // A mask-designer ID past the list.
        {"E29AB123", "unknown (mask designer 0x1AB, model 0x123)", "", ""},
        {"E0040150954F0A2B", "E0 class (ISO 15693-style), NXP", "NXP", ""},
        {"E0AA0000", "E0 class (ISO 15693-style), maker code 0xAA", "", ""},
        {"E0", "TID too short (1 byte)", "", ""},
        {"E280", "TID too short (2 bytes)", "", ""},
        {"E28011", "TID too short (3 bytes)", "", ""},
        {"3000AABB", "unknown TID class 0x30", "", ""},
        {"", "no TID", "", ""},
    };
    for (const Case &c : cases) {
        const Chip chip = identify(QByteArray::fromHex(c.tid));
        EXPECT_EQ(chip.text, QString::fromUtf8(c.text)) << c.tid;
        EXPECT_EQ(chip.maker, QString::fromUtf8(c.maker)) << c.tid;
        EXPECT_EQ(chip.model, QString::fromUtf8(c.model)) << c.tid;
    }
}

TEST(TidChips, HeaderBitsAreReadWhereTheTidHoldsThem)
{
    struct Case {
        const char *tid;
        bool extended, security, file;
        uint16_t maskDesigner, modelNumber;
    };
    const Case cases[] = {
        {"E2801160", true, false, false, 0x001, 0x160},      {"E2C011A2", true, true, false, 0x001, 0x1A2},
        {"E2200000", false, false, true, 0x000, 0x000},      {"E21FFFFF", false, false, false, 0x1FF, 0xFFF},
        {"E2003412FFFF", false, false, false, 0x003, 0x412},
    };
    for (const Case &c : cases) {
        const auto h = gen2Header(QByteArray::fromHex(c.tid));
        ASSERT_TRUE(h) << c.tid;
        EXPECT_EQ(h->extended, c.extended) << c.tid;
        EXPECT_EQ(h->security, c.security) << c.tid;
        EXPECT_EQ(h->file, c.file) << c.tid;
        EXPECT_EQ(h->maskDesigner, c.maskDesigner) << c.tid;
        EXPECT_EQ(h->modelNumber, c.modelNumber) << c.tid;
    }
    for (const char *notOne : {"", "E2", "E28011", "E0801160", "E3801160"})
        EXPECT_FALSE(gen2Header(QByteArray::fromHex(notOne))) << notOne;
}

} // namespace
