#include "base/hex.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "support/bodyrequest.h"
#include "support/faketransport.h"

#include "support/fixedclock.h"
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace
{

using Stamp = FixedClockTest;

struct LinkTest : Stamp {
    FakeTransport usb;
    QStringList lines;
    ReaderLink link{usb};
    void SetUp() override
    {
        Stamp::SetUp();
        QObject::connect(&link, &ReaderLink::notice, [this](const QString &l) { lines << l; });
    }
    QByteArray send(const char *body)
    {
        return link.exchange(bodyRequest(hex::toBytes(QString::fromLatin1(body)), 300)).reply;
    }
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
    const QByteArray r = link.exchange(bodyRequest(hex::toBytes("83"), 10)).reply;
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
    link.exchange(bodyRequest(QByteArray(251, char(0xAA)), 300));
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
    const QByteArray own = link.exchange(bodyRequest(hex::toBytes("83"), 200)).reply;
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
