#include "base/clock.h"
#include "base/hex.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "protocol/errorcodes.h"
#include "support/faketransport.h"
#include "support/windowtest.h"
#include "uhf/wifipage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");

// A success reply at address 00 carrying data (its check byte is not read by the page).
QString okReply(const QByteArray &data)
{
    QString text = QStringLiteral("AA 00 ") + hex::byteText(int(data.size()) + 1) + QStringLiteral(" 00 ");
    for (const char c : data)
        text += hex::byteText(uint8_t(c)) + QLatin1Char(' ');
    return text + QStringLiteral("00 BB");
}

struct Wifi : WindowTest {
    WifiPage *page = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->wifiPage;
    }
    // Rows 1 … of the grid as "serial|name|signal", up to the first empty row.
    QStringList rows() const
    {
        QStringList out;
        for (int r = 1; r < page->networkGrid->rowCount() && !page->cell(r, 1).isEmpty(); ++r)
            out << page->cell(r, 1) + "|" + page->cell(r, 2) + "|" + page->cell(r, 3);
        return out;
    }
    void list(const QByteArray &data)
    {
        usb.reply(okReply(data));
        page->scanButton->click();
    }
    void clickCell(int row, int column)
    {
        QWidget *view = page->networkGrid->viewport();
        QTableWidget *grid = page->networkGrid;
        const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, at, view->mapToGlobal(at), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view, &e);
        }
    }
};

