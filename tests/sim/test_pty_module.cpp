#include "base/clock.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "serial/portscan.h"
#include "serial/tcomm.h"
#include "sim/ptyuhfmodule.h"
#include "simtestutil.h"
#include "uhf/uhfworkmodesgroup.h"
#include "ui/connectiongroup.h"
#include "ui/logpane.h"
#include "ui/serialpage.h"
#include "ui/tform1.h"

#include "support/windowtest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace
{

// The tool's side of the line: the slave device opened as a serial port.
class Line
{
public:
    explicit Line(const QString &path)
    {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Line()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void send(const QByteArray &b) { ASSERT_EQ(::write(fd_, b.constData(), size_t(b.size())), b.size()); }

    // Collects what the module sends back, letting the event loop run, for at most ms.
    QByteArray receive(int expected, int ms = 2000)
    {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (got.size() < expected && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
            else
                QThread::msleep(2);
        }
        return got;
    }

private:
    int fd_ = -1;
};

TEST(PtyUhfModule, AnswersWorkModeFramesOnTheLine)
{
    struct Case {
        const char *frame;
        const char *status; // reply byte 5, as the work-mode page reads it
        uint8_t workMode;
    };
    const Case cases[] = {
        {"BB 00 C2 00 01 00 C3 7E", "00", 0x01},
        {"BB 00 C1 00 01 01 C3 7E", "01", 0x01},
        {"BB 00 C1 00 01 00 C2 7E ", "00", 0x00},
        {"BB 00 C1 00 01 02 C4 7E", "02", 0x02},
        {"BB 00 C1 00 01 03 C5 7E ", "03", 0x03},
        {"BB 00 C9 00 07 03 00 00 00 00 00 08 DB 7E", "03", 0x03},
        {"BB 00 C1 00 01 07 C9 7E", "17", 0x01},                   // no such mode: error frame
        {"BB 00 C9 00 07 04 00 00 00 00 00 08 DC 7E", "17", 0x01}, // sector 4
        {"BB 00 C1 00 01 01 C4 7E", "17", 0x01},                   // checksum wrong
    };
    for (const Case &c : cases) {
        UhfModule module;
        PtyUhfModule serial(module, nullptr);
        ASSERT_TRUE(serial.isOpen()) << serial.errorString().toStdString();
        EXPECT_TRUE(serial.devicePath().startsWith("/dev/pts/"));
        Line line(serial.devicePath());
        ASSERT_TRUE(line.isOpen());
        line.send(hex::toBytes(c.frame));
        const QString reply = hex::fromBytes(line.receive(8));
        ASSERT_GE(reply.size(), 16) << c.frame;
        EXPECT_EQ(reply.mid(0, 2), "BB") << c.frame;
        EXPECT_EQ(reply.mid(10, 2), c.status) << c.frame;
        EXPECT_EQ(reply.right(2), "7E") << c.frame;
        EXPECT_EQ(module.workMode(), c.workMode) << c.frame;
    }
}

TEST(PtyUhfModule, FramingAcrossChunksAndNoise)
{
    UhfModule module;
    PtyUhfModule serial(module, nullptr);
    const QByteArray frame = hex::toBytes("BB 00 C1 00 01 02 C4 7E");
    EXPECT_TRUE(serial.feed(frame.left(3)).isEmpty()) << "half a frame waits for the rest";
    EXPECT_EQ(hex::fromBytes(serial.feed(frame.mid(3))), "BB01C1000102C57E");
    EXPECT_EQ(hex::fromBytes(serial.feed(hex::toBytes("00 11 7E") + frame)), "BB01C1000102C57E")
        << "bytes before a frame are skipped";
    EXPECT_EQ(serial.feed(frame + frame).size(), 16) << "two frames in one block get two answers";
    // A frame start with a length field that promises far too much is no frame.
    EXPECT_EQ(hex::fromBytes(serial.feed(hex::toBytes("BB 00 C1 FF FF") + frame)), "BB01C1000102C57E");
}

TEST(PtyUhfModule, ABrokenFrameDoesNotSwallowTheNextOne)
{
    UhfModule module;
    PtyUhfModule serial(module, nullptr);
    EXPECT_TRUE(serial.feed(hex::toBytes("BB 00 C1 00 40 01")).isEmpty()); // waits for 64 parameters
    QThread::msleep(350);
    EXPECT_EQ(hex::fromBytes(serial.feed(hex::toBytes("BB 00 C1 00 01 02 C4 7E"))), "BB01C1000102C57E");
}

TEST(PtyUhfModule, SharedFaultsApplyToTheNextSerialFrame)
{
    UhfModule module;
    FaultPlan faults;
    PtyUhfModule serial(module, &faults);
    const QByteArray frame = hex::toBytes("BB 00 C1 00 01 02 C4 7E");
    faults.failNextWith(0x15);
    EXPECT_EQ(hex::fromBytes(serial.feed(frame)).mid(10, 2), "15");
    EXPECT_EQ(module.workMode(), 0x01) << "a failed frame changes nothing";
    faults.silenceNext();
    EXPECT_TRUE(serial.feed(frame).isEmpty());
    EXPECT_EQ(hex::fromBytes(serial.feed(frame)), "BB01C1000102C57E");
}

// The whole road: the window lists the module's line, opens it from the port list, and the
// work-mode buttons get the module's answers.
TEST(PtyUhfModule, TheWindowSwitchesTheModulesWorkModes)
{
    waits::resetForTests();
    appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 30, 0)); });
    QStringList errors;
    guard::setErrorDisplay([&](const QString &m) { errors << m; });
    QTemporaryDir empty;
    portscan::setScanDirectories(empty.path(), empty.path());

    SimulatedReader reader;
    PtyUhfModule serial(reader.uhf(), &reader.faults());
    ASSERT_TRUE(serial.isOpen());
    portscan::addExtraPath(serial.devicePath());
    {
        TForm1 form(reader);
        WindowTestBase::buildPages(form);
        ConnectionGroup &connection = *form.serialPage->connection;
        UhfWorkModesGroup &modes = *form.serialPage->workModes;
        form.pageControl->setCurrentWidget(form.serialPage);
        const QString name = serial.devicePath().mid(5);
        const int index = connection.portList->findText(name);
        ASSERT_GE(index, 0) << "the module's line is listed as " << name.toStdString();
        connection.portList->setCurrentIndex(index);
        emit connection.portList->activated(index);
        ASSERT_TRUE(connection.line().port->isOpen()) << errors.join(' ').toStdString();

        struct Step {
            QRadioButton *radio;
            QPushButton *button;
            QString line;
            uint8_t workMode;
        } steps[] = {
            {modes.multipleEpcRadio, modes.readingModeButton,
             QStringLiteral("Set Active search for EPC number of multiple cards Success   09:30:00 AM"), 0x02},
            {modes.memorySectorRadio, modes.readingModeButton,
             QStringLiteral("Set Active read memory sector Success   09:30:00 AM"), 0x03},
            {modes.passiveRadio, modes.readingModeButton,
             QStringLiteral("Set Passive reader mode Success   09:30:00 AM"), 0x00},
            {nullptr, modes.usbHidButton, QStringLiteral("USB_HID setting success   09:30:00 AM"), 0x00},
        };
        for (const Step &s : steps) {
            form.logPane->clear();
            if (s.radio)
                s.radio->setChecked(true);
            s.button->click();
            EXPECT_TRUE(form.logPane->lines().contains(s.line)) << form.logPane->lines().join('|').toStdString();
            EXPECT_EQ(reader.uhf().workMode(), s.workMode) << s.line.toStdString();
        }
        EXPECT_FALSE(connection.line().port->isOpen()) << "USB HID mode leaves the serial line";
        EXPECT_EQ(reader.uhf().memorySector().toHex().toUpper(), QByteArray()) << "the passive mode cleared it";
    }
    portscan::removeExtraPath(serial.devicePath());
    portscan::setScanDirectories(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));
    guard::setErrorDisplay({});
    appclock::setSource({});
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
}

} // namespace
