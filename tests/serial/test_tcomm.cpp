#include "pty.h"

#include "serial/pollwait.h"
#include "serial/tcomm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <gtest/gtest.h>

namespace
{

// A component on a fresh pseudo-terminal that records what its events deliver.
struct Bench {
    Bench()
    {
        configureLikeMainWindow(comm);
        comm.setCommName(pty.path);
        comm.OnReceiveData = [this](TComm *sender, const char *buffer, quint16 length) {
            EXPECT_EQ(sender, &comm);
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            blocks.append(QByteArray(buffer, length));
        };
        comm.OnSendDataEmpty = [this](TComm *) { ++emptyNotices; };
        comm.OnRequestHangup = [this](TComm *) { ++hangups; };
    }
    QByteArray received() const { return blocks.join(); }
    bool waitReceived(qsizetype n, int ms = 3000)
    {
        return pumpUntil([&] { return received().size() >= n; }, ms);
    }

    Pty pty;
    TComm comm;
    QList<QByteArray> blocks;
    int emptyNotices = 0;
    int hangups = 0;
};

QByteArray pattern(int n)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + 1) % 251 + 1); // no 0xFF: the mark byte has a test of its own
    return b;
}

QString openError(TComm &comm)
{
    try {
        comm.OpenPort();
    } catch (const ECommsError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(TComm, OpenTwiceCloseTwiceReopen)
{
    Bench b;
    ASSERT_TRUE(openError(b.comm).isEmpty());
    EXPECT_TRUE(b.comm.isOpen());
    EXPECT_EQ(openError(b.comm), QStringLiteral("This serial port already opened"));
    // The port opened first still works.
    b.pty.send("abc");
    ASSERT_TRUE(b.waitReceived(3));
    EXPECT_EQ(b.received(), QByteArray("abc"));

    b.comm.ClosePort();
    EXPECT_FALSE(b.comm.isOpen());
    b.comm.ClosePort();
    EXPECT_FALSE(b.comm.WritePortData("x", 1));

    ASSERT_TRUE(openError(b.comm).isEmpty());
    ASSERT_TRUE(b.comm.WritePortData("xyz", 3));
    EXPECT_EQ(b.pty.receive(3, 2000), QByteArray("xyz"));
}

TEST(TComm, OpenFailuresLeaveThePortClosed)
{
    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());
    Pty held;
    TComm holder;
    holder.setCommName(held.path);
    holder.OpenPort();

    const struct {
        QString name;
        const char *message;
    } rows[] = {
        {QStringLiteral("COM2"), "the com is not exist!..."},
        {QStringLiteral("/dev/ttyUSB-none"), "the com is not exist!..."},
        {QStringLiteral(""), "the com is not exist!..."},
        {held.path, "the com is not exist!..."}, // already open here
        {QStringLiteral("/dev/null"), "File handle is not a comm handle "},
        {plain.fileName(), "File handle is not a comm handle "},
        // A bare name is a device under /dev, not the file of that name here.
        {QFileInfo(plain.fileName()).fileName(), "the com is not exist!..."},
    };
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QFileInfo(plain.fileName()).path());
    for (const auto &row : rows) {
        TComm comm;
        comm.setCommName(row.name);
        EXPECT_EQ(openError(comm), QString::fromLatin1(row.message)) << row.name.toStdString();
        EXPECT_FALSE(comm.isOpen());
        EXPECT_FALSE(comm.WritePortData("a", 1));
    }
    QDir::setCurrent(cwd);
    // The failed attempt on the held port did not disturb it.
    held.send("ok");
    QByteArray got;
    holder.OnReceiveData = [&](TComm *, const char *buf, quint16 n) { got.append(buf, n); };
    EXPECT_TRUE(pumpUntil([&] { return got == "ok"; }, 3000));
}

TEST(TComm, DefaultsAndTheMainWindowsValues)
{
    TComm comm;
    EXPECT_EQ(comm.CommName(), QStringLiteral("COM2"));
    EXPECT_EQ(comm.BaudRate(), 9600u);
    EXPECT_FALSE(comm.ParityCheck());
    EXPECT_TRUE(comm.TxContinueOnXoff());
    EXPECT_TRUE(comm.Outx_XonXoffFlow());
    EXPECT_TRUE(comm.Inx_XonXoffFlow());
    EXPECT_EQ(comm.ByteSize(), TByteSize::_8);
    EXPECT_EQ(comm.XonLimit(), 500);
    EXPECT_EQ(comm.XonChar(), 0x11);
    EXPECT_EQ(comm.XoffChar(), 0x13);
    EXPECT_EQ(comm.ReadIntervalTimeout(), 100u);
    EXPECT_EQ(comm.ReadTotalTimeoutConstant(), 0u);

    Bench b;
    b.comm.OpenPort();
    const termios t = b.pty.attrs();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_EQ(t.c_iflag & (INPCK | PARMRK), tcflag_t(INPCK | PARMRK));
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(TComm, AChangedSettingReachesAnOpenPortAtOnce)
{
    const struct {
        const char *what;
        std::function<void(TComm &)> change;
        std::function<bool(const termios &)> applied;
    } rows[] = {
        {"baud 19200", [](TComm &c) { c.setBaudRate(19200); },
         [](const termios &t) { return cfgetospeed(&t) == B19200 && cfgetispeed(&t) == B19200; }},
        {"baud 115200", [](TComm &c) { c.setBaudRate(115200); },
         [](const termios &t) { return cfgetospeed(&t) == B115200; }},
        {"unknown baud keeps the speed", [](TComm &c) { c.setBaudRate(12345); },
         [](const termios &t) { return cfgetospeed(&t) == B9600; }},
        {"2 stop bits", [](TComm &c) { c.setStopBits(TStopBits::_2); },
         [](const termios &t) { return (t.c_cflag & CSTOPB) != 0; }},
        {"no parity checking", [](TComm &c) { c.setParityCheck(false); },
         [](const termios &t) { return (t.c_iflag & (INPCK | PARMRK)) == 0; }},
        {"CTS flow", [](TComm &c) { c.setOutx_CtsFlow(true); },
         [](const termios &t) { return (t.c_cflag & CRTSCTS) != 0; }},
        {"RTS handshake", [](TComm &c) { c.setRtsControl(TRtsControl::RtsHandshake); },
         [](const termios &t) { return (t.c_cflag & CRTSCTS) != 0; }},
        {"XON/XOFF out", [](TComm &c) { c.setOutx_XonXoffFlow(true); },
         [](const termios &t) { return (t.c_iflag & (IXON | IXOFF)) == IXON; }},
        {"XON/XOFF in", [](TComm &c) { c.setInx_XonXoffFlow(true); },
         [](const termios &t) { return (t.c_iflag & (IXON | IXOFF)) == IXOFF; }},
        {"XON char", [](TComm &c) { c.setXonChar(0x21); }, [](const termios &t) { return t.c_cc[VSTART] == 0x21; }},
        {"XOFF char", [](TComm &c) { c.setXoffChar(0x22); }, [](const termios &t) { return t.c_cc[VSTOP] == 0x22; }},
    };
    for (const auto &row : rows) {
        Bench b;
        b.comm.OpenPort();
        row.change(b.comm);
        EXPECT_TRUE(row.applied(b.pty.attrs())) << row.what;
    }
}

// A pseudo-terminal always reads 8 data bits without parity enable, but keeps the odd and
// mark/space bits, which tell the schemes apart well enough here.
TEST(TComm, ParityWaitsForTheNextOpen)
{
    const struct {
        TParity parity;
        tcflag_t flags;
    } rows[] = {
        {TParity::None, 0},
        {TParity::Odd, PARODD},
        {TParity::Mark, PARODD | CMSPAR},
        {TParity::Space, CMSPAR},
    };
    for (const auto &row : rows) {
        Bench b;
        b.comm.setParity(TParity::Odd);
        b.comm.OpenPort();
        b.comm.setParity(row.parity);
        EXPECT_EQ(b.pty.attrs().c_cflag & (PARODD | CMSPAR), tcflag_t(PARODD));
        b.comm.ClosePort();
        b.comm.OpenPort();
        EXPECT_EQ(b.comm.Parity(), row.parity);
        EXPECT_EQ(b.pty.attrs().c_cflag & (PARODD | CMSPAR), row.flags) << int(row.parity);
    }
}

TEST(TComm, AnUnchangedValueDoesNotTouchTheDevice)
{
    Bench b;
    b.comm.OpenPort();
    // Someone else changes the line behind the component's back.
    termios t = b.pty.attrs();
    cfsetospeed(&t, B4800);
    cfsetispeed(&t, B4800);
    t.c_cflag |= CSTOPB;
    b.pty.setAttrs(t);

    b.comm.setBaudRate(9600);
    b.comm.setStopBits(TStopBits::_1);
    b.comm.setParityCheck(true);
    b.comm.setXonLimit(500);
    b.comm.setReadIntervalTimeout(100);
    t = b.pty.attrs();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
    EXPECT_TRUE(t.c_cflag & CSTOPB);

    // A real change re-applies everything.
    b.comm.setXonLimit(400);
    t = b.pty.attrs();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
}

TEST(TComm, ReceivedBlocks)
{
    const struct {
        int bytes;
        int minBlocks, maxBlocks;
    } rows[] = {{3, 1, 1}, {10, 1, 1}, {2048, 1, 1}, {5000, 3, 20}};
    for (const auto &row : rows) {
        Bench b;
        b.comm.OpenPort();
        const QByteArray sent = pattern(row.bytes);
        b.pty.send(sent);
        ASSERT_TRUE(b.waitReceived(sent.size())) << row.bytes;
        pumpFor(250); // nothing more follows
        EXPECT_EQ(b.received(), sent) << row.bytes;
        EXPECT_GE(b.blocks.size(), row.minBlocks) << row.bytes;
        EXPECT_LE(b.blocks.size(), row.maxBlocks) << row.bytes;
        for (const QByteArray &block : b.blocks)
            EXPECT_LE(block.size(), 2048);
        if (row.bytes > 2048) {
            EXPECT_EQ(b.blocks.front().size(), 2048);
        }
    }
}

TEST(TComm, SilenceEndsABlock)
{
    const struct {
        quint32 interval;
        int gapMs;
        int blocks;
    } rows[] = {{100, 400, 2}, {1500, 150, 1}};
    for (const auto &row : rows) {
        Bench b;
        b.comm.setReadIntervalTimeout(row.interval);
        b.comm.OpenPort();
        b.pty.send("abc");
        QThread::msleep(row.gapMs);
        b.pty.send("def");
        ASSERT_TRUE(b.waitReceived(6, 4000));
        pumpFor(200);
        EXPECT_EQ(b.blocks.size(), row.blocks) << row.interval;
        EXPECT_EQ(b.received(), QByteArray("abcdef"));
    }
}

TEST(TComm, ReceivedBytesComeOutAsSent)
{
    const QByteArray bytes = QByteArray::fromHex("FF01FFFF00FF7E00");
    const struct {
        bool parityCheck;
        bool ignoreNull;
        QByteArray expected;
    } rows[] = {
        {true, false, bytes},
        {false, false, bytes},
        {true, true, QByteArray::fromHex("FF01FFFFFF7E")},
        {false, true, QByteArray::fromHex("FF01FFFFFF7E")},
    };
    for (const auto &row : rows) {
        Bench b;
        b.comm.setParityCheck(row.parityCheck);
        b.comm.setIgnoreNullChar(row.ignoreNull);
        b.comm.OpenPort();
        b.pty.send(bytes);
        b.waitReceived(row.expected.size());
        pumpFor(200);
        EXPECT_EQ(b.received().toHex(), row.expected.toHex()) << row.parityCheck << row.ignoreNull;
    }
}

TEST(TComm, QueuedBlocksAreWrittenInOrderThenOneNotice)
{
    Bench b;
    b.comm.setOutx_XonXoffFlow(true);
    b.comm.OpenPort();
    ASSERT_TRUE(pumpUntil([&] { return b.emptyNotices == 1; }, 3000)); // the start
    EXPECT_TRUE(b.comm.sendDataEmpty());

    // Hold the output, so both blocks are queued before anything is written.
    b.pty.send("\x13");
    pumpFor(50);
    const QByteArray first = pattern(3000), second = QByteArray("second block");
    ASSERT_TRUE(b.comm.WritePortData(first.constData(), quint16(first.size())));
    ASSERT_TRUE(b.comm.WritePortData(second.constData(), quint16(second.size())));
    EXPECT_FALSE(b.comm.WritePortData(first.constData(), 0));
    pumpFor(100);
    EXPECT_FALSE(b.comm.sendDataEmpty());
    EXPECT_TRUE(b.pty.receive(1, 50).isEmpty());
    EXPECT_EQ(b.emptyNotices, 1);

    b.pty.send("\x11");
    EXPECT_EQ(b.pty.receive(first.size() + second.size(), 3000), first + second);
    EXPECT_TRUE(pumpUntil([&] { return b.emptyNotices == 2; }, 3000));
    pumpFor(150);
    EXPECT_EQ(b.emptyNotices, 2);
    EXPECT_TRUE(b.comm.sendDataEmpty());
}

TEST(TComm, ABlockStillQueuedAtCloseIsNotWritten)
{
    Bench b;
    b.comm.setOutx_XonXoffFlow(true);
    b.comm.OpenPort();
    b.pty.send("\x13");
    pumpFor(50);
    ASSERT_TRUE(b.comm.WritePortData("held", 4));
    ASSERT_TRUE(b.comm.WritePortData("queued", 6));
    pumpFor(50);
    // Both threads wait without a time limit here: a close that did not end their waits
    // would never return.
    b.comm.ClosePort();
    EXPECT_TRUE(b.comm.sendDataEmpty());
    b.pty.send("\x11");
    EXPECT_TRUE(b.pty.receive(1, 200).isEmpty());
}

TEST(TComm, CloseWithAReadPendingIsQuick)
{
    Bench b;
    b.comm.setReadIntervalTimeout(30000); // the block in the making would end in 30 s
    b.comm.OpenPort();
    pumpFor(50);
    b.pty.send("ab");
    QThread::msleep(20);
    const comm::WaitCounts before = comm::waitCounts();
    b.comm.ClosePort();
    const comm::WaitCounts after = comm::waitCounts();
    EXPECT_GE(after.closed - before.closed, 1u) << "the close event ends the read thread's wait";
    EXPECT_EQ(after.timedOut, before.timedOut) << "no wait ran to its time-out";
}

TEST(TComm, TheFarEndVanishes)
{
    Bench b;
    b.comm.OpenPort();
    b.pty.send("last");
    ASSERT_TRUE(b.waitReceived(4));
    b.pty.closeMaster();
    EXPECT_TRUE(pumpUntil([&] { return b.hangups >= 1; }, 3000));
    // The dead line does not keep a thread busy: none waits on it again and again.
    const quint64 before = comm::waitCounts().all;
    pumpFor(300);
    EXPECT_LE(comm::waitCounts().all - before, 2u);
    // Writing to the dead line does not hang or crash; the component stays usable.
    b.comm.WritePortData("x", 1);
    pumpFor(100);
    b.comm.ClosePort();
    EXPECT_FALSE(b.comm.isOpen());

    Pty fresh;
    b.comm.setCommName(fresh.path);
    b.comm.OpenPort();
    fresh.send("new");
    EXPECT_TRUE(pumpUntil([&] { return b.received().endsWith("new"); }, 3000));
    ASSERT_TRUE(b.comm.WritePortData("out", 3));
    EXPECT_EQ(fresh.receive(3, 2000), QByteArray("out"));
}

// A hang-up still on its way when the port is closed and opened anew belongs to the old
// line: it must not close the new one. Both threads seeing the same end raise it once.
TEST(TComm, AHangUpIsRaisedOnceAndNeverForAnOpeningThatIsOver)
{
    Bench b;
    b.comm.OpenPort();
    b.comm.WritePortData("x", 1);
    b.pty.closeMaster();
    QThread::msleep(300); // the threads post their notices; none is handed over yet
    b.comm.ClosePort();
    Pty fresh;
    b.comm.setCommName(fresh.path);
    b.comm.OpenPort();
    pumpFor(300);
    EXPECT_EQ(b.hangups, 0);
    EXPECT_TRUE(b.comm.isOpen());

    fresh.closeMaster();
    EXPECT_TRUE(pumpUntil([&] { return b.hangups >= 1; }, 1000));
    b.comm.WritePortData("y", 1);
    pumpFor(300);
    EXPECT_EQ(b.hangups, 1);
}

TEST(TComm, DestroyingAnOpenComponentClosesIt)
{
    Pty pty;
    {
        TComm comm;
        comm.setCommName(pty.path);
        comm.OpenPort();
        comm.WritePortData("bye", 3);
    }
    TComm again;
    again.setCommName(pty.path);
    EXPECT_NO_THROW(again.OpenPort());
}
