#include "base/clock.h"
#include "hf/iso15693page.h"
#include "hf/s50page.h"
#include "hf/systempage.h"
#include "hf/typebpage.h"
#include "hf/ultralightpage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "support/faketransport.h"
#include "support/windowtest.h"
#include "uhf/epcwritepage.h"
#include "uhf/keyboardoutputpage.h"
#include "uhf/outputdevicepage.h"
#include "uhf/wifipage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"
#include "ui/tform2.h"
#include "ui/tform3.h"

#include "protocol/keyboard.h"

#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace
{

using Window = WindowTest;

TEST_F(Window, PagesTabsStatusBarAndMenus)
{
    const char *names[] = {"TabSheet1", "TabSheet4", "TabSheet2", "TabSheet3", "TabSheet5",
                           "TabSheet6", "TabSheet7", "TabSheet8", "TabSheet9", "TabSheet10"};
    const char *captions[] = {"USB reader intelligent setting  ",
                              "系统命令",
                              "S50/S70",
                              "Ultralight",
                              "ISO14443B",
                              "ISO15693",
                              "Prefix &suffix Data Input",
                              "UHF Write Card",
                              "Serial port function",
                              "Wifi Settings"};
    const bool shown[] = {true, false, false, false, false, false, true, true, true, true};
    ASSERT_EQ(form->pageControl->count(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(form->pageControl->widget(i)->objectName(), names[i]);
        EXPECT_EQ(form->pageControl->tabText(i), QString::fromUtf8(captions[i]));
        EXPECT_EQ(form->pageControl->isTabVisible(i), shown[i]) << i;
    }
    EXPECT_EQ(form->pageControl->currentIndex(), 0);
    EXPECT_EQ(form->windowTitle(), "Format output  card number V2.7");
    EXPECT_EQ(form->panels[0]->text(), "  RFID");
    EXPECT_EQ(form->panels[2]->text(), "Format output  card number");
    EXPECT_EQ(form->panels[3]->text(), "   2024.03.05   01:07:09 PM   ");
    for (const char *action : {"N4", "N11", "N12", "N13", "N14", "N51", "N61", "N5"})
        EXPECT_NE(find<QAction>(action), nullptr) << action;
    auto *setadd = find<QComboBox>("setadd");
    ASSERT_NE(setadd, nullptr);
    EXPECT_EQ(setadd->count(), 33);
    EXPECT_EQ(setadd->currentText(), "00");
    EXPECT_EQ(setadd->itemText(10), "0a");
    EXPECT_EQ(setadd->itemText(32), "20");
}

// The pages not shown at start (the hidden HF pages among them) make their controls on their
// first show, whatever shows them; until then they cost nothing but their name, and every
// exchange still has its settings.
TEST(WindowPages, PagesAreBuiltOnTheirFirstShow)
{
    FakeTransport usb;
    TForm1 form(usb);
    Page *hidden[] = {form.systemPage,   form.s50Page,          form.ultralightPage, form.typeBPage,
                      form.iso15693Page, form.outputDevicePage, form.epcWritePage,   form.wifiPage};
    for (Page *p : hidden) {
        EXPECT_FALSE(p->isBuilt()) << p->objectName().toStdString();
        EXPECT_TRUE(p->findChildren<QPushButton *>().isEmpty()) << p->objectName().toStdString();
    }
    EXPECT_EQ(form.link().settings().hfPauseMs, 100) << "Edit22's start value before the page exists";
    form.show();
    form.pageControl->setCurrentWidget(form.s50Page);
    QApplication::processEvents();
    EXPECT_TRUE(form.s50Page->isBuilt());
    EXPECT_NE(form.s50Page->readButton, nullptr);
    EXPECT_FALSE(form.ultralightPage->isBuilt());
}

TEST_F(Window, HelpMakesAFreshWindowEachTimeAndThePictureDecodes)
{
    QList<QDialog *> shown;
    guard::setModalRunner([&](QDialog *d) { shown << d; });
    find<QAction>("N5")->trigger();
    EXPECT_TRUE(form->helpWindow.isNull()) << "closed Help is destroyed";
    find<QAction>("N5")->trigger();
    ASSERT_EQ(shown.size(), 2);
    const QImage picture = TForm3::picture();
    EXPECT_EQ(picture.size(), QSize(663, 545));
    EXPECT_TRUE(decodeJpeg("not a jpeg").isNull());
}

TEST_F(Window, LogPaneBreaksLinesAtCrLfAndCr)
{
    form->log("abc\r\n");
    form->log("232RX Data..\r01AB");
    form->log("x");
    EXPECT_EQ(log(), (QStringList{"abc", "", "232RX Data..", "01AB", "x"}));
}

TEST_F(Window, KeyboardSetFramesAndLines)
{
    auto *page = form->keyboardPage;
    struct Case {
        const char *radio, *edit64, *reply, *frame;
        QStringList lines;
    } cases[] = {
        {"RadioButton16",
         "10",
         "AA 00 01 00 01 BB",
         "AA 00 09 82 0F 00 00 00 01 01 01 00 85 BB",
         {"Set Up Success   01:07:09 PM", ""}},
        {"RadioButton35",
         "00",
         "AA 00 02 01 83 80 BB",
         "AA 00 09 82 01 00 00 00 01 01 01 00 8B BB",
         {"Set up format false   01:07:09 PM", "卡不存在....", ""}},
        {"RadioButton35",
         "10",
         "AA 00 01 02 01 BB",
         "AA 00 09 82 8A 00 00 00 01 01 01 00 00 BB",
         {"data error,please check data..   01:07:09 PM", ""}},
        {"RadioButton35",
         "1",
         "",
         "AA 00 09 82 81 00 00 00 01 01 01 00 0B BB",
         {"Data error，no data recevice..   01:07:09 PM", ""}},
    };
    for (const Case &c : cases) {
        form->logPane->clear();
        usb.sent.clear();
        find<QRadioButton>(c.radio)->setChecked(true);
        page->byteCountEdit->setText(c.edit64);
        if (*c.reply)
            usb.reply(c.reply);
        page->setFormatButton->click();
        EXPECT_EQ(usb.lastSentHex(), c.frame) << c.radio << c.edit64;
        EXPECT_EQ(log(), c.lines) << c.radio << c.edit64;
    }
}

TEST_F(Window, KeyboardEdit64OutOfRangeIsRefusedBeforeSending)
{
    find<QRadioButton>("RadioButton35")->setChecked(true);
    for (const char *bad : {"0", "128", "-1", "abc", ""}) {
        errors.clear();
        form->keyboardPage->byteCountEdit->setText(bad);
        form->keyboardPage->setFormatButton->click();
        EXPECT_EQ(errors.size(), 1) << bad;
    }
    EXPECT_TRUE(usb.sent.isEmpty());
}

TEST_F(Window, KeyboardReadPrintsTheSettings)
{
    usb.reply("AA 00 0B 00 00 8A 00 01 00 01 00 00 01 00 BB");
    form->keyboardPage->readFormatButton->click();
    EXPECT_EQ(log(), (QStringList{"Read data success    01:07:09 PM",
                                  "The Output format ： Card number custom length hexadecimal output...",
                                  "The Output format ： do not add semicolon ", "The Output format ： do not add , ",
                                  "The Output format ： add ?", "The Output format ： add enter", "",
                                  "The customize data is ：  01"}));
    form->logPane->clear();
    usb.reply("AA 00 03 00 0F 00 BB"); // success, but too short to hold the flags
    form->keyboardPage->readFormatButton->click();
    EXPECT_EQ(log(), (QStringList{"data error,please check data..   01:07:09 PM", ""}));
    EXPECT_EQ(protocol::keyboard::formatName(0x0F), "10 no.in D");
    EXPECT_EQ(protocol::keyboard::formatName(0x11), "Card number custom length hexadecimal output...");
    EXPECT_EQ(protocol::keyboard::formatName(0x10), "Card number converted to ASCII output...");
    EXPECT_EQ(protocol::keyboard::formatName(0xFF), "Card number custom length hexadecimal output...");
}

TEST_F(Window, KeyboardVersionAndVoice)
{
    usb.reply("AA 00 05 00 56 31 2E 30 00 BB");
    form->keyboardPage->versionButton->click();
    EXPECT_EQ(log(), (QStringList{"read version number success ", "the version number is：：V1.0", ""}));
    form->logPane->clear();
    form->keyboardPage->voiceButton->click();
    form->keyboardPage->voiceButton->click();
    EXPECT_EQ(usb.sentHex().mid(1), (QStringList{"AA 00 02 CD 00 CF BB", "AA 00 02 CD 01 CE BB"}));
    EXPECT_EQ(form->keyboardPage->voiceButton->text(), "Close voice");
    EXPECT_EQ(log(), (QStringList{"Send Buzzer Open Instruction..01:07:09 PM",
                                  "Send buzzer shutdown instructions01:07:09 PM"}));
}

TEST_F(Window, ModeButtonsAndNoReader)
{
    usb.connected = false;
    form->keyboardPage->factoryDefaultButton->click();
    EXPECT_EQ(log(), (QStringList{"data error,please check Device Connection...",
                                  "Data error,no data recevice..   01:07:09 PM", ""}));
    usb.connected = true;
    form->logPane->clear();
    usb.reply("AA 00 01 00 01 BB");
    form->keyboardPage->activeModeButton->click();
    usb.reply("AA 00 02 01 8C 8F BB");
    form->keyboardPage->passiveModeButton->click();
    EXPECT_EQ(usb.sentHex(), (QStringList{"AA 00 02 0F 01 0C BB", "AA 00 02 0F 02 0F BB"}));
    EXPECT_EQ(log(), (QStringList{"Set Active reading success    01:07:09 PM",
                                  "Set Passtive reading false   01:07:09 PM", "密码认证没通过....", ""}));
}

} // namespace
