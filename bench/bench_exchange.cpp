#include "figures.h"
#include "windowrig.h"

#include "link/readerlink.h"
#include "protocol/keyboard.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <ctime>

namespace
{

// How many exchanges fill the pane before it is cleared again, so that every exchange logs
// into a pane of about the same size.
constexpr int kClearEvery = 500;

// The window thread's own processor time: on a shared machine the wall clock also counts
// the time other programs held the processor.
qint64 threadCpuNs()
{
    return figures::clockNs(CLOCK_THREAD_CPUTIME_ID);
}

// One press of "Set" on the keyboard-output page: the body from the controls, the frame,
// the exchange, the reply check and the log line, and the events the window then handles.
// Argument 0 runs it with the window hidden, 2 with the window shown but the log pane's
// painting held, which tells the painting of the pane and of the rest from the tool's work.
void BM_KeyboardSetExchange(benchmark::State &state)
{
    const int mode = int(state.range(0));
    const bool shown = mode != 0;
    WindowRig &rig = WindowRig::get();
    rig.usb.setAnswer(QByteArray::fromHex("AA00010001BB"));
    TForm1 &form = rig.form();
    form.setVisible(shown);
    form.logPane->viewport()->setUpdatesEnabled(mode != 2);
    form.logPane->clear();
    WindowRig::settle();
    const qint64 before = rig.usb.writes();
    int sinceClear = 0;
    QElapsedTimer clock;
    qint64 wallNs = 0, cpuNs = 0;
    for (auto _ : state) {
        clock.start();
        const qint64 cpu0 = threadCpuNs();
        form.keyboardPage->setFormatButton->click();
        cpuNs += threadCpuNs() - cpu0;
        wallNs += clock.nsecsElapsed();
        if (++sinceClear == kClearEvery) {
            state.PauseTiming();
            form.logPane->clear();
            WindowRig::settle();
            sinceClear = 0;
            state.ResumeTiming();
        }
    }
    form.show();
    form.logPane->viewport()->setUpdatesEnabled(true);
    const QStringList errors = rig.takeErrors();
    if (!errors.isEmpty() || rig.usb.writes() - before != state.iterations()) {
        state.SkipWithError("the handler did not exchange one frame per press");
        return;
    }
    const double n = double(state.iterations());
    const double cpuMs = double(cpuNs) / 1e6 / n, wallMs = double(wallNs) / 1e6 / n;
    state.counters["cpu_ms"] = cpuMs;
    state.counters["wall_ms"] = wallMs;
    const QString key = mode == 1   ? QStringLiteral("exchange")
                        : mode == 0 ? QStringLiteral("exchange_hidden")
                                    : QStringLiteral("exchange_pane_held");
    figures::note(key + QStringLiteral(".cpu_ms"), cpuMs);
    figures::note(key + QStringLiteral(".wall_ms"), wallMs);
}
BENCHMARK(BM_KeyboardSetExchange)
    ->ArgName("mode")
    ->Arg(1)
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MinTime(1.0);

// The link alone (frame, transport, reply, wait), for telling the page's share from the link's.
void BM_LinkExchange(benchmark::State &state)
{
    WindowRig &rig = WindowRig::get();
    rig.usb.setAnswer(QByteArray::fromHex("AA00010001BB"));
    ReaderLink &link = rig.form().link();
    for (auto _ : state)
        benchmark::DoNotOptimize(link.exchange(protocol::keyboard::readingMode(true)));
}
BENCHMARK(BM_LinkExchange)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
