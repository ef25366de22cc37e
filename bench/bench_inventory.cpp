#include "figures.h"

#include "epc/gs1codec.h"
#include "field/inventoryrun.h"
#include "field/modulechannel.h"
#include "field/tally.h"
#include "link/readerlink.h"
#include "sim/simulatedreader.h"
#include "sim/uhffield.h"

#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <malloc.h>

namespace
{

// Rounds one run makes: enough for the field of 200 to be heard many times over.
constexpr int kRounds = 5000;
// The tally's size for its memory, and the window's feed: a batch every 100 ms.
constexpr int kTallyTags = 10000;
constexpr int kBatchMs = 100;
constexpr int kReadsPerSecond = 1000;
constexpr int kReadsPerBatch = kReadsPerSecond * kBatchMs / 1000;

qint64 threadCpuNs()
{
    return figures::clockNs(CLOCK_THREAD_CPUTIME_ID);
}

// Heap bytes in use now, as the allocator counts them.
double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// The simulated reader behind a meter: the processor time spent inside it (checking the frame,
// running the field's round, building the reply) is the simulator's, told apart from the tool's.
class MeteredReader : public SyncUsbTransport
{
public:
    explicit MeteredReader(SimulatedReader &reader) : reader_(reader) {}

    int write(const QByteArray &frame) override
    {
        const qint64 start = threadCpuNs();
        const int written = reader_.write(frame);
        cpuNs_ += threadCpuNs() - start;
        return written;
    }
    QByteArray read(int timeoutMs) override
    {
        const qint64 start = threadCpuNs();
        QByteArray reply = reader_.read(timeoutMs);
        cpuNs_ += threadCpuNs() - start;
        return reply;
    }
    QString description() const override { return reader_.description(); }

