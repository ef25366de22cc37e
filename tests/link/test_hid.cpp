#include "link/hidtransport.h"
#include "support/fakehid.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace
{

using Opener = FakeHidOpener;

// One exchange, waited for in an event loop as the link does.
UsbReply exchange(HidTransport &t, const QByteArray &frame, int timeoutMs)
{
    UsbReply got;
    bool done = false;
    QEventLoop loop;
    t.start(frame, timeoutMs, [&](const UsbReply &r) {
        got = r;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs + 2000, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    EXPECT_TRUE(done) << "the transport never finished the exchange";
    return got;
}

// Feeds a report once the device has seen `writes` writes, so the drain before a write cannot
// take it for stale input.
void feedAfterWrite(FakeHid *dev, int writes, const QList<QByteArray> &reports)
{
    auto *poll = new QTimer;
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, [=] {
        {
            const std::lock_guard g(dev->lock);
            if (dev->written.size() < writes)
                return;
            dev->input << reports;
        }
        poll->stop();
        poll->deleteLater();
    });
    poll->start();
}

const QByteArray kFrame("\xAA\x00\x01\x80\x81\xBB", 6);
const QByteArray kReply("\xAA\x00\x01\x00\x01\xBB", 6);

TEST(HidTransport, FramesGoOutAsZeroPaddedReportsAndRepliesAreReassembled)
{
    auto *dev = new FakeHid;
    dev->silentWaits = false;
    auto opener = std::make_unique<Opener>();
    opener->devices << dev;
    HidTransport t(std::move(opener));
    dev->feed("stale"); // left over from an earlier exchange

    // A reply of LEN 0x46 (75 bytes) arrives in two reports and is cut to its length.
    QByteArray first(64, '\x01');
    first[0] = char(0xAA);
    first[2] = char(0x46);
    feedAfterWrite(dev, 1, {first, QByteArray(64, '\x02')});
    const UsbReply r = exchange(t, QByteArray(100, '\x5A'), 500);
    EXPECT_EQ(r.written, 100);
    EXPECT_EQ(r.frame.size(), 0x46 + 5);
    EXPECT_EQ(r.frame.mid(64), QByteArray(11, '\x02'));
    {
        const std::lock_guard g(dev->lock);
        ASSERT_EQ(dev->written.size(), 2);
        for (const QByteArray &report : dev->written) {
            EXPECT_EQ(report.size(), 65);
            EXPECT_EQ(report[0], '\0');
        }
        EXPECT_EQ(dev->written[0].mid(1), QByteArray(64, '\x5A'));
        EXPECT_EQ(dev->written[1].mid(1, 36), QByteArray(36, '\x5A'));
        EXPECT_EQ(dev->written[1].mid(37), QByteArray(28, '\0'));
    }

    // Half a reply is no reply.
    feedAfterWrite(dev, 3, {first});
    EXPECT_TRUE(exchange(t, kFrame, 150).frame.isEmpty());
}

TEST(HidTransport, NoDeviceWritesNothingAndSaysWhyOnce)
{
    auto opener = std::make_unique<Opener>();
    opener->why = "No permission";
    HidTransport t(std::move(opener));
    const UsbReply a = exchange(t, kFrame, 50), b = exchange(t, kFrame, 50);
    EXPECT_EQ(a.written, 0);
    EXPECT_EQ(a.notice, "No permission");
    EXPECT_EQ(b.written, 0);
    EXPECT_TRUE(b.notice.isEmpty()) << "said once, not on every command";
}

TEST(HidTransport, AnUnansweredWaitKeepsTheWindowLiveAndANewerCommandTakesOver)
{
    auto *dev = new FakeHid;
    auto opener = std::make_unique<Opener>();
    opener->devices << dev;
    HidTransport t(std::move(opener));

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(exchange(t, kFrame, 300).frame.isEmpty());
    EXPECT_GE(clock.elapsed(), 290);
    // A start that blocked the window's thread would leave at most one tick (a timer that
    // missed its times fires once); how evenly the loop runs is a figure of bench/.
    EXPECT_GE(ticks, 3) << "the window's events run while the I/O thread waits";
    {
        const std::lock_guard g(dev->lock);
        // Each read asks the device for at most one slice, so a newer command is seen soon.
        for (int readTimeout : dev->timeouts)
            EXPECT_LE(readTimeout, HidTransport::kReadSliceMs);
    }

    // A command started while the first waits: the first never hears back (its reply could
    // only be the newer command's), the newer one gets its own reply.
    bool firstDone = false;
    t.start(kFrame, 1000, [&](const UsbReply &) { firstDone = true; });
    const auto writes = [dev] {
        const std::lock_guard g(dev->lock);
        return dev->written.size();
    };
    QElapsedTimer written;
    written.start();
    while (writes() < 2 && written.elapsed() < 2000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(writes(), 2) << "the first command is being read when the second starts";
    feedAfterWrite(dev, 3, {kReply});
    qsizetype slicesBefore = 0;
    {
        const std::lock_guard g(dev->lock);
        slicesBefore = dev->timeouts.size();
    }
    const UsbReply second = exchange(t, kFrame, 1000);
    EXPECT_EQ(second.frame, kReply);
    {
        // Between the newer command's start and its write the older one reads at most the
        // slice it is in; waiting for its time would take nine more.
        const std::lock_guard g(dev->lock);
        ASSERT_EQ(dev->emptyReadsBeforeWrite.size(), 3);
        const auto slices =
            std::count_if(dev->timeouts.begin() + slicesBefore, dev->timeouts.begin() + dev->emptyReadsBeforeWrite[2],
                          [](int ms) { return ms > 0; });
        EXPECT_LE(slices, 1) << "the newer command did not wait for the older one's time";
    }
    QEventLoop settle;
    QTimer::singleShot(100, &settle, &QEventLoop::quit);
    settle.exec();
    EXPECT_FALSE(firstDone);
}

TEST(HidTransport, AReaderUnpluggedMidExchangeIsGoneAndTheNextCommandReopens)
{
    auto *first = new FakeHid, *second = new FakeHid;
    second->silentWaits = false;
    auto opener = std::make_unique<Opener>();
    Opener *openerView = opener.get();
    opener->devices << first << second;
    HidTransport t(std::move(opener));
    QTimer::singleShot(30, [&] {
        const std::lock_guard g(first->lock);
        first->gone = true;
    });
    const UsbReply lost = exchange(t, kFrame, 1000);
    EXPECT_TRUE(lost.gone);
    EXPECT_TRUE(lost.frame.isEmpty());

    feedAfterWrite(second, 1, {kReply});
    const UsbReply back = exchange(t, kFrame, 300);
    EXPECT_EQ(back.frame, kReply);
    EXPECT_EQ(openerView->opens, 2);
}

} // namespace
