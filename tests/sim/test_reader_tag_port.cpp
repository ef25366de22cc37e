#include "commission/readertagport.h"
#include "link/linkport.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "sim/simulatedreader.h"
#include "simtestutil.h"
#include "support/faketransport.h"

#include <gtest/gtest.h>

// The reader adapter against the simulated reader: every status each call can give, from the
// field, the tag's faults and the reader's one-shot faults. The port is used on the link's
// thread, where it makes the link's own exchanges.
namespace
{

using commission::ReaderTagPort;
using epc::FieldTag;
using epc::PortStatus;
using Fault = UhfModule::TagFault;

const QByteArray kNew = QByteArray::fromHex("3074257BF7194E4000001A85");
constexpr int kWaitMs = 30; // the simulator answers at once; silence costs this much

enum class Call { Inventory, ReadTid, Write, ReadEpc, WriteThenReadEpc };

struct Outcome {
    PortStatus status = PortStatus::Ok;
    std::vector<FieldTag> tags;
    QByteArray data; // TID or EPC read
};

// Lays the field, takes an inventory as the job does before addressing a tag, changes the
// field or arms a fault, then makes the call on the tag that inventory saw.
Outcome run(SimulatedReader &reader, ReaderTagPort &port, Call call, const std::function<void()> &between)
{
    Outcome out;
    std::vector<FieldTag> seen;
    if (call != Call::Inventory) {
        EXPECT_EQ(port.inventory(seen), PortStatus::Ok);
    }
    const FieldTag tag = seen.empty() ? FieldTag{} : seen.front();
    if (between)
        between();
    switch (call) {
    case Call::Inventory:
        out.status = port.inventory(out.tags);
        break;
    case Call::ReadTid:
        out.status = port.readTid(tag, out.data);
        break;
    case Call::Write:
        out.status = port.writeEpc(tag, kNew, 0x12345678);
        break;
    case Call::ReadEpc:
        out.status = port.readEpc(tag, out.data);
        break;
    case Call::WriteThenReadEpc:
        out.status = port.writeEpc(tag, kNew, 0x12345678);
        if (out.status == PortStatus::Ok) {
            std::vector<FieldTag> after;
            EXPECT_EQ(port.inventory(after), PortStatus::Ok);
            out.status = port.readEpc(after.front(), out.data);
        }
        break;
    }
    (void)reader;
    return out;
}

TEST(ReaderTagPort, EachStatusAgainstTheSimulatedReader)
{
    struct Case {
        const char *name;
        Call call;
        std::function<void(SimulatedReader &)> field;   // before the first inventory
        std::function<void(SimulatedReader &)> between; // after it
        PortStatus status;
        int tags;        // inventory: tags seen
        QByteArray data; // empty: not checked; "tid": the tag's TID
    };
    const auto lay = [](Fault f) {
        return [f](SimulatedReader &r) {
            r.uhf().armTagFault(f);
            r.uhf().layBlankTag();
        };
    };
    const auto takeAway = [](SimulatedReader &r) { r.uhf().takeTagAway(); };
    const QByteArray tidMark = "tid";
    const Case cases[] = {
        {"one tag", Call::Inventory, {}, {}, PortStatus::Ok, 1, {}},
        {"an empty field", Call::Inventory, takeAway, {}, PortStatus::NoTag, 0, {}},
        {"two tags: two frames in one reply", Call::Inventory, lay(Fault::SecondTag), {}, PortStatus::Ok, 2, {}},
        {"no reply", Call::Inventory, [](SimulatedReader &r) { r.silenceNext(); }, {}, PortStatus::NoAnswer, 0, {}},
        {"damaged reply", Call::Inventory, [](SimulatedReader &r) { r.damageNext(); }, {}, PortStatus::NoAnswer, 0, {}},
        {"module silent behind the reader",
         Call::Inventory,
         [](SimulatedReader &r) { r.failNextWith(0x82); },
         {},
         PortStatus::NoAnswer,
         0,
         {}},
        {"reader without the command",
         Call::Inventory,
         [](SimulatedReader &r) { r.failNextWith(0x8F); },
         {},
         PortStatus::Unsupported,
         0,
         {}},
        {"TID bank", Call::ReadTid, {}, {}, PortStatus::Ok, 0, tidMark},
        {"TID of a tag gone since the inventory", Call::ReadTid, {}, takeAway, PortStatus::NoTag, 0, {}},
        {"write, then read back", Call::WriteThenReadEpc, {}, {}, PortStatus::Ok, 0, kNew},
        {"a locked tag", Call::Write, lay(Fault::Locked), {}, PortStatus::Refused, 0, {}},
        {"another access password",
         Call::Write,
         [](SimulatedReader &r) {
             UhfTag t = *r.uhf().tag();
             t.reserved = QByteArray::fromHex("00000000CAFEF00D");
             r.uhf().setTag(t);
         },
         {},
         PortStatus::Refused,
         0,
         {}},
        {"a tag pulled away during the write", Call::Write, lay(Fault::LeavesOnWrite), {}, PortStatus::NoTag, 0, {}},
        {"a tag gone before the write", Call::Write, {}, takeAway, PortStatus::NoTag, 0, {}},
        {"a tag keeping another value reads back what it keeps",
         Call::WriteThenReadEpc,
         lay(Fault::OtherValue),
         {},
         PortStatus::Ok,
         0,
         QByteArray::fromHex("3074257BF7194E4000001A84")},
        {"no reply to the select",
         Call::Write,
         {},
         [](SimulatedReader &r) { r.silenceNext(); },
         PortStatus::NoAnswer,
         0,
         {}},
        {"read of a tag gone since the inventory", Call::ReadEpc, {}, takeAway, PortStatus::NoTag, 0, {}},
    };
    for (const Case &c : cases) {
        waits::resetForTests();
        SimulatedReader reader;
        ReaderLink link(reader);
        LinkPort exchanges(link);
        ReaderTagPort port(exchanges, kWaitMs);
        if (c.field)
            c.field(reader);
        const Outcome out = run(reader, port, c.call, c.between ? [&] { c.between(reader); } : std::function<void()>());
        EXPECT_EQ(out.status, c.status) << c.name << ": " << epc::statusText(out.status);
        if (c.call == Call::Inventory) {
            EXPECT_EQ(int(out.tags.size()), c.tags) << c.name;
            if (c.tags > 0) {
                EXPECT_EQ(out.tags.front().epc, reader.uhf().tag()->epc()) << c.name;
            }
        }
        if (c.data == tidMark) {
            EXPECT_EQ(out.data, reader.uhf().tag()->tid) << c.name;
        } else if (!c.data.isEmpty()) {
            EXPECT_EQ(out.data.toHex(), c.data.toHex()) << c.name;
        }
    }
}

TEST(ReaderTagPort, WritesThePcWordForEachLengthWithThePassword)
{
    waits::resetForTests();
    SimulatedReader reader;
    ReaderLink link(reader);
    LinkPort exchanges(link);
    ReaderTagPort port(exchanges, kWaitMs, 0xCAFEF00D);
    UhfTag locked = *reader.uhf().tag();
    locked.reserved = QByteArray::fromHex("00000000CAFEF00D");
    reader.uhf().setTag(locked);
    for (const int bytes : {2, 8, 12, 32, 62}) {
        QByteArray epc;
        for (int i = 0; i < bytes; ++i)
            epc += char(0x30 + i);
        std::vector<FieldTag> tags;
        ASSERT_EQ(port.inventory(tags), PortStatus::Ok) << bytes;
        ASSERT_EQ(port.writeEpc(tags.front(), epc, 0xCAFEF00D), PortStatus::Ok) << bytes;
        EXPECT_EQ(reader.uhf().tag()->pc(),
                  QByteArray::fromHex(QByteArray::number(4 * bytes, 16).rightJustified(2, '0') + "00"))
            << bytes;
        tags.clear();
        ASSERT_EQ(port.inventory(tags), PortStatus::Ok) << bytes;
        QByteArray back;
        ASSERT_EQ(port.readEpc(tags.front(), back), PortStatus::Ok) << bytes;
        EXPECT_EQ(back, epc) << bytes;
    }
}

// Replies the simulator does not give: the reader's reply area cutting a second tag's frame,
// damage inside the module frames, a module that does not know the command, no reader at all.
TEST(ReaderTagPort, RepliesBeyondTheSimulator)
{
    // A module reply frame of the given type, its checksum summed here.
    const auto frame = [](int type, int command, const char *params) {
        const QByteArray p = QByteArray::fromHex(params);
        QByteArray f =
            QByteArray::fromHex("BB") + char(type) + char(command) + char(p.size() >> 8) + char(p.size()) + p;
        int sum = 0;
        for (qsizetype i = 1; i < f.size(); ++i)
            sum += uint8_t(f[i]);
        return hex::fromBytes(f + char(sum) + char(0x7E));
    };
    const QString tag = frame(0x02, 0x22, "C8 3000 E2000000000000000000000A ABCD");
    struct Case {
        const char *name;
        QString module; // the module bytes inside the reader's reply; empty: no reader
        PortStatus status;
    } cases[] = {
        {"a second frame cut by the reply area", tag + tag.left(20), PortStatus::SeveralTags},
        {"one whole frame", tag, PortStatus::Ok},
        {"bytes that are no frame", QStringLiteral("BB0222FFFF"), PortStatus::NoAnswer},
        {"the module does not know the command", frame(0x01, 0xFF, "17"), PortStatus::Unsupported},
        {"no reader", {}, PortStatus::ReaderGone},
    };
    for (const Case &c : cases) {
        waits::resetForTests();
        FakeTransport usb;
        usb.connected = !c.module.isEmpty();
        usb.responder = [&](const QByteArray &) { return hex::toBytes(simtest::ok(c.module)); };
        ReaderLink link(usb);
        LinkPort exchanges(link);
        ReaderTagPort port(exchanges, kWaitMs);
        std::vector<FieldTag> tags;
        EXPECT_EQ(port.inventory(tags), c.status) << c.name << ": " << epc::statusText(port.inventory(tags));
    }
}

} // namespace
