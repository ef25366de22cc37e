#include "base/clock.h"
#include "base/hex.h"
#include "hf/iso15693page.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "protocol/frames.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace
{

const QString kStamp = QStringLiteral("01:07:09 PM");
const QString kUid = QStringLiteral("E0 04 01 00 12 34 56 78");

struct Iso15693 : WindowTest {
    Iso15693Page *page = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->iso15693Page;
    }
    template <class W> W *find(const char *name) const
    {
        W *w = form->findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void clear()
    {
        form->logPane->clear();
        usb.sent.clear();
        usb.queued.clear();
    }
    void click(const char *button) { find<QPushButton>(button)->click(); }
    // The body (command and data) of the last frame sent, spaced.
    QString lastBody() const
    {
        if (usb.sent.isEmpty())
            return QStringLiteral("<nothing sent>");
        const QByteArray f = usb.sent.last();
        return QString::fromLatin1(f.mid(3, f.size() - 5).toHex(' ').toUpper());
    }
};

TEST_F(Iso15693, ControlsAndDefaults)
{
    const struct {
        const char *list, *item;
    } lists[] = {{"ComboBox10", "Philips"}, {"ComboBox11", "TI"},      {"ComboBox12", "Philips"},
                 {"ComboBox13", "uid"},     {"ComboBox14", "Philips"}, {"ComboBox15", "Philips"},
                 {"ComboBox16", "Philips"}, {"ComboBox17", "Philips"}, {"ComboBox18", "Philips"},
                 {"ComboBox19", "Philips"}};
    for (const auto &l : lists) {
        auto *c = find<QComboBox>(l.list);
        EXPECT_EQ(c->currentText(), l.item) << l.list;
        EXPECT_EQ(c->count(), 4);
        EXPECT_FALSE(c->isEditable());
    }
    const struct {
        const char *edit, *text;
    } edits[] = {{"Edit14", "01"}, {"Edit13", "05"}, {"Edit55", ""},
                 {"Edit48", "05"}, {"Edit49", "01"}, {"Edit16", "11 22 33 44"},
                 {"Edit50", ""},   {"Edit18", "05"}, {"Edit19", ""},
                 {"Edit15", "06"}, {"Edit28", ""},   {"Edit32", ""},
                 {"Edit17", "08"}, {"Edit36", ""},   {"Edit38", ""},
                 {"Edit41", ""},   {"Edit21", "00"}, {"Edit20", "05"},
                 {"Edit43", ""}};
    for (const auto &e : edits)
        EXPECT_EQ(find<QLineEdit>(e.edit)->text(), QString::fromUtf8(e.text)) << e.edit;
    const struct {
        const char *name, *caption;
    } captions[] = {{"Button37", "防冲突"},       {"Button38", "卡片读"},    {"Button39", "卡片写"},
                    {"Button40", "锁定块"},       {"Button42", "选择卡"},    {"Button44", "写AFI"},
                    {"Button45", "锁定AFI"},      {"Button46", "写DSFID"},   {"Button47", "锁定DSFID"},
                    {"Button48", "系统信息"},     {"Button49", "块安全位"},  {"CheckBox5", "连续读   "},
                    {"CheckBox6", "连续读     "}, {"CheckBox7", "连续写   "}};
    for (const auto &c : captions)
        EXPECT_EQ(find<QAbstractButton>(c.name)->text(), QString::fromUtf8(c.caption)) << c.name;
    EXPECT_EQ(Iso15693Page::flagByte("TI"), 0x42);
    EXPECT_EQ(Iso15693Page::flagByte("Philips"), 0x02);
    EXPECT_EQ(Iso15693Page::flagByte("uid"), 0x22);
    EXPECT_EQ(Iso15693Page::flagByte("Other"), 0x52);
    EXPECT_EQ(Iso15693Page::flagByte("UID"), std::nullopt) << "the item text is compared exactly";
}

TEST_F(Iso15693, FlagBytesAndUidRules)
{
    for (const char *e : {"Edit55", "Edit50", "Edit19", "Edit28", "Edit32", "Edit36", "Edit38", "Edit41", "Edit43"})
        find<QLineEdit>(e)->setText(kUid);
    const QString uid = kUid;
    struct Case {
        const char *button, *list;
        int item; // -1: keep the start-up choice; -2: no item shown
        QString body;
    } cases[] = {
        {"Button37", nullptr, -1, "10 06 00 00"},
        {"Button38", "ComboBox10", -1, "11 02 01 05"},
        {"Button38", "ComboBox10", 2, "11 22 01 05 " + uid},
        {"Button38", "ComboBox10", 0, "11 42 01 05"},
        {"Button38", "ComboBox10", 3, "11 52 01 05"},
        {"Button38", "ComboBox10", -2, "<nothing sent>"}, // no flags chosen: refused
        {"Button39", "ComboBox11", -1, "12 42 05 01 11 22 33 44"},
        {"Button39", "ComboBox11", 2, "12 22 05 01 " + uid + " 11 22 33 44"},
        {"Button40", "ComboBox12", -1, "13 02 05"},
        {"Button40", "ComboBox12", 2, "13 22 05"},
        {"Button42", "ComboBox13", -1, "15 22 " + uid},
        {"Button42", "ComboBox13", 1, "15 02 " + uid},
        {"Button44", "ComboBox14", -1, "17 02 06"},
        {"Button44", "ComboBox14", 2, "17 22 06 " + uid},
        {"Button45", "ComboBox15", -1, "18 02"},
        {"Button45", "ComboBox15", 2, "18 22 " + uid},
        {"Button46", "ComboBox16", 0, "19 42 08"},
        {"Button46", "ComboBox16", 2, "19 22 08 " + uid},
        {"Button47", "ComboBox17", 3, "1A 52"},
        {"Button47", "ComboBox17", 2, "1A 22 " + uid},
        {"Button48", "ComboBox18", -1, "1B 02"},
        {"Button48", "ComboBox18", 2, "1B 22 " + uid},
        {"Button49", "ComboBox19", -1, "1C 02 00 05"},
        {"Button49", "ComboBox19", 2, "1C 22 00 05 " + uid},
    };
    for (const Case &c : cases) {
        clear();
        form->logPane->clear();
        QComboBox *list = c.list ? find<QComboBox>(c.list) : nullptr;
        const int before = list ? list->currentIndex() : 0;
        if (list && c.item != -1)
            list->setCurrentIndex(c.item == -2 ? -1 : c.item);
        usb.reply("AA 00 01 00 01 BB");
        errors.clear();
        click(c.button);
        EXPECT_EQ(lastBody(), c.body) << c.button << " item " << c.item;
        EXPECT_EQ(errors, c.item == -2 ? QStringList{"Choose the request flags first."} : QStringList{})
            << c.button << " item " << c.item;
        if (list)
            list->setCurrentIndex(before);
    }
}

TEST_F(Iso15693, FieldsGoOutAsTypedAndTheFrameAroundThem)
{
    struct Case {
        const char *edit, *text, *button;
        QString frame; // hex digits of every byte sent
    } cases[] = {
        // LEN 04, XOR of 00 04 11 02 01 05 = 13.
        {"Edit14", "01", "Button38", "AA 00 04 11 02 01 05 13 BB"},
        // Blanks, lower case and separators between the digit pairs are fine.
        {"Edit14", "0a,", "Button38", "AA 00 04 11 02 0A 05 18 BB"},
        // One digit, no digits or two bytes where one goes would shift the frame: refused.
        {"Edit14", "1", "Button38", ""},
        {"Edit18", "", "Button40", ""},
        {"Edit18", "0105", "Button40", ""},
    };
    for (const Case &c : cases) {
        clear();
        QLineEdit *e = find<QLineEdit>(c.edit);
        const QString before = e->text();
        e->setText(QString::fromLatin1(c.text));
        usb.reply("AA 00 01 00 01 BB");
        errors.clear();
        click(c.button);
        EXPECT_EQ(usb.lastSentHex(), c.frame) << c.edit << "=" << c.text;
        EXPECT_EQ(errors.size(), c.frame.isEmpty() ? 1 : 0) << c.edit << "=" << c.text;
        e->setText(before);
    }
}

TEST_F(Iso15693, DataTooLongForOneFrameIsNotSent)
{
    // 4 + 247 data bytes make a body of 251 bytes, one more than a frame holds: refused with
    // the room there is, nothing sent.
    find<QLineEdit>("Edit16")->setText(QStringLiteral("AB").repeated(247));
    click("Button39");
    EXPECT_TRUE(usb.sent.isEmpty());
    EXPECT_TRUE(log().isEmpty());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0],
              QString::fromUtf8("要写的数据 must be 1 to 246 bytes of hexadecimal digits, two per byte, not '") +
                  QStringLiteral("AB").repeated(247) + QStringLiteral("'."));
    errors.clear();
    find<QLineEdit>("Edit16")->setText(QStringLiteral("AB").repeated(246));
    clear();
    usb.reply("AA 00 01 00 01 BB");
    click("Button39");
    ASSERT_EQ(usb.sent.size(), 1);
    EXPECT_EQ(usb.sent[0].size(), 255);
}

