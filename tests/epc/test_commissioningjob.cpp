#include "base/errors.h"
#include "epc/commissioningjob.h"
#include "epc/epctext.h"
#include "epc/hexsequence.h"
#include "epc/journal.h"
#include "faketagport.h"
#include "support/core/helpers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

namespace
{

using namespace epc;

const QByteArray kFirst = QByteArray::fromHex("300000000000000000000000");

QByteArray epcAt(int index)
{
    QByteArray e = kFirst;
    e[11] = char(index);
    return e;
}

FakeTag tagWithTid(int n)
{
    FakeTag t;
    t.tid = QByteArray::fromHex("E2801100200000000000") + char(n >> 8) + char(n);
    return t;
}

// The journal's outcome rows in short: "index:result:attempts"; from counts them too. Intent
// and seen rows are left out unless all is set.
QStringList rowsOf(const QString &path, qint64 from = 0, bool all = false)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts).mid(1);
    QStringList out;
    for (const QString &l : lines) {
        const QStringList c = l.split(u',');
        if (all || (c[4] != QLatin1String("intent") && c[4] != QLatin1String("seen")))
            out << c[1] + u':' + c[4] + u':' + c[5];
    }
    return out.mid(int(from));
}

struct JobRun {
    JobResult result;
    QList<CueKind> cues;
    QStringList texts;
};

// Runs a hex sequence of count EPCs against the port; the person stops the job when there is
// nothing left to place.
JobRun runJob(FakeTagPort &port, const QString &journalPath, int count, JobOptions options,
              const std::function<void(CommissioningJob &, const Cue &)> &onCue = {})
{
    Journal journal(journalPath);
    HexSequence source(kFirst, QStringLiteral("1"), false, count);
    JobRun run;
    CommissioningJob *self = nullptr;
    CommissioningJob job(port, source, journal, options, [&](int) { port.step(); });
    self = &job;
    port.onIdle = [&] { self->stop(); };
    job.onCue = [&](const Cue &c) {
        run.cues << c.kind;
        run.texts << c.text;
        if (c.kind == CueKind::RemoveTag || c.kind == CueKind::Failed || c.kind == CueKind::AlreadyWritten)
            port.removeAsked = true;
        if (c.kind == CueKind::SeveralTags) {
            // Leave the first, put the others back on the pile.
            port.toPlace.push_front({port.field.begin() + 1, port.field.end()});
            port.field.resize(1);
        }
        if (onCue)
            onCue(job, c);
    };
    run.result = job.run();
    return run;
}

TEST(CommissioningJob, EachTagOfTheField)
{
    FakeTag locked = tagWithTid(1), other = tagWithTid(2), leaves = tagWithTid(3), once = tagWithTid(4);
    locked.refusals = -1;
    other.takes = QByteArray::fromHex("300000000000000000000099");
    leaves.leavesOnWrite = true;
    once.refusals = 1;
    struct Case {
        const char *name;
        std::vector<std::vector<FakeTag>> tags;
        int count;
        bool verify, tids;
        QStringList rows;
        const char *detail; // in the first row's detail
        bool complete;
    } cases[] = {
        {"three good tags",
         {{tagWithTid(1)}, {tagWithTid(2)}, {tagWithTid(3)}},
         3,
         true,
         true,
         {"0:verified:1", "1:verified:1", "2:verified:1"},
         "",
         true},
        {"a locked tag fails after every attempt, the next tag takes the next index",
         {{locked}, {tagWithTid(2)}},
         2,
         true,
         true,
         {"0:failed:3", "1:verified:1"},
         "refused",
         false},
        {"a tag that keeps another value fails its read-back",
         {{other}},
         1,
         true,
         true,
         {"0:failed:3"},
         "read back 300000000000000000000099, expected 300000000000000000000000",
         false},
        {"a tag pulled away during the write",
         {{leaves}, {tagWithTid(2)}},
         2,
         true,
         true,
         {"0:failed:1", "1:verified:1"},
         "the tag left the field during the write",
         false},
        {"a refusal, then success on the second attempt",
         {{once}},
         1,
         true,
         true,
         {"0:verified:2"},
         "after write: the tag refused",
         true},
        {"two tags in the field: one is taken away, both get written in turn",
         {{tagWithTid(1), tagWithTid(2)}},
         2,
         true,
         true,
         {"0:verified:1", "1:verified:1"},
         "",
         true},
        {"verification off", {{tagWithTid(1)}}, 1, false, true, {"0:written:1"}, "", true},
        {"a reader without TIDs",
         {{FakeTag{}}, {FakeTag{}}},
         2,
         true,
         false,
         {"0:verified:1", "1:verified:1"},
         "",
         true},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.csv"));
        FakeTagPort port;
        port.tids = c.tids;
        port.toPlace.assign(c.tags.begin(), c.tags.end());
        JobOptions options;
        options.verify = c.verify;
        const JobRun run = runJob(port, path, c.count, options);
        EXPECT_EQ(rowsOf(path), c.rows) << c.name;
        EXPECT_EQ(run.result.complete, c.complete) << c.name;
        const JournalContents contents = readJournal(path);
        EXPECT_EQ(contents.rows, rowsOf(path, 0, true).size()) << c.name;
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        // The first row is the intent; the outcome follows it.
        EXPECT_TRUE(QString::fromUtf8(f.readAll()).split(u'\n').value(2).contains(QLatin1String(c.detail))) << c.name;
        // What each verified tag holds is what its row says.
        for (const FakeTag &t : port.removed) {
            if (const auto holder = contents.state.epcHolder(t.epc); holder && holder->kind == HoldKind::Written) {
                EXPECT_EQ(t.epc, epcAt(int(holder->index))) << c.name;
            }
        }
    }
}