TEST_F(Wifi, SetUpSendsNameCommaPassword)
{
    const struct {
        const char *name, *password, *frame;
    } cases[] = {
        {"ab", "", "AA 00 04 8A 61 62 2C A1 BB"},
        {"", "pw", "AA 00 04 8A 2C 70 77 A5 BB"},
        {"ab", "p,w", "AA 00 07 8A 61 62 2C 70 2C 77 89 BB"},
        // UTF-8 is the code page: one character, two bytes.
        {"\xc3\xa9", "", "AA 00 04 8A C3 A9 2C C8 BB"},
    };
    for (const auto &c : cases) {
        usb.sent.clear();
        page->networkNameEdit->setText(QString::fromUtf8(c.name));
        page->networkPasswordEdit->setText(QString::fromUtf8(c.password));
        usb.reply("AA 00 01 00 01 BB");
        page->joinButton->click();
        EXPECT_EQ(usb.sentHex(), QStringList{c.frame}) << c.name << "/" << c.password;
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Wifi, SetUpRefusesANameTheReaderWouldSplitAndTextsBeyondOneFrame)
{
    const struct {
        QString name, password;
    } cases[] = {
        {"my,net", "pw"},
        {",", ""},
        {QString(200, 'n'), QString(49, 'p')},
    };
    for (const auto &c : cases) {
        errors.clear();
        page->networkNameEdit->setText(c.name);
        page->networkPasswordEdit->setText(c.password);
        page->joinButton->click();
        EXPECT_EQ(errors.size(), 1) << c.name.left(10).toStdString();
    }
    EXPECT_TRUE(usb.sent.isEmpty());
    EXPECT_TRUE(log().isEmpty());
    // The longest pair that fits still goes out.
    page->networkNameEdit->setText(QString(200, 'n'));
    page->networkPasswordEdit->setText(QString(48, 'p'));
    page->joinButton->click();
    EXPECT_EQ(usb.sent.size(), 1);
    EXPECT_EQ(usb.sent[0].size(), 255);
}

TEST_F(Wifi, EachHandlerReportsEachKindOfReply)
{
    const QString noData = QStringLiteral("error,no data  receive..   ") + kTime;
    const QString other = QStringLiteral("data error,please check data..   ") + kTime;
    const QString reason = falsereason(QStringLiteral("83"));
    const struct {
        const char *what;
        std::function<void(WifiPage &)> click;
        const char *reply;
        QStringList lines;
    } cases[] = {
        {"set up ok",
         [](WifiPage &p) { p.joinButton->click(); },
         "AA 00 01 00 01 BB",
         {"WiFi set successfully    " + kTime, ""}},
        {"set up refused",
         [](WifiPage &p) { p.joinButton->click(); },
         "AA 00 02 01 83 80 BB",
         {"WiFi setting failed    " + kTime, reason, ""}},
        {"set up damaged", [](WifiPage &p) { p.joinButton->click(); }, "AA 00 01 07 06 BB", {other, ""}},
        {"set up silent", [](WifiPage &p) { p.joinButton->click(); }, "", {noData, ""}},
        {"IP address",
         [](WifiPage &p) { p.ipAddressButton->click(); },
         "AA 00 0D 00 31 39 32 2E 31 36 38 2E 31 2E 35 37 00 BB",
         {"Read IP address successfully    " + kTime, "IP address is：192.168.1.57", ""}},
        {"IP address, no data",
         [](WifiPage &p) { p.ipAddressButton->click(); },
         "AA 00 01 00 01 BB",
         {"Read IP address successfully    " + kTime, "IP address is：", ""}},
        {"IP address, cut short",
         [](WifiPage &p) { p.ipAddressButton->click(); },
         "AA 00 01 00",
         {"Read IP address successfully    " + kTime, "IP address is：", ""}},
        {"IP address refused",
         [](WifiPage &p) { p.ipAddressButton->click(); },
         "AA 00 02 01 83 80 BB",
         {"Failed to read IP address   " + kTime, reason, ""}},
        {"IP address silent", [](WifiPage &p) { p.ipAddressButton->click(); }, "", {noData, ""}},
        {"list refused",
         [](WifiPage &p) { p.scanButton->click(); },
         "AA 00 02 01 83 80 BB",
         {"Failed to read WiFi    " + kTime, reason, ""}},
        {"list damaged", [](WifiPage &p) { p.scanButton->click(); }, "AA 00 01 FF FE BB", {other, ""}},
    };
    for (const auto &c : cases) {
        form->logPane->clear();
        usb.sent.clear();
        if (*c.reply)
            usb.reply(QString::fromLatin1(c.reply));
        c.click(*page);
        EXPECT_EQ(log(), c.lines) << c.what;
        EXPECT_EQ(usb.sent.size(), 1) << c.what;
    }
    // The IP line and the list command as frames.
    usb.sent.clear();
    usb.reply("AA 00 01 00 01 BB");
    page->ipAddressButton->click();
    usb.reply("AA 00 01 00 01 BB");
    page->scanButton->click();
    EXPECT_EQ(usb.sentHex(), (QStringList{"AA 00 01 8B 8A BB", "AA 00 01 8C 8D BB"}));
}

TEST_F(Wifi, ListingFillsTheGridAsTheReplyIsScanned)
{
    const QByteArray tail("\x01\x02\x03\x04", 4);
    const struct {
        const char *what;
        QByteArray data;
        QStringList rows;
    } cases[] = {
        {"two networks", "net1,-50|net2,-70|" + tail, {"1|net1|-50", "2|net2|-70"}},
        {"second comma beyond the scan", "net1,-50|net2,-70|", {"1|net1|-50"}},
        {"comma inside a name", "ab,cdefgh,-50|" + tail, {"1|ab|cde", "2|gh|-50"}},
        {"empty name", ",-40|" + tail, {"1||-40"}},
        {"UTF-8 name", "caf\xc3\xa9,-60|" + tail, {QString::fromUtf8("1|caf\xc3\xa9|-60")}},
        {"bytes that are not UTF-8", "n\xe9t,-60|" + tail, {QString::fromLatin1("1|n\xe9t|-60")}},
        {"no comma", "nothing here at all", {}},
        {"twelve bytes in all", "abcdef", {}},
        {"thirteen bytes, comma at the last scanned byte", QByteArray(",-50|\x01\x02", 7), {"1||-50"}},
        {"twelve bytes, comma at byte 4", QByteArray(",-50|\x01", 6), {}},
    };
    for (const auto &c : cases) {
        form->logPane->clear();
        list(c.data);
        EXPECT_EQ(log(), (QStringList{"Read WiFi successfully    " + kTime, ""})) << c.what;
        EXPECT_EQ(rows(), c.rows) << c.what;
        const int n = int(c.rows.size());
        // The current row is the first empty one, so the name field is empty.
        EXPECT_EQ(page->networkGrid->rowCount(), n > 0 ? n + 12 : 11) << c.what;
        if (n > 0) {
            EXPECT_EQ(page->networkGrid->currentRow(), n + 1) << c.what;
            EXPECT_EQ(page->networkNameEdit->text(), "") << c.what;
        }
        EXPECT_EQ(page->cell(0, 2), "WIFI Name");
    }
}

TEST_F(Wifi, GridStartsWithTitlesAndPicksCellsIntoTheName)
{
    form->show();
    form->pageControl->setCurrentWidget(page);
    QTableWidget *grid = page->networkGrid;
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->rowCount(), 11);
    EXPECT_EQ(page->cell(0, 1), "Serial number");
    EXPECT_EQ(page->cell(0, 2), "WIFI Name");
    EXPECT_EQ(page->cell(0, 3), "signal intensity");
    const int start[] = {0, 84, 306, 95};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(grid->columnWidth(c), start[c]) << c;

    list(QByteArray("net1,-50|net2,-70|\x01\x02\x03\x04", 22));
    const int listed[] = {0, 84, 306, 90};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(grid->columnWidth(c), listed[c]) << c;

    const struct {
        int row, column;
        const char *name;
    } picks[] = {{2, 2, "net2"}, {1, 3, "-50"}, {1, 1, "1"}, {5, 2, ""}, {1, 2, "net1"}};
    for (const auto &p : picks) {
        clickCell(p.row, p.column);
        EXPECT_EQ(page->networkNameEdit->text(), p.name) << p.row << "," << p.column;
    }
    // Picking the current cell again after typing takes the cell's text once more.
    page->networkNameEdit->setText("typed");
    clickCell(1, 2);
    EXPECT_EQ(page->networkNameEdit->text(), "net1");
    // The title row is fixed: clicking it picks nothing.
    clickCell(0, 2);
    EXPECT_EQ(page->networkNameEdit->text(), "net1");
    EXPECT_EQ(grid->currentRow(), 1);

    // A new listing keeps the column the user was in.
    clickCell(2, 3);
    list(QByteArray("net1,-50|\x01\x02\x03\x04", 13));
    EXPECT_EQ(grid->currentRow(), 2);
    EXPECT_EQ(grid->currentColumn(), 3);
    EXPECT_EQ(page->networkNameEdit->text(), "");
}

