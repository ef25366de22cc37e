#include "base/clock.h"
#include "base/hex.h"
#include "hf/typebpage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QString kStamp = QStringLiteral("01:07:09 PM");
const QString kAtqb = QStringLiteral("5041300A1000000000008171");

struct TypeB : WindowTest {
    TypeBPage *page = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->typeBPage;
    }
    void clear()
    {
        form->logPane->clear();
        usb.sent.clear();
        usb.queued.clear();
    }
};

TEST_F(TypeB, ControlsAndTheTwoButtonsThatNeverWork)
{
    const struct {
        QAbstractButton *b;
        const char *name, *caption;
    } captions[] = {
        {page->requestButton, "Button31", "卡请求"},       {page->requestRepeatBox, "CheckBox11", "连续读      "},
        {page->anticollisionButton, "Button32", "防冲突"}, {page->attribButton, "Button33", "Attrib"},
        {page->resetButton, "Button34", "复位卡"},         {page->sendDataButton, "Button36", "发送数据"},
        {page->idNumberButton, "Button19", "读取"},        {page->idNumberRepeatBox, "CheckBox13", "连续读      "},
        {page->fileIdButton, "Button22", "读取"},          {page->fileIdRepeatBox, "CheckBox14", "连续读      "}};
    for (const auto &c : captions) {
        EXPECT_EQ(c.b->objectName(), c.name);
        EXPECT_EQ(c.b->text(), QString::fromUtf8(c.caption)) << c.name;
    }
    EXPECT_EQ(page->cardIdEdit->text(), "41 30 0A 10");
    EXPECT_EQ(page->dataEdit->text(), "05 00 00");
    // Neither a click nor a tab change nor any other handler makes them usable.
    usb.responder = [](const QByteArray &) { return hex::toBytes("AA 00 01 00 01 BB"); };
    for (QPushButton *b :
         {page->requestButton, page->attribButton, page->sendDataButton, page->idNumberButton, page->fileIdButton})
        b->click();
    form->pageControl->setCurrentIndex(4);
    usb.sent.clear();
    for (QPushButton *b : {page->anticollisionButton, page->resetButton}) {
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        b->click();
    }
    EXPECT_TRUE(usb.sent.isEmpty());
    usb.responder = {};
}

TEST_F(TypeB, Frames)
{
    struct Case {
        const char *what;
        QPushButton *button;
        const char *edit76, *edit77;
        int address; // setadd item
        QString frame;
    } cases[] = {
        {"card request", page->requestButton, "", "", 0, "AA 00 01 09 08 BB"},
        {"read ID number", page->idNumberButton, "", "", 0, "AA 00 01 26 27 BB"},
        {"read file ID", page->fileIdButton, "", "", 0, "AA 00 01 27 26 BB"},
        {"Attrib with the default identifier", page->attribButton, "41 30 0A 10", "", 0,
         "AA 00 05 0B 41 30 0A 10 65 BB"},
        {"send data, address 00", page->sendDataButton, "", "05 00 00", 0, "AA 00 05 0D 03 05 00 00 0E BB"},
        {"send data, address 0a", page->sendDataButton, "", "05 00 00", 10, "AA 0A 05 0D 03 05 00 00 04 BB"},
        {"send data, address 20", page->sendDataButton, "", "05 00 00", 32, "AA 20 05 0D 03 05 00 00 2E BB"},
        {"send data, nothing typed", page->sendDataButton, "", "", 0, "AA 00 02 0D 00 0F BB"},
        {"send data, blanks and lower case", page->sendDataButton, "", "0a-0b", 0, "AA 00 04 0D 02 0A 0B 0A BB"},
    };
    for (const Case &c : cases) {
        clear();
        page->cardIdEdit->setText(QString::fromLatin1(c.edit76));
        page->dataEdit->setText(QString::fromLatin1(c.edit77));
        form->selectDeviceAddress(c.address);
        usb.reply("AA 00 01 00 01 BB");
        c.button->click();
        EXPECT_EQ(usb.lastSentHex(), c.frame) << c.what;
    }
}