TEST_F(Iso15693, OutcomeLines)
{
    find<QLineEdit>("Edit19")->setText(kUid); // the select needs its UID
    const QString ok = replyFrame("00", "");
    struct Case {
        const char *button;
        QString reply;
        QStringList lines;
    } cases[] = {
        {"Button39", ok, {"写卡操作成功   " + kStamp, "", ""}},
        {"Button40", ok, {"锁操作成功   " + kStamp, "", ""}},
        {"Button42", ok, {"选择卡操作成功   " + kStamp, "", ""}},
        {"Button44", ok, {"写AFI操作成功   " + kStamp, "", ""}},
        {"Button45", ok, {"锁定AFI操作成功   " + kStamp, "", ""}},
        {"Button46", ok, {"写DSFID操作成功   " + kStamp, "", ""}},
        {"Button47", ok, {"锁定DSFID操作成功   " + kStamp, "", ""}},
        {"Button37", "AA 00 02 01 83 80 BB", {"操作失败   " + kStamp, "卡不存在....", ""}},
        {"Button38", "AA 00 02 01 93 90 BB", {"读卡失败   " + kStamp, "要操作的BLOCK不存在....", ""}},
        {"Button39", "AA 00 02 01 94 97 BB", {"写卡失败   " + kStamp, "要操作的对象已经别锁定，不能进行修改....", ""}},
        {"Button40", "AA 00 02 01 95 96 BB", {"锁操作失败   " + kStamp, "锁定操作不成功....", ""}},
        {"Button42",
         "AA 00 02 01 92 91 BB",
         {"选择卡操作失败   " + kStamp, "在命令的FLAG参数中，不支持OPTION 模式....", ""}},
        {"Button44", "AA 00 02 01 96 95 BB", {"写AFI操作失败   " + kStamp, "写操作不成功....", ""}},
        {"Button45", "AA 00 02 01 77 74 BB", {"锁定AFI操作失败   " + kStamp, "", ""}},
        {"Button46",
         "AA 00 02 01 10 13 BB",
         {"写DSFID操作失败   " + kStamp, "输入的参数大于最大允许范围，溢出.....", ""}},
        {"Button47", "AA 00 02 01 91 92 BB", {"锁定DSFID操作失败   " + kStamp, "命令格式有错误....", ""}},
        {"Button48", "AA 00 02 01 83 80 BB", {"操作失败   " + kStamp, "卡不存在....", ""}},
        {"Button49", "AA 00 02 01 83 80 BB", {"读卡块安全位失败   " + kStamp, "卡不存在....", ""}},
        {"Button38", "AA 00 02 02 83 80 BB", {"数据丢包，流水校验出错   " + kStamp, ""}},
        {"Button48", "AA 00 01", {"数据丢包，流水校验出错   " + kStamp, ""}},
    };
    for (const Case &c : cases) {
        clear();
        usb.reply(c.reply);
        click(c.button);
        EXPECT_EQ(log(), c.lines) << c.button << " " << c.reply.toStdString();
    }
}

