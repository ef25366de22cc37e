#include "base/clock.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "sim/simulatedreader.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include "support/windowtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace
{

// The whole window against the simulated keyboard-output reader: what Set stores, Read
// prints back, and the version reads as text.
TEST(EndToEnd, KeyboardSetThenReadPrintsTheChosenSettings)
{
    waits::resetForTests();
    appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 30, 0)); });
    QStringList errors;
    guard::setErrorDisplay([&](const QString &m) { errors << m; });
    SimulatedReader reader(SimulatedReader::Personality::Keyboard);
    TForm1 form(reader);
    WindowTestBase::buildPages(form);
    auto find = [&](const char *name) { return form.findChild<QAbstractButton *>(QString::fromLatin1(name)); };

    struct Case {
        const char *format;
        QString formatLine;
        bool semicolon, question, comma, enter;
    };
    const Case cases[] = {
        {"RadioButton6", QStringLiteral("8 no. in HEX"), true, true, false, false},
        {"RadioButton16", QStringLiteral("10 no.in D"), false, false, true, true},
    };
    for (const Case &c : cases) {
        form.logPane->clear();
        find(c.format)->click();
        static_cast<QCheckBox *>(find("CheckBox16"))->setChecked(c.semicolon);
        static_cast<QCheckBox *>(find("CheckBox17"))->setChecked(c.question);
        static_cast<QCheckBox *>(find("CheckBox18"))->setChecked(c.comma);
        static_cast<QCheckBox *>(find("CheckBox15"))->setChecked(c.enter);
        find("Button24")->click();
        form.logPane->clear();
        find("Button25")->click();
        const QString p = QStringLiteral("The Output format ： ");
        const QStringList lines = form.logPane->lines();
        ASSERT_GE(lines.size(), 6) << c.format;
        EXPECT_EQ(lines[0], QStringLiteral("Read data success    09:30:00 AM"));
        EXPECT_EQ(lines[1], p + c.formatLine);
        EXPECT_EQ(lines[2], p + (c.semicolon ? "add semicolon" : "do not add semicolon "));
        EXPECT_EQ(lines[3], p + (c.comma ? "add ," : "do not add , "));
        EXPECT_EQ(lines[4], p + (c.question ? "add ?" : "do not add ? "));
        EXPECT_EQ(lines[5], p + (c.enter ? "add enter" : "do not add enter "));
    }

    form.logPane->clear();
    find("Button63")->click();
    const QStringList version = form.logPane->lines();
    ASSERT_GE(version.size(), 2);
    EXPECT_EQ(version[0], QStringLiteral("read version number success "));
    EXPECT_TRUE(version[1].startsWith(QStringLiteral("the version number is：：")));
    EXPECT_GT(version[1].size(), QStringLiteral("the version number is：：").size());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    guard::setErrorDisplay({});
    appclock::setSource({});
}

} // namespace