// An identifier or data that is not whole bytes would shift the frame: refused, nothing sent.
TEST_F(TypeB, FieldsThatAreNotWholeBytesAreRefusedBeforeSending)
{
    const struct {
        QPushButton *button;
        const char *edit76, *edit77, *message;
    } cases[] = {
        {page->attribButton, "", "", "The card ID must be 1 to 248 bytes of hexadecimal digits, two per byte, not ''."},
        {page->attribButton, "41 30 0A 1", "",
         "The card ID must be 1 to 248 bytes of hexadecimal digits, two per byte, not '41 30 0A 1'."},
        {page->sendDataButton, "", "05 00 0",
         "The data must be at most 248 bytes of hexadecimal digits, two per byte, not '05 00 0'."},
        {page->sendDataButton, "", "05 0G",
         "The data must be at most 248 bytes of hexadecimal digits, two per byte, not '05 0G'."},
    };
    for (const auto &c : cases) {
        clear();
        errors.clear();
        page->cardIdEdit->setText(QString::fromLatin1(c.edit76));
        page->dataEdit->setText(QString::fromLatin1(c.edit77));
        c.button->click();
        ASSERT_EQ(errors.size(), 1) << c.message;
        EXPECT_EQ(errors[0], QString::fromLatin1(c.message));
        EXPECT_TRUE(usb.sent.isEmpty());
        EXPECT_TRUE(log().isEmpty());
    }
}

TEST_F(TypeB, ReplyCheckedLines)
{
    const QString noData = "通讯错误，没有接收到数据..   " + kStamp;
    const QString lost = "数据丢包，流水校验出错   " + kStamp;
    struct Case {
        const char *what;
        QPushButton *button;
        QString reply;
        QStringList lines;
    } cases[] = {
        {"request",
         page->requestButton,
         replyFrame("00", "0C" + kAtqb),
         {"操作成功   " + kStamp, "", "卡片复位数据的长度为:0C", "返回操作后的数据为:" + kAtqb, ""}},
        {"request, nothing after the length",
         page->requestButton,
         "AA 00 01 00",
         {"操作成功   " + kStamp, "", "卡片复位数据的长度为:", "返回操作后的数据为:", ""}},
        {"request fails", page->requestButton, "AA 00 02 01 83 80 BB", {"操作失败   " + kStamp, "卡不存在....", ""}},
        {"request damaged", page->requestButton, "AA 00 02 05 83 80 BB", {lost, ""}},
        {"attrib", page->attribButton, replyFrame("00", ""), {"操作成功、复位成功   " + kStamp, ""}},
        {"attrib fails",
         page->attribButton,
         "AA 00 02 01 8F 80 BB",
         {"操作失败   " + kStamp, "读写设备接收到了未定义的命令.....", ""}},
        {"ID number",
         page->idNumberButton,
         replyFrame("00", "08 0102030405060708"),
         {"操作成功   " + kStamp, "返回卡号为:0102030405060708", ""}},
        {"file ID",
         page->fileIdButton,
         replyFrame("00", "08 1122334455667788 99"),
         {"操作成功   " + kStamp, "返回卡号为:1122334455667788", ""}},
        {"ID number from a short reply",
         page->idNumberButton,
         "AA 00 05 00 08 01 02 03 0F BB",
         {"操作成功   " + kStamp, "返回卡号为:0102030FBB", ""}},
        {"ID number fails",
         page->idNumberButton,
         "AA 00 02 01 83 80 BB",
         {"读卡号操作失败   " + kStamp, "卡不存在....", ""}},
        {"file ID fails, unknown code",
         page->fileIdButton,
         "AA 00 02 01 42 80 BB",
         {"读卡号操作失败   " + kStamp, "", ""}},
        {"file ID damaged", page->fileIdButton, "AA 00", {lost, ""}},
    };
    for (const Case &c : cases) {
        clear();
        usb.reply(c.reply);
        c.button->click();
        EXPECT_EQ(log(), c.lines) << c.what;
    }
    // Without a reply each waits its own time, then says so.
    usb.responder = [](const QByteArray &) { return QByteArray(); };
    const struct {
        QPushButton *button;
        int waitMs;
    } waits[] = {{page->requestButton, 500}, {page->attribButton, 500}, {page->idNumberButton, 1000}};
    for (const auto &w : waits) {
        clear();
        QElapsedTimer t;
        t.start();
        w.button->click();
        EXPECT_GE(t.elapsed(), w.waitMs - 5) << w.button->objectName().toStdString();
        EXPECT_EQ(log(), QStringList({noData, ""})) << w.button->objectName().toStdString();
    }
    usb.responder = {};
}

