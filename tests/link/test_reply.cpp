#include "link/falsereason.h"
#include "link/readerlink.h"
#include "link/replycheck.h"
#include "link/timestamp.h"
#include "link/waits.h"
#include "support/faketransport.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

struct Stamp : ::testing::Test {
    void SetUp() override
    {
        waits::resetForTests();
        appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9)); });
    }
    void TearDown() override { appclock::setSource({}); }
};

TEST(TimeStamp, TwelveHourClockEdges)
{
    struct {
        int h, m, s;
        const char *text;
    } cases[] = {{0, 5, 1, "12:05:01 AM"}, {12, 0, 0, "12:00:00 PM"}, {13, 5, 9, "01:05:09 PM"},
                 {11, 59, 59, "11:59:59 AM"}, {23, 1, 2, "11:01:02 PM"}};
    for (const auto &c : cases)
        EXPECT_EQ(timeStamp(QDateTime(QDate(2024, 1, 1), QTime(c.h, c.m, c.s))), c.text);
}

TEST(FalseReason, Table)
{
    EXPECT_EQ(falsereason("83"), "卡不存在....");
    EXPECT_EQ(falsereason("8C"), "密码认证没通过....");
    EXPECT_EQ(falsereason("8c"), ""); // exact comparison
    for (const char *none : {"00", "77", "", "01"})
        EXPECT_EQ(falsereason(none), "") << none;
}

TEST_F(Stamp, ReplyCheckOutcomes)
{
    const ReplyTexts texts{stampedCrLf("NODATA "), stamped("OK "), stamped("FAIL "), stampedCrLf(kOtherHf)};
    struct Case {
        const char *reply;
        ReplyOutcome outcome;
        QStringList lines;
    } cases[] = {
        {"", ReplyOutcome::NoData, {"NODATA 01:07:09 PM\r\n"}},
        {"AA00010001BB", ReplyOutcome::Success, {"OK 01:07:09 PM"}},
        {"AA00020183 80BB", ReplyOutcome::Failure, {"FAIL 01:07:09 PM", "卡不存在....\r\n"}},
        {"AA0002017780BB", ReplyOutcome::Failure, {"FAIL 01:07:09 PM", "\r\n"}},
        {"AA00010201BB", ReplyOutcome::Other, {QString(kOtherHf) + "01:07:09 PM\r\n"}},
        {"AA000", ReplyOutcome::Other, {QString(kOtherHf) + "01:07:09 PM\r\n"}},
    };
    for (const Case &c : cases) {
        QStringList got;
        const QString reply = QString(c.reply).remove(' ');
        EXPECT_EQ(checkReply(reply, texts, [&](const QString &l) { got << l; }), c.outcome) << c.reply;
        EXPECT_EQ(got, c.lines) << c.reply;
    }
}

struct LinkTest : Stamp {
    FakeTransport usb;
    QStringList lines;
    bool echo = false;
    QString address = "00";
    ReaderLink link{usb, {[this] { return address; }, [this] { return echo; }, [this](const QString &l) { lines << l; }}};
};

TEST_F(LinkTest, ReplyIsCutToItsLengthAndToTheReplyArea)
{
    usb.reply("AA 00 05 00 01 02 03 04 07 BB 99 99");
    link.Send("83");
    EXPECT_EQ(link.ReplyHex(), "AA0005000102030407BB");
    EXPECT_EQ(link.ReplyHex().size(), 20);

    QByteArray huge(300, '\x11');
    huge[2] = char(0xF5); // LEN 245 claims more than the reply area holds
    usb.queued << huge;
    link.Send("83");
    EXPECT_EQ(link.ReplyHex().size(), 2 * UsbTransport::kReplySize);
}

TEST_F(LinkTest, NoReaderAndSilentReader)
{
    usb.connected = false;
    const QString r = link.exchange("83", 10);
    EXPECT_TRUE(r.isEmpty());
    EXPECT_EQ(lines, QStringList{kWriteFailed});

    usb.connected = true;
    lines.clear();
    link.Send("83"); // nothing queued: the reader stays silent
    EXPECT_TRUE(link.ReplyHex().isEmpty()); // never ten zero digits
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(LinkTest, EchoAndOversizedFrames)
{
    echo = true;
    usb.reply("AA 00 01 00 01 BB");
    link.Send("83");
    EXPECT_EQ(lines, QStringList{"Receive...AA00010001BB"});
    lines.clear();
    link.Send(QString(251 * 2, 'A'));
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
        link.Send("C0"); // a click inside the wait
    });
    const QString own = link.exchange("83", 200);
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
    link.Send("83");
    wall.restart();
    link.Delay(2000);
    EXPECT_LT(wall.elapsed(), 100);

    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    link.Delay(0);
    EXPECT_TRUE(ran) << "Delay(0) still processes pending events";
}

} // namespace
