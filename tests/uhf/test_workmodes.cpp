#include "base/clock.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "serial/pollwait.h"
#include "serial/portscan.h"
#include "serial/tcomm.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "uhf/uhfworkmodesgroup.h"
#include "ui/connectiongroup.h"
#include "ui/logpane.h"
#include "ui/serialpage.h"
#include "ui/tform1.h"

#include <QDialog>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <deque>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");

// A UHF module on the far end of a pseudo-terminal that answers each frame with the next
// scripted reply (an empty one: silence), from the event loop like a real line.
struct ScriptedModule {
    ScriptedModule()
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
        notifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { readFrames(); });
    }
    ~ScriptedModule()
    {
        notifier.reset();
        ::close(master);
        ::close(slave);
    }
    void readFrames()
    {
        char buf[512];
        ssize_t n;
        while ((n = ::read(master, buf, sizeof buf)) > 0) {
            pending.append(buf, int(n));
            if (pending.endsWith('\x7E')) {
                frames << hex::fromBytes(pending);
                pending.clear();
                const QByteArray reply = replies.empty() ? QByteArray() : replies.front();
                if (!replies.empty())
                    replies.pop_front();
                if (!reply.isEmpty())
                    send(reply);
            }
        }
    }
    void send(const QByteArray &b) const { EXPECT_EQ(::write(master, b.constData(), size_t(b.size())), b.size()); }

    int master = -1, slave = -1;
    QString path;
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray pending;
    QStringList frames; // each frame received, as upper-case hex
    std::deque<QByteArray> replies;
};

struct WorkModes : WindowTest {
    QTemporaryDir emptyRoot;
    ScriptedModule module;
    ConnectionGroup *connection = nullptr;
    UhfWorkModesGroup *group = nullptr;

    void SetUp() override
    {
        installSettings();
        portscan::setScanDirectories(emptyRoot.path(), emptyRoot.path());
        portscan::addExtraPath(module.path);
        form = std::make_unique<TForm1>(usb);
        buildPages(*form);
        connection = form->serialPage->connection;
        group = form->serialPage->workModes;
        openLine();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        portscan::removeExtraPath(module.path);
        portscan::setScanDirectories(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));
    }
    void openLine()
    {
        form->PageControl1Change();
        const int index = connection->portList->findText(portscan::nameOf(module.path));
        ASSERT_GE(index, 0);
        connection->portList->setCurrentIndex(index);
        emit connection->portList->activated(index);
        ASSERT_TRUE(connection->line().port->isOpen());
    }
    void reset()
    {
        form->logPane->clear();
        module.frames.clear();
        module.replies.clear();
        errors.clear();
    }
};

// The two lines of a received block.
QStringList rx(const char *hexText)
{
    return {QStringLiteral("232RX Data.."), hex::filter(QString::fromLatin1(hexText))};
}

TEST_F(WorkModes, ControlsAndStartTexts)
{
    EXPECT_EQ(group->objectName(), "GroupBox38");
    EXPECT_TRUE(group->singleEpcRadio->isChecked());
    EXPECT_EQ(group->singleEpcRadio->text(),
              "Active search for EPC number of single card                               ");
    EXPECT_EQ(group->memorySectorRadio->text(), "Active read memory sector");
    EXPECT_EQ(group->sectorEdit->text(), "03");
    EXPECT_EQ(group->sectorPasswordEdit->text(), "00 00 00 00");
    EXPECT_EQ(group->sectorAddressEdit->text(), "00");
    EXPECT_EQ(group->sectorLengthEdit->text(), "08");
    EXPECT_EQ(group->readingModeButton->text(), "Setting");
    EXPECT_EQ(group->usbHidButton->text(), "Setting");
    EXPECT_EQ(group->cardMemoryButton->text(), "Sector");
}

