#include "base/hex.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "support/bodyrequest.h"
#include "support/faketransport.h"

#include "support/fixedclock.h"
#include "support/waitlog.h"
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

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

TEST_F(LinkTest, WaitsDoNotSpinAndEndOnAReply)
{
    // A wait that polled would ask its condition over and over; this one asks when it starts
    // and when told that something changed.
    int asked = 0;
    QTimer::singleShot(50, [] { waits::notify(); });
    QElapsedTimer wall;
    wall.start();
    waits::waitUntil(300, [&] {
        ++asked;
        return false;
    });
    EXPECT_GE(wall.elapsed(), 295);
    EXPECT_EQ(asked, 2);

    WaitLog waited;
    link.Delay(300);
    EXPECT_EQ(waited.take(), (QList<waits::Record>{{300, waits::End::Time}})) << "an unanswered wait runs its time";
    usb.reply("AA 00 01 00 01 BB");
    send("83");
    waited.take();
    link.Delay(2000);
    EXPECT_EQ(waited.take(), (QList<waits::Record>{{2000, waits::End::Condition}}))
        << "a reply held ends the wait at once";

    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    link.Delay(0);
    EXPECT_TRUE(ran) << "Delay(0) still processes pending events";
}

} // namespace
