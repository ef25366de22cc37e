#include "hf/s50page.h"
#include "support/faketransport.h"
#include "support/windowtest.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/appsettings.h"
#include "ui/logpane.h"
#include "ui/tform1.h"
#include "ui/windowhabits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QTabBar>
#include <gtest/gtest.h>

namespace
{

// Every test here starts and ends without kept choices, and with the look it found.
struct Habits : WindowTest {
    QString style = QApplication::style()->name();
    QPalette palette = QApplication::palette();

    void SetUp() override
    {
        appSettings().remove(QStringLiteral("window"));
        WindowTest::SetUp();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        appSettings().remove(QStringLiteral("window"));
        QApplication::setStyle(style);
        QApplication::setPalette(palette);
    }
    void reopen()
    {
        form->close();
        form.reset();
        openWindow(usb);
    }
    QAction *hfPages() const { return find<QAction>("ToolsShowHfPages"); }
    // A key as the user presses it, to the widget that has the focus.
    void press(QWidget *focus, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        focus->setFocus();
        QKeyEvent down(QEvent::KeyPress, key, modifiers), up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(focus, &down);
        QApplication::sendEvent(focus, &up);
    }
};

TEST_F(Habits, KeyboardNavigationNeverLandsOnAHiddenPage)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page; // index the page control shows afterwards
    };
    const std::vector<Key> hidden = {{Qt::Key_Tab, ctrl, 6},          {Qt::Key_Tab, ctrl, 7},
                                     {Qt::Key_Backtab, ctrlShift, 6}, {Qt::Key_Backtab, ctrlShift, 0},
                                     {Qt::Key_Backtab, ctrlShift, 9}, {Qt::Key_PageDown, ctrl, 0},
                                     {Qt::Key_PageUp, ctrl, 9},       {Qt::Key_PageUp, ctrl, 8},
                                     {Qt::Key_PageDown, ctrl, 9},     {Qt::Key_Tab, ctrl, 0}};
    const std::vector<Key> shown = {{Qt::Key_Tab, ctrl, 1},
                                    {Qt::Key_PageDown, ctrl, 2},
                                    {Qt::Key_Backtab, ctrlShift, 1},
                                    {Qt::Key_PageUp, ctrl, 0}};
    // From wherever the focus is: the tab bar, a field of the page, the log pane.
    QWidget *const focuses[] = {form->pageControl->tabBar(), form->keyboardPage->byteCountEdit, form->logPane};
    for (QWidget *focus : focuses) {
        for (const auto &[keys, on] : {std::pair{&hidden, false}, std::pair{&shown, true}}) {
            hfPages()->setChecked(on);
            form->pageControl->setCurrentIndex(0);
            for (const Key &k : *keys) {
                press(focus, k.key, k.modifiers);
                const int now = form->pageControl->currentIndex();
                EXPECT_EQ(now, k.page) << focus->metaObject()->className() << " key " << k.key << " pages shown " << on;
                EXPECT_TRUE(form->pageControl->isTabVisible(now));
                EXPECT_EQ(form->pageControl->tabBar()->currentIndex(), now) << "the tab of the page is selected";
            }
        }
    }
}

TEST_F(Habits, HiddenPagesShowOnRequestAndAreBuiltOnTheirFirstShow)
{
    // A window of its own: the fixture's pages are built already.
    FakeTransport reader;
    TForm1 window(reader);
    window.show();
    auto *action = window.findChild<QAction *>(QStringLiteral("ToolsShowHfPages"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isCheckable());
    EXPECT_FALSE(action->isChecked());
    action->setChecked(true);
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(window.pageControl->isTabVisible(i)) << i;
    EXPECT_FALSE(window.s50Page->isBuilt()) << "shown as a tab, not yet as a page";
    window.pageControl->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_TRUE(window.s50Page->isBuilt());
    // Hidden again while one of them is the current page: the first page takes its place.
    action->setChecked(false);
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(window.pageControl->isTabVisible(i)) << i;
    EXPECT_EQ(window.pageControl->currentIndex(), 0);
}

TEST_F(Habits, PositionStyleAndHfPagesAreKeptButNoField)
{
    EXPECT_FALSE(hfPages()->isChecked()) << "off unless the user turned it on";
    hfPages()->setChecked(true);
    find<QAction>("N13")->trigger(); // "Stype three": the Windows look
    form->move(123, 77);
    form->keyboardPage->byteCountEdit->setText("42");
    reopen();
    EXPECT_TRUE(hfPages()->isChecked());
    EXPECT_TRUE(form->pageControl->isTabVisible(1));
    EXPECT_EQ(QApplication::style()->name().toLower(), "windows");
    EXPECT_EQ(form->pos(), QPoint(123, 77));
    EXPECT_EQ(form->keyboardPage->byteCountEdit->text(), "10") << "fields start with the form's own values";

    hfPages()->setChecked(false);
    reopen();
    EXPECT_FALSE(hfPages()->isChecked());
    EXPECT_FALSE(form->pageControl->isTabVisible(1));
}

} // namespace
