#include "link/readerlink.h"
#include "link/waits.h"
#include "support/faketransport.h"
#include "ui/repeatloop.h"
#include "ui/styles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStyle>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>

namespace {

struct Repeat : ::testing::Test {
    FakeTransport usb;
    ReaderLink link{usb, {[] { return QStringLiteral("00"); }, [] { return false; }, [](const QString &) {}}};
    void SetUp() override { waits::resetForTests(); }
    void TearDown() override { waits::resetForTests(); }
};

TEST_F(Repeat, RunsWhileTickedAndEndsAfterTheWaitInWhichItWasCleared)
{
    QCheckBox box;
    int passes = 0;
    bindRepeat(&box, link, {[&] { ++passes; }, [] { return 30; }, 10, RepeatBox::Wait::Plain});
    QTimer::singleShot(100, [&] { box.setChecked(false); });
    QElapsedTimer t;
    t.start();
    box.click(); // ticks the box and runs the loop inside the click
    EXPECT_GE(passes, 2);
    EXPECT_LE(passes, 4);
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
    QElapsedTimer t;
    t.start();
    box.click();
    EXPECT_LT(t.elapsed(), 500);
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(box.isChecked());
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