TEST_F(Iso15693, NoReplyWaitsThenSaysSo)
{
    struct Case {
        const char *button;
        int waitMs;
    } cases[] = {{"Button37", 1000}, {"Button42", 500}};
    find<QLineEdit>("Edit19")->setText(kUid);
    usb.responder = [](const QByteArray &) { return QByteArray(); };
    for (const Case &c : cases) {
        clear();
        QElapsedTimer t;
        t.start();
        click(c.button);
        EXPECT_GE(t.elapsed(), c.waitMs - 5) << c.button;
        EXPECT_EQ(log(), QStringList({"通讯错误，没有接收到数据..   " + kStamp, ""})) << c.button;
    }
    usb.responder = {};
    usb.connected = false;
    clear();
    click("Button45");
    EXPECT_EQ(log(), QStringList({"data error,please check Device Connection...",
                                  "通讯错误，没有接收到数据..   " + kStamp, ""}));
}

TEST_F(Iso15693, InventoryListsWholeRecordsReversed)
{
    const QString card1 = "0000 01020304050607E0";
    const QString card2 = "0011 1112131415161718";
    struct Case {
        const char *what;
        QString reply;
        QStringList lines;
    } cases[] = {
        {"two cards and 5 bytes more",
         replyFrame("00", "02" + card1 + card2 + "AABBCCDDEE"),
         {"域内的卡片数量为：02", "域内的卡片数据为：" + hex::filter(card1 + card2) + "AABBCCDDEE",
          "第1张卡卡号为：E0 07 06 05 04 03 02 01 ", "第2张卡卡号为：18 17 16 15 14 13 12 11 ", "", ""}},
        {"count 03 but two records",
         replyFrame("00", "03" + card1 + card2),
         {"域内的卡片数量为：03", "域内的卡片数据为：" + hex::filter(card1 + card2),
          "第1张卡卡号为：E0 07 06 05 04 03 02 01 ", "第2张卡卡号为：18 17 16 15 14 13 12 11 ", "", ""}},
        {"no data after the count", replyFrame("00", "00"), {"域内的卡片数量为：00", "域内的卡片数据为：", "", ""}},
        {"nine bytes of a record",
         replyFrame("00", "01 0000 01020304050607"),
         {"域内的卡片数量为：01", "域内的卡片数据为：000001020304050607", "", ""}},
    };
    for (const Case &c : cases) {
        clear();
        usb.reply(c.reply);
        click("Button37");
        QStringList expected = {"操作成功   " + kStamp};
        expected += c.lines;
        EXPECT_EQ(log(), expected) << c.what;
    }
}

