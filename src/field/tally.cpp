#include "field/tally.h"

#include "epc/gs1codec.h"
#include "field/tallyfilter.h"
#include "protocol/tidchips.h"

#include <algorithm>

namespace field
{

Tally::Tally(qint64 startMs) : startMs_(startMs) {}

void Tally::clear(qint64 startMs)
{
    entries_.clear();
    rows_.clear();
    recent_ = RecentReads();
    reads_ = rounds_ = 0;
    startMs_ = startMs;
}

QString Tally::chipOf(const QByteArray &tid)
{
    // The name depends on the class, flags, maker and model: the first four bytes, or fewer
    // when the TID is shorter (which the name says).
    const QByteArray key = tid.left(protocol::tid::kHeaderBytes);
    auto it = chips_.find(key);
    if (it == chips_.end())
        it = chips_.insert(key, protocol::tid::identify(key).text);
    return *it;
}

TallyChange Tally::add(const ReadBatch &batch)
{
    TallyChange change;
    change.firstNew = size();
    const uint32_t stamp = ++batches_;
    const auto touch = [&](int row) {
        TallyEntry &e = entries_[size_t(row)];
        if (row < change.firstNew && e.batchStamp != stamp)
            change.changed.push_back(row);
        e.batchStamp = stamp;
        return &e;
    };
    rounds_ += batch.rounds;
    for (const TagRead &read : batch.reads) {
        int row = rowOf(read.epc);
        if (row < 0) {
            row = size();
            TallyEntry e;
            e.epc = read.epc;
            const epc::Decoded decoded = epc::decode(read.epc);
            if (decoded.gs1)
                e.uri = decoded.tagUri;
            e.firstSeenMs = read.timeMs;
            e.rssiMin = e.rssiMax = read.rssi;
            entries_.push_back(std::move(e));
            rows_.insert(read.epc, row);
        }
        TallyEntry &e = *touch(row);
        ++e.count;
        e.rssiSum += read.rssi;
        e.rssiLast = read.rssi;
        e.rssiMin = std::min(e.rssiMin, read.rssi);
        e.rssiMax = std::max(e.rssiMax, read.rssi);
        e.lastSeenMs = std::max(e.lastSeenMs, read.timeMs);
        e.sharedEpc |= read.sharedEpc;
        e.recent.add(read.timeMs);
        recent_.add(read.timeMs);
        ++reads_;
    }
    for (const TidRead &t : batch.tids) {
        const int row = rowOf(t.epc);
        if (row < 0)
            continue;
        TallyEntry &e = *touch(row);
        e.tid = t.tid;
        e.chip = chipOf(t.tid);
    }
    std::sort(change.changed.begin(), change.changed.end());
    return change;
}

std::vector<int> Tally::rowsMatching(const TallyFilter &filter) const
{
    std::vector<int> rows;
    for (int row = 0; row < size(); ++row)
        if (filter.matches(entries_[size_t(row)]))
            rows.push_back(row);
    return rows;
}

double Tally::overallRate(const TallyEntry &entry, qint64 nowMs) const
{
    const qint64 spanMs = nowMs - startMs_;
    return spanMs > 0 ? double(entry.count) * 1000.0 / double(spanMs) : 0;
}

TallyTotals Tally::totals(qint64 nowMs) const
{
    TallyTotals t;
    t.tags = size();
    t.reads = reads_;
    t.rounds = rounds_;
    t.readsPerSecond = recent_.perSecond(nowMs, startMs_);
    const qint64 spanMs = nowMs - startMs_;
    t.readsPerSecondOverall = spanMs > 0 ? double(reads_) * 1000.0 / double(spanMs) : 0;
    return t;
}

} // namespace field
