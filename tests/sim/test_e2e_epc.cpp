#include "link/waits.h"
#include "pagekit/guard.h"
#include "sim/simulatedreader.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include "support/windowtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace
{

// The whole window against the simulated keyboard-output reader: ten tags laid one after
// another are written in automatic mode with ten consecutive numbers.
TEST(EndToEnd, AutomaticCardWritesTenTagsWithConsecutiveEpcs)
{
    waits::resetForTests();
    QStringList errors;
    guard::setErrorDisplay([&](const QString &m) { errors << m; });
    SimulatedReader reader(SimulatedReader::Personality::Keyboard);
    reader.uhf().queueBlankTags(9); // with the one in the field, ten tags
    TForm1 form(reader);
    WindowTestBase::buildPages(form);
    auto *box = form.findChild<QCheckBox *>(QStringLiteral("CheckBox20"));
    auto *number = form.findChild<QLineEdit *>(QStringLiteral("Edit54"));
    auto *pause = form.findChild<QLineEdit *>(QStringLiteral("Edit61"));
    ASSERT_TRUE(box && number && pause);
    number->setText(QStringLiteral("E2000000000000000000FFFE"));
    pause->setText(QStringLiteral("0"));

    // Once the tenth tag is written, let two more passes find it still in the field, then
    // untick the box as a user would.
    int framesAfterTenth = -1;
    QObject::connect(&reader, &SimulatedReader::changed, &form, [&] {
        if (reader.tagLog().size() < 10 || !box->isChecked())
            return;
        if (framesAfterTenth < 0)
            framesAfterTenth = reader.framesReceived();
        else if (reader.framesReceived() >= framesAfterTenth + 2)
            box->setChecked(false);
    });
    box->click(); // the loop runs inside the click and returns when it has ended

    // Counted independently: the low four bytes run 0000FFFE ... 00010007, across a carry.
    QStringList expected;
    for (int i = 0; i <= 10; ++i)
        expected << QStringLiteral("E200000000000000") +
                        QStringLiteral("%1").arg(0xFFFE + i, 8, 16, QLatin1Char('0')).toUpper();
    const QString n = expected.takeLast();
    EXPECT_EQ(reader.tagLog(), expected);
    EXPECT_EQ(number->text(), n);
    EXPECT_EQ(reader.uhf().queuedBlankTags(), 0);
    const QStringList lines = form.logPane->lines();
    ASSERT_EQ(lines.size(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(lines[i], QStringLiteral("Write Card Success,The card number is : ") + expected[i]);
    EXPECT_EQ(box->text(), QStringLiteral("Automatic card"));
    EXPECT_TRUE(errors.isEmpty());
    guard::setErrorDisplay({});
}

} // namespace
