#include "figures.h"
#include "stallmeter.h"
#include "windowrig.h"

#include "field/tagread.h"
#include "ui/inventoryfeed.h"
#include "ui/inventorymodel.h"
#include "ui/inventorywindow.h"
#include "ui/tform1.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTableView>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <malloc.h>
#include <random>
#include <thread>

namespace
{

constexpr int kTags = 10000;
constexpr int kReadsPerSecond = 1000;
constexpr int kSeconds = 10;
constexpr int kBatchesPerSecond = 1000 / InventoryWindow::kBatchMs;

double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// SGTIN-96 EPCs that differ in their serial number: each has its tag URI, the most a row holds.
QByteArray epcOf(int tag)
{
    QByteArray epc = QByteArray::fromHex("3074257BF7194E4000000000");
    epc[9] = char(tag >> 16);
    epc[10] = char(tag >> 8);
    epc[11] = char(tag);
    return epc;
}

field::TagRead readOf(int tag, std::mt19937 &random)
{
    field::TagRead read;
    read.timeMs = QDateTime::currentMSecsSinceEpoch();
    read.epc = epcOf(tag);
    read.pc = QByteArray::fromHex("3000");
    read.rssi = int8_t(-90 + int(random() % 60));
    return read;
}

// Runs the window's event loop until done holds.
void runUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    loop.exec();
}

// Tools > Tag inventory... as the user has it, fed from a thread of its own as the inventory
// job feeds it: its batches every 100 ms through the queued signal. First every one of 10,000
// tags once (the heap it takes per tag), then 1,000 reads a second over those tags for 10 s
// with four rows selected for the chart: the window thread's processor time against the wall
// clock, and its longest stall.
void BM_InventoryWindow(benchmark::State &state)
{
    for (auto _ : state) {
        TForm1 &form = WindowRig::get().form();
        form.showTagInventory();
        InventoryWindow &window = *form.tagInventory;
        window.clearTable();
        WindowRig::settle();
        std::mt19937 random(7);

        const double heapBefore = heapBytes();
        std::thread first([&] {
            for (int tag = 0; tag < kTags; tag += kReadsPerSecond / kBatchesPerSecond * 10) {
                field::ReadBatch batch;
                batch.rounds = 1;
                for (int i = tag; i < std::min(kTags, tag + kReadsPerSecond / kBatchesPerSecond * 10); ++i)
                    batch.reads.push_back(readOf(i, random));
                emit window.feed().batch(batch);
            }
        });
        runUntil([&] { return window.model->rowCount() == kTags; });
        first.join();
        WindowRig::settle();
        const double bytesPerTag = (heapBytes() - heapBefore) / kTags;
        for (int row : {3, 50, 700, 9000})
            window.table->selectionModel()->select(window.model->index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);

        std::atomic<bool> fed{false};
        StallMeter meter;
        const qint64 cpuStart = figures::clockNs(CLOCK_THREAD_CPUTIME_ID);
        const qint64 wallStart = figures::clockNs(CLOCK_MONOTONIC);
        meter.start();
        std::thread feeder([&] {
            std::mt19937 feederRandom(11);
            auto next = std::chrono::steady_clock::now();
            for (int b = 0; b < kSeconds * kBatchesPerSecond; ++b) {
                field::ReadBatch batch;
                batch.rounds = kReadsPerSecond / kBatchesPerSecond / 8; // eight tags a round
                for (int i = 0; i < kReadsPerSecond / kBatchesPerSecond; ++i)
                    batch.reads.push_back(readOf(int(feederRandom() % kTags), feederRandom));
                emit window.feed().batch(batch);
                next += std::chrono::milliseconds(InventoryWindow::kBatchMs);
                std::this_thread::sleep_until(next);
            }
            fed = true;
        });
        runUntil([&] { return fed.load(); });
        WindowRig::settle();
        meter.stop();
        const double cpuNs = double(figures::clockNs(CLOCK_THREAD_CPUTIME_ID) - cpuStart);
        const double wallNs = double(figures::clockNs(CLOCK_MONOTONIC) - wallStart);
        feeder.join();

        figures::note(QStringLiteral("invwin.busy_pct"), 100.0 * cpuNs / wallNs);
        figures::note(QStringLiteral("invwin.stall_ms"), meter.longestGapMs());
        figures::note(QStringLiteral("invwin.bytes_per_tag"), bytesPerTag);
        figures::note(QStringLiteral("invwin.reads"), double(window.model->totals().reads));
        window.close();
        window.clearTable();
        WindowRig::settle();
    }
}
BENCHMARK(BM_InventoryWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
