#include "streamcheck.h"

#include <QSet>
#include <gtest/gtest.h>

namespace
{

TEST(StreamCheck, PatternUsesEveryByteAndRepeatsNoShortRun)
{
    const QByteArray p = StreamCheck::pattern(1 << 16);
    QSet<char> values(p.begin(), p.end());
    EXPECT_EQ(values.size(), 256);
    // Dropping or doubling any byte must change what follows it.
    qsizetype sameAsNext = 0;
    for (qsizetype i = 0; i + 1 < p.size(); ++i)
        sameAsNext += p[i] == p[i + 1];
    EXPECT_LT(sameAsNext, p.size() / 100);
    EXPECT_NE(StreamCheck::pattern(64, 1), StreamCheck::pattern(64, 2));
    EXPECT_EQ(StreamCheck::pattern(64, 7), StreamCheck::pattern(64, 7));
}

// Each row cuts the sent stream into blocks and spoils it in one way.
TEST(StreamCheck, FindsLostDoubledWrongAndExtraBytes)
{
    const QByteArray sent = StreamCheck::pattern(5000);
    const struct {
        const char *what;
        QByteArray received;
        qsizetype lost;
        bool orderKept, complete;
        qsizetype firstMismatch;
    } rows[] = {
        {"everything", sent, 0, true, true, -1},
        {"the tail missing", sent.left(4000), 1000, true, false, -1},
        {"one byte dropped in the middle", sent.left(2500) + sent.mid(2501), 1, false, false, 2500},
        {"one byte doubled", sent.left(2500) + sent.mid(2499), 0, false, false, 2500},
        {"two bytes swapped", sent.left(10) + sent.mid(11, 1) + sent.mid(10, 1) + sent.mid(12), 0, false, false, 10},
        {"a byte changed", sent.left(4999) + char(sent[4999] ^ 1), 0, false, false, 4999},
        {"bytes beyond the stream", sent + "x", 0, false, false, 5000},
        {"nothing", QByteArray(), 5000, true, false, -1},
    };
    for (const auto &r : rows) {
        StreamCheck check(sent);
        for (qsizetype at = 0; at < r.received.size(); at += 2048)
            check.add(r.received.constData() + at, qMin<qsizetype>(2048, r.received.size() - at));
        EXPECT_EQ(check.lost(), r.lost) << r.what;
        EXPECT_EQ(check.orderKept(), r.orderKept) << r.what;
        EXPECT_EQ(check.complete(), r.complete) << r.what;
        EXPECT_EQ(check.firstMismatch(), r.firstMismatch) << r.what;
        EXPECT_EQ(check.received(), r.received.size()) << r.what;
    }
}

TEST(StreamCheck, CountsBlocksAndTheLargest)
{
    const QByteArray sent = StreamCheck::pattern(4100);
    StreamCheck check(sent);
    check.add(sent.constData(), 2048);
    check.add(sent.constData() + 2048, 3);
    check.add(sent.constData() + 2051, 2049);
    EXPECT_EQ(check.blocks(), 3);
    EXPECT_EQ(check.largestBlock(), 2049);
    EXPECT_TRUE(check.complete());
}

} // namespace