TEST_F(WorkModes, Button75FramesAndLines)
{
    struct Case {
        QRadioButton *radio;
        const char *reply; // "" = the module stays silent
        const char *frame;
        QStringList lines;
    };
    const QString sectorLine = QStringLiteral("BB 00 C9 00 07 0300 00 00 000008DB7E");
    const Case cases[] = {
        {group->singleEpcRadio, "BB 01 C1 00 01 01 C3 7E", "BB00C1000101C37E",
         rx("BB 01 C1 00 01 01 C3 7E") << "Set Active search for EPC number of single card Success   " + kTime},
        {group->passiveRadio, "BB 01 C1 00 01 00 C2 7E", "BB00C1000100C27E",
         rx("BB 01 C1 00 01 00 C2 7E") << "Set Passive reader mode Success   " + kTime},
        {group->multipleEpcRadio, "BB 01 C1 00 01 02 C4 7E", "BB00C1000102C47E",
         rx("BB 01 C1 00 01 02 C4 7E") << "Set Active search for EPC number of multiple cards Success   " + kTime},
        {group->tidRadio, "BB 01 C1 00 01 03 C5 7E", "BB00C1000103C57E",
         rx("BB 01 C1 00 01 03 C5 7E") << "Set Active read TID number Success   " + kTime},
        {group->memorySectorRadio, "BB 01 C9 00 01 03 CE 7E", "BB00C9000703000000000008DB7E",
         QStringList{sectorLine} << rx("BB 01 C9 00 01 03 CE 7E")
                                 << "Set Active read memory sector Success   " + kTime},
        // Status 03 names TID or sector only when that mode is selected; 04 to 07 name nothing.
        {group->singleEpcRadio, "BB 01 C1 00 01 03 C5 7E", "BB00C1000101C37E",
         rx("BB 01 C1 00 01 03 C5 7E") << "Set  Success   " + kTime},
        {group->multipleEpcRadio, "BB 01 C1 00 01 07 C9 7E", "BB00C1000102C47E",
         rx("BB 01 C1 00 01 07 C9 7E") << "Set  Success   " + kTime},
        // Above 7: an error code, named by the selected mode and explained.
        {group->passiveRadio, "BB 01 FF 00 01 10 11 7E", "BB00C1000100C27E",
         rx("BB 01 FF 00 01 10 11 7E") << "Set Passive reader modefalse   " + kTime
                                       << QStringLiteral("输入的参数大于最大允许范围，溢出.....") << ""},
        {group->tidRadio, "BB 01 FF 00 01 08 09 7E", "BB00C1000103C57E",
         rx("BB 01 FF 00 01 08 09 7E") << "Set Active read TID numberfalse   " + kTime << ""
                                       << ""},
        {group->multipleEpcRadio, "BB 01 FF 00 01 0A 0B 7E", "BB00C1000102C47E",
         rx("BB 01 FF 00 01 0A 0B 7E") << "Set Active search for EPC number of multiple cardsfalse   " + kTime << ""
                                       << ""},
        {group->memorySectorRadio, "BB 01 FF 00 01 17 18 7E", "BB00C9000703000000000008DB7E",
         QStringList{sectorLine} << rx("BB 01 FF 00 01 17 18 7E") << "Set false   " + kTime << ""
                                 << ""},
        // No answer, or one too short to hold the status byte: no data.
        {group->singleEpcRadio, "", "BB00C1000101C37E", {"Data error,no data recevice..   " + kTime, ""}},
        {group->passiveRadio, "BB 01 C1 00 01", "BB00C1000100C27E",
         rx("BB 01 C1 00 01") << "Data error,no data recevice..   " + kTime << ""},
    };
    for (const Case &c : cases) {
        reset();
        c.radio->setChecked(true);
        module.replies.push_back(hex::toBytes(QString::fromLatin1(c.reply)));
        group->readingModeButton->click();
        EXPECT_EQ(module.frames, QStringList{c.frame}) << c.reply;
        EXPECT_EQ(log(), c.lines) << c.reply;
    }
}

