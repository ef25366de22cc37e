#include "commission/batchplan.h"
#include "commission/batchsession.h"
#include "epc/epctext.h"
#include "base/errors.h"
#include "support/core/helpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace
{

using namespace commission;

const QString kSgtin = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789");

// What the plan's source gives (its EPCs, blank-separated), or the message it is refused with.
QString outcome(const BatchPlan &plan)
{
    try {
        const auto source = makeSource(plan);
        QStringList epcs;
        while (const auto item = source->next())
            epcs << epc::toHex(item->epc);
        return epcs.join(QLatin1Char(' '));
    } catch (const UserError &e) {
        return e.message();
    }
}

TEST(BatchPlan, EveryFieldIsCheckedAndTheSourceCountsFromTheFirst)
{
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("3000\n3001\n3002\n");
    f.close();

    const struct {
        const char *what;
        std::function<void(BatchPlan &)> set;
        QString expected;
    } cases[] = {
        {"GS1 from a tag URI", [](BatchPlan &p) { p.first = kSgtin; },
         "3074257BF7194E4000001A85 3074257BF7194E4000001A86"},
        {"GS1 from its hex", [](BatchPlan &p) { p.first = QStringLiteral("3074257BF7194E4000001A85"); },
         "3074257BF7194E4000001A85 3074257BF7194E4000001A86"},
        {"GS1 from a pure identity and its filter",
         [](BatchPlan &p) {
             p.first = QStringLiteral("urn:epc:id:sgtin:0614141.812345.6789");
             p.filter = 3;
         },
         "3074257BF7194E4000001A85 3074257BF7194E4000001A86"},
        {"GS1 first empty", [](BatchPlan &p) { p.first = QStringLiteral("  "); },
         "first EPC is empty: give a tag URI such as urn:epc:tag:sgtin-96:3.0614141.812345.6789, or its hex"},
        {"GS1 first not GS1", [](BatchPlan &p) { p.first = QStringLiteral("E20000000000000000000001"); },
         "first EPC E20000000000000000000001 is no GS1 EPC of the 96-bit schemes (it reads as "
         "urn:epc:raw:96.xE20000000000000000000001): a GS1 sequence counts a serial up; use a hex sequence for "
         "other numbers"},
        {"GS1 without a count",
         [](BatchPlan &p) {
             p.first = kSgtin;
             p.count.reset();
         },
         "a GS1 sequence needs a count: how many tags to write"},
        {"count 0",
         [](BatchPlan &p) {
             p.first = kSgtin;
             p.count = 0;
         },
         "count 0 is out of range: 1 to 100000000"},
        {"count past the largest",
         [](BatchPlan &p) {
             p.first = kSgtin;
             p.count = kMaxCount + 1;
         },
         "count 100000001 is out of range: 1 to 100000000"},
        {"hex",
         [](BatchPlan &p) {
             p.source = SourceKind::Hex;
             p.first = QStringLiteral("3000");
         },
         "3000 3001"},
        {"hex first not hex",
         [](BatchPlan &p) {
             p.source = SourceKind::Hex;
             p.first = QStringLiteral("30G0");
         },
         "first number \"30G0\" has 'G', which is not a hex digit (0-9, A-F)"},
        {"hex without a count",
         [](BatchPlan &p) {
             p.source = SourceKind::Hex;
             p.first = QStringLiteral("3000");
             p.count.reset();
         },
         "a hex sequence needs a count: how many tags to write"},
        {"list, all of it",
         [&](BatchPlan &p) {
             p.source = SourceKind::List;
             p.listPath = list;
             p.count.reset();
         },
         "3000 3001 3002"},
        {"list, its count",
         [&](BatchPlan &p) {
             p.source = SourceKind::List;
             p.listPath = list;
         },
         "3000 3001"},
        {"list not chosen", [](BatchPlan &p) { p.source = SourceKind::List; }, "no EPC list file is chosen"},
    };
    for (const auto &c : cases) {
        BatchPlan plan;
        plan.count = 2;
        c.set(plan);
        EXPECT_EQ(outcome(plan), c.expected) << c.what;
    }
}

TEST(BatchPlan, PasswordsAreEightHexDigits)
{
    const struct {
        const char *text;
        std::optional<quint32> value; // nothing: refused
    } cases[] = {
        {"00000000", 0u},
        {"12 34 56 78", 0x12345678u},
        {"aBcDeF01", 0xABCDEF01u},
        {"FFFFFFFF", 0xFFFFFFFFu},
        {"", {}},
        {"1234567", {}},
        {"123456789", {}},
        {"0000000G", {}},
        {"0x123456", {}},
        {"+1234567", {}},
        {"12\t345678", {}},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromLatin1(c.text);
        if (c.value) {
            EXPECT_EQ(parsePassword(text), *c.value) << c.text;
            continue;
        }
        try {
            parsePassword(text);
            ADD_FAILURE() << c.text << " was taken";
        } catch (const UserError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("access password \"%1\" must be 8 hex digits (4 bytes), e.g. "
                                                  "00000000 for a tag without one")
                                       .arg(text));
        }
    }
}

