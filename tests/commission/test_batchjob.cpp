#include "commission/batchjob.h"
#include "commission/batchsession.h"
#include "commission/readertagport.h"
#include "link/jobcontrol.h"
#include "link/jobrunner.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "sim/cuefollower.h"
#include "sim/simulatedreader.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A batch as a job: the session on the runner's thread, the link, the simulated reader and its
// person on this one, as the window and rfidctl run it. How the batch meets what the person at
// the window does while it runs. (Run under the thread sanitizer too.)
namespace
{

using epc::CueKind;

// The simulated reader, until it is unplugged.
struct UnpluggableReader : UsbTransport {
    SimulatedReader sim;
    bool unplugged = false;

    void start(const QByteArray &frame, int timeoutMs, Done done) override
    {
        if (!unplugged)
            return sim.start(frame, timeoutMs, std::move(done));
        UsbReply r;
        r.gone = true;
        r.presence = ReaderPresence::Absent;
        r.why = QStringLiteral("unplugged");
        done(r);
    }
    QString description() const override { return sim.description(); }
};

// A batch of four EPCs into a new journal, its job on a runner over the link to that reader.
struct Rig {
    Rig()
    {
        plan.first = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.0");
        plan.count = 4;
        plan.journalPath = dir.filePath(QStringLiteral("journal.csv"));
    }

    // Runs the batch to its end; returns the runner's finished() error.
    QString run()
    {
        QEventLoop loop;
        QString error;
        QObject::connect(&runner, &JobRunner::finished, &loop, [&](const QString &e) {
            error = e;
            loop.quit();
        });
        EXPECT_TRUE(runner.start([this](JobControl &control) {
            commission::ReaderTagPort port(control.port());
            commission::BatchSession session(plan, port, batch.pauses());
            batch.run(session, control);
        }));
        loop.exec(); // a hang here is the fault; the test's time limit ends it
        return error;
    }

    QTemporaryDir dir;
    UnpluggableReader reader;
    ReaderLink link{reader};
    JobRunner runner{link};
    commission::BatchJob batch;
    commission::BatchPlan plan;
};

TEST(BatchJob, WhatThePersonAtTheWindowDoesMeetsTheJobAtItsNextPoll)
{
    enum class Act { Nothing, Stop, PauseThenResume, Unplug, ProgramEnds };
    struct Case {
        const char *name;
        Act act; // on "remove the tag" of index 1
        epc::JobEnd end;
        int rows;
    } cases[] = {
        {"to its end", Act::Nothing, epc::JobEnd::SourceDone, 4},
        {"stop after this tag", Act::Stop, epc::JobEnd::Stopped, 2},
        {"pause, then resume", Act::PauseThenResume, epc::JobEnd::SourceDone, 4},
        {"the reader goes away", Act::Unplug, epc::JobEnd::ReaderGone, 2},
        {"the program ends", Act::ProgramEnds, epc::JobEnd::Stopped, 2},
    };
    for (const Case &c : cases) {
        waits::resetForTests();
        Rig rig;
        UnpluggableReader &reader = rig.reader;
        commission::BatchJob &batch = rig.batch;
        QObject here;
        QList<CueKind> cues;
        qsizetype rows = 0, writesWhenPaused = -1;
        std::optional<epc::JobResult> end;
        QString error;
        reader.sim.uhf().layBlankTag();
        QObject::connect(
            &batch, &commission::BatchJob::cued, &here,
            [&](const epc::Cue &cue) {
                cues << cue.kind;
                sim::followCue(reader.sim.uhf(), cue.kind);
                if (cue.kind == CueKind::Paused) {
                    writesWhenPaused = reader.sim.tagLog().size();
                    batch.resume();
                    rig.runner.wake();
                }
                if (cue.kind != CueKind::RemoveTag || cue.index != 1)
                    return;
                switch (c.act) {
                case Act::Nothing:
                    break;
                case Act::Stop:
                    batch.stop();
                    rig.runner.wake();
                    break;
                case Act::PauseThenResume:
                    batch.pause();
                    rig.runner.wake();
                    break;
                case Act::Unplug:
                    reader.unplugged = true;
                    break;
                case Act::ProgramEnds:
                    waits::cancelAll();
                    break;
                }
            },
            Qt::QueuedConnection);
        QObject::connect(
            &batch, &commission::BatchJob::appended, &here,
            [&](const epc::JournalRow &row, const QDateTime &) { rows += row.result != epc::TagResult::Intent; },
            Qt::QueuedConnection);
        QObject::connect(
            &batch, &commission::BatchJob::ended, &here,
            [&](const epc::JobResult &r, const QString &e) {
                end = r;
                error = e;
            },
            Qt::QueuedConnection);

        EXPECT_EQ(rig.run(), QString()) << c.name;
        ASSERT_TRUE(end.has_value()) << c.name << ": the end is told before finished()";
        // The program's end closes the port too: a job then in an exchange finds no reader.
        if (c.act != Act::ProgramEnds || end->end != epc::JobEnd::ReaderGone) {
            EXPECT_EQ(end->end, c.end) << c.name;
        }
        EXPECT_EQ(error, QString()) << c.name;
        EXPECT_EQ(rows, c.rows) << c.name << ": every row reaches this thread before the end";
        EXPECT_EQ(reader.sim.tagLog().size(), c.rows) << c.name << ": every tag written has its row";
        EXPECT_EQ(cues.count(CueKind::Paused), c.act == Act::PauseThenResume ? 1 : 0) << c.name;
        if (c.act == Act::PauseThenResume) {
            EXPECT_EQ(writesWhenPaused, 2) << "the tag in hand is finished, then nothing is written";
        }
    }
    waits::resetForTests();
}

TEST(BatchJob, AJournalThatCannotBeOpenedEndsTheJobBeforeAnythingIsSent)
{
    Rig rig;
    rig.plan.journalPath = rig.dir.filePath(QStringLiteral("no-such-folder/journal.csv"));
    const QString error = rig.run();
    EXPECT_TRUE(error.contains(QLatin1String("no-such-folder"))) << qPrintable(error);
    EXPECT_EQ(rig.reader.sim.framesReceived(), 0);
}

} // namespace
