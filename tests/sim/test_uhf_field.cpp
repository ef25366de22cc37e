#include "epc/gs1codec.h"
#include "base/errors.h"
#include "protocol/tidchips.h"
#include "protocol/uhf.h"
#include "sim/simulatorwindow.h"
#include "simtestutil.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QSpinBox>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

namespace
{

using Tag = UhfTag;

QByteArray word32(uint32_t v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}
QByteArray word16(int v)
{
    return QByteArray(1, char(v >> 8)) + char(v);
}
const QByteArray kNoPassword(4, '\0');
const QByteArray kPassword = word32(UhfField::kAccessPassword);

// The module frame the simulated reader's USB transport hands back (status 00), whole.
QByteArray moduleExchange(SimulatedReader &r, const QByteArray &moduleFrame)
{
    r.write(frames::uhf(0x00, moduleFrame));
    const QByteArray reply = r.read(100);
    EXPECT_TRUE(frames::checkReaderFrame(reply).ok());
    EXPECT_EQ(reply.mid(3, 1), QByteArray(1, '\0')) << "reader status of " << moduleFrame.toHex().constData();
    return protocol::uhf::moduleFrame(reply);
}

QByteArray select(SimulatedReader &r, int bank, uint32_t pointerBits, const QByteArray &mask)
{
    return moduleExchange(
        r, frames::module(0x0C, QByteArray(1, char(bank)) + word32(pointerBits) + char(8 * mask.size()) + '\0' + mask));
}
QByteArray selectEpc(SimulatedReader &r, const Tag &tag)
{
    return select(r, 1, 0x20, tag.epc());
}
QByteArray read(SimulatedReader &r, int bank, int address, int words, const QByteArray &password = kNoPassword)
{
    return moduleExchange(r, frames::module(0x39, password + char(bank) + word16(address) + word16(words)));
}
QByteArray write(SimulatedReader &r, int bank, int address, const QByteArray &data,
                 const QByteArray &password = kNoPassword)
{
    return moduleExchange(
        r, frames::module(0x49, password + char(bank) + word16(address) + word16(int(data.size() / 2)) + data));
}
// The words a read gives, or the error frame's parameters prefixed by "FF".
QByteArray outcome(const QByteArray &module)
{
    const auto m = protocol::uhf::parseModule(module);
    if (!m)
        return "damaged";
    if (m->isError())
        return QByteArray::fromHex("FF") + m->params;
    const auto read = protocol::uhf::parseBankRead(module);
    return read ? read->data : QByteArray::fromHex("49");
}
// What a module error carries for a tag's memory error: code, PC+EPC length, PC and EPC.
QByteArray memoryError(uint8_t code, const Tag &tag)
{
    return QByteArray::fromHex("FF") + char(code) + char(2 + tag.epc().size()) + tag.pc() + tag.epc();
}

// The first tag past the special ones whose chip has at least the given user memory.
int tagWithUserWords(const UhfField &field, int words)
{
    for (int i = UhfField::kLockedUserTag + 1; i < field.size(); ++i)
        if (field.chip(i).userWords >= words)
            return i;
    return -1;
}

TEST(UhfField, InventoryOverRoundsHearsEveryTagWithItsSignal)
{
    struct Case {
        int tags;
        int maxRounds; // a reply carries up to 9 tags of 96 bits; slots collide; 12 in 20 for rfidctl
    };
    for (const Case c : {Case{0, 3}, Case{1, 1}, Case{12, 20}, Case{500, 200}}) {
        SimulatedReader r;
        int64_t nowMs = 0;
        r.uhf().fillField(c.tags); // the seed RFID_SIM_FIELD fills with
        r.uhf().setFieldClock([&] { return nowMs; });
        const UhfField &field = *r.uhf().field();
        std::map<QByteArray, int> byEpc;
        for (int i = 0; i < field.size(); ++i)
            byEpc[field.tag(i).epc()] = i;
        std::set<int> heard;
        int rounds = 0;
        while (rounds < c.maxRounds && int(heard.size()) < c.tags) {
            ++rounds;
            nowMs += 137;
            const QByteArray reply = moduleExchange(r, frames::module(0x22, {}));
            const auto split = protocol::uhf::splitModuleFrames(reply);
            EXPECT_TRUE(split.rest.isEmpty()) << c.tags;
            for (const QByteArray &f : split.frames) {
                const auto tag = protocol::uhf::parseInventory(f);
                if (!tag) // the no-tag error frame of a round where every tag collided
                    continue;
                ASSERT_TRUE(byEpc.count(tag->epc)) << c.tags << ": " << tag->epc.toHex().constData();
                const int i = byEpc[tag->epc];
                heard.insert(i);
                EXPECT_EQ(int8_t(f[5]), field.rssi(i, nowMs)) << c.tags;
                EXPECT_EQ(tag->pc, field.tag(i).pc());
                EXPECT_EQ(tag->crc, field.tag(i).crc());
            }
        }
        EXPECT_EQ(int(heard.size()), c.tags) << "after " << rounds << " rounds";
    }
    SimulatedReader empty;
    empty.uhf().fillField(0);
    EXPECT_EQ(moduleExchange(empty, frames::module(0x22, {})).size(), protocol::uhf::kNoTagFrameBytes);
}

TEST(UhfField, SelectByEpcOrTidReachesThatTagOnly)
{
    SimulatedReader r;
    r.uhf().fillField(12);
    const UhfField &field = *r.uhf().field();
    const UhfField untouched(12, UhfField::kDefaultSeed);
    const int i = tagWithUserWords(field, 4);
    ASSERT_GE(i, 0);
    const Tag &tag = field.tag(i);

    selectEpc(r, tag);
    EXPECT_EQ(outcome(write(r, 3, 1, QByteArray::fromHex("C0DE5AFE"))), QByteArray::fromHex("49"));
    EXPECT_EQ(outcome(read(r, 3, 0, 4)), QByteArray::fromHex("0000C0DE5AFE0000"));
    for (int k = 0; k < field.size(); ++k) {
        if (k != i) {
            EXPECT_EQ(field.tag(k).user, untouched.tag(k).user) << "tag " << k;
        }
    }

    struct Case {
        const char *name;
        int bank;
        uint32_t pointerBits;
        QByteArray mask;
    };
    const Case found[] = {
        {"whole TID", 2, 0, tag.tid},
        {"TID serial only", 2, 0x30, tag.tid.mid(6)},
        {"EPC's last 32 bits", 1, uint32_t(0x20 + 8 * (tag.epc().size() - 4)), tag.epc().right(4)},
    };
    for (const Case &c : found) {
        select(r, c.bank, c.pointerBits, c.mask);
        EXPECT_EQ(outcome(read(r, 3, 1, 2)), QByteArray::fromHex("C0DE5AFE")) << c.name;
    }

    select(r, 2, 0, QByteArray::fromHex("E2FFFFFF"));
    EXPECT_EQ(outcome(read(r, 3, 0, 1)), QByteArray::fromHex("FF09")) << "no tag matches: read fails";
    EXPECT_EQ(outcome(write(r, 3, 0, "\x12\x34")), QByteArray::fromHex("FF10")) << "and so does a write";
    select(r, 0, 0, tag.epc());
    EXPECT_EQ(outcome(read(r, 3, 0, 1)), QByteArray::fromHex("FF09")) << "bank 00 holds nothing to select on";
}

TEST(UhfField, TagsRefuseAsTheirMemoryAndLocksSay)
{
    const UhfField field(12, UhfField::kDefaultSeed);
    const int withUser = tagWithUserWords(field, 1);
    int withoutUser = -1;
    for (int i = 0; i < field.size() && withoutUser < 0; ++i)
        if (field.chip(i).userWords == 0)
            withoutUser = i;
    ASSERT_GE(withUser, 0);
    ASSERT_GE(withoutUser, 0);
    const int userWords = field.chip(withUser).userWords;
    const int pw = UhfField::kPasswordTag, lockedEpc = UhfField::kLockedEpcTag, lockedUser = UhfField::kLockedUserTag;
    const QByteArray wrong = word32(0x12345678);

    enum Kind { Read, Write };
    struct Case {
        const char *name;
        int tag;
        Kind kind;
        int bank, address, words;
        QByteArray password;
        QByteArray expected; // "FF" + error parameters, the words read, or 49 for a write done
    };
    const Case cases[] = {
        {"user words to the end", withUser, Read, 3, userWords - 1, 1, kNoPassword, QByteArray(2, '\0')},
        {"user past its end", withUser, Read, 3, userWords - 1, 2, kNoPassword, memoryError(0xA3, field.tag(withUser))},
        {"user of a chip without", withoutUser, Read, 3, 0, 1, kNoPassword, memoryError(0xA3, field.tag(withoutUser))},
        {"write past the user end", withUser, Write, 3, userWords, 1, kNoPassword,
         memoryError(0xA3, field.tag(withUser))},
        {"TID read", withUser, Read, 2, 0, 6, kNoPassword, field.tag(withUser).tid},
        {"TID past its end", withUser, Read, 2, 4, 3, kNoPassword, memoryError(0xA3, field.tag(withUser))},
        {"TID written", withUser, Write, 2, 0, 1, kNoPassword, memoryError(0xA4, field.tag(withUser))},
        {"no such bank", withUser, Read, 4, 0, 1, kNoPassword, memoryError(0xA3, field.tag(withUser))},
        {"permalocked EPC", lockedEpc, Write, 1, 2, 1, kNoPassword, memoryError(0xA4, field.tag(lockedEpc))},
        {"reserved without the password", pw, Read, 0, 0, 4, kNoPassword, QByteArray::fromHex("FF16")},
        {"reserved with a wrong one", pw, Read, 0, 0, 4, wrong, QByteArray::fromHex("FF16")},
        {"reserved with it", pw, Read, 0, 0, 4, kPassword, QByteArray(4, '\0') + kPassword},
        {"reserved past its end", pw, Read, 0, 3, 2, kPassword, memoryError(0xA3, field.tag(pw))},
        {"its unlocked EPC bank, no password", pw, Write, 1, 2, 1, kNoPassword, QByteArray::fromHex("49")},
        {"a wrong password fails any access", pw, Read, 1, 2, 1, wrong, QByteArray::fromHex("FF16")},
        {"locked user written without", lockedUser, Write, 3, 0, 1, kNoPassword, QByteArray::fromHex("FF16")},
        {"locked user written with it", lockedUser, Write, 3, 0, 1, kPassword, QByteArray::fromHex("49")},
        {"locked user read without", lockedUser, Read, 3, 0, 1, kNoPassword, QByteArray(2, '\0')},
        {"a tag without password takes any", withUser, Write, 3, 0, 1, wrong, QByteArray::fromHex("49")},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        r.uhf().fillField(12);
        selectEpc(r, r.uhf().field()->tag(c.tag));
        const QByteArray reply = c.kind == Read
                                     ? read(r, c.bank, c.address, c.words, c.password)
                                     : write(r, c.bank, c.address, QByteArray(2 * c.words, '\x5A'), c.password);
        EXPECT_EQ(outcome(reply).toHex(), c.expected.toHex()) << c.name;
        if (c.kind == Write && c.expected != QByteArray::fromHex("49")) {
            EXPECT_EQ(r.uhf().field()->tag(c.tag).user, field.tag(c.tag).user) << c.name << ": nothing written";
        }
    }
}

TEST(UhfField, WritesChangePasswordsAndKeepTheEpcBankConsistent)
{
    SimulatedReader r;
    r.uhf().fillField(12);
    const Tag &tag = r.uhf().field()->tag(UhfField::kPasswordTag);
    selectEpc(r, tag);
    const QByteArray next = word32(0x0BADCAFE);
    EXPECT_EQ(outcome(write(r, 0, 2, next, kPassword)), QByteArray::fromHex("49"));
    EXPECT_EQ(outcome(read(r, 0, 2, 2, kPassword)), QByteArray::fromHex("FF16")) << "the old password is gone";
    EXPECT_EQ(outcome(read(r, 0, 2, 2, next)), next);

    // A new PC word of 4 words and a new EPC: the tag recomputes its CRC and keeps the length.
    const QByteArray epc = QByteArray::fromHex("1122334455667788");
    EXPECT_EQ(outcome(write(r, 1, 0, QByteArray::fromHex("FFFF2000") + epc)), QByteArray::fromHex("49"));
    EXPECT_EQ(tag.pc(), QByteArray::fromHex("2000"));
    EXPECT_EQ(tag.epc(), epc);
    const uint16_t crc = uhfCrc16(QByteArray::fromHex("2000") + epc);
    EXPECT_EQ(tag.crc(), word16(crc));
    select(r, 1, 0x20, epc);
    EXPECT_EQ(outcome(read(r, 1, 0, 6)), word16(crc) + QByteArray::fromHex("2000") + epc);
}

TEST(UhfField, TagsAreDistinctRealChipsAndGs1EpcsDecode)
{
    const UhfField field(UhfField::kMaxTags, 3);
    std::set<QByteArray> epcs, tids;
    std::set<QString> schemes, chips;
    int without = 0;
    for (int i = 0; i < field.size(); ++i) {
        const Tag &t = field.tag(i);
        const SimChip &chip = field.chip(i);
        epcs.insert(t.epc());
        tids.insert(t.tid);
        // The tool's chip names, a table of their own, agree with the chips the field makes.
        const auto named = protocol::tid::identify(t.tid);
        EXPECT_EQ(named.maker, QString::fromLatin1(chip.maker)) << i;
        EXPECT_EQ(named.model, QString::fromLatin1(chip.model)) << i;
        chips.insert(named.text);
        EXPECT_EQ(t.user.size(), 2 * chip.userWords) << i;
        without += chip.userWords == 0;
        EXPECT_EQ(t.pc().at(0) >> 3, t.epc().size() / 2) << i;
        const epc::Decoded d = epc::decode(t.epc());
        schemes.insert(d.scheme.isEmpty() ? QStringLiteral("raw %1").arg(8 * t.epc().size()) : d.scheme);
    }
    EXPECT_EQ(int(epcs.size()), field.size());
    EXPECT_EQ(int(tids.size()), field.size());
    EXPECT_EQ(schemes, (std::set<QString>{"SGTIN-96", "SSCC-96", "GRAI-96", "raw 96", "raw 128"}));
    EXPECT_EQ(int(chips.size()), int(simulatedChips().size()));
    EXPECT_GT(without, 0);
    EXPECT_EQ(epc::decode(field.tag(0).epc()).tagUri.left(29), "urn:epc:tag:sgtin-96:1.061414");
}

TEST(UhfField, SignalDriftsAsTagsMoveAndRepeatsForASeed)
{
    const UhfField a(20, 5), same(20, 5), other(20, 6);
    bool differs = false;
    for (int i = 0; i < a.size(); ++i) {
        int low = 127, high = -128, previous = a.rssi(i, 0);
        for (int64_t ms = 0; ms <= 60000; ms += 100) {
            const int v = a.rssi(i, ms);
            EXPECT_EQ(v, same.rssi(i, ms));
            differs |= v != other.rssi(i, ms);
            EXPECT_GE(v, -90);
            EXPECT_LE(v, -25);
            EXPECT_LE(std::abs(v - previous), 4) << "tag " << i << " jumps at " << ms << " ms";
            previous = v;
            low = std::min(low, v), high = std::max(high, v);
        }
        EXPECT_GE(high - low, 3) << "tag " << i << " stands still";
    }
    EXPECT_TRUE(differs);
}

// Module frames of random parameters against a full field: a whole reply every time, within the
// reply area, whatever the select's pointer and mask or the bank, address and count.
TEST(UhfField, RandomModuleFramesGetWholeReplies)
{
    std::mt19937 rng(20241120);
    SimulatedReader r;
    r.uhf().fillField(UhfField::kMaxTags);
    const uint8_t commands[] = {0x22, 0x0C, 0x39, 0x49};
    for (int i = 0; i < 4000; ++i) {
        QByteArray params(int(rng() % 40), '\0');
        for (char &c : params)
            c = char(rng());
        const uint8_t command = commands[rng() % std::size(commands)];
        if (command == 0x0C && params.size() >= 7) // a mask as long as its length says
            params = params.left(7 + (uint8_t(params[5]) + 7) / 8).leftJustified(7 + (uint8_t(params[5]) + 7) / 8, 'A');
        if (command == 0x22)
            params.clear();
        r.write(frames::uhf(0x00, frames::module(command, params)));
        const QByteArray reply = r.read(0);
        ASSERT_TRUE(frames::checkReaderFrame(reply).ok()) << i;
        const QByteArray module = protocol::uhf::moduleFrame(reply);
        if (reply.at(3) == 0) {
            EXPECT_TRUE(protocol::uhf::splitModuleFrames(module).rest.isEmpty()) << i;
        }
    }
}

TEST(UhfField, SizeFromTheEnvironment)
{
    struct Case {
        const char *text;
        int tags; // -1: refused
    };
    for (const Case c : {Case{"0", 0}, Case{"12", 12}, Case{" 500 ", 500}, Case{"0012", 12}, Case{"501", -1},
                         Case{"-1", -1}, Case{"+3", -1}, Case{"12 tags", -1}, Case{"0x10", -1}, Case{"", -1},
                         Case{"99999999999", -1}, Case{"١٢", -1}}) {
        const QString text = QString::fromUtf8(c.text);
        if (c.tags >= 0) {
            EXPECT_EQ(UhfField::parseSize(text), c.tags) << c.text;
            continue;
        }
        try {
            UhfField::parseSize(text);
            ADD_FAILURE() << c.text << " was taken";
        } catch (const UserError &e) {
            EXPECT_TRUE(e.message().startsWith("RFID_SIM_FIELD must be a whole number of tags from 0 to 500"))
                << e.message().toStdString();
        }
    }
    qunsetenv(UhfField::kSizeVariable);
    EXPECT_FALSE(UhfField::sizeFromEnvironment());
    qputenv(UhfField::kSizeVariable, "7");
    EXPECT_EQ(UhfField::sizeFromEnvironment(), 7);
    qunsetenv(UhfField::kSizeVariable);
}

TEST(UhfField, TheSimulatorWindowFillsAndEmptiesIt)
{
    SimulatedReader r;
    SimulatorWindow w(r);
    w.findChild<QSpinBox *>("fieldSize")->setValue(30);
    w.findChild<QAbstractButton *>("fillField")->click();
    ASSERT_TRUE(r.uhf().field());
    EXPECT_EQ(r.uhf().field()->size(), 30);
    EXPECT_EQ(w.findChild<QListWidget *>("fieldTags")->count(), 30);
    EXPECT_EQ(moduleExchange(r, frames::module(0x22, {})).size() > protocol::uhf::kNoTagFrameBytes, true);
    w.findChild<QAbstractButton *>("leaveField")->click();
    EXPECT_FALSE(r.uhf().field());
    EXPECT_EQ(w.findChild<QListWidget *>("fieldTags")->count(), 0);
    const auto tag = protocol::uhf::parseInventory(moduleExchange(r, frames::module(0x22, {})));
    ASSERT_TRUE(tag);
    EXPECT_EQ(QString::fromLatin1(tag->epc.toHex().toUpper()), r.currentEpc()) << "the one tag answers again";
}

} // namespace
