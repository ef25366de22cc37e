#include "stallmeter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace
{

void blockFor(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void runLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(StallMeter, SeesAHandlerThatHoldsTheLoop)
{
    StallMeter meter(1);
    meter.start();
    QTimer::singleShot(20, [] { blockFor(80); });
    runLoopFor(150);
    meter.stop();
    EXPECT_GE(meter.longestGapMs(), 80.0);
    EXPECT_GE(meter.gapsOver(70), 1);
    EXPECT_GT(meter.ticks(), 10);
}

TEST(StallMeter, AStallAtTheEndCountsAndStartForgetsTheLastRun)
{
    StallMeter meter(1);
    meter.start();
    runLoopFor(20);
    blockFor(60); // no tick after it: only stop() can see it
    meter.stop();
    EXPECT_GE(meter.longestGapMs(), 60.0);
    const int gaps = meter.gapsOver(0);
    meter.stop(); // a second stop adds no gap
    EXPECT_EQ(meter.gapsOver(0), gaps);

    meter.start();
    EXPECT_EQ(meter.ticks(), 0);
    EXPECT_EQ(meter.longestGapMs(), 0.0);
    meter.stop();
    EXPECT_EQ(meter.gapsOver(-1), 1) << "the earlier run's gaps are gone: only start to stop is left";
}

} // namespace
