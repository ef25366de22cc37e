#include "base/errors.h"
#include "field/tagmemory.h"
#include "fieldrig.h"
#include "protocol/uhf.h"

#include <gtest/gtest.h>

namespace
{

namespace uhf = protocol::uhf;
using Status = field::MemoryResult::Status;

const QByteArray kPassword = QByteArray::fromHex("C0FFEE01");

// A tag of the field past the special ones with at least this much user memory.
int tagWithUserWords(const FieldRig &rig, int words)
{
    for (int i = UhfField::kLockedUserTag + 1; i < rig.module.field()->size(); ++i)
        if (rig.module.field()->chip(i).userWords >= words)
            return i;
    return -1;
}

int tagWithoutUser(const FieldRig &rig)
{
    for (int i = 0; i < rig.module.field()->size(); ++i)
        if (rig.module.field()->chip(i).userWords == 0)
            return i;
    return -1;
}

// Each bank read whole, in chunks no reply overflows, the size of user memory found by reading
// until the tag refuses; the tag's refusals in words with the module's code.
TEST(TagMemory, ReadsBanksInChunksAndSaysRefusals)
{
    FieldRig probe(12);
    const int big = tagWithUserWords(probe, 40), none = tagWithoutUser(probe);
    ASSERT_GE(big, 0);
    ASSERT_GE(none, 0);
    struct Case {
        const char *name;
        int tag;
        uint8_t bank;
        std::optional<int> words; // none: to the bank's end
        QByteArray password;
        Status status;
        std::optional<uint8_t> code;
        const char *message = "";
    };
    const Case cases[] = {
        {"user memory to its end", big, uhf::kBankUser, {}, {}, Status::Ok, {}},
        {"no user memory: 0 words", none, uhf::kBankUser, {}, {}, Status::Ok, {}},
        {"40 user words", big, uhf::kBankUser, 40, {}, Status::Ok, {}},
        {"the EPC bank with CRC and PC", big, uhf::kBankEpc, {}, {}, Status::Ok, {}},
        {"the TID", big, uhf::kBankTid, {}, {}, Status::Ok, {}},
        {"reserved with the password", UhfField::kPasswordTag, uhf::kBankReserved, 4, kPassword, Status::Ok, {}},
        {"reserved without it", UhfField::kPasswordTag, uhf::kBankReserved, 4, {}, Status::Refused, 0x16,
         "access failed (wrong password) (module error 16)"},
        {"past the user end", none, uhf::kBankUser, 1, {}, Status::Refused, 0xA3,
         "memory overrun (no such memory) (module error A3)"},
    };
    for (const Case &c : cases) {
        FieldRig rig(12);
        const UhfTag &tag = rig.tag(c.tag);
        field::TagMemory memory(rig.channel, field::TagAddress::epc(tag.epc()),
                                c.password.isEmpty() ? QByteArray(4, '\0') : c.password);
        const field::MemoryResult r = c.words ? memory.read(c.bank, 0, *c.words) : memory.readToEnd(c.bank);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.message.toStdString();
        EXPECT_EQ(r.moduleCode, c.code) << c.name;
        EXPECT_TRUE(r.message.contains(QLatin1String(c.message))) << c.name << ": " << r.message.toStdString();
        if (c.status == Status::Ok) {
            const QByteArray whole = *tag.bank(c.bank);
            EXPECT_EQ(r.data.toHex(), (c.words ? whole.left(2 * *c.words) : whole).toHex()) << c.name;
            EXPECT_EQ(r.epc, tag.epc()) << c.name;
        }
        for (const QByteArray &f : rig.sent)
            if (uint8_t(f[2]) == uhf::kRead)
                EXPECT_LE((uint8_t(f[12]) << 8) | uint8_t(f[13]), field::TagMemory::kReadChunkWords) << c.name;
        // Each read selects the tag first.
        EXPECT_EQ(rig.countSent(uhf::kSelect), rig.countSent(uhf::kRead)) << c.name;
    }
}

// Writes reach the addressed tag only, each chunk read back; a refusal or a word the tag holds
// otherwise is reported with its address; input found wrong without a tag sends nothing.
TEST(TagMemory, WritesTheAddressedTagAndVerifies)
{
    FieldRig probe(12);
    const int big = tagWithUserWords(probe, 40);
    ASSERT_GE(big, 0);
    const QByteArray words40 = QByteArray::fromHex(QByteArray("0123456789ABCDEF").repeated(10));
    enum Fault { None, StoresOtherValue };
    struct Case {
        const char *name;
        int tag;
        uint8_t bank;
        int address;
        QByteArray data;
        QByteArray password;
        Fault fault;
        Status status;
        std::optional<uint8_t> code;
        int failedAt;
    };
    const Case cases[] = {
        {"40 user words in chunks", big, uhf::kBankUser, 0, words40, {}, None, Status::Ok, {}, -1},
        {"locked user memory with the password", UhfField::kLockedUserTag, uhf::kBankUser, 1,
         QByteArray::fromHex("BEEF"), kPassword, None, Status::Ok, {}, -1},
        {"locked user memory without it", UhfField::kLockedUserTag, uhf::kBankUser, 1, QByteArray::fromHex("BEEF"), {},
         None, Status::Refused, 0x16, 1},
        {"a permalocked EPC bank", UhfField::kLockedEpcTag, uhf::kBankEpc, 2, QByteArray::fromHex("BEEF"), {}, None,
         Status::Refused, 0xA4, 2},
        {"a word past the user end, nothing written", big, uhf::kBankUser, 2, QByteArray(2 * 1000, 'x'), {}, None,
         Status::Refused, 0xA3, 1001},
        {"the tag keeps another value", big, uhf::kBankUser, 20, QByteArray::fromHex("11112222"), {}, StoresOtherValue,
         Status::Differs, {}, 21},
    };
    for (const Case &c : cases) {
        FieldRig rig(12);
        const UhfField before(12, UhfField::kDefaultSeed);
        if (c.fault == StoresOtherValue)
            rig.tamper = [](QByteArray &f) {
                if (uint8_t(f[2]) == uhf::kWrite)
                    f[f.size() - 3] = char(f[f.size() - 3] ^ 0x01), f[f.size() - 2] = char(f[f.size() - 2] + 1);
            };
        field::TagMemory memory(rig.channel, field::TagAddress::epc(rig.tag(c.tag).epc()),
                                c.password.isEmpty() ? QByteArray(4, '\0') : c.password);
        const field::MemoryResult r = memory.write(c.bank, c.address, c.data);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.message.toStdString();
        EXPECT_EQ(r.moduleCode, c.code) << c.name;
        EXPECT_EQ(r.failedAt, c.failedAt) << c.name << ": " << r.message.toStdString();
        if (c.status == Status::Ok)
            EXPECT_EQ(rig.tag(c.tag).bank(c.bank)->mid(2 * c.address, c.data.size()), c.data) << c.name;
        if (c.code == 0xA3)
            EXPECT_EQ(rig.countSent(uhf::kWrite), 0) << c.name << ": refused before a word is written";
        for (int k = 0; k < before.size(); ++k)
            if (k != c.tag)
                EXPECT_EQ(rig.tag(k).user, before.tag(k).user) << c.name << ": tag " << k;
    }

    // Input found wrong without a tag: refused naming the value, nothing sent.
    const std::tuple<uint8_t, int, QByteArray, const char *> bad[] = {
        {uhf::kBankTid, 0, QByteArray::fromHex("1234"), "read-only"},
        {uhf::kBankReserved, 3, QByteArray::fromHex("12345678"), "more than the reserved bank holds"},
        {uhf::kBankEpc, 0, QByteArray::fromHex("1234"), "CRC"},
        {uhf::kBankEpc, 1, QByteArray::fromHex("0800 1111 2222"), "length bits say 1 word"},
        {uhf::kBankUser, 0, QByteArray::fromHex("123456"), "whole 2-byte words"},
    };
    for (const auto &[bank, address, data, message] : bad) {
        FieldRig rig(12);
        field::TagMemory memory(rig.channel, field::TagAddress::epc(rig.tag(big).epc()));
        try {
            memory.write(bank, address, data);
            ADD_FAILURE() << message << ": not refused";
        } catch (const UserError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(message))) << e.message().toStdString();
        }
        EXPECT_TRUE(rig.sent.empty()) << message;
    }
}

