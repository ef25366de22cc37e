#include "field/tally.h"
#include "field/tallyfilter.h"

#include <gtest/gtest.h>

namespace
{

const QByteArray kSgtin = QByteArray::fromHex("3074257BF7194E4000001A85"); // a GS1 SGTIN-96
const QByteArray kPlain = QByteArray::fromHex("E2000000000000000000BEEF");

field::ReadBatch batch(std::initializer_list<std::tuple<qint64, QByteArray, int>> reads, int rounds = 1)
{
    field::ReadBatch b;
    b.rounds = rounds;
    for (const auto &[ms, epc, rssi] : reads)
        b.reads.push_back(field::TagRead{ms, epc, QByteArray::fromHex("3000"), int8_t(rssi), false});
    return b;
}

// Counts, signal figures, first and last seen, and reads per second over the recent window and
// overall, with a fixed clock; the rows each batch changed.
TEST(Tally, FiguresPerTagAndInTotal)
{
    field::Tally tally(10'000);
    field::TallyChange first = tally.add(batch({{10'100, kSgtin, -50}, {10'100, kPlain, -70}, {10'200, kSgtin, -40}}));
    EXPECT_EQ(first.firstNew, 0);
    EXPECT_TRUE(first.changed.empty());
    // One second in: every read is in the recent window, which starts with the tally.
    EXPECT_DOUBLE_EQ(tally.recentRate(tally.entry(0), 11'000), 2.0);
    EXPECT_DOUBLE_EQ(tally.totals(11'000).readsPerSecond, 3.0);
    field::ReadBatch withTid = batch({{13'000, kSgtin, -60}});
    withTid.tids.push_back({kPlain, QByteArray::fromHex("E280110520004445498F000A")});
    const field::TallyChange second = tally.add(withTid);
    EXPECT_EQ(second.firstNew, 2);
    EXPECT_EQ(second.changed, (std::vector<int>{0, 1}));

    ASSERT_EQ(tally.size(), 2);
    const field::TallyEntry &s = tally.entry(tally.rowOf(kSgtin));
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.rssiLast, -60);
    EXPECT_EQ(s.rssiMin, -60);
    EXPECT_EQ(s.rssiMax, -40);
    EXPECT_DOUBLE_EQ(s.rssiMean(), -50.0);
    EXPECT_EQ(s.firstSeenMs, 10'100);
    EXPECT_EQ(s.lastSeenMs, 13'000);
    EXPECT_EQ(s.uri, QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789"));
    const field::TallyEntry &p = tally.entry(tally.rowOf(kPlain));
    EXPECT_TRUE(p.uri.isEmpty());
    EXPECT_EQ(p.chip, QStringLiteral("Impinj Monza 4QT"));

    struct Rate {
        qint64 nowMs;
        double sgtinRecent, sgtinOverall, totalRecent;
    };
    // The recent window is eight quarter seconds, the last one running: at 14 s it spans
    // 12.25 s to now and holds the read at 13 s only; at 20 s none.
    const Rate rates[] = {
        {14'000, 1000.0 / 1750, 0.75, 1000.0 / 1750},
        {20'000, 0.0, 0.3, 0.0},
    };
    for (const Rate &r : rates) {
        EXPECT_NEAR(tally.recentRate(s, r.nowMs), r.sgtinRecent, 1e-9) << r.nowMs;
        EXPECT_NEAR(tally.overallRate(s, r.nowMs), r.sgtinOverall, 1e-9) << r.nowMs;
        EXPECT_NEAR(tally.totals(r.nowMs).readsPerSecond, r.totalRecent, 1e-9) << r.nowMs;
    }
    const field::TallyTotals t = tally.totals(14'000);
    EXPECT_EQ(t.tags, 2);
    EXPECT_EQ(t.reads, 4);
    EXPECT_EQ(t.rounds, 2);
    EXPECT_DOUBLE_EQ(t.readsPerSecondOverall, 1.0);

    tally.clear(50'000);
    EXPECT_EQ(tally.size(), 0);
    EXPECT_EQ(tally.totals(51'000).reads, 0);
    EXPECT_EQ(tally.rowOf(kSgtin), -1);
}

// The filter keeps an EPC by its hex start or a GS1 URI by any text in it, case aside.
TEST(Tally, FilterByEpcStartOrUriText)
{
    field::Tally tally;
    tally.add(batch({{1, kSgtin, -50}, {1, kPlain, -50}}));
    struct Case {
        const char *text;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {"", {0, 1}},           {"3074", {0}},       {"e2", {1}},         {"E2000000000000000000BEEF", {1}},
        {"  3 ", {0}},          {"0614141", {0}},    {"SGTIN", {0}},      {"beef", {}},
        {"2000", {}},           {"sscc", {}},        {"E2000000000000000000BEEF00", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(tally.rowsMatching(field::TallyFilter(QString::fromLatin1(c.text))), c.rows) << c.text;
}

} // namespace
