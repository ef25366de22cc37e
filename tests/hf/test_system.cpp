#include "base/clock.h"
#include "hf/systempage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/repeatloop.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/optiongroups.h"
#include "ui/serialpage.h"
#include "ui/tform1.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");

struct System : WindowTest {
    SystemPage *page = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->systemPage;
    }
    void reset()
    {
        form->logPane->clear();
        usb.sent.clear();
        usb.queued.clear();
        errors.clear();
    }
};

TEST_F(System, FramesOfEveryCommand)
{
    const struct {
        const char *button;
        std::function<void(SystemPage *)> set;
        const char *frame;
    } cases[] = {
        {"Button4", {}, "AA 00 01 83 82 BB"},
        {"Button14", {}, "AA 00 01 83 82 BB"},
        {"Button11", [](SystemPage *p) { p->addressEdit->setText("1F"); }, "AA 00 02 80 1F 9D BB"},
        {"Button11", [](SystemPage *p) { p->addressEdit->setText(" 1f "); }, "AA 00 02 80 1F 9D BB"},
        {"Button12", {}, "AA 00 02 81 00 83 BB"},
        {"Button12", [](SystemPage *p) { p->baudRateList->setEditText("115200"); }, "AA 00 02 81 04 87 BB"},
        {"Button12", [](SystemPage *p) { p->baudRateList->setCurrentIndex(2); }, "AA 00 02 81 02 81 BB"},
        {"Button13", {}, "AA 00 09 82 FF FF FF FF FF FF FF FF 8B BB"},
        {"Button20", {}, "AA 00 03 88 16 03 9E BB"},
        {"Button21", {}, "AA 00 03 89 16 03 9F BB"},
        {"Button52", {}, "AA 00 02 0F 01 0C BB"},
        {"Button53", {}, "AA 00 02 0F 02 0F BB"},
    };
    for (const auto &c : cases) {
        form = std::make_unique<TForm1>(usb);
        buildPages(*form);
        page = form->systemPage;
        usb.sent.clear();
        usb.reply("AA 00 01 00 01 BB"); // an answer at once keeps the run short
        if (c.set)
            c.set(page);
        page->findChild<QPushButton *>(c.button)->click();
        EXPECT_EQ(usb.sentHex(), QStringList{c.frame}) << c.button;
        EXPECT_TRUE(errors.isEmpty()) << c.button << errors.join('\n').toStdString();
    }
    // The device address comes from setadd, and setting the reader's address leaves it alone.
    form->selectDeviceAddress(10);
    usb.sent.clear();
    usb.reply("AA 0A 01 00 01 BB");
    page->addressEdit->setText("05");
    page->setAddressButton->click();
    EXPECT_EQ(usb.lastSentHex(), "AA 0A 02 80 05 8D BB");
    EXPECT_EQ(form->serialPage->addressList->currentText(), "0a");
}

// A field that is not its number of bytes would make a frame the reader misreads (an unpaired
// digit shifts every later byte, a missing byte takes the next field's place): it is refused
// with a message before anything is sent.
TEST_F(System, FieldsThatAreNotTheirBytesAreRefusedBeforeSending)
{
    const struct {
        const char *button;
        std::function<void(SystemPage *)> set;
        const char *message;
    } cases[] = {
        {"Button11", [](SystemPage *p) { p->addressEdit->setText("1"); },
         "The new address must be 1 byte of hexadecimal digits, two per byte, not '1'."},
        {"Button11", [](SystemPage *p) { p->addressEdit->setText("xyz"); },
         "The new address must be 1 byte of hexadecimal digits, two per byte, not 'xyz'."},
        {"Button13", [](SystemPage *p) { p->serialNumberEdit->setText("FF FF F"); },
         "The serial number must be 8 bytes of hexadecimal digits, two per byte, not 'FF FF F'."},
        {"Button13", [](SystemPage *p) { p->serialNumberEdit->setText("01 02 03"); },
         "The serial number must be 8 bytes of hexadecimal digits, two per byte, not '01 02 03'."},
        {"Button13", [](SystemPage *p) { p->serialNumberEdit->setText("0102030405060708090A"); },
         "The serial number must be 8 bytes of hexadecimal digits, two per byte, not '0102030405060708090A'."},
        {"Button20", [](SystemPage *p) { p->ledPeriodEdit->setText("6"); },
         "The led period must be 1 byte of hexadecimal digits, two per byte, not '6'."},
        {"Button23", [](SystemPage *p) { p->ledRCountEdit->setText("003"); },
         "The led-R count must be 1 byte of hexadecimal digits, two per byte, not '003'."},
        {"Button23", [](SystemPage *p) { p->ledRCountEdit->setText(""); },
         "The led-R count must be 1 byte of hexadecimal digits, two per byte, not ''."},
        {"Button21", [](SystemPage *p) { p->buzzerCountEdit->setText("3"); },
         "The buzzer count must be 1 byte of hexadecimal digits, two per byte, not '3'."},
        {"Button12", [](SystemPage *p) { p->baudRateList->setEditText("4800"); },
         "The baud rate must be one of 9600, 19200, 38400, 57600, 115200, not '4800'."},
        {"Button12", [](SystemPage *p) { p->baudRateList->setEditText(" 9600"); },
         "The baud rate must be one of 9600, 19200, 38400, 57600, 115200, not ' 9600'."},
    };
    for (const auto &c : cases) {
        reset();
        form = std::make_unique<TForm1>(usb);
        buildPages(*form);
        page = form->systemPage;
        c.set(page);
        page->findChild<QPushButton *>(c.button)->click();
        ASSERT_EQ(errors.size(), 1) << c.button;
        EXPECT_EQ(errors[0], QString::fromUtf8(c.message));
        EXPECT_TRUE(usb.sent.isEmpty()) << c.button;
        EXPECT_TRUE(log().isEmpty()) << c.button;
    }
}