// The PC word's length bits follow the EPC: a write past its end makes it longer, a new EPC
// sets them, and the other PC bits stay.
TEST(TagMemory, TheEpcBankKeepsItsPcWordRight)
{
    FieldRig probe(12);
    int i = UhfField::kLockedUserTag + 1;
    while (i < 12 && (probe.module.field()->chip(i).epcWords < 8 || probe.tag(i).epc().size() > 12))
        ++i;
    ASSERT_LT(i, 12);
    const QByteArray oldEpc = probe.tag(i).epc();
    const int oldWords = int(oldEpc.size() / 2);
    const int lowBits = (uint8_t(probe.tag(i).pc()[0]) << 8 | uint8_t(probe.tag(i).pc()[1])) & 0x07FF;
    struct Case {
        const char *name;
        bool newEpc; // writeEpc, else words written behind the EPC's end
        QByteArray data;
        int epcWords;
    };
    const Case cases[] = {
        {"two words past the end", false, QByteArray::fromHex("AAAABBBB"), oldWords + 2},
        {"a shorter EPC", true, QByteArray::fromHex("3034257BF7194E40"), 4},
        {"a longer EPC", true, QByteArray::fromHex("E2000000000000000000000000000001"), 8},
    };
    for (const Case &c : cases) {
        FieldRig rig(12);
        field::TagMemory memory(rig.channel, field::TagAddress::epc(oldEpc));
        const field::MemoryResult r =
            c.newEpc ? memory.writeEpc(c.data) : memory.write(uhf::kBankEpc, 2 + oldWords, c.data);
        ASSERT_TRUE(r.ok()) << c.name << ": " << r.message.toStdString();
        const QByteArray pc = rig.tag(i).pc();
        EXPECT_EQ((uint8_t(pc[0]) << 8 | uint8_t(pc[1])) >> 11, c.epcWords) << c.name;
        EXPECT_EQ((uint8_t(pc[0]) << 8 | uint8_t(pc[1])) & 0x07FF, lowBits) << c.name;
        EXPECT_EQ(rig.tag(i).epc(), c.newEpc ? c.data : oldEpc + c.data) << c.name;
        EXPECT_EQ(r.epc, rig.tag(i).epc()) << c.name << ": the tag's EPC as it answers now";
    }
}

