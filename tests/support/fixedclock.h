#pragma once

#include "base/clock.h"
#include "link/waits.h"

#include <QDateTime>
#include <gtest/gtest.h>

// A test whose time stamps read 01:07:09 PM (the clock fixed at 2024-03-05 13:07:09) and whose
// waits start fresh.
struct FixedClockTest : ::testing::Test {
    void SetUp() override
    {
        waits::resetForTests();
        appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9)); });
    }
    void TearDown() override { appclock::setSource({}); }
};
