#include "benchpty.h"
#include "figures.h"
#include "streamcheck.h"

#include "serial/tcomm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <thread>
#include <vector>

namespace
{

constexpr qsizetype kStream = 1 << 20;
constexpr qsizetype kBurst = 16 * 1024;

// Runs the event loop until done() or ms pass, testing every millisecond.
bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= ms)
            loop.quit();
    });
    tick.start(1);
    if (!done())
        loop.exec();
    return done();
}

// 1 MiB from the far end in 16 KiB bursts with short gaps, through the read thread to the
// receive event; every byte is checked against what was sent.
void BM_SerialReceiveMiB(benchmark::State &state)
{
    const QByteArray stream = StreamCheck::pattern(kStream);
    double worstRate = 1e9;
    qsizetype lost = 0, largest = 0;
    bool misordered = false;
    for (auto _ : state) {
        BenchPty pty;
        if (!pty.isOpen()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        TComm comm;
        configureLikeMainWindow(comm, pty.path());
        StreamCheck check(stream);
        comm.OnReceiveData = [&check](TComm *, const char *b, quint16 n) { check.add(b, n); };
        comm.OpenPort();
        QElapsedTimer clock;
        clock.start();
        std::atomic<bool> writeFailed{false};
        std::thread writer([&] {
            for (qsizetype at = 0; at < stream.size(); at += kBurst) {
                if (!pty.send(stream.constData() + at, qMin(kBurst, stream.size() - at))) {
                    writeFailed = true;
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        // Ends on the whole stream, a wrong byte, or 60 s.
        runUntil([&] { return check.received() >= stream.size() || !check.orderKept(); }, 60000);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        writer.join();
        // Whatever is still on its way is let in before judging.
        runUntil([&] { return check.received() >= stream.size(); }, 300);
        comm.ClosePort();
        if (writeFailed) {
            state.SkipWithError("writing to the pseudo-terminal failed");
            return;
        }
        worstRate = qMin(worstRate, double(check.received()) / double(1 << 20) / seconds);
        lost = qMax(lost, check.lost());
        misordered = misordered || !check.orderKept();
        largest = qMax(largest, check.largestBlock());
    }
    state.counters["mib_per_s"] = worstRate;
    state.counters["lost"] = double(lost);
    state.counters["largest_block"] = double(largest);
    figures::note("serial.mibps", worstRate);
    figures::note("serial.lost", double(lost));
    figures::note("serial.misordered", misordered ? 1 : 0);
    figures::note("serial.largest", double(largest));
}
BENCHMARK(BM_SerialReceiveMiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A short block, then quiet: from its last byte leaving the far end to the receive event.
void BM_SerialBlockLatency(benchmark::State &state)
{
    BenchPty pty;
    if (!pty.isOpen()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    TComm comm;
    configureLikeMainWindow(comm, pty.path());
    QElapsedTimer clock;
    clock.start();
    qint64 arrivedNs = -1;
    comm.OnReceiveData = [&](TComm *, const char *, quint16) {
        if (arrivedNs < 0)
            arrivedNs = clock.nsecsElapsed();
    };
    comm.OpenPort();
    const QByteArray block = QByteArray::fromHex("BB0001C1000100C37E");
    std::vector<double> samples;
    for (auto _ : state) {
        arrivedNs = -1;
        const qint64 sentNs = clock.nsecsElapsed();
        pty.send(block.constData(), block.size());
        if (!runUntil([&] { return arrivedNs >= 0; }, 2000)) {
            state.SkipWithError("no receive event");
            break;
        }
        samples.push_back(double(arrivedNs - sentNs) / 1e6);
        // Quiet until the next block, so that each one is a block of its own.
        runUntil([] { return false; }, 50);
    }
    comm.ClosePort();
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2], worst = samples.back();
    state.counters["median_ms"] = median;
    state.counters["max_ms"] = worst;
    figures::note("serial.latency_median_ms", median);
    figures::note("serial.latency_max_ms", worst);
}
BENCHMARK(BM_SerialBlockLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);

} // namespace