TEST(BatchPlan, JobOptionsCarryTheChoicesAndRefuseABadPassword)
{
    BatchPlan plan;
    plan.verify = false;
    plan.resume = true;
    plan.password = QStringLiteral("0A0B0C0D");
    const epc::JobOptions o = jobOptions(plan);
    EXPECT_FALSE(o.verify);
    EXPECT_TRUE(o.resume);
    EXPECT_EQ(o.password, 0x0A0B0C0Du);
    const epc::JobOptions defaults = jobOptions(BatchPlan{});
    EXPECT_TRUE(defaults.verify);
    EXPECT_FALSE(defaults.resume);
    EXPECT_EQ(defaults.password, 0u);
    plan.password = QStringLiteral("secret");
    EXPECT_THROW(jobOptions(plan), UserError);
}

TEST(BatchPlan, ViewShowsWhatATypedEpcIs)
{
    const struct {
        QString text;
        std::optional<int> filter;
        QString hex, tagUri; // tagUri empty: refused
    } cases[] = {
        {kSgtin, {}, "3074257BF7194E4000001A85", kSgtin},
        {"30 74 25 7B F7 19 4E 40 00 00 1A 85", {}, "3074257BF7194E4000001A85", kSgtin},
        {"urn:epc:id:sgtin:0614141.812345.6789", 3, "3074257BF7194E4000001A85", kSgtin},
        {"E20000000000000000000001", {}, "E20000000000000000000001", "urn:epc:raw:96.xE20000000000000000000001"},
        {"urn:epc:tag:sgtin-96:3.0614141", {}, {}, {}},
        {"", {}, {}, {}},
    };
    for (const auto &c : cases) {
        try {
            const EpcView v = viewEpc(c.text, c.filter);
            EXPECT_EQ(epc::toHex(v.bytes), c.hex) << c.text.toStdString();
            EXPECT_EQ(v.decoded.tagUri, c.tagUri) << c.text.toStdString();
        } catch (const UserError &e) {
            EXPECT_TRUE(c.tagUri.isEmpty()) << c.text.toStdString() << ": " << e.message().toStdString();
        }
    }
}

TEST(BatchSummary, SaysWhatWasDoneAndHowTheBatchEnded)
{
    using epc::JobEnd;
    const struct {
        JobEnd end;
        bool complete;
        epc::Progress progress;
        const char *text;
    } cases[] = {
        {JobEnd::SourceDone, true, {-1, 1000, 0, 0, 0}, "1000 verified, 0 failed: the batch is complete"},
        {JobEnd::SourceDone,
         true,
         {-1, 0, 0, 0, 1000},
         "0 verified, 0 failed, 1000 skipped (done before): the batch is complete"},
        {JobEnd::SourceDone,
         false,
         {-1, 2, 0, 3, 0},
         "2 verified, 3 failed: a resume from the journal writes the failed indexes again"},
        {JobEnd::Stopped,
         false,
         {7, 0, 4, 1, 2},
         "0 verified, 4 written without verification, 1 failed, 2 skipped (done before): stopped; a resume from the "
         "journal goes on from there"},
        {JobEnd::ReaderGone,
         false,
         {3, 3, 0, 0, 0},
         "3 verified, 0 failed: the reader is gone (unplugged, or its port closed)"},
    };
    for (const auto &c : cases) {
        epc::JobResult r;
        r.end = c.end;
        r.complete = c.complete;
        r.progress = c.progress;
        EXPECT_EQ(summary(r), QString::fromUtf8(c.text));
    }
}

} // namespace
