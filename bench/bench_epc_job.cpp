#include "figures.h"

#include "epc/commissioningjob.h"
#include "epc/hexsequence.h"
#include "epc/journal.h"
#include "epc/journalreader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <malloc.h>

namespace
{

using namespace epc;

double cpuMs()
{
    return double(figures::clockNs(CLOCK_PROCESS_CPUTIME_ID)) / 1e6;
}

// Heap bytes in use now. Resident memory would hide growth in what earlier benchmarks freed.
double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// A reader that answers at once, with one fresh blank tag laid on it after each one is taken
// away: the job's own work is all that is left to measure.
class InstantPort : public TagPort
{
public:
    PortStatus inventory(std::vector<FieldTag> &tags) override
    {
        if (present_)
            tags.push_back(FieldTag{epc_, {}});
        return PortStatus::Ok;
    }
    PortStatus readTid(const FieldTag &, QByteArray &tid) override
    {
        tid = tid_;
        return PortStatus::Ok;
    }
    PortStatus writeEpc(const FieldTag &, const QByteArray &epc, quint32) override
    {
        epc_ = epc;
        return PortStatus::Ok;
    }
    PortStatus readEpc(const FieldTag &, QByteArray &epc) override
    {
        epc = epc_;
        return PortStatus::Ok;
    }
    // The person at the reader, one step per wait of the job.
    void step()
    {
        if (present_ && removeAsked) {
            present_ = removeAsked = false;
        } else if (!present_) {
            present_ = true;
            epc_ = QByteArray::fromHex("E20000000000000000000000");
            tid_ = QByteArray::fromHex("E2801100") + QByteArray::number(++serial_).rightJustified(8, '0');
        }
    }
    bool removeAsked = false;

private:
    bool present_ = false;
    QByteArray epc_, tid_;
    qint64 serial_ = 0;
};

struct JobFigures {
    double wallMs = 0, cpuMs = 0;
    JobResult result;
};

// Runs count tags through the job with the journal at path; sample(i) is called after tag i.
JobFigures runInstant(const QString &path, int count, const std::function<void(qint64)> &sample = {})
{
    InstantPort port;
    Journal journal(path);
    HexSequence source(QByteArray::fromHex("300000000000000000000000"), QStringLiteral("1"), false, count);
    CommissioningJob job(port, source, journal, JobOptions{}, [&](int) { port.step(); });
    job.onCue = [&](const Cue &c) {
        if (c.kind != CueKind::PlaceTag)
            port.removeAsked = true;
    };
    if (sample)
        job.onProgress = [&](const Progress &p) { sample(p.done()); };
    JobFigures f;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuMs();
    f.result = job.run();
    f.cpuMs = cpuMs() - cpu0;
    f.wallMs = double(wall.nsecsElapsed()) / 1e6;
    return f;
}

// A journal of rows rows, written directly (no flush per row: only reading is measured).
void writeJournal(const QString &path, int rows)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray text = QByteArray(kJournalHeader) + '\n';
    const QDateTime t = QDateTime::currentDateTime();
    QByteArray epc = QByteArray::fromHex("3074257BF7194E4000000000");
    for (int i = 0; i < rows; ++i) {
        epc[8] = char(i >> 24), epc[9] = char(i >> 16), epc[10] = char(i >> 8), epc[11] = char(i);
        const QByteArray tid = QByteArray::fromHex("E28011052000") + epc.right(6);
        text += formatRow(JournalRow{i, epc, tid, i % 50 ? TagResult::Verified : TagResult::Failed, 1,
                                     i % 50 ? QString() : QStringLiteral("write: the tag refused, \"locked\"")},
                          t);
    }
    f.write(text);
}

void BM_EpcResumeFromJournal(benchmark::State &state)
{
    constexpr int kRows = 100000;
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/epc-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("journal.csv"));
    writeJournal(path, kRows);
    double worstMs = 0, stateBytes = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        Journal journal(path); // what a resume does: lock, read, check every row, index them
        const double ms = double(t.nsecsElapsed()) / 1e6;
        worstMs = std::max(worstMs, ms);
        stateBytes = double(journal.state().bytes());
        if (journal.contents().rows != kRows)
            state.SkipWithError("rows lost");
    }
    state.counters["worst_ms"] = worstMs;
    figures::note("epc.resume_ms", worstMs);
    figures::note("epc.resume_index_bytes_per_row", stateBytes / kRows);
}
BENCHMARK(BM_EpcResumeFromJournal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The job's own work per tag against an instant reader, with the journal on this disk and
// flushed per row as in a real run.
void BM_EpcJobPerTag(benchmark::State &state)
{
    constexpr int kTags = 2000;
    JobFigures f;
    for (auto _ : state) {
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/epc-bench-XXXXXX"));
        f = runInstant(dir.filePath(QStringLiteral("journal.csv")), kTags);
        if (f.result.progress.verified != kTags)
            state.SkipWithError("not every tag verified");
    }
    state.counters["wall_ms_per_tag"] = f.wallMs / kTags;
    state.counters["cpu_ms_per_tag"] = f.cpuMs / kTags;
    figures::note("epc.job_wall_ms", f.wallMs / kTags);
    figures::note("epc.job_cpu_ms", f.cpuMs / kTags);
}
BENCHMARK(BM_EpcJobPerTag)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Heap in use over a 100,000-tag run. The journal lives in memory-backed /dev/shm where
// there is one, so that 100,000 flushes do not take minutes of disk time.
void BM_EpcJobMemory(benchmark::State &state)
{
    constexpr int kTags = 100000;
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::currentPath();
    double at10k = 0, at100k = 0, perTagUs = 0;
    for (auto _ : state) {
        QTemporaryDir dir(base + QStringLiteral("/epc-bench-XXXXXX"));
        const JobFigures f = runInstant(dir.filePath(QStringLiteral("journal.csv")), kTags, [&](qint64 done) {
            if (done == 10000)
                at10k = heapBytes();
            if (done == kTags)
                at100k = heapBytes();
        });
        perTagUs = f.wallMs * 1000 / kTags;
        if (f.result.progress.verified != kTags)
            state.SkipWithError("not every tag verified");
    }
    state.counters["growth_bytes_per_tag"] = (at100k - at10k) / 90000;
    state.counters["us_per_tag"] = perTagUs;
    figures::note("epc.heap_10k_mib", at10k / 1048576);
    figures::note("epc.heap_100k_mib", at100k / 1048576);
}
BENCHMARK(BM_EpcJobMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