TEST_F(TypeB, SendDataLinesAndItsOwnStatusTable)
{
    const QString failed = "操作失败   " + kStamp;
    struct Case {
        const char *what;
        QString reply;
        QStringList lines;
    } cases[] = {
        {"success shows everything up to the check byte",
         replyFrame("00", kAtqb),
         {"操作成功   " + kStamp, "操作后的数据串为：" + kAtqb, ""}},
        {"success, no data", replyFrame("00", ""), {"操作成功   " + kStamp, "操作后的数据串为：", ""}},
        {"listed code", "AA 00 02 01 83 80 BB", {failed, "卡不存在....", ""}},
        {"80 is its own text", "AA 00 02 01 80 80 BB", {failed, "参数设置成功.....", ""}},
        {"8F in English", "AA 00 02 01 8F 80 BB", {failed, "Reader received unknown command....", ""}},
        {"96", "AA 00 02 01 96 80 BB", {failed, "写操作不成功....", ""}},
        {"10 is not listed here", "AA 00 02 01 10 80 BB", {failed}},
        {"unlisted code", "AA 00 02 01 01 80 BB", {failed}},
        {"another status is a failure too", "AA 00 02 02 85 80 BB", {failed, "输入参数或者输入命令格式错误....", ""}},
        {"a reply without a code", "AA 00 01 01", {failed}},
    };
    for (const Case &c : cases) {
        clear();
        usb.reply(c.reply);
        page->sendDataButton->click();
        EXPECT_EQ(log(), c.lines) << c.what;
    }
    EXPECT_EQ(TypeBPage::sendDataStatus("8a"), "") << "codes are compared exactly";
    EXPECT_EQ(TypeBPage::sendDataStatus("8A"), "在块初始化中出现错误...\r\n");

    usb.responder = [](const QByteArray &) { return QByteArray(); };
    clear();
    QElapsedTimer t;
    t.start();
    page->sendDataButton->click();
    EXPECT_GE(t.elapsed(), 600 - 5);
    EXPECT_EQ(log(), QStringList({failed, "无数据接收..", ""}));
    usb.responder = {};
    usb.connected = false;
    clear();
    page->sendDataButton->click();
    EXPECT_EQ(log(), QStringList({"data error,please check Device Connection...", failed, "无数据接收..", ""}));
}

TEST_F(TypeB, SendDataTooLongForOneFrameIsNotSent)
{
    // More than one frame holds: refused with the limit, nothing sent, no reader lines.
    page->dataEdit->setText(QStringLiteral("00 ").repeated(249));
    page->sendDataButton->click();
    EXPECT_TRUE(usb.sent.isEmpty());
    EXPECT_TRUE(log().isEmpty());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "The data must be at most 248 bytes of hexadecimal digits, two per byte, not '" +
                             QStringLiteral("00 ").repeated(249) + "'.");
    errors.clear();
    clear();
    page->dataEdit->setText(QStringLiteral("00 ").repeated(248));
    usb.reply("AA 00 01 00 01 BB");
    page->sendDataButton->click();
    ASSERT_EQ(usb.sent.size(), 1);
    EXPECT_EQ(usb.sent[0].size(), 255);
    EXPECT_EQ(uint8_t(usb.sent[0][2]), 250);
    EXPECT_EQ(uint8_t(usb.sent[0][4]), 248);
}

