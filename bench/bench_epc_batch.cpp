#include "figures.h"

#include "commission/batchjob.h"
#include "commission/batchsession.h"
#include "commission/readertagport.h"
#include "link/jobcontrol.h"
#include "link/jobrunner.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "sim/cuefollower.h"
#include "sim/simulatedreader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

namespace
{

constexpr int kTags = 1000;
const QString kFirst = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.0");

double cpuMs()
{
    return double(figures::clockNs(CLOCK_PROCESS_CPUTIME_ID)) / 1e6;
}

// A whole batch as the command line runs it: the job on the runner's thread, the reader
// adapter over the job's port, ReaderLink and the simulated reader on this thread (its frames
// built, checked and parsed both ways), its person following the cues here, the journal on this
// disk flushed per row, verification on.
void BM_EpcBatchSimulated(benchmark::State &state)
{
    double wallMs = 0, cpu = 0, exchanges = 0;
    for (auto _ : state) {
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/epc-bench-XXXXXX"));
        waits::resetForTests();
        SimulatedReader reader;
        ReaderLink link(reader);
        JobRunner runner(link);
        commission::ReaderTagPort port(runner.port());
        commission::BatchJob job;
        commission::BatchPlan plan;
        plan.first = kFirst;
        plan.count = kTags;
        plan.journalPath = dir.filePath(QStringLiteral("journal.csv"));
        commission::BatchSession session(plan, port, job.pauses());
        QObject here;
        QObject::connect(
            &job, &commission::BatchJob::cued, &here,
            [&reader](const epc::Cue &c) { sim::followCue(reader.uhf(), c.kind); }, Qt::QueuedConnection);
        epc::JobResult result;
        QObject::connect(
            &job, &commission::BatchJob::ended, &here,
            [&result](const epc::JobResult &r, const QString &) { result = r; }, Qt::QueuedConnection);
        QEventLoop loop;
        QObject::connect(&runner, &JobRunner::finished, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = cpuMs();
        runner.start([&](JobControl &control) { job.run(session, control); });
        loop.exec();
        cpu = cpuMs() - cpu0;
        wallMs = double(wall.nsecsElapsed()) / 1e6;
        exchanges = double(port.exchanges());
        if (result.progress.verified != kTags || !result.complete)
            state.SkipWithError("not every tag verified");
    }
    state.counters["tags_per_s"] = kTags * 1000.0 / wallMs;
    state.counters["cpu_ms_per_tag"] = cpu / kTags;
    state.counters["exchanges_per_tag"] = exchanges / kTags;
    figures::note("epcsim.tags_per_s", kTags * 1000.0 / wallMs);
    figures::note("epcsim.wall_ms", wallMs / kTags);
    figures::note("epcsim.cpu_ms", cpu / kTags);
    figures::note("epcsim.exchanges", exchanges / kTags);
}
BENCHMARK(BM_EpcBatchSimulated)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
