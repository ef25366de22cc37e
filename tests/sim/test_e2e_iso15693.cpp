#include "base/clock.h"
#include "base/hex.h"
#include "hf/iso15693page.h"
#include "hf/typebpage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "sim/simulatedreader.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");

// "E004..." as the inventory line shows it: pairs with one blank after each.
QString spaced(const QString &hexText)
{
    QString out;
    for (qsizetype i = 0; i + 1 < hexText.size(); i += 2)
        out += hexText.mid(i, 2) + QLatin1Char(' ');
    return out;
}

// The real window against the simulated HF reader.
struct E2eVicinity : WindowTestBase {
    SimulatedReader reader{SimulatedReader::Personality::Hf};
    void SetUp() override { openWindow(reader); }
    template <class W> W *find(const char *name) const
    {
        W *w = form->findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void set(const char *edit, const QString &text) { find<QLineEdit>(edit)->setText(text); }
    void choose(const char *list, const char *item)
    {
        find<QComboBox>(list)->setCurrentText(QString::fromLatin1(item));
    }
    QStringList press(const char *button)
    {
        form->logPane->clear();
        find<QPushButton>(button)->click();
        return form->logPane->lines();
    }
};

TEST_F(E2eVicinity, InventoryListsTheSimulatorsUids)
{
    const QStringList uids = reader.iso15693Uids();
    ASSERT_EQ(uids.size(), 2);
    const QStringList lines = press("Button37");
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], "操作成功   " + kTime);
    EXPECT_EQ(lines[1], "域内的卡片数量为：02");
    EXPECT_TRUE(lines[2].startsWith("域内的卡片数据为："));
    EXPECT_EQ(lines.mid(3),
              QStringList({"第1张卡卡号为：" + spaced(uids[0]), "第2张卡卡号为：" + spaced(uids[1]), "", ""}));

    reader.hf().cardsPresent = false;
    EXPECT_EQ(press("Button37"), QStringList({"操作失败   " + kTime, "卡不存在....", ""}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(E2eVicinity, AddressedWriteReadAndSystemInformationWithAListedUid)
{
    const QString uid = reader.iso15693Uids().at(1); // as the inventory shows it
    choose("ComboBox11", "uid");
    set("Edit50", spaced(uid));
    set("Edit48", "02");
    set("Edit16", "CA FE BA BE");
    EXPECT_EQ(press("Button39"), QStringList({"写卡操作成功   " + kTime, "", ""}));

    choose("ComboBox10", "uid");
    set("Edit55", uid);
    set("Edit14", "02");
    set("Edit13", "01");
    EXPECT_EQ(press("Button38"), QStringList({"操作成功   " + kTime, "标志位为：00", "读卡返回数据为：CAFEBABE", ""}));
    // Unaddressed, the tag nearest the antenna answers: its block 2 is still empty.
    choose("ComboBox10", "Philips");
    EXPECT_EQ(press("Button38"), QStringList({"操作成功   " + kTime, "标志位为：00", "读卡返回数据为：00000000", ""}));

    choose("ComboBox14", "uid");
    set("Edit28", uid);
    set("Edit15", "3A");
    EXPECT_EQ(press("Button44"), QStringList({"写AFI操作成功   " + kTime, "", ""}));
    choose("ComboBox18", "uid");
    set("Edit41", uid);
    const QStringList info = press("Button48");
    ASSERT_EQ(info.size(), 8);
    EXPECT_EQ(info[3], "  卡UID值为： " + hex::filter(hex::cdate(uid))) << "the UID in the order received";
    EXPECT_EQ(info[5], "  AFI值为： 3A");

    // Selected, the "Other" flag reaches that tag without its UID.
    set("Edit19", uid);
    EXPECT_EQ(press("Button42"), QStringList({"选择卡操作成功   " + kTime, "", ""}));
    choose("ComboBox10", "Other");
    EXPECT_EQ(press("Button38"),
              QStringList({"操作成功   " + kTime, "标志位为：00", "读卡返回数据为：00CAFEBABE", ""}));

    // Lock block never carries the UID, so in the addressed mode the reader refuses it.
    choose("ComboBox12", "uid");
    EXPECT_EQ(press("Button40"), QStringList({"锁操作失败   " + kTime, "命令格式有错误....", ""}));
    choose("ComboBox12", "Philips");
    EXPECT_EQ(press("Button40"), QStringList({"锁操作成功   " + kTime, "", ""}));
    EXPECT_EQ(press("Button40"), QStringList({"锁操作失败   " + kTime, "锁定操作不成功....", ""}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(E2eVicinity, TypeBAndIdentityCard)
{
    TypeBPage *page = form->typeBPage;
    const QString atqb = hex::fromBytes(reader.hf().typeB.atqb());
    EXPECT_EQ(press("Button31"),
              QStringList({"操作成功   " + kTime, "", "卡片复位数据的长度为:0C", "返回操作后的数据为:" + atqb, ""}));
    EXPECT_EQ(press("Button33"), QStringList({"操作成功、复位成功   " + kTime, ""}));
    EXPECT_EQ(press("Button36"), QStringList({"操作成功   " + kTime, "操作后的数据串为：" + atqb, ""}));
    page->dataEdit->setText("00 84 00 00 04");
    EXPECT_EQ(press("Button36"), QStringList({"操作成功   " + kTime, "操作后的数据串为：112233449000", ""}));
    // An odd digit count never reaches the reader: the page refuses it with a message.
    const int before = reader.framesReceived();
    page->dataEdit->setText("05 00 0");
    EXPECT_TRUE(press("Button36").isEmpty());
    EXPECT_EQ(reader.framesReceived(), before);
    EXPECT_EQ(errors.size(), 1);
    errors.clear();
    page->cardIdEdit->setText("01 02 03 04");
    EXPECT_EQ(press("Button33"), QStringList({"操作失败   " + kTime, "卡不存在....", ""}));
    EXPECT_EQ(press("Button19"),
              QStringList({"操作成功   " + kTime, "返回卡号为:" + hex::fromBytes(reader.hf().idCard.idNumber), ""}));
    EXPECT_EQ(press("Button22"),
              QStringList({"操作成功   " + kTime, "返回卡号为:" + hex::fromBytes(reader.hf().idCard.fileId), ""}));
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
