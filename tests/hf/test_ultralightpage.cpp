#include "base/clock.h"
#include "hf/systempage.h"
#include "hf/ultralightpage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "protocol/errorcodes.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <vector>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");

struct Ultralight : WindowTest {
    UltralightPage *page = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->ultralightPage;
    }
    QAbstractButton *button(const char *name) const { return form->findChild<QAbstractButton *>(name); }
    void clearAll()
    {
        form->logPane->clear();
        usb.sent.clear();
        usb.queued.clear();
    }
};

TEST_F(Ultralight, PageListsHoldDecimalPageNumbers)
{
    for (QListWidget *list : {page->readPageList, page->writePageList}) {
        ASSERT_EQ(list->count(), 16);
        EXPECT_EQ(list->item(9)->text(), "09");
        EXPECT_EQ(list->item(15)->text(), "15");
    }
    EXPECT_EQ(page->readPageList->selectedItems().value(0)->text(), "00");
    EXPECT_EQ(page->writePageList->selectedItems().value(0)->text(), "04");
}

TEST_F(Ultralight, FramesFromTheControls)
{
    struct Case {
        const char *what;
        const char *all; // request "All" to select, or nullptr
        int readRow, writeRow;
        const char *data; // Edit56, or nullptr for the default
        const char *button;
        const char *frame;
    } cases[] = {
        {"serial number, Idle", nullptr, 0, 4, nullptr, "Button55", "AA 00 02 E3 00 E1 BB"},
        {"serial number, All", "Ula", 0, 4, nullptr, "Button55", "AA 00 02 E3 01 E0 BB"},
        {"halt", nullptr, 0, 4, nullptr, "Button17", "AA 00 01 06 07 BB"},
        {"read, start-up selection", nullptr, 0, 4, nullptr, "Button18", "AA 00 03 E0 00 00 E3 BB"},
        {"read, page 12 (decimal) with All", "Ulaa", 12, 4, nullptr, "Button18", "AA 00 03 E0 01 0C EE BB"},
        {"read, page 15", nullptr, 15, 4, nullptr, "Button18", "AA 00 03 E0 00 0F EC BB"},
        {"write, start-up selection", nullptr, 0, 4, nullptr, "Button54", "AA 00 08 E1 00 01 04 00 00 00 00 EC BB"},
        {"write, page 15, All, own data", "Ulaaa", 0, 15, "11 22 33 44", "Button54",
         "AA 00 08 E1 01 01 0F 11 22 33 44 A2 BB"},
    };
    for (const Case &c : cases) {
        SetUp();
        if (c.all)
            form->findChild<QRadioButton *>(c.all)->setChecked(true);
        page->readPageList->setCurrentRow(c.readRow);
        page->writePageList->setCurrentRow(c.writeRow);
        if (c.data)
            page->pageDataEdit->setText(c.data);
        usb.reply("AA 00 01 00 01 BB");
        button(c.button)->click();
        EXPECT_EQ(usb.lastSentHex(), c.frame) << c.what;
        TearDown();
    }
}

// A page is four bytes: three, five or an unpaired digit would write a frame the reader
// misreads. Refused with a message, nothing sent.
TEST_F(Ultralight, PageDataMustBeFourBytes)
{
    for (const char *data : {"11 22 33", "1122334", "11 22 33 44 55", ""}) {
        SetUp();
        page->pageDataEdit->setText(data);
        button("Button54")->click();
        ASSERT_EQ(errors.size(), 1) << data;
        EXPECT_EQ(errors[0], "The page data must be 4 bytes of hexadecimal digits, two per byte, not '" +
                                 QString::fromLatin1(data) + "'.");
        EXPECT_TRUE(usb.sent.isEmpty()) << data;
        TearDown();
        errors.clear();
    }
}

TEST_F(Ultralight, PageListKeepsItsSelection)
{
    page->readPageList->setCurrentRow(7);
    page->readPageList->clearSelection(); // what a Ctrl+click on the selected item does
    ASSERT_EQ(page->readPageList->selectedItems().size(), 1);
    usb.reply("AA 00 01 00 01 BB");
    page->readButton->click();
    EXPECT_EQ(usb.lastSentHex(), "AA 00 03 E0 00 07 E4 BB");
}

