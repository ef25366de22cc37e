#include "base/clock.h"
#include "hf/s50page.h"
#include "hf/systempage.h"
#include "hf/ultralightpage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/replycheck.h"
#include "protocol/errorcodes.h"
#include "sim/simulatedreader.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");
const QString kUid = QStringLiteral("A1B2C3D4");
const QString kUlSerial = QStringLiteral("04A1B2C3D4E5F6");

// The real window against the simulated HF reader.
struct E2eMifare : WindowTestBase {
    SimulatedReader reader{SimulatedReader::Personality::Hf};
    void SetUp() override { openWindow(reader); }
    S50Page *s50() const { return form->s50Page; }
    QStringList take()
    {
        const QStringList lines = form->logPane->lines();
        form->logPane->clear();
        return lines;
    }
};

TEST_F(E2eMifare, WriteThenReadReturnsTheData)
{
    const QString data = QStringLiteral("00112233445566778899AABBCCDDEEFF");
    s50()->writeStartList->setCurrentText("05");
    s50()->writeDataEdit->setText("00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff");
    s50()->writeButton->click();
    EXPECT_EQ(take(), (QStringList{"操作成功   " + kTime, "卡号为:" + kUid}));

    s50()->readStartList->setCurrentText("04");
    s50()->readCountList->setCurrentText("02");
    s50()->readButton->click();
    EXPECT_EQ(take(),
              (QStringList{"操作成功   " + kTime, "卡号为:" + kUid, "卡的数据为:" + QString(32, '0') + data, ""}));

    // Two writes of two blocks, read back as four.
    s50()->writeStartList->setCurrentText("08");
    s50()->writeCountList->setCurrentText("02");
    s50()->writeDataEdit->setText(data + data);
    s50()->writeButton->click();
    s50()->readStartList->setCurrentText("08");
    s50()->readCountList->setCurrentText("02");
    s50()->readButton->click();
    EXPECT_EQ(take().mid(2), (QStringList{"操作成功   " + kTime, "卡号为:" + kUid, "卡的数据为:" + data + data, ""}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(E2eMifare, RefusalsComeBackAsFailureLines)
{
    const struct {
        const char *what;
        std::function<void(S50Page *)> set;
        QStringList lines;
    } cases[] = {
        {"wrong key",
         [](S50Page *p) { p->readKeyList->setCurrentIndex(0); },
         {"读卡失败   " + kTime, falsereason("8C"), ""}},
        {"key B is the transport key too",
         [](S50Page *p) { p->readKeyBRadio->setChecked(true); },
         {"操作成功   " + kTime, "卡号为:" + kUid}},
        {"past the last block",
         [](S50Page *p) { p->readStartList->setCurrentText("3f"); },
         {"读卡失败   " + kTime, falsereason("93"), ""}},
    };
    for (const auto &c : cases) {
        SetUp();
        c.set(s50());
        s50()->readButton->click();
        const QStringList lines = take();
        EXPECT_EQ(lines.mid(0, c.lines.size()), c.lines) << c.what;
        TearDown();
    }

    // An odd start block never reaches the reader: the page refuses it.
    SetUp();
    errors.clear();
    const int before = reader.framesReceived();
    s50()->readStartList->setCurrentText("1");
    s50()->readButton->click();
    EXPECT_TRUE(take().isEmpty());
    EXPECT_EQ(reader.framesReceived(), before);
    EXPECT_EQ(errors.size(), 1);
    TearDown();
}

TEST_F(E2eMifare, MalformedAccessBitsLockTheSectorForGood)
{
    // The page's default data (all FF) written to a sector trailer leaves its access bits
    // without their inverted copies: as on a card, the sector never authenticates again.
    s50()->writeStartList->setCurrentText("07");
    s50()->writeButton->click();
    EXPECT_EQ(take(), (QStringList{"操作成功   " + kTime, "卡号为:" + kUid}));
    for (const char *block : {"04", "07"}) {
        s50()->readStartList->setCurrentText(block);
        s50()->readCountList->setCurrentText("01");
        s50()->readButton->click();
        EXPECT_EQ(take(), (QStringList{"读卡失败   " + kTime, falsereason("8C"), ""})) << block;
    }
    s50()->findChild<QLineEdit *>("Edit57")->setText("01");
    s50()->initValueButton->click();
    EXPECT_EQ(take(), (QStringList{"读卡失败   " + kTime, falsereason("8C"), ""}));
    // Other sectors are untouched; a trailer written with well-formed bits stays usable.
    s50()->writeStartList->setCurrentText("0B");
    s50()->writeDataEdit->setText("FFFFFFFFFFFF FF078069 FFFFFFFFFFFF");
    s50()->writeButton->click();
    s50()->readStartList->setCurrentText("08");
    s50()->readButton->click();
    EXPECT_EQ(take().mid(2, 2), (QStringList{"操作成功   " + kTime, "卡号为:" + kUid}));
}

TEST_F(E2eMifare, ValueBlockInitialiseIncrementDecrement)
{
    s50()->initValueButton->click();
    EXPECT_EQ(take(), (QStringList{"操作成功   " + kTime, "返回卡ID号为:" + kUid, ""}));
    s50()->incrementButton->click();
    EXPECT_EQ(take(), (QStringList{"操作成功   " + kTime, "返回卡ID号为:" + kUid, "剩余值为为: 00A80000", ""}));
    s50()->findChild<QLineEdit *>("Edit8")->setText("00 08 00 00");
    s50()->decrementButton->click();
    EXPECT_EQ(take(), (QStringList{"操作成功   " + kTime, "返回卡ID号为:" + kUid, "剩余值为为: 00A00000", ""}));
    // Sector 2 holds no value block yet.
    s50()->findChild<QLineEdit *>("Edit1")->setText("02");
    s50()->incrementButton->click();
    EXPECT_EQ(take(), (QStringList{"读卡失败   " + kTime, falsereason("8A"), ""}));
}

TEST_F(E2eMifare, CardNumberHaltAndWake)
{
    s50()->cardNumberButton->click();
    EXPECT_EQ(take(), (QStringList{"操作成功   " + kTime, "", "返回卡号为:" + kUid,
                                   QString("检测到的卡的数量为一张卡..\r\n").remove(kCrLf), ""}));
    s50()->haltButton->click();
    EXPECT_EQ(take(), (QStringList{"HALT操作成功   " + kTime, ""}));
    s50()->cardNumberButton->click();
    EXPECT_EQ(take(), (QStringList{"读卡号操作失败   " + kTime, falsereason("83"), ""}));
    s50()->cardNumberAllRadio->setChecked(true);
    s50()->cardNumberButton->click();
    EXPECT_EQ(take().mid(2, 1), (QStringList{"返回卡号为:" + kUid}));
}

TEST_F(E2eMifare, WriteThenReadRepeatRunsUntilUnticked)
{
    form->systemPage->pauseEdit->setText("0");
    s50()->writeStartList->setCurrentText("05");
    s50()->readStartList->setCurrentText("05");
    s50()->readCountList->setCurrentText("01");
    const QString readBack = "卡的数据为:" + QString(32, 'F');
    // Unticked once the second pass has read back, while the loop waits.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [this, &readBack] {
        if (form->logPane->lines().count(readBack) >= 2)
            s50()->writeReadRepeatBox->setChecked(false);
    });
    watch.start(5);
    s50()->writeReadRepeatBox->click();
    const QStringList lines = take();
    EXPECT_GE(lines.count(readBack), 2);
    EXPECT_EQ(lines.first(), "操作成功   " + kTime);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(E2eMifare, UltralightWriteThenRead)
{
    UltralightPage *ul = form->ultralightPage;
    ul->writePageList->setCurrentRow(5);
    ul->pageDataEdit->setText("DE AD BE EF");
    ul->writeButton->click();
    EXPECT_EQ(take(), (QStringList{"写卡操作成功   " + kTime, "卡号为:" + kUlSerial, ""}));
    ul->readPageList->setCurrentRow(4);
    ul->readButton->click();
    EXPECT_EQ(take(), (QStringList{"读卡 操作成功   " + kTime, "读卡返回数据为: 00000000DEADBEEF0000000000000000",
                                   "卡ID号为:" + kUlSerial, ""}));
    ul->readSerialButton->click();
    EXPECT_EQ(take(), (QStringList{"读卡号 操作成功   " + kTime, "卡号为:" + kUlSerial, ""}));
    ul->haltButton->click();
    ul->readSerialButton->click();
    EXPECT_EQ(take(),
              (QStringList{"HALT操作成功   " + kTime, "", "读卡ID号操作失败   " + kTime, falsereason("83"), ""}));
    ul->writePageList->setCurrentRow(0);
    ul->writeAllRadio->setChecked(true);
    ul->writeButton->click();
    EXPECT_EQ(take(), (QStringList{"写卡操作失败   " + kTime, falsereason("96"), ""}));
}

} // namespace
