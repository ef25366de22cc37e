#include "figures.h"
#include "stallmeter.h"
#include "windowrig.h"

#include "commission/batchjob.h"
#include "commission/batchsession.h"
#include "commission/readertagport.h"
#include "link/jobcontrol.h"
#include "link/jobrunner.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "sim/cuefollower.h"
#include "sim/simulatedreader.h"
#include "ui/epcbatchwindow.h"
#include "ui/epcsourcebox.h"
#include "ui/tform1.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
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

// The same batch from the real batch window of the shown main window (offscreen), its person
// following the cues as with --simulate: the longest stretch in which the window's event loop
// handled nothing while the batch ran, and the batch's whole time from Start to its end.
void BM_EpcBatchWindow(benchmark::State &state)
{
    WindowRig &rig = WindowRig::get();
    TForm1 &form = rig.form();
    double stallMs = 0, totalMs = 0;
    for (auto _ : state) {
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/epc-bench-XXXXXX"));
        waits::resetForTests();
        SimulatedReader reader;
        form.link().setTransport(reader);
        form.findChild<QAction *>(QStringLiteral("ToolsEpcBatch"))->trigger();
        EpcBatchWindow &window = *form.epcBatch;
        EpcBatchWindow::setCueFollower([&reader](const epc::Cue &c) { sim::followCue(reader.uhf(), c.kind); });
        window.source->gs1First->setText(kFirst);
        window.count->setValue(kTags);
        window.journalPath->setText(dir.filePath(QStringLiteral("journal.csv")));
        WindowRig::settle();

        StallMeter meter;
        QEventLoop loop;
        QTimer poll; // the batch's end, looked at between the meter's ticks
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!window.isRunning())
                loop.quit();
        });
        QElapsedTimer wall;
        meter.start();
        wall.start();
        window.startButton->click();
        poll.start(1);
        loop.exec();
        totalMs = double(wall.nsecsElapsed()) / 1e6;
        meter.stop();
        stallMs = meter.longestGapMs();

        EpcBatchWindow::setCueFollower({});
        form.link().setTransport(rig.usb);
        if (reader.tagLog().size() != kTags || !rig.takeErrors().isEmpty())
            state.SkipWithError("not every tag written, or an error shown");
        window.close();
    }
    state.counters["stall_ms"] = stallMs;
    state.counters["total_ms"] = totalMs;
    figures::note("epcwin.stall_ms", stallMs);
    figures::note("epcwin.total_ms", totalMs);
}
BENCHMARK(BM_EpcBatchWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
