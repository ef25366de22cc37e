#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>

// One tag's signal strength over the last minute, one value a second (the last read of that
// second): what the chart draws for a selected row, kept for every tag so that a row selected
// late still shows its past. Fixed memory however often the tag is read.
class RssiHistory
{
public:
    static constexpr int kSeconds = 60;

    // A read at timeMs (ms since the epoch). One older than the minute before the newest is
    // dropped.
    void record(qint64 timeMs, int8_t rssi);
    // The value of a second (timeMs / 1000); nothing when the tag was not read in it or it is
    // no longer kept.
    std::optional<int8_t> at(qint64 second) const;

private:
    std::array<int8_t, kSeconds> values_{};
    uint64_t present_ = 0; // bit s % kSeconds: values_ holds a read of that second
    qint64 newest_ = -1;   // the newest second recorded
};