TEST(CommissioningJob, ResumeSkipsDoneIndexesAndWritesNothingTwice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("j.csv");
    FakeTag locked = tagWithTid(3);
    locked.refusals = -1;
    FakeTagPort first;
    first.unplugWhenIdle = true;
    first.toPlace = {{tagWithTid(1)}, {locked}, {tagWithTid(4)}};
    const JobRun one = runJob(first, path, 4, {});
    EXPECT_EQ(one.result.end, JobEnd::ReaderGone);
    EXPECT_EQ(rowsOf(path), QStringList({"0:verified:1", "1:failed:3", "2:verified:1"}));

    // Without resume, a journal with rows is refused.
    FakeTagPort none;
    EXPECT_THROW(runJob(none, path, 4, {}), UserError);

    // Resumed: the tag of index 0 comes back and is refused; new tags get indexes 1 and 3.
    FakeTagPort second;
    second.toPlace = {{tagWithTid(1)}, {tagWithTid(6)}, {tagWithTid(7)}};
    JobOptions resume;
    resume.resume = true;
    const JobRun two = runJob(second, path, 4, resume);
    EXPECT_TRUE(two.cues.contains(CueKind::AlreadyWritten));
    EXPECT_EQ(rowsOf(path, 3), QStringList({"1:verified:1", "3:verified:1"}));
    EXPECT_EQ(second.writes, QList<QByteArray>({epcAt(1), epcAt(3)}));
    EXPECT_EQ(two.result.progress.skipped, 2);
    EXPECT_TRUE(two.result.complete);
}

TEST(CommissioningJob, JournalDuplicatesAreRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("j.csv");
    {
        // An earlier batch put index 1's EPC on a tag as its index 7, and wrote the tag with TID 9.
        Journal journal(path);
        journal.append(JournalRow{7, epcAt(1), tagWithTid(8).tid, TagResult::Verified, 1, {}});
        journal.append(JournalRow{8, epcAt(50), tagWithTid(9).tid, TagResult::Verified, 1, {}});
    }
    FakeTagPort port;
    port.toPlace = {{tagWithTid(9)}, {tagWithTid(10)}, {tagWithTid(11)}};
    JobOptions resume;
    resume.resume = true;
    const JobRun run = runJob(port, path, 3, resume);
    EXPECT_EQ(rowsOf(path, 2), QStringList({"0:verified:1", "1:failed:0", "2:verified:1"}));
    EXPECT_TRUE(run.texts.join(u'\n').contains(QLatin1String("EPC already written to the tag of index 7 (TID")));
    EXPECT_TRUE(run.texts.join(u'\n').contains(QLatin1String("is already written: index 8")));
    EXPECT_EQ(port.writes, QList<QByteArray>({epcAt(0), epcAt(2)}));
    EXPECT_FALSE(run.result.complete);
}

