#include "base/clock.h"
#include "hf/s50page.h"
#include "hf/systempage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/replycheck.h"
#include "protocol/errorcodes.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/serialpage.h"
#include "ui/tform1.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");
const QString kFF6 = QStringLiteral("FF FF FF FF FF FF");

struct S50 : WindowTest {
    S50Page *page = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->s50Page;
    }
    template <class W> W *find(const QString &name) const { return form->findChild<W *>(name); }
    QAbstractButton *button(const QString &name) const { return find<QAbstractButton>(name); }
    void clearAll()
    {
        form->logPane->clear();
        usb.sent.clear();
        usb.queued.clear();
    }
    // Types text into a line edit or an editable drop-down.
    void type(const QString &name, const QString &text)
    {
        if (auto *e = find<QLineEdit>(name))
            e->setText(text);
        else
            find<QComboBox>(name)->setCurrentText(text);
    }
};

TEST_F(S50, DropDownLists)
{
    for (QComboBox *start : {page->readStartList, page->writeStartList}) {
        ASSERT_EQ(start->count(), 64);
        EXPECT_EQ(start->itemText(10), "0a");
        EXPECT_EQ(start->itemText(63), "3f");
    }
    for (QComboBox *count : {page->readCountList, page->writeCountList})
        EXPECT_EQ(count->itemText(count->count() - 1), "04");
    for (QComboBox *key : {page->readKeyList, page->writeKeyList})
        EXPECT_EQ((QStringList{key->itemText(0), key->itemText(1), key->itemText(2)}),
                  (QStringList{"3C 71 9E 05 D8 4B", "6A E2 17 C0 59 8F", kFF6}));
    EXPECT_FALSE(page->address11Radio->isChecked() || page->address10Radio->isChecked());
}

TEST_F(S50, FramesFromTheControls)
{
    struct Case {
        const char *what;
        QStringList ticks;                        // radio buttons to select first
        QList<std::pair<QString, QString>> typed; // field, text
        const char *button;
        const char *frame;
    } cases[] = {
        {"read, defaults", {}, {}, "Button8", "AA 00 0A 20 00 04 10 FF FF FF FF FF FF 3E BB"},
        {"read, All and key B", {"reqa", "keyb"}, {}, "Button8", "AA 00 0A 20 03 04 10 FF FF FF FF FF FF 3D BB"},
        {"read, Idle and key B", {"keyb"}, {}, "Button8", "AA 00 0A 20 02 04 10 FF FF FF FF FF FF 3C BB"},
        {"read, All and key A", {"reqa"}, {}, "Button8", "AA 00 0A 20 01 04 10 FF FF FF FF FF FF 3F BB"},
        {"read, count before start, key from the list",
         {},
         {{"ComboBox3", "3f"}, {"ComboBox6", "02"}, {"ComboBox4", "3C 71 9E 05 D8 4B"}},
         "Button8",
         "AA 00 0A 20 00 02 3F 3C 71 9E 05 D8 4B 52 BB"},
        {"write, defaults",
         {},
         {},
         "Button9",
         "AA 00 1A 21 00 01 10 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 2A BB"},
        {"write, All and key B, short data sent as typed",
         {"reqaa", "keybb"},
         {{"Edit3", "01,02 03"}, {"ComboBox7", "05"}},
         "Button9",
         "AA 00 0D 21 03 01 05 FF FF FF FF FF FF 01 02 03 2B BB"},
        {"halt", {}, {}, "Button16", "AA 00 01 06 07 BB"},
        {"card number, defaults", {}, {}, "Button29", "AA 00 03 25 26 00 00 BB"},
        {"card number, All and halt", {"reqa5", "yeshalt"}, {}, "Button29", "AA 00 03 25 52 01 75 BB"},
        {"initialise, defaults", {}, {}, "Button26", "AA 00 0D 22 00 01 FF FF FF FF FF FF 00 88 00 00 A6 BB"},
        {"increment, All", {"reqaaaa"}, {}, "Button10", "AA 00 0D 24 01 01 FF FF FF FF FF FF 00 20 00 00 09 BB"},
        {"decrement, key B", {"keybbbbb"}, {}, "Button15", "AA 00 0D 23 02 01 FF FF FF FF FF FF 00 20 00 00 0D BB"},
        {"initialise, All and key B, own fields",
         {"reqaaa", "keybbb"},
         {{"Edit57", "02"}, {"Edit58", "3C719E05D84B"}, {"Edit59", "01 00 00 00"}},
         "Button26",
         "AA 00 0D 22 03 02 3C 71 9E 05 D8 4B 01 00 00 00 6A BB"},
    };
    for (const Case &c : cases) {
        SetUp();
        for (const QString &t : c.ticks)
            find<QRadioButton>(t)->setChecked(true);
        for (const auto &[field, text] : c.typed)
            type(field, text);
        usb.reply("AA 00 01 00 01 BB");
        button(c.button)->click();
        EXPECT_EQ(usb.lastSentHex(), c.frame) << c.what;
        TearDown();
    }
}

