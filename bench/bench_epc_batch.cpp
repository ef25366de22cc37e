#include "figures.h"

#include "commission/batchsession.h"
#include "commission/cuefollower.h"
#include "commission/readertagport.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "sim/simulatedreader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

namespace
{

double cpuMs()
{
    return double(figures::clockNs(CLOCK_PROCESS_CPUTIME_ID)) / 1e6;
}

// A whole batch as the command line runs it: the reader adapter over ReaderLink and the
// simulated reader (its frames built, checked and parsed both ways), the job, the journal on
// this disk flushed per row, verification on. Every wait goes through the event loop.
void BM_EpcBatchSimulated(benchmark::State &state)
{
    constexpr int kTags = 1000;
    double wallMs = 0, cpu = 0, exchanges = 0;
    for (auto _ : state) {
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/epc-bench-XXXXXX"));
        waits::resetForTests();
        SimulatedReader reader;
        ReaderLink link(reader);
        commission::ReaderTagPort port(link);
        commission::BatchPlan plan;
        plan.source = commission::SourceKind::Gs1;
        plan.first = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.0");
        plan.count = kTags;
        plan.journalPath = dir.filePath(QStringLiteral("journal.csv"));
        commission::BatchSession session(plan, port, [](int ms) { waits::waitUntil(ms, [] { return false; }); });
        session.job().onCue = [&](const epc::Cue &c) { commission::followCue(reader.uhf(), c.kind); };
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = cpuMs();
        const epc::JobResult result = session.run();
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
