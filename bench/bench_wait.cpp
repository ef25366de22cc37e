#include "figures.h"
#include "windowrig.h"

#include "link/hidtransport.h"
#include "link/readerlink.h"
#include "protocol/commandtable.h"
#include "stallmeter.h"
#include "ui/tform1.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>
#include <sys/resource.h>
#include <thread>

namespace
{

double processCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A command the reader never answers, waited for 2000 ms.
protocol::Request unanswered()
{
    protocol::Request request = protocol::typedRequest(QByteArray::fromHex("C0"), protocol::Route::Reader);
    request.waitMs = 2000;
    return request;
}

// Processor time (percent of one core) of the whole process while its event loop idles for
// ms: what the window costs anyway (the status-bar clock), to be taken off a wait's figure.
double idleCpuPercent(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = processCpuSeconds();
    loop.exec();
    return 100.0 * (processCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) / 1e9);
}

// One command whose reply never comes, waited for 2000 ms: the processor time of the whole
// process while it waits, in percent of one core; nothing when the wait did not last or a
// reply came.
std::optional<double> unansweredWaitCpuPercent(ReaderLink &link)
{
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = processCpuSeconds();
    const QByteArray reply = link.exchange(unanswered()).reply;
    const double cpu = processCpuSeconds() - cpu0;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    if (!reply.isEmpty() || seconds < 1.9)
        return std::nullopt;
    return 100.0 * cpu / seconds;
}

// A command whose reply never comes: the handler's whole wait, with the window's own
// timers (the status-bar clock) running as they do for the user. The figure is what the wait
// costs above the idle window.
void BM_UnansweredWait2000(benchmark::State &state)
{
    WindowRig &rig = WindowRig::get();
    rig.usb.setAnswer({});
    ReaderLink &link = rig.form().link();
    WindowRig::settle();
    double worst = 0, idle = 0;
    for (auto _ : state) {
        idle = idleCpuPercent(2000);
        const auto cpu = unansweredWaitCpuPercent(link);
        if (!cpu) {
            state.SkipWithError("the wait did not last its 2000 ms unanswered");
            break;
        }
        worst = qMax(worst, *cpu - idle);
    }
    rig.usb.setAnswer(QByteArray::fromHex("AA00010001BB"));
    state.counters["cpu_pct"] = worst;
    figures::note("wait.cpu_pct", qMax(0.0, worst));
    figures::note("wait.idle_pct", idle);
}
BENCHMARK(BM_UnansweredWait2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A reader on the USB I/O thread that never answers: each read blocks for its whole time-out,
// as hidraw does.
struct SilentHid : HidDevice {
    int writeReport(const QByteArray &report) override { return int(report.size()); }
    int readReport(uint8_t *, int, int timeoutMs) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return 0;
    }
};

struct SilentOpener : HidOpener {
    std::unique_ptr<HidDevice> open(QString &) override { return std::make_unique<SilentHid>(); }
};

// The same wait through the real USB transport: the I/O thread blocks in the read while the
// window thread waits in its event loop. Processor time counts both threads; a second pass
// measures the longest stretch the window's event loop went without handling anything.
void BM_HidUnansweredWait2000(benchmark::State &state)
{
    HidTransport usb(std::make_unique<SilentOpener>());
    ReaderLink link(usb);
    double worstCpu = 0, worstStall = 0, idle = 0, idleStall = 0;
    for (auto _ : state) {
        idle = idleCpuPercent(2000);
        const auto cpu = unansweredWaitCpuPercent(link);
        if (!cpu) {
            state.SkipWithError("the wait did not last its 2000 ms unanswered");
            return;
        }
        worstCpu = qMax(worstCpu, *cpu - idle);

        StallMeter meter(1);
        meter.start();
        link.exchange(unanswered());
        meter.stop();
        worstStall = qMax(worstStall, meter.longestGapMs());
        // The same meter over an idle loop tells the platform's own timer jitter.
        StallMeter idleMeter(1);
        idleMeter.start();
        QEventLoop idleLoop;
        QTimer::singleShot(2000, &idleLoop, &QEventLoop::quit);
        idleLoop.exec();
        idleMeter.stop();
        idleStall = qMax(idleStall, idleMeter.longestGapMs());
    }
    state.counters["cpu_pct"] = worstCpu;
    state.counters["stall_ms"] = worstStall;
    figures::note("hidwait.cpu_pct", qMax(0.0, worstCpu));
    figures::note("hidwait.idle_pct", idle);
    figures::note("hidwait.stall_ms", worstStall);
    figures::note("hidwait.idle_stall_ms", idleStall);
}
BENCHMARK(BM_HidUnansweredWait2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