TEST_F(Iso15693, DataLinesAtTheirPositions)
{
    const QString uidWire = "78563412000104E0";
    struct Case {
        const char *button;
        QString reply;
        QStringList lines;
    } cases[] = {
        {"Button38",
         replyFrame("00", "00 11223344 55667788"),
         {"操作成功   " + kStamp, "标志位为：00", "读卡返回数据为：1122334455667788", ""}},
        {"Button38", replyFrame("00", "00"), {"操作成功   " + kStamp, "标志位为：00", "读卡返回数据为：", ""}},
        {"Button49",
         replyFrame("00", "00 00 01 00"),
         {"操作成功   " + kStamp, "标志位为：00", "块安全位状态为：000100", ""}},
        {"Button48",
         replyFrame("00", "00 0F" + uidWire + "08 06 1B 03 01"),
         {"操作成功   " + kStamp, "  Flags值为： 00", "  INFO Flags值为： 0F", "  卡UID值为： " + uidWire,
          "  DSFID值为： 08", "  AFI值为： 06", "  Other fields值为： 1B0301", ""}},
        // Information flags 0C: no DSFID, no AFI; the positions stay fixed all the same.
        {"Button48",
         replyFrame("00", "00 0C" + uidWire + "1B 03 01"),
         {"操作成功   " + kStamp, "  Flags值为： 00", "  INFO Flags值为： 0C", "  卡UID值为： " + uidWire,
          "  DSFID值为： 1B", "  AFI值为： 03", "  Other fields值为： 01", ""}},
    };
    for (const Case &c : cases) {
        clear();
        usb.reply(c.reply);
        click(c.button);
        EXPECT_EQ(log(), c.lines) << c.button << " " << c.reply.toStdString();
    }
}

// Times between the frames a repeat box sends while it runs.
struct Passes {
    QList<qint64> at;
    QByteArray command;
    bool sameCommand = true;
    QList<qint64> gaps() const
    {
        QList<qint64> g;
        for (int i = 1; i < at.size(); ++i)
            g << at[i] - at[i - 1];
        return g;
    }
};