    qint64 cpuNs() const { return cpuNs_; }

private:
    SimulatedReader &reader_;
    qint64 cpuNs_ = 0;
};

// Inventory rounds back to back as `rfidctl --simulate uhf inventory` makes them, with the
// field it fills from RFID_SIM_FIELD: ReaderLink, the module channel, the run, each round's
// reads into the tally. The reader answers at once, so the rate is the tool's and the
// simulator's work alone.
void BM_InventoryRoundsSimulated(benchmark::State &state)
{
    const int fieldTags = int(state.range(0));
    qputenv(UhfField::kSizeVariable, QByteArray::number(fieldTags));
    double wallMs = 0, cpuMs = 0, simMs = 0, reads = 0;
    for (auto _ : state) {
        SimulatedReader reader;
        reader.uhf().fillField(UhfField::sizeFromEnvironment().value_or(0));
        MeteredReader metered(reader);
        ReaderLink link(metered);
        field::ModuleChannel channel([&link](const protocol::Request &r) { return link.exchange(r); });
        field::InventoryRun::Options options;
        options.rounds = kRounds;
        field::InventoryRun run(channel, options);
        field::Tally tally;
        const std::atomic<bool> stop{false};
        QElapsedTimer wall;
        wall.start();
        const qint64 cpu0 = threadCpuNs();
        const field::InventoryRun::Summary summary = run.run(stop, [&](field::ReadBatch &&b) { tally.add(b); });
        cpuMs = double(threadCpuNs() - cpu0) / 1e6;
        wallMs = double(wall.nsecsElapsed()) / 1e6;
        simMs = double(metered.cpuNs()) / 1e6;
        reads = double(summary.reads);
        if (summary.end != field::InventoryRun::End::Limit || summary.rounds != kRounds || tally.size() != fieldTags)
            state.SkipWithError("the run did not make every round or missed tags");
    }
    qunsetenv(UhfField::kSizeVariable);
    const QString key = QStringLiteral("inventory.%1.").arg(fieldTags);
    const double perSecond = kRounds * 1000.0 / wallMs;
    state.counters["rounds_per_s"] = perSecond;
    state.counters["reads_per_round"] = reads / kRounds;
    state.counters["tool_cpu_ms"] = (cpuMs - simMs) / kRounds;
    state.counters["sim_cpu_ms"] = simMs / kRounds;
    figures::note(key + QStringLiteral("rounds_per_s"), perSecond);
    figures::note(key + QStringLiteral("reads_per_round"), reads / kRounds);
    figures::note(key + QStringLiteral("tool_cpu_ms"), (cpuMs - simMs) / kRounds);
    figures::note(key + QStringLiteral("sim_cpu_ms"), simMs / kRounds);
}
BENCHMARK(BM_InventoryRoundsSimulated)
    ->ArgName("field")
    ->Arg(12)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// Distinct GS1 EPCs (so that every entry carries its URI too) and TIDs with serial numbers.
QByteArray epcNumber(int n)
{
    return epc::encode(epc::parseTagUri(QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.%1").arg(n)));
}

QByteArray tidNumber(int n)
{
    return QByteArray::fromHex("E2801190200000") +
           QByteArray::fromHex(QByteArray::number(n, 16).rightJustified(10, '0'));
}

std::vector<QByteArray> epcNumbers(int count)
{
    std::vector<QByteArray> epcs;
    epcs.reserve(size_t(count));
    for (int n = 0; n < count; ++n)
        epcs.push_back(epcNumber(n));
    return epcs;
}

// Every tag read and its TID named, kReadsPerBatch reads a batch.
void fill(field::Tally &tally, const std::vector<QByteArray> &epcs, qint64 startMs)
{
    for (size_t first = 0; first < epcs.size(); first += kReadsPerBatch) {
        field::ReadBatch batch;
        batch.rounds = 1;
        for (size_t i = first; i < std::min(epcs.size(), first + kReadsPerBatch); ++i) {
            batch.reads.push_back(field::TagRead{startMs + qint64(i), epcs[i], QByteArray::fromHex("3000"),
                                                 int8_t(-40 - int(i % 40)), false});
            batch.tids.push_back(field::TidRead{epcs[i], tidNumber(int(i))});
        }
        tally.add(batch);
    }
}

// The heap a tally of 10,000 tags holds, each with its EPC, TID, chip and URI, divided by the
// tags. The EPCs are let go of once read, as a round's reads are, so the tally's copies count.
void BM_TallyMemory(benchmark::State &state)
{
    double bytesPerTag = 0;
    for (auto _ : state) {
        const double before = heapBytes();
        field::Tally tally(0);
        fill(tally, epcNumbers(kTallyTags), 0);
        bytesPerTag = (heapBytes() - before) / kTallyTags;
        if (tally.size() != kTallyTags)
            state.SkipWithError("the tally lost tags");
    }
    // A sanitizer's allocator keeps its own books: nothing measured is no figure.
    if (bytesPerTag <= 0) {
        state.SkipWithError("the allocator does not count the heap in this build");
        return;
    }
    state.counters["bytes_per_tag"] = bytesPerTag;
    figures::note(QStringLiteral("tally.bytes_per_tag"), bytesPerTag);
}
BENCHMARK(BM_TallyMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// The window's feed at 1,000 reads a second: a batch of 100 reads every 100 ms into a tally
// that already holds every tag, the reads spread over all of them. The processor time of the
// updates alone, per batch.
void BM_TallyUpdate(benchmark::State &state)
{
    const int tags = int(state.range(0));
    const std::vector<QByteArray> epcs = epcNumbers(tags);
    field::Tally tally(0);
    fill(tally, epcs, 0);
    field::ReadBatch batch;
    batch.rounds = 10;
    batch.reads.resize(kReadsPerBatch);
    qint64 nowMs = tags, next = 0, cpuNs = 0;
    for (auto _ : state) {
        for (field::TagRead &read : batch.reads) {
            read.timeMs = nowMs++;
            read.epc = epcs[size_t(next++ % tags)];
            read.rssi = int8_t(-40 - int(next % 40));
        }
        const qint64 cpu0 = threadCpuNs();
        benchmark::DoNotOptimize(tally.add(batch));
        cpuNs += threadCpuNs() - cpu0;
    }
    const double perBatchMs = double(cpuNs) / 1e6 / double(state.iterations());
    const double corePct = perBatchMs * (1000.0 / kBatchMs) / 1000.0 * 100.0;
    state.counters["cpu_us_per_read"] = perBatchMs * 1000 / kReadsPerBatch;
    state.counters["core_pct"] = corePct;
    const QString key = QStringLiteral("tally.%1.").arg(tags);
    figures::note(key + QStringLiteral("us_per_read"), perBatchMs * 1000 / kReadsPerBatch);
    figures::note(key + QStringLiteral("core_pct"), corePct);
    if (tally.size() != tags)
        state.SkipWithError("the tally grew beyond the tags read");
}
BENCHMARK(BM_TallyUpdate)->ArgName("tags")->Arg(200)->Arg(kTallyTags)->Unit(benchmark::kMicrosecond);

} // namespace
