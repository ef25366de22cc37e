#include "ui/rssihistory.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace
{

struct Read {
    qint64 timeMs;
    int rssi;
};
struct Case {
    const char *what;
    std::vector<Read> reads;
    std::vector<std::pair<qint64, std::optional<int>>> expected; // second, value
};

TEST(RssiHistory, KeepsTheLastReadOfEachSecondOfTheLastMinute)
{
    const Case cases[] = {
        {"last read of a second wins", {{10000, -50}, {10999, -40}}, {{10, -40}, {9, {}}, {11, {}}}},
        {"a gap holds nothing", {{10000, -50}, {13500, -60}}, {{10, -50}, {11, {}}, {12, {}}, {13, -60}}},
        // Second 70 takes second 10's slot: the old value must not show through.
        {"a minute later the slot is reused", {{10000, -50}, {70000, -60}}, {{10, {}}, {70, -60}, {69, {}}}},
        {"the same second a minute on after gaps",
         {{10000, -50}, {11000, -51}, {71500, -70}},
         {{10, {}}, {11, {}}, {71, -70}, {12, {}}}},
        {"59 seconds back still kept", {{10000, -50}, {68000, -60}}, {{10, -50}, {68, -60}}},
        {"a read older than the minute is dropped", {{100000, -50}, {40000, -60}}, {{40, {}}, {100, -50}}},
        {"a late read within the minute is kept", {{100000, -50}, {95000, -60}}, {{95, -60}, {100, -50}}},
        {"signed values stay signed", {{1000, -128}, {2000, 127}}, {{1, -128}, {2, 127}}},
        {"long silence clears everything", {{1000, -50}, {2000, -51}, {500000, -52}}, {{1, {}}, {2, {}}, {500, -52}}},
    };
    for (const Case &c : cases) {
        RssiHistory h;
        for (const Read &r : c.reads)
            h.record(r.timeMs, int8_t(r.rssi));
        for (const auto &[second, value] : c.expected) {
            const std::optional<int8_t> got = h.at(second);
            EXPECT_EQ(got.has_value(), value.has_value()) << c.what << ", second " << second;
            if (got && value) {
                EXPECT_EQ(int(*got), *value) << c.what << ", second " << second;
            }
        }
    }
}

} // namespace