TEST_F(Iso15693, RepeatBoxesPressTheirButtonAndPauseOnlyWithoutAReply)
{
    struct Case {
        const char *box;
        uint8_t command;
        int waitMs;
    } cases[] = {{"CheckBox5", 0x10, 1000}, {"CheckBox6", 0x11, 500}, {"CheckBox7", 0x12, 500}};
    for (const Case &c : cases) {
        for (bool answers : {true, false}) {
            clear();
            const int pause = answers ? 400 : 40;
            find<QLineEdit>("Edit22")->setText(QString::number(pause));
            QCheckBox *box = find<QCheckBox>(c.box);
            Passes p;
            WaitLog waited;
            QElapsedTimer t;
            t.start();
            const int passes = answers ? 4 : 2;
            usb.responder = [&](const QByteArray &frame) {
                p.at << t.elapsed();
                p.sameCommand = p.sameCommand && frame.size() > 3 && uint8_t(frame[3]) == c.command;
                if (p.at.size() == passes)
                    box->setChecked(false);
                return answers ? hex::toBytes("AA 00 01 00 01 BB") : QByteArray();
            };
            box->click();
            EXPECT_FALSE(box->isChecked());
            EXPECT_EQ(p.at.size(), passes) << c.box;
            EXPECT_TRUE(p.sameCommand) << c.box;
            if (answers) {
                EXPECT_EQ(waited.of(pause + 10), WaitLog::List(passes, {pause + 10, waits::End::Condition}))
                    << c.box << ": a held reply ends the pause at once";
            } else {
                for (qint64 gap : p.gaps())
                    EXPECT_GE(gap, c.waitMs + pause + 10 - 2) << c.box << ": the operation's wait, then Edit22 + 10";
            }
        }
    }
    usb.responder = {};
}

TEST_F(Iso15693, TabChangeEndsEveryRepeatLoop)
{
    find<QLineEdit>("Edit22")->setText("20");
    usb.responder = [](const QByteArray &) { return hex::toBytes("AA 00 01 00 01 BB"); };
    for (const char *name : {"CheckBox5", "CheckBox6", "CheckBox7"}) {
        QCheckBox *box = find<QCheckBox>(name);
        QTimer::singleShot(60, form.get(), [this] {
            form->pageControl->setCurrentIndex(form->pageControl->currentIndex() == 0 ? 6 : 0);
        });
        // A safety net only: a loop that the tab change did not end ends here.
        const auto rescued = std::make_shared<bool>(false);
        QTimer::singleShot(2000, box, [box, rescued] {
            *rescued = box->isChecked();
            box->setChecked(false);
        });
        box->click();
        EXPECT_FALSE(*rescued) << name << " runs on after the tab change";
        EXPECT_FALSE(box->isChecked()) << name;
    }
    usb.responder = {};
}

// Every handler against every reply length: lines only ever hold pieces of the reply.
TEST_F(Iso15693, EveryReplyLengthGivesPiecesOfTheReply)
{
    const char *buttons[] = {"Button37", "Button38", "Button39", "Button40", "Button42", "Button44",
                             "Button45", "Button46", "Button47", "Button48", "Button49"};
    for (const char *e : {"Edit55", "Edit41", "Edit19"})
        find<QLineEdit>(e)->setText(kUid);
    find<QComboBox>("ComboBox18")->setCurrentIndex(2);
    for (int length = 0; length <= 40; ++length) {
        for (const char *status : {"00", "01"}) {
            if (length < 4 && status[1] == '1')
                continue; // no status byte: one pass is enough
            const QByteArray bytes = sweepReply(length, status);
            const QString reply = hex::fromBytes(bytes);
            for (const char *b : buttons) {
                clear();
                usb.responder = [&](const QByteArray &) { return bytes; };
                click(b);
                for (const QString &line : log()) {
                    if (line.endsWith(kStamp) || line.isEmpty())
                        continue;
                    const qsizetype colon = qMax(line.lastIndexOf(QChar(0xFF1A)), line.lastIndexOf(QLatin1Char(':')));
                    QString piece = line.mid(colon + 1).trimmed();
                    if (line.contains(QStringLiteral("张卡卡号为")))
                        piece = hex::cdate(hex::filter(piece));
                    piece = hex::filter(piece);
                    if (colon < 0)
                        continue; // a translated error code
                    EXPECT_TRUE(reply.contains(piece)) << b << " length " << length << ": " << line.toStdString();
                    EXPECT_LE(piece.size(), reply.size());
                }
            }
        }
    }
    usb.responder = {};
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
