#include "base/clock.h"
#include "base/errors.h"
#include "epc/journal.h"
#include "epc/journalreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <sys/resource.h>

namespace
{

using namespace epc;

QByteArray fileText(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void appendRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    f.open(QIODevice::Append);
    f.write(bytes);
}

const QByteArray kEpc = QByteArray::fromHex("3074257BF7194E4000001A85");
const QByteArray kTid = QByteArray::fromHex("E28011052000");
const QByteArray kRow = "2026-03-01T10:00:00.000+01:00,0,3074257BF7194E4000001A85,E28011052000,verified,1,\n";

class JournalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        appclock::setSource([] { return QDateTime(QDate(2026, 3, 1), QTime(10, 0), QTimeZone(3600)); });
    }
    void TearDown() override { appclock::setSource({}); }
    QString path() const { return dir.filePath(QStringLiteral("journal.csv")); }
    QTemporaryDir dir;
};

TEST_F(JournalTest, RowsAreAppendedWholeAndReadBack)
{
    {
        Journal j(path());
        j.append(JournalRow{0, kEpc, kTid, TagResult::Verified, 1, {}});
        j.append(JournalRow{1, kEpc, {}, TagResult::Failed, 3, QStringLiteral("read back \"X\",\nexpected Y")});
        j.append(JournalRow{2, QByteArray::fromHex("3074"), {}, TagResult::Written, 2, QStringLiteral(" padded ")});
    }
    EXPECT_EQ(fileText(path()), QByteArray("time,index,epc,tid,result,attempts,detail\n") + kRow +
                                    "2026-03-01T10:00:00.000+01:00,1,3074257BF7194E4000001A85,,failed,3,"
                                    "\"read back \"\"X\"\", expected Y\"\n"
                                    "2026-03-01T10:00:00.000+01:00,2,3074,,written,2,\" padded \"\n");
    // Reopened: the rows are known, the header is not written twice; a row the reader would
    // refuse is never written.
    Journal again(path());
    EXPECT_THROW(again.append(JournalRow{3, {}, {}, TagResult::Failed, 0, {}}), UserError);
    EXPECT_THROW(again.append(JournalRow{-1, kEpc, {}, TagResult::Failed, 0, {}}), UserError);
    EXPECT_EQ(again.contents().rows, 3);
    EXPECT_EQ(again.contents().failedRows, 1);
    EXPECT_TRUE(again.state().isDone(0));
    EXPECT_FALSE(again.state().isDone(1)); // failed: open again
    EXPECT_TRUE(again.state().isDone(2));
    EXPECT_EQ(again.state().epcHolder(kEpc)->index, 0);
    EXPECT_EQ(again.state().epcHolder(kEpc)->tid, kTid);
    EXPECT_EQ(again.state().tidIndex(kTid), 0);
    EXPECT_FALSE(again.state().tidIndex(QByteArray::fromHex("E28011052001")));
    EXPECT_EQ(again.state().doneCount(), 2);
}

TEST_F(JournalTest, ACutLastLineIsReportedAndNeverGluedToTheNextRow)
{
    Journal(path()).append(JournalRow{0, kEpc, kTid, TagResult::Verified, 1, {}});
    appendRaw(path(), "2026-03-01T10:00:01.000+01:00,1,3074257BF7");
    const JournalContents read = readJournal(path());
    ASSERT_TRUE(read.cut);
    EXPECT_EQ(read.cut->line, 3);
    EXPECT_EQ(read.cut->bytes, 42);
    EXPECT_EQ(read.rows, 1);
    {
        Journal j(path());
        ASSERT_TRUE(j.contents().cut);
        j.append(JournalRow{1, QByteArray::fromHex("3074"), kTid, TagResult::Failed, 1, {}});
    }
    const JournalContents after = readJournal(path());
    EXPECT_FALSE(after.cut);
    EXPECT_EQ(after.rows, 2);

    // A journal cut inside its header (a crash right after it was made) starts again.
    QFile::remove(path());
    appendRaw(path(), "time,index,ep");
    Journal(path()).append(JournalRow{0, kEpc, {}, TagResult::Verified, 1, {}});
    EXPECT_EQ(readJournal(path()).rows, 1);
}

