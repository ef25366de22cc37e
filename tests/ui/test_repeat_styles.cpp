#include "base/hex.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/repeatloop.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "ui/styles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <climits>
#include <gtest/gtest.h>
#include <set>

namespace
{

struct Repeat : ::testing::Test {
    FakeTransport usb;
    ReaderLink link{usb};
    void SetUp() override { waits::resetForTests(); }
    void TearDown() override { waits::resetForTests(); }
};

TEST_F(Repeat, RunsWhileTickedAndEndsAfterTheWaitInWhichItWasCleared)
{
    QCheckBox box;
    int passes = 0, passesWhenCleared = -1;
    const auto clear = [&] {
        passesWhenCleared = passes;
        box.setChecked(false);
    };
    bindRepeat(&box, link,
               {[&] {
                    if (++passes == 1)
                        QTimer::singleShot(100, clear); // after the first wait's 40 ms
                },
                [] { return 30; }, 10, RepeatBox::Wait::Plain});
    WaitLog waited;
    QElapsedTimer t;
    t.start();
    box.click(); // ticks the box and runs the loop inside the click
    EXPECT_GE(passes, 2);
    EXPECT_EQ(passes, passesWhenCleared) << "no pass after the wait in which the box was cleared";
    EXPECT_EQ(waited.records, QList<waits::Record>(passes, {40, waits::End::Time}))
        << "every pass waits the pause and the extra time, the last one too";
    EXPECT_GE(t.elapsed(), 100) << "the loop ends after its wait, not at once";
}

TEST_F(Repeat, NestedLoopRunsInsideTheFirstAndTheFirstResumes)
{
    QCheckBox outer, inner;
    QStringList order;
    bindRepeat(&inner, link, {[&] { order << "inner"; }, [] { return 10; }, 0, RepeatBox::Wait::Plain});
    bindRepeat(&outer, link, {[&] { order << "outer"; }, [] { return 20; }, 0, RepeatBox::Wait::ReplyAware});
    QTimer::singleShot(5, [&] { inner.click(); });
    QTimer::singleShot(60, [&] { inner.setChecked(false); });
    QTimer::singleShot(120, [&] { outer.setChecked(false); });
    outer.click();
    ASSERT_GE(order.size(), 4);
    EXPECT_EQ(order.first(), "outer");
    EXPECT_EQ(order.last(), "outer") << "the first loop resumes after the second ended";
    EXPECT_TRUE(order.contains("inner"));
}

TEST_F(Repeat, ClosingTheProgramEndsAllLoopsAndAPauseErrorEndsOne)
{
    QCheckBox box;
    int passes = 0;
    bindRepeat(&box, link, {[&] { ++passes; }, [] { return 1000; }, 0, RepeatBox::Wait::Plain});
    QTimer::singleShot(30, [] { waits::cancelAll(); });
    WaitLog waited;
    box.click();
    EXPECT_EQ(waited.records, (QList<waits::Record>{{1000, waits::End::Cancelled}}));
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(box.isChecked());
}

TEST_F(Repeat, ReplyAwareWaitEndsAtOnceWhileAReplyIsHeldThePlainOneDoesNot)
{
    usb.reply("AA 00 01 00 01 BB");
    link.SendHex("AA BB");
    ASSERT_FALSE(link.ReplyHex().isEmpty());
    for (auto kind : {RepeatBox::Wait::ReplyAware, RepeatBox::Wait::Plain}) {
        QCheckBox box;
        int passes = 0;
        bindRepeat(&box, link,
                   {[&] {
                        if (++passes == 3)
                            box.setChecked(false);
                    },
                    [] { return 100; }, 0, kind});
        WaitLog waited;
        QElapsedTimer t;
        t.start();
        box.click();
        EXPECT_EQ(passes, 3);
        const waits::End end = kind == RepeatBox::Wait::ReplyAware ? waits::End::Condition : waits::End::Time;
        EXPECT_EQ(waited.records, QList<waits::Record>(3, {100, end}));
        if (kind == RepeatBox::Wait::Plain) {
            EXPECT_GE(t.elapsed(), 290);
        }
    }
}

TEST_F(Repeat, APauseErrorEndsTheLoopWithOneMessage)
{
    QStringList errors;
    guard::setErrorDisplay([&](const QString &m) { errors << m; });
    QCheckBox box;
    int passes = 0;
    bindRepeat(&box, link, {[&] { ++passes; }, [] { return hex::StrToInt("abc"); }, 0, RepeatBox::Wait::Plain});
    box.click();
    guard::setErrorDisplay({});
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(errors, QStringList{"'abc' is not a valid integer value"});
}

TEST(RepeatTable, EveryBoxOfTheToolWithItsExtraTimeAndWait)
{
    using Id = RepeatBoxId;
    const struct {
        Id id;
        const char *box;
        int extraMs;
        RepeatBox::Wait wait;
        bool endsOnTabChange;
    } rows[] = {
        {Id::RawSend, "CheckBox3", 0, RepeatBox::Wait::ReplyAware, true},
        {Id::S50Read, "CheckBox2", 0, RepeatBox::Wait::Plain, true},
        {Id::S50Write, "CheckBox1", 10, RepeatBox::Wait::Plain, true},
        {Id::S50CardNumber, "CheckBox4", 10, RepeatBox::Wait::ReplyAware, true},
        {Id::S50WriteRead, "CheckBox12", 10, RepeatBox::Wait::Plain, false},
        {Id::UltralightSerial, "CheckBox8", 10, RepeatBox::Wait::ReplyAware, true},
        {Id::UltralightRead, "CheckBox9", 50, RepeatBox::Wait::ReplyAware, true},
        {Id::UltralightWrite, "CheckBox10", 100, RepeatBox::Wait::Plain, true},
        {Id::TypeBRequest, "CheckBox11", 10, RepeatBox::Wait::ReplyAware, true},
        {Id::IdNumber, "CheckBox13", 0, RepeatBox::Wait::Plain, false},
        {Id::IdFileId, "CheckBox14", 0, RepeatBox::Wait::Plain, false},
        {Id::IsoInventory, "CheckBox5", 10, RepeatBox::Wait::ReplyAware, true},
        {Id::IsoRead, "CheckBox6", 10, RepeatBox::Wait::ReplyAware, true},
        {Id::IsoWrite, "CheckBox7", 10, RepeatBox::Wait::ReplyAware, true},
    };
    for (const auto &r : rows) {
        const RepeatDef &d = repeatDef(r.id);
        EXPECT_STREQ(d.box, r.box);
        EXPECT_EQ(d.extraMs, r.extraMs) << r.box;
        EXPECT_EQ(d.wait, r.wait) << r.box;
        EXPECT_EQ(d.endsOnTabChange, r.endsOnTabChange) << r.box;
    }
    EXPECT_EQ(QString::fromUtf8(repeatDef(Id::S50Write).caption), QString::fromUtf8("连续写        "));
    EXPECT_EQ(QString::fromUtf8(repeatDef(Id::IsoInventory).caption), QString::fromUtf8("连续读   "));

    // A pause near the largest integer must not overflow into a negative wait.
    EXPECT_EQ(repeatWaitMs(100, 10), 110);
    EXPECT_EQ(repeatWaitMs(INT_MAX, 100), INT_MAX);
    EXPECT_EQ(repeatWaitMs(-50, 10), 0);
}

TEST(Styles, SixDifferentLooksAndNothingPastTheStore)
{
    std::set<QString> looks;
    for (int i = 0; i < styles::kCount; ++i) {
        styles::apply(i);
        looks.insert(QApplication::style()->name() + QApplication::palette().color(QPalette::Window).name());
    }
    EXPECT_EQ(looks.size(), size_t(styles::kCount));
    const QString before = QApplication::palette().color(QPalette::Window).name();
    styles::apply(6);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window).name(), before);
    EXPECT_EQ(styles::name(0), "Skin5");
    EXPECT_EQ(styles::name(5), "Skin6");
}

} // namespace
