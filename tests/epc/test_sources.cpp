#include "base/errors.h"
#include "epc/epclistfile.h"
#include "epc/epcnumber.h"
#include "epc/epctext.h"
#include "epc/gs1sequence.h"
#include "epc/hexsequence.h"
#include "support/fifo.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

using namespace epc;

QStringList all(EpcSource &source)
{
    QStringList out;
    while (const auto item = source.next()) {
        EXPECT_EQ(item->index, out.size());
        out << toHex(item->epc);
    }
    return out;
}

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const UserError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

TEST(EpcSources, Gs1SequenceCountsTheSerialUpToItsLimit)
{
    Gs1Sequence seq(parseTagUri("urn:epc:tag:sgtin-96:3.0614141.812345.6789"), 3);
    EXPECT_EQ(all(seq),
              QStringList({"3074257BF7194E4000001A85", "3074257BF7194E4000001A86", "3074257BF7194E4000001A87"}));

    // Known at the start when a count is given; met on the way without one.
    const Gs1Epc nearEnd = parseTagUri("urn:epc:tag:sgtin-96:3.0614141.812345.274877906942");
    EXPECT_TRUE(errorOf([&] { Gs1Sequence(nearEnd, 3); })
                    .contains("serial 274877906944 of urn:epc:tag:sgtin-96:3.0614141.812345.274877906942 would pass "
                              "274877906943, the largest SGTIN-96 carries, at index 2"));
    Gs1Sequence open(nearEnd, std::nullopt);
    EXPECT_TRUE(open.next() && open.next());
    EXPECT_THROW(open.next(), UserError);
    EXPECT_EQ(all(*std::make_unique<Gs1Sequence>(nearEnd, 2)).size(), 2);
}

TEST(EpcSources, HexSequenceCountsAsThePage)
{
    for (const bool reverse : {false, true}) {
        HexSequence seq(QByteArray::fromHex("E20000000000000000FFFFFE"), QStringLiteral("1"), reverse, 4);
        QString page = QStringLiteral("E20000000000000000FFFFFE");
        for (const QString &epc : all(seq)) {
            EXPECT_EQ(epc, page);
            page = epcnumber::hexadd(page, QStringLiteral("1"), reverse);
        }
    }
    HexSequence full(QByteArray::fromHex("FFFE"), QStringLiteral("1"), false, std::nullopt);
    EXPECT_TRUE(full.next() && full.next());
    EXPECT_TRUE(errorOf([&] { full.next(); }).contains("outgrows 2 bytes at index 2"));
    struct Case {
        const char *step, *expected;
    } bad[] = {{"0", "must not be zero"},
               {"", "hexadecimal number"},
               {"1G", "hexadecimal number"},
               {"10000", "wider than the first EPC"}};
    for (const Case &c : bad)
        EXPECT_TRUE(errorOf([&] { HexSequence(QByteArray::fromHex("0001"), c.step, false, 1); }).contains(c.expected))
            << c.step;
}

class ListFileTest : public ::testing::Test
{
protected:
    QString write(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("list.txt"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ListFileTest, LinesOfHexOrUrisAndCsvWithAnEpcColumn)
{
    EpcListFile plain(write("# roll 7\n\n3074257BF7194E4000001A85\r\n  urn:epc:tag:sgtin-96:3.0614141.812345.6790\n"
                            "urn:epc:raw:32.x30740001\n"),
                      std::nullopt);
    EXPECT_EQ(all(plain), QStringList({"3074257BF7194E4000001A85", "3074257BF7194E4000001A86", "30740001"}));

    EpcListFile csv(write("item,EPC,note\n7,3074257BF7194E4000001A85,\"a, b\"\n# skipped\n8,\"30 74 00 02\",x\n"), 1);
    EXPECT_EQ(all(csv), QStringList({"3074257BF7194E4000001A85"}));
}

TEST_F(ListFileTest, EveryBadLineIsReportedWithItsNumber)
{
    const QString message =
        errorOf([&] { EpcListFile(write("epc,n\n3074,1\nnot hex,2\n3074,3\n\n4\n"), std::nullopt); });
    EXPECT_TRUE(message.contains("has 3 bad line(s)")) << qPrintable(message);
    EXPECT_TRUE(message.contains("line 3: EPC \"not hex\" has 'n'")) << qPrintable(message);
    EXPECT_TRUE(message.contains("line 4: EPC 3074 repeats line 2")) << qPrintable(message);
    EXPECT_TRUE(message.contains("line 6: EPC \"4\" has an odd number")) << qPrintable(message);

    EXPECT_TRUE(errorOf([&] { EpcListFile(write("a,b\n3074,1\n"), 1); }).contains("line 1: a CSV list needs a header"));
    EXPECT_TRUE(errorOf([&] { EpcListFile(write("# nothing\n\n"), 1); }).contains("holds no EPC"));
    EXPECT_TRUE(errorOf([&] { EpcListFile(dir.filePath("none.txt"), 1); }).contains("cannot read the EPC list"));
    // Neither waits for a writer nor reads a folder.
    const Fifo fifo(dir.filePath("fifo"));
    EXPECT_TRUE(errorOf([&] { EpcListFile(fifo.path, 1); }).contains("is not a regular file"));
    EXPECT_FALSE(fifo.waitedOn());
    EXPECT_TRUE(errorOf([&] { EpcListFile(dir.path(), 1); }).contains("is not a regular file"));
}

} // namespace
