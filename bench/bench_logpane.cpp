#include "figures.h"
#include "stallmeter.h"
#include "windowrig.h"

#include "link/readerlink.h"
#include "pagekit/repeatloop.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>

namespace
{

// Long enough for the pane to be drawn about once in every batch (it draws once a frame).
constexpr int kBatch = 500;
const QString kLine = QStringLiteral("Set Up Success   01:07:09 PM");

// The window thread's processor time: the wall clock of a shared machine also counts other
// programs, and the two pane sizes are measured at different moments.
qint64 threadCpuNs()
{
    return figures::clockNs(CLOCK_THREAD_CPUTIME_ID);
}

int lineCount(LogPane &pane)
{
    return pane.document()->blockCount();
}

// Lets a held drawing of the pane happen.
void settleFrame()
{
    QEventLoop loop;
    QTimer::singleShot(25, &loop, &QEventLoop::quit);
    loop.exec();
    WindowRig::settle();
}

void fillTo(LogPane &pane, int lines)
{
    if (lineCount(pane) > lines)
        pane.clear();
    while (lineCount(pane) < lines)
        pane.add(kLine);
    WindowRig::settle();
}

// One appended line as the user sees it: the addition and the events (painting) after it.
// Before each batch, in both sizes alike, the pane is brought back to its size and drawn,
// so that every batch starts from the same state and pays for the same share of drawing.
void BM_LogPaneAppend(benchmark::State &state)
{
    const int size = int(state.range(0));
    LogPane &pane = *WindowRig::get().form().logPane;
    pane.clear();
    fillTo(pane, size);
    QElapsedTimer clock;
    qint64 wallNs = 0, cpuNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Growing a 100,000-line pane by a few batches leaves it at that size.
        if (size < 10000)
            fillTo(pane, size);
        settleFrame();
        state.ResumeTiming();
        clock.start();
        const qint64 cpu0 = threadCpuNs();
        for (int i = 0; i < kBatch; ++i) {
            pane.add(kLine);
            QCoreApplication::processEvents();
        }
        cpuNs += threadCpuNs() - cpu0;
        wallNs += clock.nsecsElapsed();
    }
    const double lines = double(state.iterations() * kBatch);
    const double us = double(cpuNs) / 1e3 / lines;
    state.counters["cpu_us_per_line"] = us;
    state.counters["wall_us_per_line"] = double(wallNs) / 1e3 / lines;
    figures::note(QStringLiteral("logpane.us_%1").arg(size), us);
}
BENCHMARK(BM_LogPaneAppend)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// A repeat loop pressing "Set" back to back (no pause) into a pane already holding 100,000
// lines, for three seconds; the stall meter sees how long the loop ever kept the window
// from handling its events.
void BM_RepeatLoopStall(benchmark::State &state)
{
    WindowRig &rig = WindowRig::get();
    TForm1 &form = rig.form();
    LogPane &pane = *form.logPane;
    fillTo(pane, 100000);
    QCheckBox box;
    bindRepeat(&box, form.link(),
               {[&form] { form.keyboardPage->Button24Click(); }, [] { return 0; }, 0, RepeatBox::Wait::Plain});
    double worst = 0;
    qint64 presses = 0;
    for (auto _ : state) {
        const qint64 before = rig.usb.writes();
        StallMeter meter(1);
        box.setChecked(false);
        QTimer::singleShot(3000, &box, [&box] { box.setChecked(false); });
        meter.start();
        box.click(); // ticks the box; the loop runs inside until the timer unticks it
        meter.stop();
        presses += rig.usb.writes() - before;
        worst = qMax(worst, meter.longestGapMs());
    }
    if (!rig.takeErrors().isEmpty() || presses == 0) {
        state.SkipWithError("the repeat loop did not run");
        return;
    }
    state.counters["stall_ms"] = worst;
    state.counters["presses"] = double(presses);
    figures::note("logpane.stall_ms", worst);
}
BENCHMARK(BM_RepeatLoopStall)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