// Two tags share an EPC: a write by that EPC reaches the one whose TID it pinned and no other;
// a write by the other's TID reaches it; a TID given by its start only writes nothing.
TEST(TagMemory, ASharedEpcIsWrittenThroughTheTid)
{
    FieldRig rig(12);
    const int first = tagWithUserWords(rig, 2);
    int second = first + 1;
    while (second < 12 && rig.module.field()->chip(second).userWords < 2)
        ++second;
    ASSERT_LT(second, 12);
    const QByteArray epc = rig.tag(first).epc();
    {
        field::TagMemory copy(rig.channel, field::TagAddress::tid(rig.tag(second).tid));
        ASSERT_TRUE(copy.writeEpc(epc).ok());
    }
    ASSERT_EQ(rig.tag(second).epc(), epc);

    field::TagMemory byEpc(rig.channel, field::TagAddress::epc(epc));
    ASSERT_TRUE(byEpc.write(uhf::kBankUser, 0, QByteArray::fromHex("1111")).ok());
    EXPECT_EQ(byEpc.pinnedTid(), rig.tag(first).tid);
    field::TagMemory byTid(rig.channel, field::TagAddress::tid(rig.tag(second).tid));
    ASSERT_TRUE(byTid.write(uhf::kBankUser, 0, QByteArray::fromHex("2222")).ok());
    EXPECT_EQ(rig.tag(first).user.left(2), QByteArray::fromHex("1111"));
    EXPECT_EQ(rig.tag(second).user.left(2), QByteArray::fromHex("2222"));

    rig.sent.clear();
    field::TagMemory byTidStart(rig.channel, field::TagAddress::tid(rig.tag(second).tid.left(4)));
    const field::MemoryResult r = byTidStart.write(uhf::kBankUser, 0, QByteArray::fromHex("3333"));
    EXPECT_EQ(r.status, Status::NotUnique) << r.message.toStdString();
    EXPECT_EQ(rig.countSent(uhf::kWrite), 0);
}

} // namespace
