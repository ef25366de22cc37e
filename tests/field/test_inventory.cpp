#include "base/clock.h"
#include "field/inventoryround.h"
#include "field/inventoryrun.h"
#include "fieldrig.h"
#include "protocol/frames.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace
{

using Outcome = protocol::Exchange::Outcome;
using Status = field::Round::Status;

QByteArray tagFrame(int8_t rssi, const QByteArray &epc)
{
    return UhfModule::frame(0x02, 0x22, QByteArray(1, char(rssi)) + QByteArray::fromHex("3000") + epc + "\xAB\xCD");
}

// One round judged from how its exchange went and what the module answered: tags with their
// time and signal, "no tag" as an empty round, a cut last frame ignored, two tags of one EPC
// flagged, and the reader's own refusals told apart.
TEST(InventoryRound, EachAnswerJudged)
{
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
    appclock::setSource([now] { return now; });
    const QByteArray a = QByteArray::fromHex("300000000000000000000001"), b = QByteArray::fromHex("E2000002");
    struct Case {
        const char *name;
        protocol::Exchange::Channel channel;
        Outcome outcome;
        std::optional<uint8_t> readerCode;
        QByteArray reply;
        Status status;
        std::vector<int> rssi;
        int cutBytes = 0;
        bool shared = false;
    };
    using Channel = protocol::Exchange::Channel;
    const QByteArray two = tagFrame(-56, a) + tagFrame(-90, b);
    const Case cases[] = {
        {"two tags on the serial line", Channel::Serial, Outcome::Answered, {}, two, Status::Tags, {-56, -90}},
        {"two tags behind the reader's status", Channel::Usb, Outcome::Answered, {}, frames::hf(0x00, QByteArray(1, 0) + two),
         Status::Tags, {-56, -90}},
        {"a cut last frame", Channel::Serial, Outcome::Answered, {}, two + tagFrame(-30, a).left(12), Status::Tags,
         {-56, -90}, 12},
        {"one EPC twice: two tags", Channel::Serial, Outcome::Answered, {}, tagFrame(-40, a) + tagFrame(-41, a),
         Status::Tags, {-40, -41}, 0, true},
        {"the module's no tag", Channel::Serial, Outcome::Answered, {}, UhfModule::errorFrame(0x15), Status::Empty, {}},
        {"the reader's no tag", Channel::Usb, Outcome::Refused, 0x83, {}, Status::Empty, {}},
        {"a module that does not know it", Channel::Serial, Outcome::Answered, {}, UhfModule::errorFrame(0x17),
         Status::Unsupported, {}},
        {"a reader that does not know it", Channel::Usb, Outcome::Refused, 0x8F, {}, Status::Unsupported, {}},
        {"another module error", Channel::Serial, Outcome::Answered, {}, UhfModule::errorFrame(0x20), Status::NoAnswer,
         {}},
        {"damaged frames", Channel::Serial, Outcome::Answered, {}, QByteArray::fromHex("BB02220011"), Status::NoAnswer,
         {}},
        {"silence", Channel::Usb, Outcome::NoAnswer, {}, {}, Status::NoAnswer, {}},
        {"a reader gone", Channel::Usb, Outcome::Gone, {}, {}, Status::ReaderGone, {}},
    };
    for (const Case &c : cases) {
        field::ModuleChannel channel([&c](const protocol::Request &) {
            protocol::Exchange e;
            e.channel = c.channel;
            e.outcome = c.outcome;
            e.errorCode = c.readerCode;
            e.reply = c.reply;
            return e;
        });
        const field::Round round = field::inventoryRound(channel);
        EXPECT_EQ(round.status, c.status) << c.name;
        std::vector<int> rssi;
        for (const field::TagRead &read : round.reads) {
            rssi.push_back(read.rssi);
            EXPECT_EQ(read.timeMs, now.toMSecsSinceEpoch()) << c.name;
            EXPECT_EQ(read.sharedEpc, c.shared) << c.name;
            EXPECT_EQ(read.pc, QByteArray::fromHex("3000")) << c.name;
        }
        EXPECT_EQ(rssi, c.rssi) << c.name;
        EXPECT_EQ(round.cutBytes, c.cutBytes) << c.name;
        EXPECT_EQ(round.why.isEmpty(), c.status == Status::Tags || c.status == Status::Empty) << c.name;
    }
    appclock::setSource({});
}

// A run over the simulated field hears every tag with its own TID, read once per EPC; it ends
// at its limit, at the stop flag, or when the module stays silent.
TEST(InventoryRun, HearsTheFieldAndEndsAsTold)
{
    struct Case {
        const char *name;
        int tags;
        int rounds;
        int stopAfterBatches; // 0: never
        bool silent;
        field::InventoryRun::End end;
        int expectedRounds;
    };
    using End = field::InventoryRun::End;
    const Case cases[] = {
        {"a dozen tags in 20 rounds", 12, 20, 0, false, End::Limit, 20},
        {"stopped after the third round", 12, 20, 3, false, End::Stopped, 3},
        {"an empty field: empty rounds", 0, 7, 0, false, End::Limit, 7},
        {"a silent module", 12, 20, 0, true, End::Silent, field::InventoryRun::kSilentRoundsToEnd},
    };
    for (const Case &c : cases) {
        FieldRig rig(c.tags);
        if (c.silent)
            rig.tamper = [](QByteArray &f) { f.clear(); };
        field::InventoryRun::Options options;
        options.rounds = c.rounds;
        options.readTids = true;
        field::InventoryRun run(rig.channel, options);
        std::atomic<bool> stop{false};
        int batches = 0;
        std::map<QByteArray, QByteArray> tids;
        std::set<QByteArray> epcs;
        const field::InventoryRun::Summary s = run.run(stop, [&](field::ReadBatch &&batch) {
            ++batches;
            rig.nowMs += 100;
            for (const field::TagRead &read : batch.reads)
                epcs.insert(read.epc);
            for (const field::TidRead &t : batch.tids) {
                EXPECT_FALSE(tids.count(t.epc)) << c.name << ": a TID read twice";
                tids[t.epc] = t.tid;
            }
            if (batches == c.stopAfterBatches)
                stop = true;
        });
        EXPECT_EQ(s.end, c.end) << c.name;
        EXPECT_EQ(s.rounds, c.expectedRounds) << c.name;
        if (c.end != End::Limit || c.tags == 0)
            continue;
        EXPECT_EQ(int(epcs.size()), c.tags) << c.name;
        EXPECT_EQ(int(tids.size()), c.tags) << c.name;
        for (int i = 0; i < c.tags; ++i)
            EXPECT_EQ(tids[rig.tag(i).epc()], rig.tag(i).tid) << c.name << ": tag " << i;
    }
}

} // namespace
