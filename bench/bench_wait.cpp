#include "figures.h"
#include "windowrig.h"

#include "link/readerlink.h"
#include "ui/tform1.h"

#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace
{

double processCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A command whose reply never comes: the handler's whole wait, with the window's own
// timers (the status-bar clock) running as they do for the user.
void BM_UnansweredWait2000(benchmark::State &state)
{
    WindowRig &rig = WindowRig::get();
    rig.usb.setAnswer({});
    ReaderLink &link = rig.form().link();
    WindowRig::settle();
    double worst = 0;
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = processCpuSeconds();
        const QByteArray reply = link.exchange(QByteArray::fromHex("C0"), 2000);
        const double cpu = processCpuSeconds() - cpu0;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        if (!reply.isEmpty() || seconds < 1.9) {
            state.SkipWithError("the wait did not last its 2000 ms unanswered");
            break;
        }
        worst = qMax(worst, 100.0 * cpu / seconds);
    }
    rig.usb.setAnswer(QByteArray::fromHex("AA00010001BB"));
    state.counters["cpu_pct"] = worst;
    figures::note("wait.cpu_pct", worst);
}
BENCHMARK(BM_UnansweredWait2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
