#include "base/hex.h"
#include "protocol/commandtable.h"
#include "protocol/frames.h"
#include "protocol/trace.h"

#include <gtest/gtest.h>

namespace
{

using namespace protocol;

// A frame that carries a row's command: its code, its sub byte, two parameter bytes.
protocol::Exchange exchangeFor(const CommandInfo &row)
{
    protocol::Exchange r;
    r.time = QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9, 250));
    r.latencyUs = 12345;
    QByteArray params;
    if (row.sub >= 0)
        params.append(char(row.sub));
    params.append("\x01\x02", 2);
    if (row.frame == Frame::Reader) {
        r.sent = frames::hf(0, char(row.code) + params);
        r.reply = frames::hf(0, QByteArray("\x00\x11\x22", 3));
    } else if (row.family == Family::WorkModes) {
        r.channel = protocol::Exchange::Channel::Serial;
        r.sent = frames::module(row.code, params);
        r.reply = frames::module(row.code, QByteArray(1, '\0'));
    } else {
        r.sent = frames::uhf(0, frames::module(row.code, params));
        r.reply = frames::hf(0, '\0' + frames::module(row.code, QByteArray(1, '\0')));
    }
    r.outcome = protocol::Exchange::Outcome::Answered;
    return r;
}

TEST(Trace, DecodesEveryCommandOfTheTable)
{
    const auto &table = commandTable();
    ASSERT_GT(table.size(), 60u);
    for (size_t i = 0; i < table.size(); ++i) {
        const CommandInfo &row = table[i];
        protocol::Exchange r = exchangeFor(row);
        const QString name = QString::fromLatin1(row.name);
        // Found by its bytes alone (shared codes give every family's name) ...
        const DecodedExchange found = decode(r);
        EXPECT_TRUE(found.name.contains(name)) << name.toStdString() << " -> " << found.name.toStdString();
        EXPECT_TRUE(found.familyText.contains(familyName(row.family))) << name.toStdString();
        EXPECT_TRUE(found.problems.isEmpty()) << name.toStdString() << ": " << found.problems.toStdString();
        // ... and exactly itself when the sender named its row.
        r.row = int(i);
        const DecodedExchange named = decode(r);
        EXPECT_EQ(named.name, name);
        EXPECT_EQ(named.family, row.family);
        EXPECT_FALSE(named.reply.isEmpty()) << name.toStdString();
        const QString line = traceLine(r, named);
        EXPECT_TRUE(line.startsWith("2024-03-05T13:07:09.250")) << line.toStdString();
        EXPECT_TRUE(line.contains(" 12.3 ms ")) << line.toStdString();
    }
}

TEST(Trace, SaysWhatIsWrongWithAFrameAndWhatIsUnknown)
{
    protocol::Exchange r;
    r.sent = frames::hf(0, QByteArray("\x20\x00\x01\x10", 4));
    r.reply = hex::toBytes("AA 00 01 00 07 BC");
    const DecodedExchange d = decode(r);
    EXPECT_EQ(d.name, "read blocks");
    EXPECT_EQ(d.problems, "reply: check byte, trailer");

    r.sent = frames::hf(0, QByteArray(1, char(0x77)));
    r.reply.clear();
    r.outcome = protocol::Exchange::Outcome::NoAnswer;
    const DecodedExchange unknown = decode(r);
    EXPECT_EQ(unknown.familyText, "?");
    EXPECT_EQ(unknown.name, "unknown command 77");
    EXPECT_EQ(unknown.reply, "no answer");

    // The HF reader's 0x82 and the keyboard reader's 0x82 share a code.
    r.sent = frames::hf(0, hex::toBytes("82 0F 00 00 00 01 01 01 00"));
    EXPECT_EQ(decode(r).name, "set serial number / set output format");

    r.sent = QByteArray("\xAA", 1); // a stub of a frame
    EXPECT_NO_THROW(decode(r));
}

} // namespace
