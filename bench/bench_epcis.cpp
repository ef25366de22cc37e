#include "figures.h"

#include "epc/csvverifiedrows.h"
#include "epc/epcisdocument.h"
#include "epc/journalrow.h"
#include "files/save.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace
{

using namespace epc;

constexpr int kRows = 100000;

double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// A journal of a long batch: GS1 EPCs, every 50th tag failed first and verified on the next row.
void writeJournal(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray text = QByteArray(kJournalHeader) + '\n';
    QDateTime t(QDate(2024, 5, 1), QTime(8, 0), Qt::OffsetFromUTC, 7200);
    QByteArray epc = QByteArray::fromHex("3074257BF7194E4000000000");
    for (int i = 0; i < kRows; ++i) {
        epc[9] = char(i >> 16), epc[10] = char(i >> 8), epc[11] = char(i);
        const QByteArray tid = QByteArray::fromHex("E28011052000") + epc.right(6);
        if (i % 50 == 0)
            text += formatRow(JournalRow{i, epc, tid, TagResult::Failed, 3, QStringLiteral("locked")}, t);
        text += formatRow(JournalRow{i, epc, tid, TagResult::Verified, 1, {}}, t.addMSecs(i * 300));
    }
    f.write(text);
}

// The document of a 100,000-tag journal written to a file through the checked save, as
// `rfidctl epc epcis --out` does: the time, and the most heap it held beyond what it started
// with (the journal itself is mapped, not copied).
void BM_EpcisDocument(benchmark::State &state)
{
    const auto format = state.range(0) ? EpcisFormat::Xml : EpcisFormat::JsonLd;
    const QString key = state.range(0) ? QStringLiteral("epcis.xml_") : QStringLiteral("epcis.json_");
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/epcis-bench-XXXXXX"));
    const QString journal = dir.filePath(QStringLiteral("journal.csv"));
    writeJournal(journal);
    double worstMs = 0, peakMiB = 0, events = 0, documentMiB = 0;
    for (auto _ : state) {
        const QString out = dir.filePath(QStringLiteral("doc"));
        const double before = heapBytes();
        double peak = before;
        QElapsedTimer clock;
        clock.start();
        const QString error = files::saveStreamed(out, [&](const files::SaveWriter &write) {
            events = double(writeEpcisDocument(CsvVerifiedRows(journal), {format, {}, {}}, [&](QByteArrayView piece) {
                peak = std::max(peak, heapBytes());
                write(piece);
            }));
        });
        worstMs = std::max(worstMs, double(clock.nsecsElapsed()) / 1e6);
        peakMiB = std::max(peakMiB, (peak - before) / 1048576);
        documentMiB = double(QFile(out).size()) / 1048576;
        if (!error.isEmpty() || events != kRows)
            state.SkipWithError("the document is not whole");
    }
    state.counters["ms"] = worstMs;
    state.counters["peak_heap_mib"] = peakMiB;
    figures::note(key + QStringLiteral("ms"), worstMs);
    figures::note(key + QStringLiteral("heap_mib"), peakMiB);
    figures::note(key + QStringLiteral("mib"), documentMiB);
}
BENCHMARK(BM_EpcisDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
