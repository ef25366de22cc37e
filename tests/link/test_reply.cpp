#include "link/hextext.h"
#include "link/readerlink.h"
#include "link/timestamp.h"
#include "link/waits.h"
#include "support/faketransport.h"

#include "support/fixedclock.h"
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace
{

using Stamp = FixedClockTest;

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

struct LinkTest : Stamp {
    FakeTransport usb;
    QStringList lines;
    ReaderLink link{usb};
    void SetUp() override
    {
        Stamp::SetUp();
        QObject::connect(&link, &ReaderLink::notice, [this](const QString &l) { lines << l; });
    }
    QByteArray send(const char *body) { return link.exchange(hex::toBytes(QString::fromLatin1(body)), 300); }
};

TEST_F(LinkTest, ReplyIsCutToItsLengthAndToTheReplyArea)
{
    usb.reply("AA 00 05 00 01 02 03 04 07 BB 99 99");
    send("83");
    EXPECT_EQ(link.ReplyHex(), "AA0005000102030407BB");
    EXPECT_EQ(link.ReplyHex().size(), 20);

    QByteArray huge(300, '\x11');
    huge[2] = char(0xF5); // LEN 245 claims more than the reply area holds
    usb.queued << huge;
    send("83");
    EXPECT_EQ(link.ReplyHex().size(), 2 * UsbTransport::kReplySize);
}

TEST_F(LinkTest, NoReaderAndSilentReader)
{
    usb.connected = false;
    const QByteArray r = link.exchange(hex::toBytes("83"), 10);
    EXPECT_TRUE(r.isEmpty());
    EXPECT_EQ(lines, QStringList{kWriteFailed});

    usb.connected = true;
    lines.clear();
    send("83");                             // nothing queued: the reader stays silent
    EXPECT_TRUE(link.ReplyHex().isEmpty()); // never ten zero digits
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(LinkTest, EchoAndOversizedFrames)
{
    link.setEcho(true);
    usb.reply("AA 00 01 00 01 BB");
    send("83");
    EXPECT_EQ(lines, QStringList{"Receive...AA00010001BB"});
    lines.clear();
    link.exchange(QByteArray(251, char(0xAA)), 300);
    EXPECT_TRUE(usb.sent.size() == 1) << "a frame over 255 bytes must not be sent";
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(link.ReplyHex().isEmpty());
}

TEST_F(LinkTest, HandlerKeepsItsOwnReplyWhenAnotherCommandRunsInItsWait)
{
    usb.connected = false; // the first command gets nothing
    QTimer::singleShot(20, [&] {
        usb.connected = true;
        usb.reply("AA 00 01 00 01 BB");
        send("C0"); // a click inside the wait
    });
    const QByteArray own = link.exchange(hex::toBytes("83"), 200);
    EXPECT_TRUE(own.isEmpty());
    EXPECT_FALSE(link.ReplyHex().isEmpty());
}

static double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST_F(LinkTest, WaitsDoNotSpinAndEndOnAReply)
{
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    link.Delay(2000);
    const double cpu = cpuSeconds() - cpu0;
    EXPECT_GE(wall.elapsed(), 1990);
    EXPECT_LT(cpu, 0.2) << "a 2000 ms wait used " << cpu << " s of processor time";

    usb.reply("AA 00 01 00 01 BB");
    send("83");
    wall.restart();
    link.Delay(2000);
    EXPECT_LT(wall.elapsed(), 100);

    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    link.Delay(0);
    EXPECT_TRUE(ran) << "Delay(0) still processes pending events";
}

} // namespace