TEST_F(WorkModes, OnlyABlockAfterTheSendAnswersIt)
{
    // A block that came in earlier is no answer to the next frame.
    module.send(hex::toBytes(QStringLiteral("BB 01 C1 00 01 01 C3 7E")));
    waits::waitUntil(2000, [&] { return connection->line().blocksReceived() > 0; });
    ASSERT_EQ(connection->line().lastBlockHex(), "BB01C1000101C37E");
    reset();
    group->readingModeButton->click();
    EXPECT_EQ(log(), (QStringList{"Data error,no data recevice..   " + kTime, ""}));
    reset();
    group->usbHidButton->click();
    EXPECT_EQ(log(), (QStringList{"Data error,no data recevice..   " + kTime, ""}));
    EXPECT_TRUE(connection->line().port->isOpen());

    // A USB reply held from an earlier exchange neither ends the wait nor is read.
    usb.reply(QStringLiteral("AA 00 02 01 83 80 BB"));
    form->link().SendHex(QStringLiteral("AA 00 01 C0 C1 BB"));
    ASSERT_FALSE(form->link().ReplyHex().isEmpty());
    reset();
    module.replies.push_back(hex::toBytes(QStringLiteral("BB 01 C1 00 01 01 C3 7E")));
    group->readingModeButton->click();
    EXPECT_EQ(log(), rx("BB 01 C1 00 01 01 C3 7E")
                         << "Set Active search for EPC number of single card Success   " + kTime);
}

TEST_F(WorkModes, Button76SwitchesToHidAndClosesThePortOnSuccess)
{
    // The last USB reply carries error code 83 in its byte 4: it is not what is explained.
    usb.reply(QStringLiteral("AA 00 02 01 83 80 BB"));
    form->link().SendHex(QStringLiteral("AA 00 01 C0 C1 BB"));
    struct Case {
        const char *reply;
        QStringList lines;
        bool stillOpen;
    };
    const Case cases[] = {
        {"BB 01 C2 00 01 01 C4 7E",
         rx("BB 01 C2 00 01 01 C4 7E") << "USB_HID setting false   " + kTime << ""
                                       << "",
         true},
        {"BB 01 FF 00 01 17 18 7E", rx("BB 01 FF 00 01 17 18 7E") << "data error,please check data..   " + kTime << "",
         true},
        {"", {"Data error,no data recevice..   " + kTime, ""}, true},
        {"BB 01 C2", rx("BB 01 C2") << "Data error,no data recevice..   " + kTime << "", true},
        {"BB 01 C2 00 01 00 C3 7E", rx("BB 01 C2 00 01 00 C3 7E") << "USB_HID setting success   " + kTime << "", false},
    };
    for (const Case &c : cases) {
        reset();
        module.replies.push_back(hex::toBytes(QString::fromLatin1(c.reply)));
        group->usbHidButton->click();
        EXPECT_EQ(module.frames, QStringList{"BB00C2000100C37E"}) << c.reply;
        EXPECT_EQ(log(), c.lines) << c.reply;
        EXPECT_EQ(connection->line().port->isOpen(), c.stillOpen) << c.reply;
    }
    EXPECT_TRUE(connection->openButton->isEnabled());
    EXPECT_FALSE(connection->closeButton->isEnabled());

    // With the port closed nothing goes out: no data.
    reset();
    module.replies.push_back(hex::toBytes(QStringLiteral("BB 01 C2 00 01 00 C3 7E")));
    group->usbHidButton->click();
    EXPECT_TRUE(module.frames.isEmpty());
    EXPECT_EQ(log(), (QStringList{"Data error,no data recevice..   " + kTime, ""}));
}

