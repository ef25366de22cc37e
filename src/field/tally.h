#pragma once

#include "field/recentreads.h"
#include "field/tagread.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

namespace field
{

class TallyFilter;

// What the field showed of one EPC.
struct TallyEntry {
    QByteArray epc;
    QByteArray tid;   // empty until read
    QString chip;     // the chip the TID names ("Impinj Monza R6"); empty until the TID is read
    QString uri;      // the GS1 tag URI; empty when the EPC is no GS1 EPC
    qint64 count = 0; // reads
    qint64 rssiSum = 0;
    qint64 firstSeenMs = 0, lastSeenMs = 0; // the application clock, ms since the epoch
    RecentReads recent;
    int8_t rssiLast = 0, rssiMin = 0, rssiMax = 0;
    bool sharedEpc = false; // two tags of this EPC answered one round: address them by TID
    uint32_t batchStamp = 0;

    double rssiMean() const { return count > 0 ? double(rssiSum) / double(count) : 0; }
};

// The totals of a tally.
struct TallyTotals {
    int tags = 0;
    qint64 reads = 0;
    qint64 rounds = 0;
    double readsPerSecond = 0;        // over the last RecentReads::kWindowMs
    double readsPerSecondOverall = 0; // since the tally started
};

// The rows a batch changed: those before firstNew that it touched (in row order), and every
// row from firstNew on, which it added.
struct TallyChange {
    std::vector<int> changed;
    int firstNew = 0;
};

// One entry per distinct EPC, in the order they were first seen: counts, signal strength, when
// first and last seen, reads per second, TID and chip. Fed by batches of reads, whichever
// thread made them; used on one thread.
class Tally
{
public:
    // startMs: when counting begins (the application clock), for the rates.
    explicit Tally(qint64 startMs = 0);

    TallyChange add(const ReadBatch &batch);
    // Empty, counting again from startMs.
    void clear(qint64 startMs);

    int size() const { return int(entries_.size()); }
    const TallyEntry &entry(int row) const { return entries_[size_t(row)]; }
    // The row of an EPC, or -1.
    int rowOf(const QByteArray &epc) const { return rows_.value(epc, -1); }
    // The rows the filter lets through, in row order.
    std::vector<int> rowsMatching(const TallyFilter &filter) const;

    // Reads per second of one entry: over the recent window, and since the tally started.
    double recentRate(const TallyEntry &entry, qint64 nowMs) const { return entry.recent.perSecond(nowMs, startMs_); }
    double overallRate(const TallyEntry &entry, qint64 nowMs) const;
    TallyTotals totals(qint64 nowMs) const;
    qint64 startMs() const { return startMs_; }

private:
    // The chip name of a TID: chips repeat, their names are kept once.
    QString chipOf(const QByteArray &tid);

    std::vector<TallyEntry> entries_;
    QHash<QByteArray, int> rows_;
    QHash<QByteArray, QString> chips_; // by the TID bytes its name depends on
    RecentReads recent_;
    qint64 reads_ = 0;
    qint64 rounds_ = 0;
    qint64 startMs_ = 0;
    uint32_t batches_ = 0;
};

} // namespace field
