#include "ui/rssihistory.h"

#include <algorithm>

namespace
{

int slot(qint64 second)
{
    return int(second % RssiHistory::kSeconds);
}

} // namespace

void RssiHistory::record(qint64 timeMs, int8_t rssi)
{
    if (timeMs < 0)
        return;
    const qint64 second = timeMs / 1000;
    if (second > newest_) {
        // The seconds between the newest and this one had no read: their old values go.
        const qint64 from = std::max({newest_ + 1, second - kSeconds + 1, qint64(0)});
        for (qint64 s = from; s <= second; ++s)
            present_ &= ~(uint64_t(1) << slot(s));
        newest_ = second;
    } else if (second <= newest_ - kSeconds) {
        return;
    }
    values_[size_t(slot(second))] = rssi;
    present_ |= uint64_t(1) << slot(second);
}

std::optional<int8_t> RssiHistory::at(qint64 second) const
{
    if (second < 0 || second > newest_ || second <= newest_ - kSeconds)
        return std::nullopt;
    if (!(present_ & (uint64_t(1) << slot(second))))
        return std::nullopt;
    return values_[size_t(slot(second))];
}
