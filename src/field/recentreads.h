#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>

namespace field
{

// Reads counted in buckets of a quarter second over the last two seconds: a rate that follows
// the field within a fraction of a second, in fixed memory however fast the tag is read.
class RecentReads
{
public:
    static constexpr qint64 kBucketMs = 250;
    static constexpr int kBuckets = 8;
    static constexpr qint64 kWindowMs = kBucketMs * kBuckets;

    // A read at timeMs; one older than the window, as seen from the newest, is not counted.
    void add(qint64 timeMs);
    // The reads of the window that ends at nowMs, per second; the window starts no earlier than
    // startMs (when counting began).
    double perSecond(qint64 nowMs, qint64 startMs) const;

private:
    std::array<uint16_t, kBuckets> counts_{};
    qint64 newest_ = -1; // the bucket number (time / kBucketMs) of the newest read
};

} // namespace field
