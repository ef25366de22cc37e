#include "field/recentreads.h"

#include <algorithm>

namespace field
{

namespace
{

qint64 bucketOf(qint64 timeMs)
{
    return std::max<qint64>(timeMs, 0) / RecentReads::kBucketMs;
}

size_t slotOf(qint64 bucket)
{
    return size_t(bucket % RecentReads::kBuckets);
}

} // namespace

void RecentReads::add(qint64 timeMs)
{
    const qint64 b = bucketOf(timeMs);
    if (b > newest_) {
        // The buckets after the newest, up to this one, start from nothing.
        for (qint64 x = std::max(newest_ + 1, b - kBuckets + 1); x <= b; ++x)
            counts_[slotOf(x)] = 0;
        newest_ = b;
    } else if (b <= newest_ - kBuckets) {
        return;
    }
    uint16_t &c = counts_[slotOf(b)];
    if (c < UINT16_MAX)
        ++c;
}

double RecentReads::perSecond(qint64 nowMs, qint64 startMs) const
{
    if (newest_ < 0)
        return 0;
    const qint64 first = bucketOf(nowMs) - kBuckets + 1; // the window's oldest bucket
    qint64 reads = 0;
    for (qint64 x = std::max(first, newest_ - kBuckets + 1); x <= std::min(bucketOf(nowMs), newest_); ++x)
        reads += counts_[slotOf(x)];
    const qint64 spanMs = nowMs - std::max(first * kBucketMs, startMs);
    return spanMs > 0 ? double(reads) * 1000.0 / double(spanMs) : 0;
}

} // namespace field