TEST_F(Ultralight, ResultLines)
{
    const QString pages = QStringLiteral("11223344000000000000000000000000");
    const QString serial = QStringLiteral("04A1B2C3D4E5F6");
    struct Case {
        const char *button;
        QString reply;
        QStringList lines;
    } cases[] = {
        {"Button55", "AA 00 08 00" + serial + "00 BB", {"读卡号 操作成功   " + kTime, "卡号为:" + serial, ""}},
        {"Button55", "AA 00 05 00 04A1B2C3 00 BB", {"读卡号 操作成功   " + kTime, "卡号为:04A1B2C300BB", ""}},
        {"Button55", "AA 00 02 01 83 80 BB", {"读卡ID号操作失败   " + kTime, falsereason("83"), ""}},
        {"Button55", "", {"通讯错误，没有接收到数据..   " + kTime, ""}},
        {"Button55", "AA 00 01 09 08 BB", {"数据丢包，流水校验出错   " + kTime, ""}},
        {"Button17", "AA 00 01 00 01 BB", {"HALT操作成功   " + kTime, ""}},
        {"Button17", "AA 00 02 01 83 80 BB", {"HALT操作失败   " + kTime, falsereason("83"), ""}},
        {"Button18",
         "AA 00 18 00" + pages + serial + "00 BB",
         {"读卡 操作成功   " + kTime, "读卡返回数据为: " + pages, "卡ID号为:" + serial, ""}},
        {"Button18",
         "AA 00 09 00 11223344 55667788 00 BB",
         {"读卡 操作成功   " + kTime, "读卡返回数据为: 112233445566778800BB", "卡ID号为:", ""}},
        {"Button18", "AA 00 02 01 93 92 BB", {"读卡失败   " + kTime, falsereason("93"), ""}},
        {"Button18", "", {"通讯错误，没有接收到数据..   " + kTime, ""}},
        {"Button54", "AA 00 08 00" + serial + "00 BB", {"写卡操作成功   " + kTime, "卡号为:" + serial, ""}},
        {"Button54", "AA 00 02 01 94 97 BB", {"写卡操作失败   " + kTime, falsereason("94"), ""}},
        {"Button54", "AA 00 01 FF FE BB", {"数据丢包，流水校验出错   " + kTime, ""}},
    };
    for (const Case &c : cases) {
        clearAll();
        if (!c.reply.isEmpty())
            usb.reply(c.reply);
        button(c.button)->click();
        EXPECT_EQ(log(), c.lines) << c.button << " " << c.reply.toStdString();
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Ultralight, RepeatBoxesPressTheirButtonsPauseAndEndOnTabChange)
{
    // Reply-aware pauses end at once while a reply is held; when the reader is silent they
    // run after the command's own wait. The plain pause always runs P + 100.
    const struct {
        const char *box;
        const char *code;
        int pauseMs;
        bool answer;
        int atLeastMs;
        int pauseEndedByReplyMs; // the pause and extra time a held reply ends at once (0: none)
    } cases[] = {
        {"CheckBox8", "E3", 400, true, 0, 400 + 10},   {"CheckBox8", "E3", 0, false, 300 + 10, 0},
        {"CheckBox9", "E0", 400, true, 0, 400 + 50},   {"CheckBox9", "E0", 0, false, 800 + 50, 0},
        {"CheckBox10", "E1", 300, true, 300 + 100, 0},
    };
    for (const auto &c : cases) {
        auto *box = form->findChild<QCheckBox *>(c.box);
        form->systemPage->pauseEdit->setText(QString::number(c.pauseMs));
        usb.sent.clear();
        usb.responder = [&](const QByteArray &) {
            box->setChecked(false);
            return c.answer ? QByteArray::fromHex("AA00010001BB") : QByteArray();
        };
        WaitLog waited;
        QElapsedTimer clock;
        clock.start();
        box->click();
        const qint64 ms = clock.elapsed();
        ASSERT_EQ(usb.sent.size(), 1) << c.box;
        EXPECT_EQ(usb.sent[0].mid(3, 1).toHex().toUpper(), QByteArray(c.code)) << c.box;
        EXPECT_GE(ms + 1, c.atLeastMs) << c.box;
        if (c.pauseEndedByReplyMs) {
            EXPECT_EQ(waited.of(c.pauseEndedByReplyMs),
                      (QList<waits::Record>{{c.pauseEndedByReplyMs, waits::End::Condition}}))
                << c.box;
        }
    }

    form->systemPage->pauseEdit->setText("0");
    for (const char *name : {"CheckBox8", "CheckBox9", "CheckBox10"}) {
        auto *box = form->findChild<QCheckBox *>(name);
        int frames = 0;
        usb.responder = [&](const QByteArray &) {
            if (++frames == 1)
                form->PageControl1Change();
            else
                box->setChecked(false);
            return QByteArray::fromHex("AA00010001BB");
        };
        box->click();
        EXPECT_EQ(frames, 1) << name << " ends with the tab change";
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Ultralight, EveryReplyLengthGivesPiecesOfTheReply)
{
    const QStringList labels = {"卡号为:", "读卡返回数据为: ", "卡ID号为:"};
    for (int n = 0; n <= 40; ++n) {
        for (const char *status : n > 3 ? std::vector<const char *>{"00", "01"} : std::vector<const char *>{"00"}) {
            const QByteArray bytes = sweepReply(n, status);
            const QString replyHex = QString::fromLatin1(bytes.toHex().toUpper());
            for (const char *b : {"Button55", "Button17", "Button18", "Button54"}) {
                clearAll();
                usb.responder = [&](const QByteArray &) { return bytes; };
                button(b)->click();
                const QStringList lines = log();
                ASSERT_FALSE(lines.isEmpty()) << b << n;
                for (const QString &line : lines)
                    for (const QString &label : labels)
                        if (line.startsWith(label)) {
                            const QString field = line.mid(label.size());
                            EXPECT_TRUE(field.isEmpty() || isPieceOf(field, replyHex))
                                << b << " n=" << n << " " << line.toStdString();
                        }
            }
        }
    }
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