TEST_F(JournalTest, MalformedLinesAndForeignFilesAreRefusedByLine)
{
    struct Case {
        QByteArray text, expected;
    } cases[] = {
        {"index,epc\n", "is not a commissioning journal"},
        {"some other file without a line feed", "is not a commissioning journal"},
        {kRow + "garbage\n", "line 3: fewer than 7 fields"},
        {kRow + kRow.left(kRow.size() - 1) + ",extra\n", "line 3: more than 7 fields"},
        {"2026-03-01 10:00,0,3074,,verified,1,\n", "line 2: time is not ISO 8601"},
        {"2026-03-01T10:00:00Z,-1,3074,,verified,1,\n", "line 2: index is not a number"},
        {"2026-03-01T10:00:00Z,0,307,,verified,1,\n", "line 2: epc is not hex of whole bytes"},
        {"2026-03-01T10:00:00Z,0,,,verified,1,\n", "line 2: epc is not hex"},
        {"2026-03-01T10:00:00Z,0,3074,XY,verified,1,\n", "line 2: tid is not hex"},
        {"2026-03-01T10:00:00Z,0,3074,,done,1,\n", "line 2: result is none of verified, written, failed"},
        {"2026-03-01T10:00:00Z,0,3074,,failed,,\n", "line 2: attempts is not a number"},
        {"2026-03-01T10:00:00Z,0,3074,,failed,1,\"open\n", "line 2: a quoted field without its closing quote"},
        {"2026-03-01T10:00:00Z,0,3074,,failed,1,\"a\"b\n", "line 2: text after a closing quote"},
    };
    for (const Case &c : cases) {
        QFile::remove(path());
        appendRaw(path(), c.text.startsWith("2026") ? QByteArray(kJournalHeader) + '\n' + c.text : c.text);
        const QByteArray before = fileText(path());
        try {
            Journal j(path());
            ADD_FAILURE() << "accepted: " << c.text.constData();
        } catch (const UserError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.expected))) << e.what();
        }
        EXPECT_EQ(fileText(path()), before) << "a refused file is left as it was";
    }
}

TEST_F(JournalTest, OneJobAtATime)
{
    Journal first(path());
    EXPECT_THROW(Journal second(path()), UserError);
}

// A full disk, made with a file size limit: the row that does not fit is taken back whole,
// reported, and nothing more is appended.
TEST_F(JournalTest, ARowThatDoesNotFitIsReportedAndTakenBack)
{
    Journal j(path());
    j.append(JournalRow{0, kEpc, kTid, TagResult::Verified, 1, {}});
    const qint64 size = QFile(path()).size();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(size + 40); // room for part of the next row only
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(j.append(JournalRow{1, kEpc, kTid, TagResult::Verified, 1, {}}), UserError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(QFile(path()).size(), size);
    EXPECT_THROW(j.append(JournalRow{1, kEpc, kTid, TagResult::Verified, 1, {}}), UserError);
    EXPECT_EQ(readJournal(path()).rows, 1);
    EXPECT_FALSE(readJournal(path()).cut);
}

// Untrusted bytes: any mutation of a journal reads, or fails with a UserError, within the data.
TEST(JournalFuzz, MutatedJournalsReadOrFailCleanly)
{
    std::mt19937 rng(20260301);
    const QByteArray base =
        QByteArray(kJournalHeader) + '\n' + kRow + kRow + "2026-03-01T10:00:00Z,7,30,,failed,2,\"a,\"\"b\"\n";
    for (int i = 0; i < 20000; ++i) {
        QByteArray text = base;
        const int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const auto at = qsizetype(rng() % quint32(text.size()));
            switch (rng() % 3) {
            case 0:
                text[at] = char(rng());
                break;
            case 1:
                text.remove(at, 1 + qsizetype(rng() % 8));
                break;
            default:
                text.insert(at, ",\"\n0"[rng() % 4]);
            }
        }
        // Copied to its exact size, so that the sanitizer sees any read past the end.
        const std::unique_ptr<char[]> exact(new char[size_t(text.size())]);
        std::memcpy(exact.get(), text.constData(), size_t(text.size()));
        try {
            parseJournal(QByteArrayView(exact.get(), text.size()), QStringLiteral("fuzz"));
        } catch (const UserError &) {
        }
    }
}

} // namespace
