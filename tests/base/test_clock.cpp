#include "base/clock.h"

#include <gtest/gtest.h>

namespace
{

TEST(TimeStamp, TwelveHourClockEdges)
{
    struct {
        int h, m, s;
        const char *text;
    } cases[] = {{0, 5, 1, "12:05:01 AM"},
                 {12, 0, 0, "12:00:00 PM"},
                 {13, 5, 9, "01:05:09 PM"},
                 {11, 59, 59, "11:59:59 AM"},
                 {23, 1, 2, "11:01:02 PM"}};
    for (const auto &c : cases)
        EXPECT_EQ(timeStamp(QDateTime(QDate(2024, 1, 1), QTime(c.h, c.m, c.s))), c.text);
}

} // namespace