TEST_F(System, OutcomeLinesOfEveryCommand)
{
    const QString wide = QString::fromUtf8("Data error，no data recevice..   ");
    const QString hf = QString::fromUtf8("通讯错误，没有接收到数据..   ");
    const QString damaged = QString::fromUtf8("数据丢包，流水校验出错   ");
    const struct {
        const char *button;
        QString success, failure, noData;
    } rows[] = {
        {"Button4", "", QString::fromUtf8("操作失败        "), wide},
        {"Button11", QString::fromUtf8("读写器地址设置成功   "), QString::fromUtf8("读写器地址设置失败   "), wide},
        {"Button12", QString::fromUtf8("波特率设置成功   "), QString::fromUtf8("波特率设置失败   "), wide},
        {"Button14", "", QString::fromUtf8("读序列号失败   "), hf},
        {"Button13", QString::fromUtf8("机器序列号设置成功   "), QString::fromUtf8("机器序列号设置失败   "), hf},
        {"Button20", QString::fromUtf8("设置LED操作成功   "), QString::fromUtf8("设置LED操作失败   "), hf},
        {"Button23", QString::fromUtf8("设置LED-R操作成功   "), QString::fromUtf8("设置LED-R操作失败   "), hf},
        {"Button21", QString::fromUtf8("设置BUZ操作成功   "), QString::fromUtf8("设置BUZ操作失败   "), hf},
    };
    const QString full = "AA 00 0A 00 1F 20 24 00 00 00 00 00 01 00 BB";
    for (const auto &r : rows) {
        QStringList success = {r.success + kTime, ""};
        if (QLatin1String(r.button) == QLatin1String("Button4"))
            success = {QString::fromUtf8("系统地址为 : 1F   ") + kTime, ""};
        if (QLatin1String(r.button) == QLatin1String("Button14"))
            success = {QString::fromUtf8("读序列号成功   ") + kTime, QString::fromUtf8("地址为：1F"),
                       QString::fromUtf8("序列号为：2024000000000001"), ""};
        const struct {
            QString reply;
            QStringList lines;
        } outcomes[] = {
            {full, success},
            {"AA 00 02 01 83 80 BB", {r.failure + kTime, QString::fromUtf8("卡不存在...."), ""}},
            {"AA 00 02 01 77 80 BB", {r.failure + kTime, "", ""}},
            {"", {r.noData + kTime, ""}},
            {"AA 00 02 02 00 00 BB", {damaged + kTime, ""}},
            {"AA 00", {damaged + kTime, ""}},
        };
        for (const auto &o : outcomes) {
            reset();
            if (!o.reply.isEmpty())
                usb.reply(o.reply);
            page->findChild<QPushButton *>(r.button)->click();
            EXPECT_EQ(log(), o.lines) << r.button << " " << o.reply.toStdString();
        }
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(System, ShortSuccessRepliesGiveShortFields)
{
    const struct {
        const char *button;
        const char *reply;
        QStringList lines;
    } cases[] = {
        {"Button4", "AA 00 01 00 BB", {QString::fromUtf8("系统地址为 : BB   ") + kTime, ""}},
        {"Button4", "AA 00 00 00", {QString::fromUtf8("系统地址为 :    ") + kTime, ""}},
        {"Button14",
         "AA 00 04 00 05 12 34 BB",
         {QString::fromUtf8("读序列号成功   ") + kTime, QString::fromUtf8("地址为：05"),
          QString::fromUtf8("序列号为：1234BB"), ""}},
        {"Button14",
         "AA 00 00 00",
         {QString::fromUtf8("读序列号成功   ") + kTime, QString::fromUtf8("地址为："), QString::fromUtf8("序列号为："),
          ""}},
    };
    for (const auto &c : cases) {
        reset();
        usb.reply(c.reply);
        page->findChild<QPushButton *>(c.button)->click();
        EXPECT_EQ(log(), c.lines) << c.button << " " << c.reply;
    }
}

TEST_F(System, ModeSwitchesLeaveNoLineButTheEcho)
{
    for (const char *button : {"Button52", "Button53"}) {
        for (const char *reply : {"AA 00 01 00 01 BB", "AA 00 02 01 83 80 BB", ""}) {
            reset();
            form->serialPage->options->readWriteRadio->setChecked(true);
            if (*reply)
                usb.reply(reply);
            WaitLog waited;
            page->findChild<QPushButton *>(button)->click();
            EXPECT_TRUE(log().isEmpty()) << button << reply;
            for (const waits::Record &w : waited.records)
                EXPECT_NE(w.end, waits::End::Time) << button << reply << ": no wait for the answer";
        }
        reset();
        form->serialPage->options->echoRadio->setChecked(true);
        usb.reply("AA 00 01 00 01 BB");
        page->findChild<QPushButton *>(button)->click();
        EXPECT_EQ(log(), QStringList{"Receive...AA00010001BB"});
    }
}

TEST_F(System, WaitFieldStaysANonNegativeNumber)
{
    const struct {
        const char *typed, *kept;
    } cases[] = {
        {"", "100"},    {"0", "0"},     {"-5", "100"}, {"abc", "100"}, {"250", "250"}, {"99999999999", "100"},
        {"1.5", "100"}, {" 42", " 42"},
    };
    for (const auto &c : cases) {
        page->pauseEdit->setText("7");
        page->pauseEdit->setText(c.typed);
        EXPECT_EQ(page->pauseEdit->text(), c.kept) << c.typed;
        EXPECT_EQ(form->link().settings().hfPauseMs, QString(c.kept).trimmed().toInt()) << c.typed;
    }
    // Typing counts too, and so does clearing the field.
    page->pauseEdit->setText("12");
    page->pauseEdit->selectAll();
    page->pauseEdit->del();
    EXPECT_EQ(page->pauseEdit->text(), "100");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(System, CardPagesDeclareRepeatBoxesThatPauseByEdit22)
{
    QWidget holder(form.get());
    QStringList order;
    // The user unticks a box while its loop waits after the pass that logged the last entry.
    const auto untickAfter = [&](QCheckBox *box, qsizetype entries) {
        if (order.size() == entries)
            QTimer::singleShot(0, box, [box] { box->setChecked(false); });
    };
    QCheckBox *box = repeatBox(
        RepeatBoxId::S50WriteRead, *form, [&] { order << "write"; }, &holder,
        [&] {
            order << "read";
            untickAfter(box, 4);
        });
    EXPECT_EQ(box->objectName(), "CheckBox12");
    EXPECT_EQ(box->text(), "CheckBox12");
    QCheckBox *read = repeatBox(
        RepeatBoxId::S50Read, *form,
        [&] {
            order << "read2";
            untickAfter(read, 2);
        },
        &holder);
    EXPECT_EQ(read->text(), QString::fromUtf8("连续读      "));

    page->pauseEdit->setText("40");
    // CheckBox12 is past the boxes a tab change unticks: the user ends it.
    WaitLog waited;
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(order, (QStringList{"write", "read", "write", "read"}));
    // Each pass: write, 50 ms, read, 50 ms.
    EXPECT_EQ(waited.take(), WaitLog::List(4, {50, waits::End::Time}));

    // The pause is the link's setting, which Edit22 keeps: a pass of CheckBox2 (no extra
    // time) lasts the pause alone.
    order.clear();
    page->pauseEdit->setText("120");
    ASSERT_EQ(form->link().settings().hfPauseMs, 120);
    read->click();
    EXPECT_EQ(order, (QStringList{"read2", "read2"}));
    EXPECT_EQ(waited.take(), WaitLog::List(2, {120, waits::End::Time}));
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