TEST(CommissioningJob, PauseHoldsTheNextTagAndStopEndsAfterTheCurrentOne)
{
    QTemporaryDir dir;
    FakeTagPort port;
    port.toPlace = {{tagWithTid(1)}, {tagWithTid(2)}, {tagWithTid(3)}};
    int waitsWhilePaused = 0;
    const JobRun run = runJob(port, dir.filePath("j.csv"), 3, {}, [&](CommissioningJob &job, const Cue &c) {
        if (c.kind == CueKind::RemoveTag && c.index == 0)
            job.pause();
        if (c.kind == CueKind::Paused) {
            // The person may place the tag while paused; nothing is written until resume.
            port.onStep = [&] {
                if (++waitsWhilePaused == 3) {
                    EXPECT_EQ(port.writes.size(), 1);
                    job.resume();
                }
            };
        }
        if (c.kind == CueKind::RemoveTag && c.index == 1)
            job.stop();
    });
    EXPECT_EQ(run.result.end, JobEnd::Stopped);
    EXPECT_EQ(run.result.progress.verified, 2);
    EXPECT_GE(waitsWhilePaused, 3);
    EXPECT_EQ(port.writes.size(), 2);
}

// An EPC that a tag was seen to hold, or may hold after a write whose outcome is unknown (a
// crash between the intent row and the outcome, a tag pulled away), is given to no other tag;
// the tag that may carry it settles it when it is placed and read.
TEST(CommissioningJob, SeenAndUnknownValuesGoToNoOtherTag)
{
    FakeTag keepsNext = tagWithTid(1), leaves = tagWithTid(3), carries = tagWithTid(1);
    keepsNext.takes = epcAt(1); // the next index's EPC
    leaves.leavesOnWrite = true;
    carries.epc = epcAt(0);
    const QByteArray intent0 = "2024-05-01T10:00:00.000+00:00,0," + epcAt(0).toHex().toUpper() + "," +
                               tagWithTid(1).tid.toHex().toUpper() + ",intent,0,\n";
    struct Case {
        const char *name;
        QByteArray before; // journal rows already there
        std::vector<std::vector<FakeTag>> tags;
        int count;
        QStringList rows;   // every row this run appends
        QList<int> written; // indexes whose EPC was sent to a tag, in order
        const char *text;   // in a cue
        int openAfter;      // writes of unknown outcome the journal holds after the run
    } cases[] = {
        {"a tag that keeps the next index's EPC: that index is not written",
         {},
         {{keepsNext}, {tagWithTid(2)}},
         3,
         {"0:intent:0", "0:failed:3", "0:seen:3", "1:failed:0", "2:intent:0", "2:verified:1"},
         {0, 0, 0, 2},
         "This tag carries EPC 300000000000000000000001: put it aside or rewrite it",
         0},
        {"a tag pulled away during the write may carry its EPC",
         {},
         {{leaves}, {tagWithTid(2)}},
         2,
         {"0:intent:0", "0:failed:1", "1:intent:0", "1:verified:1"},
         {0, 1},
         "the tag may carry EPC 300000000000000000000000",
         1},
        {"a crash after the intent: another tag never gets the EPC",
         intent0,
         {{tagWithTid(2)}},
         2,
         {"0:failed:0", "1:intent:0", "1:verified:1"},
         {1},
         "that tag may carry the EPC; place it in the field to settle it",
         1},
        {"a crash after the intent: the tag comes back carrying it and is settled",
         intent0,
         {{carries}, {tagWithTid(2)}},
         2,
         {"0:failed:0", "0:verified:0", "1:intent:0", "1:verified:1"},
         {1},
         "is already written: index 0",
         0},
        {"a crash after the intent: the tag comes back blank, its EPC is free again",
         intent0,
         {{tagWithTid(1)}},
         2,
         {"0:failed:0", "0:seen:0", "1:intent:0", "1:verified:1"},
         {1},
         "Index 0 not written",
         0},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.csv"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(kJournalHeader) + '\n' + c.before);
        f.close();
        const qint64 before = c.before.count('\n');
        FakeTagPort port;
        port.toPlace.assign(c.tags.begin(), c.tags.end());
        JobOptions options;
        options.resume = true;
        const JobRun run = runJob(port, path, c.count, options);
        EXPECT_EQ(rowsOf(path, before, true), c.rows) << c.name;
        QList<QByteArray> written;
        for (const int i : c.written)
            written << epcAt(i);
        EXPECT_EQ(port.writes, written) << c.name;
        EXPECT_TRUE(run.texts.join(u'\n').contains(QLatin1String(c.text))) << c.name << "\n"
                                                                           << run.texts.join(u'\n').toStdString();
        // However the run went, no EPC of the batch is on two tags.
        QHash<QByteArray, bool> onTags;
        for (const auto *tags : {&port.removed, &port.field})
            for (const FakeTag &t : *tags)
                if (t.epc.startsWith('0')) {
                    EXPECT_FALSE(std::exchange(onTags[t.epc], true)) << c.name;
                }
        EXPECT_EQ(readJournal(path).state.openIntents().size(), c.openAfter) << c.name;
    }
}

} // namespace
