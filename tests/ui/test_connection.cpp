#include "hf/s50page.h"
#include "link/hidtransport.h"
#include "pagekit/replycheck.h"
#include "support/fakehid.h"
#include "support/windowtest.h"
#include "uhf/epcwritepage.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/connectiontools.h"
#include "ui/diagnosiswindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace
{

const QByteArray kAck("\xAA\x00\x01\x00\x01\xBB", 6);
const QString kStamp = QStringLiteral("01:07:09 PM");
const QString kAbsent = QStringLiteral("No USB reader is plugged in.");
const QString kGone = QStringLiteral("The USB reader went away (unplugged, or its USB connection failed).");
const QString kDenied = QStringLiteral("No permission to open the USB reader /dev/hidraw0.");
const QString kSuccess = QStringLiteral("Set Active reading success    ") + kStamp;
const QStringList kNoReaderLines = {kWriteFailed, kNoDataWide + kStamp, ""};

// The main window on the USB transport itself, with a reader the test plugs in and out.
struct Connection : WindowTestBase {
    FakeHidOpener *opener = nullptr;
    std::unique_ptr<HidTransport> usb;
    FakeHid *device = nullptr;

    void SetUp() override
    {
        auto owned = std::make_unique<FakeHidOpener>();
        opener = owned.get();
        usb = std::make_unique<HidTransport>(std::move(owned));
    }
    void TearDown() override
    {
        WindowTestBase::TearDown();
        usb.reset();
    }
    void plug()
    {
        opener->why.clear();
        device = opener->plug();
        device->echo = kAck;
    }
    // Waits for what the window learns from the reader's side.
    static void settle(const std::function<bool()> &done) { waits::waitUntil(2000, done); }
    QString panel() const { return form->panels[1]->text(); }
    QStringList press()
    {
        form->logPane->clear();
        form->keyboardPage->activeModeButton->click();
        return log();
    }
};

TEST_F(Connection, TheFirstFailedExchangeOfARunNamesItsCauseOnce)
{
    enum class Start { Absent, Denied, Unplugged };
    const struct {
        const char *name;
        Start start;
        QString why, panel, now; // now: the reason once the second command has looked again
    } cases[] = {{"no reader", Start::Absent, kAbsent, "No reader", kAbsent},
                 {"closed to the user", Start::Denied, kDenied, "No access", kDenied},
                 {"unplugged", Start::Unplugged, kGone, "No reader", kAbsent}};
    for (const auto &c : cases) {
        if (c.start == Start::Denied)
            opener->why = kDenied;
        openWindow(*usb);
        if (c.start == Start::Unplugged) {
            plug();
            EXPECT_EQ(press(), QStringList{kSuccess}) << c.name;
            device->unplug();
        }
        const QString hint = ConnectionTools::hintLine(c.why);
        EXPECT_TRUE(hint.contains("Tools > Diagnose connection..."));
        // The cause once, before the pages' own lines, which stay as they are; the transport's
        // notice of the same reason is not repeated.
        EXPECT_EQ(press(), QStringList{hint} + kNoReaderLines) << c.name;
        EXPECT_EQ(press(), kNoReaderLines) << c.name;
        EXPECT_EQ(panel(), c.panel) << c.name;
        EXPECT_EQ(form->panels[1]->toolTip(), c.now) << c.name;
        form.reset();
        SetUp(); // a new run
    }
}

TEST_F(Connection, PlugAndUnplugWhileRunning)
{
    openWindow(*usb);
    settle([&] { return !panel().isEmpty(); });
    EXPECT_EQ(panel(), "No reader") << "said before the first command";
    plug();
    EXPECT_EQ(press(), QStringList{kSuccess}) << "plugged in after start";
    EXPECT_EQ(panel(), "");
    device->unplug();
    EXPECT_EQ(press().mid(1), kNoReaderLines);
    EXPECT_EQ(panel(), "No reader");
    plug();
    EXPECT_EQ(press(), QStringList{kSuccess}) << "back without a restart";
    EXPECT_EQ(panel(), "");
    EXPECT_EQ(opener->opens, 3) << "the probe, the first command, the one after the replug";
}

TEST_F(Connection, LoopsEndWithALineWhenTheReaderGoes)
{
    openWindow(*usb);
    plug();
    const struct {
        const char *name;
        std::function<QCheckBox *()> box;
        QString line;
    } loops[] = {
        {"repeat box", [&] { return form->s50Page->readRepeatBox; }, "Repeat stopped. " + kGone + "   " + kStamp},
        {"automatic writing", [&] { return form->epcWritePage->automaticBox; },
         "Automatic writing stopped. " + kGone + "   " + kStamp},
    };
    for (const auto &l : loops) {
        if (!device)
            plug();
        QCheckBox *box = l.box();
        QTimer::singleShot(300, [&] {
            device->unplug();
            device = nullptr;
        });
        // Should the loop not end by itself, the test unticks the box rather than hang.
        QTimer::singleShot(5000, box, [box] { box->setChecked(false); });
        form->logPane->clear();
        box->click();
        EXPECT_FALSE(box->isChecked()) << l.name;
        ASSERT_FALSE(log().isEmpty()) << l.name;
        EXPECT_EQ(log().last(), l.line) << l.name;
    }
    EXPECT_EQ(form->epcWritePage->automaticBox->text(), "Automatic card");
}

} // namespace