TEST_F(Wifi, AFailedListingEmptiesTheGridButKeepsTheTypedName)
{
    QByteArray many;
    for (int i = 0; i < 14; ++i)
        many += "n" + QByteArray::number(i) + ",-5" + QByteArray::number(i % 10) + "|";
    list(many + "\x01\x02\x03\x04");
    ASSERT_EQ(rows().size(), 14);
    ASSERT_EQ(page->networkGrid->currentRow(), 15);
    page->networkNameEdit->setText("mine");
    usb.reply("AA 00 02 01 83 80 BB");
    page->scanButton->click();
    EXPECT_EQ(rows(), QStringList{});
    EXPECT_EQ(page->networkGrid->rowCount(), 11);
    EXPECT_EQ(page->cell(0, 3), "signal intensity");
    EXPECT_EQ(page->networkNameEdit->text(), "mine");
}

TEST_F(Wifi, ListButtonIsDisabledWhileItWaits)
{
    // No reply: the whole wait of two seconds runs; a second press inside it does nothing.
    bool enabledInWait = true;
    QTimer::singleShot(100, [&] {
        enabledInWait = page->scanButton->isEnabled();
        page->scanButton->click();
        page->ipAddressButton->click(); // other buttons stay usable
    });
    page->scanButton->click();
    EXPECT_FALSE(enabledInWait);
    EXPECT_TRUE(page->scanButton->isEnabled());
    EXPECT_EQ(usb.sentHex(), (QStringList{"AA 00 01 8C 8D BB", "AA 00 01 8B 8A BB"}));
    EXPECT_EQ(log(),
              (QStringList{"error,no data  receive..   " + kTime, "", "error,no data  receive..   " + kTime, ""}));
}

} // namespace