// A field that is not its number of bytes would shift or drop bytes of the frame: refused with
// a message naming it, nothing sent.
TEST_F(S50, FieldsThatAreNotTheirBytesAreRefusedBeforeSending)
{
    const struct {
        const char *field, *text, *button, *message;
    } cases[] = {
        {"ComboBox3", "1", "Button8", "The start block must be 1 byte of hexadecimal digits, two per byte, not '1'."},
        {"ComboBox6", "xy", "Button8", "The block count must be 1 byte of hexadecimal digits, two per byte, not 'xy'."},
        {"ComboBox4", "FF FF FF", "Button8",
         "The key must be 6 bytes of hexadecimal digits, two per byte, not 'FF FF FF'."},
        {"Edit3", "FF F", "Button9",
         "The data to write must be 1 to 64 bytes of hexadecimal digits, two per byte, not 'FF F'."},
        {"ComboBox7", "", "Button9", "The start address must be 1 byte of hexadecimal digits, two per byte, not ''."},
        {"Edit59", "00 88 00", "Button26",
         "The value must be 4 bytes of hexadecimal digits, two per byte, not '00 88 00'."},
        {"Edit1", "1", "Button10", "The sector must be 1 byte of hexadecimal digits, two per byte, not '1'."},
        {"Edit7", "FF FF FF FF FF FF FF", "Button15",
         "The key must be 6 bytes of hexadecimal digits, two per byte, not 'FF FF FF FF FF FF FF'."},
    };
    for (const auto &c : cases) {
        SetUp();
        errors.clear();
        type(c.field, QString::fromLatin1(c.text));
        button(c.button)->click();
        ASSERT_EQ(errors.size(), 1) << c.field;
        EXPECT_EQ(errors[0], QString::fromLatin1(c.message)) << c.field;
        EXPECT_TRUE(usb.sent.isEmpty()) << c.field;
        EXPECT_TRUE(log().isEmpty()) << c.field;
        TearDown();
    }
}

TEST_F(S50, EachRowKeepsItsOwnChoices)
{
    page->readAllRadio->setChecked(true);
    page->readKeyBRadio->setChecked(true);
    EXPECT_TRUE(page->readAllRadio->isChecked() && page->readKeyBRadio->isChecked())
        << "request and key are separate groups";
    for (const char *other : {"reqii", "keyaa", "reql5", "nohalt", "reqiii", "keyaaa"})
        EXPECT_TRUE(find<QRadioButton>(other)->isChecked()) << other;
    page->readIdleRadio->setChecked(true);
    EXPECT_FALSE(page->readAllRadio->isChecked());
    EXPECT_TRUE(page->readKeyBRadio->isChecked());
}

TEST_F(S50, AddressButtonsSwitchEveryLaterFrame)
{
    usb.responder = [](const QByteArray &) { return QByteArray::fromHex("AA00010001BB"); };
    page->address10Radio->click();
    page->haltButton->click();
    page->address11Radio->click();
    page->haltButton->click();
    form->pageControl->setCurrentIndex(6); // another page keeps it
    form->findChild<QPushButton *>("Button17")->click();
    EXPECT_EQ(usb.sentHex(), (QStringList{"AA 10 01 06 17 BB", "AA 11 01 06 16 BB", "AA 11 01 06 16 BB"}));
    EXPECT_EQ(form->serialPage->addressList->currentText(), "11");
    EXPECT_FALSE(page->address10Radio->isChecked());
}

