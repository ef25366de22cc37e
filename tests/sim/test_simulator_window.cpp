#include "sim/ptyuhfmodule.h"
#include "sim/simulatorwindow.h"
#include "simtestutil.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <gtest/gtest.h>

namespace
{

template <typename T> T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Nothing clipped: every button and label gets at least the width its text needs.
void expectNothingClipped(QWidget &w)
{
    for (QAbstractButton *b : w.findChildren<QAbstractButton *>())
        EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->objectName().toStdString();
    for (QLabel *l : w.findChildren<QLabel *>())
        EXPECT_GE(l->width(), l->minimumSizeHint().width()) << l->text().toStdString();
}

TEST(SimulatorWindow, ShowsTheUhfFieldAndChangesIt)
{
    SimulatedReader r;
    SimulatorWindow w(r);
    w.show();
    w.adjustSize();
    EXPECT_EQ(w.objectName(), "SimulatorWindow");
    auto *epc = child<QLineEdit>(w, "tagEpc");
    EXPECT_EQ(hex::filter(epc->text()), r.currentEpc());
    EXPECT_EQ(hex::filter(child<QLineEdit>(w, "tagTid")->text()), hex::fromBytes(r.uhf().tag()->tid));

    child<QAbstractButton>(w, "takeTagAway")->click();
    EXPECT_FALSE(r.uhf().tag());
    EXPECT_EQ(epc->text(), "(no tag)");
    child<QAbstractButton>(w, "layBlankTag")->click();
    EXPECT_EQ(hex::filter(epc->text()), r.currentEpc());
    EXPECT_FALSE(r.currentEpc().isEmpty());

    child<QAbstractButton>(w, "queueBlankTags")->click();
    EXPECT_EQ(r.uhf().queuedBlankTags(), 10);

    // A write through the reader shows up in the tag log at once.
    r.uhf().tagLog(); // empty before
    simtest::command(r, "CE " + simtest::moduleText(0x0C, "01 00000020 00 00"));
    simtest::command(r, "CE " + simtest::moduleText(0x49, "00000000 01 0002 0001 ABCD"));
    ASSERT_EQ(r.tagLog().size(), 1);
    EXPECT_EQ(child<QListWidget>(w, "tagLog")->count(), 1);

    expectNothingClipped(w);
    w.grab().save(QStringLiteral("/tmp/simulator-window-keyboard.png"));
}

TEST(SimulatorWindow, ArmsTheChosenFault)
{
    struct Case {
        const char *button;
        QString expectedReply;
    };
    const Case cases[] = {
        {"failNext", simtest::fail("8C")},
        {"silenceNext", ""},
        {"damageNext", simtest::reply("02", "00")},
        {"disarm", simtest::ok()},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        SimulatorWindow w(r);
        auto *code = child<QComboBox>(w, "faultCode");
        code->setCurrentIndex(code->findData(QStringLiteral("8C")));
        EXPECT_TRUE(code->currentText().startsWith("8C  "));
        child<QAbstractButton>(w, "failNext")->click(); // armed first, so disarm has work
        child<QAbstractButton>(w, c.button)->click();
        EXPECT_EQ(simtest::command(r, "CF"), c.expectedReply) << c.button;
        EXPECT_EQ(simtest::command(r, "CF"), simtest::ok()) << c.button << ": used up";
        EXPECT_TRUE(child<QLabel>(w, "armedFault")->text().startsWith("Armed: nothing")) << c.button;
    }
}

TEST(SimulatorWindow, ArmsTheNextTagLaidAndFollowsABatchsCues)
{
    using Fault = UhfModule::TagFault;
    struct Case {
        Fault fault;
        std::function<bool(const UhfModule &)> laid; // the tag laid next has the fault
    } cases[] = {
        {Fault::Locked, [](const UhfModule &m) { return m.tag()->epcLocked; }},
        {Fault::OtherValue, [](const UhfModule &m) { return m.tag()->keepsOtherValue; }},
        {Fault::LeavesOnWrite, [](const UhfModule &m) { return m.tag()->leavesOnWrite; }},
        {Fault::SecondTag, [](const UhfModule &m) { return m.secondTag().has_value(); }},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        SimulatorWindow w(r);
        auto *fault = child<QComboBox>(w, "tagFault");
        fault->setCurrentIndex(fault->findData(int(c.fault)));
        child<QAbstractButton>(w, "armTagFault")->click();
        EXPECT_FALSE(c.laid(r.uhf())) << "the tag in the field keeps its ways";
        EXPECT_TRUE(child<QLabel>(w, "armedTagFault")->text().contains(UhfModule::tagFaultText(c.fault)));
        child<QAbstractButton>(w, "layBlankTag")->click();
        EXPECT_TRUE(c.laid(r.uhf())) << fault->currentText().toStdString();
        EXPECT_EQ(child<QLineEdit>(w, "secondTagEpc")->text() != "(none)", c.fault == Fault::SecondTag);
        EXPECT_TRUE(child<QLabel>(w, "armedTagFault")->text().startsWith("Armed: nothing"));
    }

    // The person takes the tag away at the next inventory and lays a fresh one after it.
    SimulatedReader r;
    SimulatorWindow w(r);
    const QByteArray tid = r.uhf().tag()->tid;
    const QString inventory = "CE " + simtest::moduleText(0x22, "");
    child<QAbstractButton>(w, "followCues")->click();
    r.uhf().operatorCue(UhfModule::OperatorCue::Remove);
    EXPECT_EQ(simtest::command(r, inventory).mid(10, 6), "022200") << "not following: the tag stays";
    child<QAbstractButton>(w, "followCues")->click();
    r.uhf().operatorCue(UhfModule::OperatorCue::Remove);
    EXPECT_EQ(simtest::command(r, inventory).mid(10, 6), "01FF00") << "the field seen empty once";
    ASSERT_TRUE(r.uhf().tag());
    EXPECT_NE(r.uhf().tag()->tid, tid);
    EXPECT_EQ(hex::filter(child<QLineEdit>(w, "tagTid")->text()), hex::fromBytes(r.uhf().tag()->tid));
}

TEST(SimulatorWindow, ShowsTheHfCards)
{
    SimulatedReader r(SimulatedReader::Personality::Hf);
    SimulatorWindow w(r);
    w.show();
    w.adjustSize();
    const QString cards = child<QLabel>(w, "hfCards")->text();
    EXPECT_TRUE(cards.contains("A1 B2 C3 D4"));
    EXPECT_TRUE(cards.contains("E0 04 01 00 12 34 56 78"));
    child<QAbstractButton>(w, "cardsPresent")->click();
    EXPECT_FALSE(r.hf().cardsPresent);
    EXPECT_EQ(simtest::command(r, "E3 00"), simtest::fail("83"));
    expectNothingClipped(w);
    w.grab().save(QStringLiteral("/tmp/simulator-window-hf.png"));
}

} // namespace

namespace
{

TEST(SimulatorWindow, ShowsTheSerialModuleAndItsUseOfAFault)
{
    SimulatedReader r;
    PtyUhfModule serial(r.uhf(), &r.faults());
    ASSERT_TRUE(serial.isOpen());
    SimulatorWindow w(r, &serial);
    auto *mode = child<QLabel>(w, "workMode");
    EXPECT_TRUE(mode->text().startsWith(serial.devicePath())) << mode->text().toStdString();
    child<QAbstractButton>(w, "silenceNext")->click();
    EXPECT_FALSE(child<QLabel>(w, "armedFault")->text().startsWith("Armed: nothing"));
    EXPECT_TRUE(serial.feed(hex::toBytes("BB 00 C1 00 01 02 C4 7E")).isEmpty());
    EXPECT_TRUE(child<QLabel>(w, "armedFault")->text().startsWith("Armed: nothing"));
    serial.feed(hex::toBytes("BB 00 C1 00 01 02 C4 7E"));
    EXPECT_TRUE(mode->text().contains("mode 02")) << mode->text().toStdString();
}

} // namespace
