#include "figures.h"
#include "windowrig.h"

#include "files/sessionlog.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <unistd.h>

namespace
{

const QString kLine = QStringLiteral("Set Up Success   01:07:09 PM");

qint64 threadCpuNs()
{
    return figures::clockNs(CLOCK_THREAD_CPUTIME_ID);
}

// Resident memory of this process, MiB.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * double(::sysconf(_SC_PAGESIZE)) / 1048576.0 : -1;
}

void settleFrame()
{
    QEventLoop loop;
    QTimer::singleShot(25, &loop, &QEventLoop::quit);
    loop.exec();
    WindowRig::settle();
}

// The pane at its limit: filled to half a batch below it, so that the 10,000 lines measured
// cross the point where the oldest batch goes exactly once, as every 10,000 lines do in a
// long run (the pane never holds more than its limit, so it cannot be filled past it).
void BM_LogPaneAppendAtCap(benchmark::State &state)
{
    constexpr int kBatch = 500;
    LogPane &pane = *WindowRig::get().form().logPane;
    pane.clear();
    while (pane.document()->blockCount() < LogPane::kMaxLines - LogPane::kTrimBatch / 2)
        pane.add(kLine);
    WindowRig::settle();
    qint64 cpuNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        settleFrame();
        state.ResumeTiming();
        const qint64 cpu0 = threadCpuNs();
        for (int i = 0; i < kBatch; ++i) {
            pane.add(kLine);
            QCoreApplication::processEvents();
        }
        cpuNs += threadCpuNs() - cpu0;
    }
    const double us = double(cpuNs) / 1e3 / double(state.iterations() * kBatch);
    state.counters["cpu_us_per_line"] = us;
    state.counters["lines"] = pane.document()->blockCount();
    figures::note(QStringLiteral("logpane.us_cap"), us);
    pane.clear();
}
BENCHMARK(BM_LogPaneAppendAtCap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// What the session log costs the window thread per line: the conversion and the hand-over
// to its writer thread (the writing itself is that thread's).
void BM_SessionLogAppend(benchmark::State &state)
{
    constexpr int kLines = 100000;
    QTemporaryDir dir;
    SessionLog log(dir.path(), QDateTime::currentDateTime());
    qint64 cpuNs = 0;
    for (auto _ : state) {
        const qint64 cpu0 = threadCpuNs();
        for (int i = 0; i < kLines; ++i)
            log.append(kLine);
        cpuNs += threadCpuNs() - cpu0;
        state.PauseTiming();
        log.drain();
        state.ResumeTiming();
    }
    if (!log.isWriting()) {
        state.SkipWithError("the session log stopped");
        return;
    }
    const double us = double(cpuNs) / 1e3 / double(state.iterations() * kLines);
    state.counters["cpu_us_per_line"] = us;
    figures::note(QStringLiteral("sessionlog.us"), us);
}
BENCHMARK(BM_SessionLogAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// A working day of continuous reading: 300,000 answered presses of "Set" (two pane lines
// each) on the shown window, its session log on. The memory after 100,000 presses (the
// pane already full) against after 300,000.
void BM_ClickMemory(benchmark::State &state)
{
    WindowRig &rig = WindowRig::get();
    rig.usb.setAnswer(QByteArray::fromHex("AA00010001BB"));
    TForm1 &form = rig.form();
    form.logPane->clear();
    WindowRig::settle();
    double at100k = 0, at300k = 0;
    for (auto _ : state) {
        for (int i = 1; i <= 300000; ++i) {
            form.keyboardPage->setFormatButton->click();
            if (i % 100 == 0)
                QCoreApplication::processEvents();
            if (i == 100000 || i == 300000) {
                settleFrame();
                (i == 100000 ? at100k : at300k) = residentMiB();
            }
        }
    }
    if (!rig.takeErrors().isEmpty()) {
        state.SkipWithError("a press failed");
        return;
    }
    state.counters["rss_100k_MiB"] = at100k;
    state.counters["rss_300k_MiB"] = at300k;
    state.counters["pane_lines"] = form.logPane->document()->blockCount();
    figures::note(QStringLiteral("clicks.rss_100k"), at100k);
    figures::note(QStringLiteral("clicks.rss_300k"), at300k);
    form.logPane->clear();
}
BENCHMARK(BM_ClickMemory)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace
