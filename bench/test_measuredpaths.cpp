#include "benchpty.h"
#include "instanttransport.h"
#include "streamcheck.h"
#include "windowrig.h"

#include "link/readerlink.h"
#include "protocol/keyboard.h"
#include "serial/tcomm.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

// The benchmarks time these paths; each test shows that the path timed is the one meant
// (a success, a real silence, every byte through the port), not an error that returns early.
namespace
{

TEST(MeasuredPaths, InstantReaderAnswersOncePerFrameOrNever)
{
    InstantTransport usb;
    ReaderLink link(usb);
    const struct {
        const char *what;
        QByteArray answer;
        QByteArray reply;
    } rows[] = {
        {"success", QByteArray::fromHex("AA00010001BB"), QByteArray::fromHex("AA00010001BB")},
        {"silence", QByteArray(), QByteArray()},
    };
    for (const auto &r : rows) {
        usb.setAnswer(r.answer);
        EXPECT_EQ(link.exchange(protocol::keyboard::readingMode(true)).reply, r.reply) << r.what;
        EXPECT_TRUE(usb.read(0).isEmpty()) << r.what << ": a second read finds nothing";
    }
    EXPECT_EQ(usb.writes(), 2);
}

TEST(MeasuredPaths, TheTimedSetPressSucceedsAndLogsItsLine)
{
    WindowRig &rig = WindowRig::get();
    rig.usb.setAnswer(QByteArray::fromHex("AA00010001BB"));
    TForm1 &form = rig.form();
    form.logPane->clear();
    const qint64 before = rig.usb.writes();
    form.keyboardPage->setFormatButton->click();
    EXPECT_EQ(rig.usb.writes() - before, 1);
    const QStringList lines = form.logPane->lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Set Up Success   "))) << qPrintable(lines[0]);
    EXPECT_TRUE(rig.takeErrors().isEmpty());
    WindowRig::release();
}

bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

TEST(MeasuredPaths, EveryByteValueCrossesThePortInOrder)
{
    BenchPty pty;
    ASSERT_TRUE(pty.isOpen());
    TComm comm;
    configureLikeMainWindow(comm, pty.path()); // parity checked: the driver marks bytes
    const QByteArray stream = StreamCheck::pattern(64 * 1024, 5);
    StreamCheck check(stream);
    comm.OnReceiveData = [&check](TComm *, const char *b, quint16 n) { check.add(b, n); };
    comm.OpenPort();
    ASSERT_TRUE(pty.send(stream.constData(), 3000));
    ASSERT_TRUE(pty.send(stream.constData() + 3000, stream.size() - 3000));
    EXPECT_TRUE(runUntil([&] { return check.received() >= stream.size(); }, 10000));
    comm.ClosePort();
    EXPECT_TRUE(check.complete()) << "first wrong byte at " << check.firstMismatch();
    EXPECT_LE(check.largestBlock(), 2048);
    EXPECT_GE(check.blocks(), 32);
}

} // namespace
