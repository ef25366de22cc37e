#include "link/hidtransport.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace
{

struct FakeHid : HidDevice {
    QList<QByteArray> written;
    QList<QByteArray> input; // reports the device will deliver
    int writeReport(const QByteArray &r) override
    {
        written << r;
        return int(r.size());
    }
    int readReport(uint8_t *buf, int max, int) override
    {
        if (input.isEmpty())
            return 0;
        const QByteArray r = input.takeFirst();
        const int n = int(qMin<qsizetype>(max, r.size()));
        std::memcpy(buf, r.constData(), size_t(n));
        return n;
    }
};

struct Opener : HidOpener {
    FakeHid *device = nullptr;
    QString why;
    std::unique_ptr<HidDevice> open(QString &w) override
    {
        if (!device) {
            w = why;
            return nullptr;
        }
        auto d = std::unique_ptr<HidDevice>(device);
        device = nullptr;
        return d;
    }
};

TEST(HidTransport, FramesGoOutAsZeroPaddedReportsBehindReportIdZero)
{
    auto *dev = new FakeHid;
    auto opener = std::make_unique<Opener>();
    opener->device = dev;
    HidTransport t(std::move(opener), {});
    dev->input << QByteArray("stale"); // left over from an earlier exchange
    QByteArray frame(100, '\x5A');
    EXPECT_EQ(t.write(frame), 100);
    ASSERT_EQ(dev->written.size(), 2);
    for (const QByteArray &r : dev->written) {
        EXPECT_EQ(r.size(), 65);
        EXPECT_EQ(r[0], '\0');
    }
    EXPECT_EQ(dev->written[0].mid(1), QByteArray(64, '\x5A'));
    EXPECT_EQ(dev->written[1].mid(1, 36), QByteArray(36, '\x5A'));
    EXPECT_EQ(dev->written[1].mid(37), QByteArray(28, '\0'));
    EXPECT_TRUE(dev->input.isEmpty()) << "stale input is drained before the write";

    // A reply of LEN 0x46 (75 bytes) arrives in two reports and is cut to its length.
    QByteArray first(64, '\x01');
    first[0] = char(0xAA);
    first[2] = char(0x46);
    dev->input << first << QByteArray(64, '\x02');
    const QByteArray reply = t.read(100);
    EXPECT_EQ(reply.size(), 0x46 + 5);
    EXPECT_EQ(reply.mid(64), QByteArray(11, '\x02'));

    // Half a reply is no reply.
    dev->input << first;
    EXPECT_TRUE(t.read(50).isEmpty());
}

TEST(HidTransport, NoDeviceWritesNothingAndSaysWhyOnce)
{
    auto opener = std::make_unique<Opener>();
    opener->why = "No permission";
    QStringList notices;
    HidTransport t(std::move(opener), [&](const QString &n) { notices << n; });
    EXPECT_EQ(t.write(QByteArray(8, '\x01')), 0);
    EXPECT_EQ(t.write(QByteArray(8, '\x01')), 0);
    EXPECT_EQ(notices, QStringList{"No permission"});
    EXPECT_TRUE(t.read(10).isEmpty());
}

// A reader that stays silent: each read waits its whole time-out, as hidraw does.
struct SilentHid : FakeHid {
    QList<int> timeouts;
    int readReport(uint8_t *buf, int max, int timeoutMs) override
    {
        if (!input.isEmpty())
            return FakeHid::readReport(buf, max, timeoutMs);
        timeouts << timeoutMs;
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return 0;
    }
};

TEST(HidTransport, AnUnansweredReadKeepsTheWindowLiveAndACommandInItsWaitEndsIt)
{
    auto *dev = new SilentHid;
    auto opener = std::make_unique<Opener>();
    opener->device = dev;
    HidTransport t(std::move(opener), {});
    ASSERT_EQ(t.write(QByteArray("\xAA\x00\x01\x80\x81\xBB", 6)), 6);

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(t.read(300).isEmpty());
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_GE(ticks, 5) << "events were handled during the wait";
    for (int ms : dev->timeouts)
        EXPECT_LE(ms, 20);

    // Another command started from an event during the wait: the first read gives up
    // instead of taking that command's reply; the second gets its own.
    QByteArray second;
    QTimer::singleShot(30, [&] {
        t.write(QByteArray("\xAA\x00\x01\x81\x80\xBB", 6));
        dev->input << QByteArray("\xAA\x00\x01\x00\x01\xBB", 6);
        second = t.read(300);
    });
    clock.restart();
    EXPECT_TRUE(t.read(1000).isEmpty());
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(second, QByteArray("\xAA\x00\x01\x00\x01\xBB", 6));
}

} // namespace
