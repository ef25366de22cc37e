#include "base/clock.h"
#include "base/hex.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "serial/portscan.h"
#include "serial/tcomm.h"
#include "support/faketransport.h"
#include "support/windowtest.h"
#include "ui/connectiongroup.h"
#include "ui/logpane.h"
#include "ui/serialpage.h"
#include "ui/tform1.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace
{

// The far end of a serial line: the master side of a pseudo-terminal.
struct FarEnd {
    FarEnd()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        path = QString::fromLocal8Bit(name);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~FarEnd()
    {
        ::close(master);
        ::close(slave);
    }
    void send(const QByteArray &b) const { EXPECT_EQ(::write(master, b.constData(), size_t(b.size())), b.size()); }
    // What arrives within ms (all of it once n bytes are in), with the event loop running.
    QByteArray receive(qsizetype n, int ms = 2000) const
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < n && clock.elapsed() < ms) {
            char buf[4096];
            const ssize_t r = ::read(master, buf, sizeof buf);
            if (r > 0) {
                got.append(buf, int(r));
                continue;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
        return got;
    }
    speed_t speed() const
    {
        termios t{};
        tcgetattr(slave, &t);
        return cfgetospeed(&t);
    }
    QString name() const { return portscan::nameOf(path); }

    int master = -1, slave = -1;
    QString path;
};

struct SerialPageTest : WindowTest {
    QTemporaryDir emptyRoot;
    ConnectionGroup *group = nullptr;
    FarEnd a, b;

    void SetUp() override
    {
        installSettings();
        // The machine's own ports stay out of the list: only the lines a test registers.
        portscan::setScanDirectories(emptyRoot.path(), emptyRoot.path());
        form = std::make_unique<TForm1>(usb);
        buildPages(*form);
        group = form->serialPage->connection;
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        portscan::removeExtraPath(a.path);
        portscan::removeExtraPath(b.path);
        portscan::setScanDirectories(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));
    }
    QStringList items() const
    {
        QStringList list;
        for (int i = 0; i < group->portList->count(); ++i)
            list << group->portList->itemText(i);
        return list;
    }
    // What the user does: pick an item of a list.
    static void pick(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void registerBoth()
    {
        portscan::addExtraPath(a.path);
        portscan::addExtraPath(b.path);
    }
    // Open, Close enabled?
    std::pair<bool, bool> buttons() const { return {group->openButton->isEnabled(), group->closeButton->isEnabled()}; }
};

using Buttons = std::pair<bool, bool>;

TEST_F(SerialPageTest, StartUpControlsAndComponent)
{
    EXPECT_EQ(group->objectName(), "GroupBox1");
    EXPECT_EQ(group->title(), "Communication information");
    EXPECT_EQ(group->portLabel->text(), "COM port: ");
    EXPECT_EQ(group->baudRateLabel->text(), "Baud rate:    ");
    EXPECT_EQ(group->openButton->text(), "Open");
    EXPECT_EQ(group->closeButton->text(), "Close");
    EXPECT_EQ(buttons(), Buttons(false, true));
    EXPECT_EQ(group->portList->count(), 0) << "no scan before the first tab change";
    QStringList rates;
    for (int i = 0; i < group->baudRateList->count(); ++i)
        rates << group->baudRateList->itemText(i);
    EXPECT_EQ(rates, (QStringList{"9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(group->baudRateList->currentText(), "9600");
    EXPECT_TRUE(group->firstPort().isEmpty());
    EXPECT_TRUE(group->line().lastBlockHex().isEmpty());

    const TComm &c = *group->line().port;
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(c.CommName(), "COM1");
    EXPECT_EQ(c.BaudRate(), 9600u);
    EXPECT_TRUE(c.ParityCheck());
    EXPECT_FALSE(c.Outx_XonXoffFlow());
    EXPECT_FALSE(c.Inx_XonXoffFlow());
    EXPECT_FALSE(c.TxContinueOnXoff());
    EXPECT_EQ(c.ReadIntervalTimeout(), 100u);
    EXPECT_EQ(c.XonLimit(), 500);
    EXPECT_EQ(c.XoffLimit(), 500);
}

TEST_F(SerialPageTest, NoPortFoundListsNoComPortOnceAndOpenFails)
{
    for (int round = 0; round < 2; ++round) {
        // A real tab change, through the page control's signal.
        form->pageControl->setCurrentIndex(round == 0 ? 6 : 0);
        EXPECT_EQ(items(), QStringList{"No Com Port"}) << round;
        EXPECT_EQ(group->portList->currentText(), "No Com Port");
        EXPECT_EQ(group->firstPort(), "none");
        EXPECT_EQ(group->line().port->CommName(), "/dev/none");
    }
    guard::run([this] { group->Button1Click(); });
    EXPECT_EQ(errors, QStringList{"the com is not exist!..."});
    EXPECT_EQ(buttons(), Buttons(false, true)) << "a failed open leaves the buttons as they were";
    // Picking "No Com Port" closes first, then fails to open.
    pick(group->portList, "No Com Port");
    EXPECT_EQ(errors.size(), 2);
    EXPECT_EQ(buttons(), Buttons(true, false));
    EXPECT_FALSE(group->line().port->isOpen());
}

TEST_F(SerialPageTest, ABaudRateBeforeTheFirstScanOpensCom1AsADevice)
{
    // A file of that name in the working directory is not the port.
    QTemporaryDir cwd;
    const QString old = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    QFile file(QStringLiteral("COM1"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    pick(group->baudRateList, "38400");
    QDir::setCurrent(old);
    EXPECT_EQ(group->line().port->BaudRate(), 38400u);
    EXPECT_EQ(errors, QStringList{"the com is not exist!..."});
    EXPECT_EQ(buttons(), Buttons(true, false));
}

TEST_F(SerialPageTest, TabChangesListTheFreePortsWithoutDuplicates)
{
    registerBoth();
    portscan::addExtraPath(a.path); // twice: still listed once
    for (int round = 0; round < 2; ++round) {
        form->PageControl1Change();
        EXPECT_EQ(items(), (QStringList{a.name(), b.name()})) << round;
    }
    EXPECT_TRUE(a.name().startsWith("pts/"));
    EXPECT_EQ(group->firstPort(), a.name());
    EXPECT_EQ(group->portList->currentText(), a.name());
    EXPECT_EQ(group->line().port->CommName(), a.path);
    EXPECT_FALSE(group->line().port->isOpen()) << "a tab change neither opens nor closes";

    // A port held by another program is not listed.
    TComm other;
    other.setCommName(a.path);
    other.OpenPort();
    form->PageControl1Change();
    EXPECT_EQ(items(), QStringList{b.name()});
    EXPECT_EQ(group->firstPort(), b.name());
}

TEST_F(SerialPageTest, ChoicesReopenAndATabChangeKeepsTheOpenPort)
{
    registerBoth();
    form->PageControl1Change();
    pick(group->portList, a.name());
    ASSERT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    EXPECT_TRUE(group->line().port->isOpen());
    EXPECT_EQ(buttons(), Buttons(false, true));

    pick(group->baudRateList, "115200");
    EXPECT_TRUE(group->line().port->isOpen());
    EXPECT_EQ(a.speed(), speed_t(B115200));

    form->PageControl1Change();
    EXPECT_EQ(items(), QStringList{b.name()}) << "our own open port is not listed";
    EXPECT_EQ(group->line().port->CommName(), b.path) << "for the next open";
    EXPECT_TRUE(group->line().port->isOpen());
    EXPECT_EQ(a.speed(), speed_t(B9600)) << "the open port runs at 9600 at once";
    EXPECT_EQ(group->baudRateList->currentText(), "115200");
    group->line().sendHexText(QStringLiteral("7E"));
    EXPECT_EQ(a.receive(1), QByteArray("\x7E")) << "still the first port";

    // The Close button, then Open opens the port the tab change named.
    group->closeButton->click();
    EXPECT_FALSE(group->line().port->isOpen());
    EXPECT_EQ(buttons(), Buttons(true, false));
    group->openButton->click();
    EXPECT_TRUE(group->line().port->isOpen());
    EXPECT_EQ(buttons(), Buttons(false, true));
    group->line().sendHexText(QStringLiteral("01"));
    EXPECT_EQ(b.receive(1), QByteArray("\x01"));
    EXPECT_TRUE(a.receive(1, 200).isEmpty());

    // A failed open after a close leaves Open enabled.
    group->closeButton->click();
    group->line().port->setCommName(QStringLiteral("/dev/ttyUSB-gone"));
    group->openButton->click();
    EXPECT_EQ(errors, QStringList{"the com is not exist!..."});
    EXPECT_EQ(buttons(), Buttons(true, false));
}

TEST_F(SerialPageTest, EachReceivedBlockIsLoggedAndReplacesTheBuffer)
{
    portscan::addExtraPath(a.path);
    form->PageControl1Change();
    pick(group->portList, a.name());
    struct Case {
        QByteArray bytes;
        const char *hex;
    } cases[] = {{QByteArray("\x01\xAB", 2), "01AB"}, {QByteArray("\x7E", 1), "7E"}, {QByteArray(3, '\0'), "000000"}};
    quint64 blocks = 0;
    for (const Case &c : cases) {
        form->logPane->clear();
        a.send(c.bytes);
        waits::waitUntil(2000, [&] { return group->line().blocksReceived() > blocks; });
        ASSERT_EQ(group->line().blocksReceived(), ++blocks) << c.hex;
        EXPECT_EQ(group->line().lastBlockHex(), c.hex);
        EXPECT_EQ(log(), (QStringList{"232RX Data..", c.hex}));
    }
}

TEST_F(SerialPageTest, Send232HexWritesWholePairsUnchanged)
{
    portscan::addExtraPath(a.path);
    form->PageControl1Change();
    // Closed: nothing goes out and nothing is said.
    group->line().sendHexText(QStringLiteral("BB 00 C1 00 01 01 C3 7E"));
    pick(group->portList, a.name());
    EXPECT_TRUE(a.receive(1, 150).isEmpty());

    struct Case {
        const char *text;
        const char *bytes;
    } cases[] = {
        {"BB 00 C1 00 01 01 C3 7E", "BB00C1000101C37E"},
        {"BB 00 C1 00 01 00 C2 7E ", "BB00C1000100C27E"},
        {"bb,00\r\nc1 0", "BB00C1"}, // separators dropped, the unpaired digit too
        {"", ""},
        {"7", ""},
        {"xyz", ""},
    };
    for (const Case &c : cases) {
        group->line().sendHexText(QString::fromLatin1(c.text));
        const QByteArray want = hex::toBytes(QString::fromLatin1(c.bytes));
        EXPECT_EQ(hex::fromBytes(a.receive(want.size(), want.isEmpty() ? 100 : 2000)), c.bytes) << c.text;
    }
    EXPECT_TRUE(log().isEmpty());

    // The longest block goes out whole; one byte more is refused with a line.
    QString longest;
    longest.reserve(2 * 65536);
    for (int i = 0; i < 65535; ++i)
        longest += hex::byteText(i % 251);
    group->line().sendHexText(longest);
    const QByteArray got = a.receive(65535, 10000);
    ASSERT_EQ(got.size(), 65535);
    EXPECT_EQ(uint8_t(got[65534]), 65534 % 251);
    group->line().sendHexText(longest + QStringLiteral("00"));
    EXPECT_TRUE(a.receive(1, 300).isEmpty());
    EXPECT_EQ(log(),
              QStringList{"Send data too long: 65536 bytes, at most 65535 bytes are sent at once..   01:07:09 PM"});
}

TEST_F(SerialPageTest, ClosingTheWindowClosesThePort)
{
    portscan::addExtraPath(a.path);
    form->PageControl1Change();
    pick(group->portList, a.name());
    ASSERT_TRUE(group->line().port->isOpen());
    form->close();
    EXPECT_FALSE(group->line().port->isOpen());
    TComm again;
    again.setCommName(a.path);
    EXPECT_NO_THROW(again.OpenPort()) << "the port was let go";
}

TEST_F(SerialPageTest, TheFarEndVanishingLeavesAPortThatClosesAndReopens)
{
    portscan::addExtraPath(b.path);
    form->PageControl1Change();
    pick(group->portList, b.name());
    ::close(b.master);
    b.master = -1;
    waits::waitUntil(300, [] { return false; });
    group->closeButton->click();
    EXPECT_FALSE(group->line().port->isOpen());
    portscan::addExtraPath(a.path);
    form->PageControl1Change();
    EXPECT_EQ(items(), QStringList{a.name()}) << "a line without its far end does not open";
    pick(group->portList, a.name());
    EXPECT_TRUE(group->line().port->isOpen());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
}

} // namespace

namespace
{

TEST_F(SerialPageTest, ABusyPortNamesTheProgramThatHoldsIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        GTEST_SKIP() << "no flock program";
    // Another program takes the port and its lock, as a terminal program does.
    QProcess holder;
    holder.start(QStringLiteral("flock"), {a.path, QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    const qint64 pid = holder.processId();
    QElapsedTimer clock;
    clock.start();
    while (portscan::probe(a.path) && clock.elapsed() < 5000)
        QThread::msleep(10);
    group->line().port->setCommName(a.path);
    guard::run([this] { group->Button1Click(); });
    holder.kill();
    holder.waitForFinished();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("the com is not exist!...\n" + a.path + " is open in "))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("flock (pid %1)").arg(pid))) << errors[0].toStdString();
    EXPECT_FALSE(group->line().port->isOpen());
}

TEST_F(SerialPageTest, AnAdapterPluggedBackUnderItsNameIsListedAgainAndOpens)
{
    // The adapter's node, as udev names it: a link to the line the test plays.
    QTemporaryDir dev;
    const QString port = dev.filePath(QStringLiteral("ttyUSB0"));
    auto line = std::make_unique<FarEnd>();
    ASSERT_TRUE(QFile::link(line->path, port));
    portscan::addExtraPath(port);
    form->PageControl1Change();
    pick(group->portList, port);
    ASSERT_TRUE(group->line().port->isOpen());

    // Unplugged: the line goes, and its node with it.
    ::close(line->master);
    line->master = -1;
    QFile::remove(port);
    waits::waitUntil(3000, [this] { return !group->line().port->isOpen(); });
    EXPECT_FALSE(group->line().port->isOpen());
    EXPECT_TRUE(
        log().contains("Serial port " + port + " is gone (the device was removed): it is closed..   01:07:09 PM"))
        << log().join('\n').toStdString();
    line.reset();
    form->PageControl1Change();
    EXPECT_FALSE(items().contains(port));

    // Plugged back under the same name: the next rescan lists it and it opens.
    FarEnd again;
    ASSERT_TRUE(QFile::link(again.path, port));
    form->PageControl1Change();
    EXPECT_TRUE(items().contains(port));
    pick(group->portList, port);
    EXPECT_TRUE(group->line().port->isOpen());
    group->line().sendHexText(QStringLiteral("7E"));
    EXPECT_EQ(again.receive(1), QByteArray("\x7E"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
    group->closeButton->click();
    portscan::removeExtraPath(port);
}

} // namespace