TEST_F(WorkModes, SectorFieldsMustHoldTheirBytes)
{
    group->memorySectorRadio->setChecked(true);
    group->sectorEdit->setText("01");
    group->sectorPasswordEdit->setText("12 34 56 78");
    group->sectorAddressEdit->setText("0a");
    group->sectorLengthEdit->setText("ff");
    // Case kept, the checksum over the bytes: C9+07+01+12+34+56+78+0A+FF = 0x2EE.
    const protocol::Request sector = group->sectorRequest();
    EXPECT_EQ(group->sectorLine(sector), "BB 00 C9 00 07 0112 34 56 780affEE7E");
    EXPECT_EQ(sector.bytes.toHex(' ').toUpper(), "BB 00 C9 00 07 01 12 34 56 78 0A FF EE 7E");

    struct Case {
        QLineEdit *edit;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {group->sectorEdit, "", "The sector must be 1 byte of hexadecimal digits, two per byte, not ''."},
        {group->sectorEdit, "3", "The sector must be 1 byte of hexadecimal digits, two per byte, not '3'."},
        {group->sectorEdit, "0G", "The sector must be 1 byte of hexadecimal digits, two per byte, not '0G'."},
        {group->sectorEdit, "0300", "The sector must be 1 byte of hexadecimal digits, two per byte, not '0300'."},
        {group->sectorPasswordEdit, "00 00 00",
         "The password must be 4 bytes of hexadecimal digits, two per byte, not '00 00 00'."},
        {group->sectorPasswordEdit, "00,00,00,0",
         "The password must be 4 bytes of hexadecimal digits, two per byte, not '00,00,00,0'."},
        {group->sectorAddressEdit, "\xEF\xBC\x90\xEF\xBC\x90",
         "The address must be 1 byte of hexadecimal digits, two per byte, not '\xEF\xBC\x90\xEF\xBC\x90'."},
        {group->sectorLengthEdit, "1 0 0",
         "The length must be 1 byte of hexadecimal digits, two per byte, not '1 0 0'."},
    };
    for (const Case &c : cases) {
        reset();
        const QString before = c.edit->text();
        c.edit->setText(QString::fromUtf8(c.text));
        group->readingModeButton->click();
        EXPECT_EQ(errors, QStringList{QString::fromUtf8(c.message)}) << c.text;
        EXPECT_TRUE(log().isEmpty()) << c.text;
        c.edit->setText(before);
    }
    waits::waitUntil(100, [] { return false; });
    EXPECT_TRUE(module.frames.isEmpty()) << "nothing is sent for a bad field";
}

TEST_F(WorkModes, SectorOpensTheCardMemoryWindow)
{
    QStringList shown;
    guard::setModalRunner([&](QDialog *d) { shown << d->windowTitle(); });
    group->cardMemoryButton->click();
    group->cardMemoryButton->click();
    EXPECT_EQ(shown, (QStringList{"Card memory structure", "Card memory structure"}));
    EXPECT_TRUE(form->cardMemoryWindow.isNull());
}

// Unplugging the adapter: the far end of the line closes under the open port.
TEST_F(WorkModes, AVanishedDeviceIsReportedClosedAndTheNextCommandSaysSo)
{
    const QString name = portscan::nameOf(module.path);
    reset();
    module.notifier.reset();
    ::close(module.master);
    module.master = -1;
    WaitLog waited;
    waits::waitUntil(5000, [&] { return !connection->line().port->isOpen(); });
    EXPECT_EQ(waited.of(5000), (WaitLog::List{{5000, waits::End::Condition}})) << "the hang-up closed the port";
    EXPECT_EQ(log(),
              QStringList{"Serial port " + name + " is gone (the device was removed): it is closed..   " + kTime});
    EXPECT_FALSE(connection->line().port->isOpen());
    EXPECT_TRUE(connection->openButton->isEnabled());
    EXPECT_FALSE(connection->closeButton->isEnabled());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    const quint64 before = comm::waitCounts().all;
    waits::waitUntil(300, [] { return false; });
    EXPECT_EQ(comm::waitCounts().all, before) << "nothing waits on the dead line, so nothing spins";

    // The next command blames the port, not the reader; once the user closes it, that is
    // the user's closed port again.
    group->readingModeButton->click();
    const QString closed = "The serial port " + name +
                           " is closed: it went away (the device was removed). Connect it again and press Open.";
    EXPECT_EQ(errors, QStringList{closed});
    EXPECT_EQ(log().size(), 1);
    connection->line().close();
    errors.clear();
    group->readingModeButton->click();
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