TEST_F(TypeB, RepeatBoxesPressTheirButtonAndPause)
{
    struct Case {
        QCheckBox *box;
        uint8_t command;
        bool replyAware;
    } cases[] = {{page->requestRepeatBox, 0x09, true},
                 {page->idNumberRepeatBox, 0x26, false},
                 {page->fileIdRepeatBox, 0x27, false}};
    const int pause = 300;
    find<QLineEdit>("Edit22")->setText(QString::number(pause));
    for (const Case &c : cases) {
        clear();
        QList<qint64> at;
        bool same = true;
        WaitLog waited;
        QElapsedTimer t;
        t.start();
        usb.responder = [&](const QByteArray &frame) {
            at << t.elapsed();
            same = same && frame.size() > 3 && uint8_t(frame[3]) == c.command;
            if (at.size() == 3)
                c.box->setChecked(false);
            return hex::toBytes("AA 00 01 00 01 BB");
        };
        c.box->click();
        ASSERT_EQ(at.size(), 3) << c.box->objectName().toStdString();
        EXPECT_TRUE(same) << c.box->objectName().toStdString();
        if (c.replyAware) {
            EXPECT_EQ(waited.of(pause + 10), WaitLog::List(3, {pause + 10, waits::End::Condition}))
                << "a held reply ends the pause at once";
        } else {
            for (int i = 1; i < at.size(); ++i)
                EXPECT_GE(at[i] - at[i - 1], pause - 2)
                    << c.box->objectName().toStdString() << " waits the whole pause";
        }
    }
    // Without a reply the card request waits its own 500 ms, then Edit22 + 10.
    find<QLineEdit>("Edit22")->setText("40");
    QList<qint64> at;
    QElapsedTimer t;
    t.start();
    usb.responder = [&](const QByteArray &) {
        at << t.elapsed();
        if (at.size() == 2)
            page->requestRepeatBox->setChecked(false);
        return QByteArray();
    };
    page->requestRepeatBox->click();
    ASSERT_EQ(at.size(), 2);
    EXPECT_GE(at[1] - at[0], 500 + 40 + 10 - 2);
    usb.responder = {};
}

TEST_F(TypeB, TabChangeEndsTheCardRequestLoopOnly)
{
    find<QLineEdit>("Edit22")->setText("20");
    usb.responder = [](const QByteArray &) { return hex::toBytes("AA 00 01 00 01 BB"); };
    struct Case {
        QCheckBox *box;
        bool endsOnTabChange;
    } cases[] = {{page->requestRepeatBox, true}, {page->idNumberRepeatBox, false}, {page->fileIdRepeatBox, false}};
    for (const Case &c : cases) {
        usb.sent.clear();
        bool tickedAfterChange = false;
        qsizetype sentAtChange = 0;
        QTimer::singleShot(80, form.get(), [&] {
            form->pageControl->setCurrentIndex(form->pageControl->currentIndex() == 0 ? 6 : 0);
            tickedAfterChange = c.box->isChecked();
            sentAtChange = usb.sent.size();
        });
        QTimer::singleShot(400, c.box, [box = c.box] { box->setChecked(false); });
        c.box->click();
        const QString name = c.box->objectName();
        EXPECT_EQ(tickedAfterChange, !c.endsOnTabChange) << name.toStdString();
        if (!c.endsOnTabChange) {
            EXPECT_GT(usb.sent.size(), sentAtChange + 1) << name.toStdString() << " goes on after the tab change";
        }
        EXPECT_FALSE(c.box->isChecked());
    }
    usb.responder = {};
}

// Every handler against every reply length: lines only ever hold pieces of the reply.
TEST_F(TypeB, EveryReplyLengthGivesPiecesOfTheReply)
{
    QPushButton *buttons[] = {page->requestButton, page->attribButton, page->sendDataButton, page->idNumberButton,
                              page->fileIdButton};
    for (int length = 0; length <= 40; ++length) {
        for (const char *status : {"00", "01"}) {
            if (length < 4 && status[1] == '1')
                continue; // no status byte: one pass is enough
            const QByteArray bytes = sweepReply(length, status);
            const QString reply = hex::fromBytes(bytes);
            for (QPushButton *b : buttons) {
                clear();
                usb.responder = [&](const QByteArray &) { return bytes; };
                b->click();
                for (const QString &line : log()) {
                    const qsizetype colon = qMax(line.lastIndexOf(QChar(0xFF1A)), line.lastIndexOf(QLatin1Char(':')));
                    if (line.endsWith(kStamp) || colon < 0)
                        continue;
                    const QString piece = line.mid(colon + 1);
                    EXPECT_TRUE(reply.contains(piece))
                        << b->objectName().toStdString() << " length " << length << ": " << line.toStdString();
                }
            }
        }
    }
    usb.responder = {};
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