TEST_F(S50, ResultLines)
{
    const QString data = QStringLiteral("00112233445566778899AABBCCDDEEFF");
    struct Case {
        const char *button;
        QString reply; // empty: the reader stays silent
        QStringList lines;
    } cases[] = {
        {"Button8",
         "AA 00 15 00 A1B2C3D4" + data + "5A BB",
         {"操作成功   " + kTime, "卡号为:A1B2C3D4", "卡的数据为:" + data, ""}},
        {"Button8", "AA 00 05 00 A1B2C3D4 00 BB", {"操作成功   " + kTime, "卡号为:A1B2C3D4", "卡的数据为:", ""}},
        {"Button8", "AA 00 02 01 8C 8F BB", {"读卡失败   " + kTime, falsereason("8C"), ""}},
        {"Button8", "AA 00 02 01 77 8F BB", {"读卡失败   " + kTime, "", ""}}, // unlisted code: a line of CR LF only
        {"Button8", "", {"通讯错误，没有接收到数据..   " + kTime, ""}},
        {"Button8", "AA 00 01 02 03 BB", {"数据丢包，流水校验出错   " + kTime, ""}},
        {"Button9", "AA 00 05 00 A1B2C3D4 00 BB", {"操作成功   " + kTime, "卡号为:A1B2C3D4"}},
        {"Button9", "AA 00 02 01 96 95 BB", {"读卡失败   " + kTime, falsereason("96"), ""}},
        {"Button9", "", {"通讯错误，没有接收到数据..   " + kTime, ""}},
        {"Button16", "AA 00 01 00 01 BB", {"HALT操作成功   " + kTime, ""}},
        {"Button16", "AA 00 02 01 83 80 BB", {"HALT操作失败   " + kTime, falsereason("83"), ""}},
        {"Button16", "AA 00 01 07 06 BB", {"数据丢包，流水校验出错   " + kTime, ""}},
        {"Button29",
         "AA 00 06 00 00 A1B2C3D4 00 BB",
         {"操作成功   " + kTime, "", "返回卡号为:A1B2C3D4", QString("检测到的卡的数量为一张卡..\r\n").remove(kCrLf),
          ""}},
        {"Button29",
         "AA 00 06 00 01 A1B2C3D4 00 BB",
         {"操作成功   " + kTime, "", "返回卡号为:A1B2C3D4", QString("检测到的卡的数量为多张卡..\r\n").remove(kCrLf),
          ""}},
        {"Button29", "AA 00 06 00 02 A1B2C3D4 00 BB", {"操作成功   " + kTime, "", "返回卡号为:A1B2C3D4"}},
        {"Button29", "AA 00 02 01 83 80 BB", {"读卡号操作失败   " + kTime, falsereason("83"), ""}},
        {"Button26", "AA 00 05 00 A1B2C3D4 00 BB", {"操作成功   " + kTime, "返回卡ID号为:A1B2C3D4", ""}},
        {"Button26", "AA 00 02 01 8A 89 BB", {"读卡失败   " + kTime, falsereason("8A"), ""}},
        {"Button10",
         "AA 00 09 00 A1B2C3D4 00A80000 00 BB",
         {"操作成功   " + kTime, "返回卡ID号为:A1B2C3D4", "剩余值为为: 00A80000", ""}},
        {"Button15",
         "AA 00 09 00 A1B2C3D4 00080000 00 BB",
         {"操作成功   " + kTime, "返回卡ID号为:A1B2C3D4", "剩余值为为: 00080000", ""}},
        {"Button15",
         "AA 00 07 00 A1B2C3D4 0008 00 BB",
         {"操作成功   " + kTime, "返回卡ID号为:A1B2C3D4", "剩余值为为: 000800BB", ""}},
        {"Button10", "", {"通讯错误，没有接收到数据..   " + kTime, ""}},
        {"Button15", "AA 00 01 05 04 BB", {"数据丢包，流水校验出错   " + kTime, ""}},
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

// Runs one pass of a repeat box: the box is unticked while its first command goes out, so
// the loop ends after that pass's pause. Returns the elapsed time and the waits.
struct Pass {
    QStringList codes; // command code of every frame sent
    qint64 ms;
    WaitLog::List waits; // every wait of the pass, in the order they ended
};

Pass runOnePass(S50 &t, const QString &boxName, bool answer)
{
    auto *box = t.find<QCheckBox>(boxName);
    t.usb.sent.clear();
    t.usb.responder = [box, answer](const QByteArray &) {
        box->setChecked(false);
        return answer ? QByteArray::fromHex("AA00050001020304BB") : QByteArray();
    };
    WaitLog waited;
    QElapsedTimer clock;
    clock.start();
    box->click();
    Pass p{{}, clock.elapsed(), waited.records};
    for (const QByteArray &f : t.usb.sent)
        p.codes << QString::fromLatin1(f.mid(3, 1).toHex().toUpper());
    t.usb.responder = {};
    return p;
}

TEST_F(S50, RepeatBoxesPressTheirButtonsAndPause)
{
    // Plain pauses take P + extra however fast the reader answers; a reply-aware pause ends at
    // once while a reply is held, and runs P + extra when the reader is silent.
    const struct {
        const char *box;
        QStringList codes;
        int pauseMs;             // Edit22
        bool answer;             // reader answers
        int atLeastMs;           // lower bound of one pass
        int pauseEndedByReplyMs; // the pause and extra time a held reply ends at once (0: none)
    } cases[] = {
        {"CheckBox2", {"20"}, 400, true, 400, 0},        {"CheckBox1", {"21"}, 400, true, 410, 0},
        {"CheckBox12", {"21", "20"}, 400, true, 820, 0}, {"CheckBox4", {"25"}, 400, true, 0, 400 + 10},
        {"CheckBox4", {"25"}, 0, false, 300 + 10, 0},
    };
    for (const auto &c : cases) {
        form->systemPage->pauseEdit->setText(QString::number(c.pauseMs));
        const Pass p = runOnePass(*this, c.box, c.answer);
        EXPECT_EQ(p.codes, c.codes) << c.box;
        EXPECT_GE(p.ms + 1, c.atLeastMs) << c.box;
        if (c.pauseEndedByReplyMs) {
            EXPECT_EQ(WaitLog::of(p.waits, c.pauseEndedByReplyMs),
                      (WaitLog::List{{c.pauseEndedByReplyMs, waits::End::Condition}}))
                << c.box;
        }
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(S50, TabChangeEndsAllButTheWriteThenReadLoop)
{
    form->systemPage->pauseEdit->setText("0");
    const struct {
        const char *box;
        bool endsOnTabChange;
    } cases[] = {{"CheckBox2", true}, {"CheckBox1", true}, {"CheckBox4", true}, {"CheckBox12", false}};
    for (const auto &c : cases) {
        auto *box = find<QCheckBox>(c.box);
        int frames = 0;
        usb.responder = [&](const QByteArray &) {
            if (++frames == 1)
                form->PageControl1Change();
            else if (frames >= 4)
                box->setChecked(false); // a loop that survived: end it here
            return QByteArray::fromHex("AA00010001BB");
        };
        box->click();
        if (c.endsOnTabChange) {
            EXPECT_EQ(frames, 1) << c.box;
        } else {
            EXPECT_GE(frames, 4) << c.box;
        }
        EXPECT_FALSE(box->isChecked());
    }
}

// Every handler against replies of every length: fields are cut by position and never
// read past the reply, so each shown field is a piece of the reply (or empty).
TEST_F(S50, EveryReplyLengthGivesPiecesOfTheReply)
{
    const QStringList labels = {"卡号为:", "卡的数据为:", "返回卡号为:", "返回卡ID号为:", "剩余值为为: "};
    const char *buttons[] = {"Button8", "Button9", "Button16", "Button29", "Button26", "Button10", "Button15"};
    for (int n = 0; n <= 40; ++n) {
        // The status only matters once the reply reaches it.
        for (const char *status : n > 3 ? std::vector<const char *>{"00", "01"} : std::vector<const char *>{"00"}) {
            const QByteArray bytes = sweepReply(n, status);
            const QString replyHex = QString::fromLatin1(bytes.toHex().toUpper());
            for (const char *b : buttons) {
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
