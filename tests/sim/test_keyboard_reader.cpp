#include "base/clock.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "protocol/errorcodes.h"
#include "simtestutil.h"
#include "uhf/outputdevicepage.h"
#include "uhf/wifipage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include "support/windowtest.h"

#include <functional>
#include <gtest/gtest.h>

using namespace simtest;

namespace
{

struct Case {
    const char *name;
    const char *body;
    QString expected;
};

TEST(KeyboardReader, AnswersEachCommandAtThePositionsThePagesRead)
{
    const QString version = hex::fromBytes("SIM-UHF V1.0");
    const Case cases[] = {
        {"set format, defaults", "82 0F 00 00 00 01 01 01 00", ok()},
        {"set format, custom length 10", "82 8A 01 00 01 01 01 01 01", ok()},
        {"set format, code between ASCII and custom", "82 20 00 00 00 01 01 01 00", fail("10")},
        {"set format, flag not 0/1", "82 0F 02 00 00 01 01 01 00", fail("10")},
        {"set format, too short", "82 0F 00", fail("91")},
        {"read format, factory state", "83", ok("00 0F 00 00 00 01 01 01 00")},
        {"active reading", "0F 01", ok()},
        {"TID reading", "0F 04", ok()},
        {"reading mode out of range", "0F 05", fail("10")},
        {"memory sector mode", "BC 03 00 00 00 00 00 08", ok()},
        {"memory sector mode, sector 4", "BC 04 00 00 00 00 00 08", fail("10")},
        {"factory default", "CF", ok()},
        {"version as text", "C0", ok(version)},
        {"voice off", "CD 00", ok()},
        {"prefix of four bytes", "CB 01 30 31 32 33", ok()},
        {"suffix cleared", "CB 02", ok()},
        {"prefix of five bytes", "CB 01 30 31 32 33 34", fail("10")},
        {"prefix without selector", "CB", fail("91")},
        {"search interval 255", "C1 FF", ok()},
        {"output interfaces", "C3 00 01 00", ok()},
        {"output interfaces, flag 2", "C3 02 01 00", fail("10")},
        {"baud rate 115200", "C4 04", ok()},
        {"baud rate typed as 4800", "C4", fail("91")},
        {"end symbol 3", "C5 03", fail("10")},
        {"Wiegand WG98", "C6 03", ok()},
        {"pulse width 0", "C7 00", fail("10")},
        {"idle level 10", "C8 0A", ok()},
        {"RF power 18", "CC 12", fail("10")},
        {"USB virtual serial port", "B8", ok()},
        {"WiFi name ab, no password", "8A 61 62 2C", ok()},
        {"WiFi without a name", "8A 2C 70 77", fail("81")},
        {"WiFi without separator", "8A 61 62", fail("91")},
        {"IP address as text", "8B", ok(hex::fromBytes("192.168.1.57"))},
        {"HF-only command", "80 1F", fail("8F")},
        {"unknown command", "77", fail("8F")},
    };
    for (const Case &c : cases) {
        SimulatedReader r;
        EXPECT_EQ(command(r, QString::fromLatin1(c.body)), c.expected) << c.name;
    }
}

TEST(KeyboardReader, ReadReturnsWhatSetStored)
{
    // Reply bytes 5 to 12 carry the eight setting bytes in the order Set sent them.
    const char *settings[] = {"0F 00 00 00 01 01 01 00", "8A 01 01 01 00 01 01 01", "10 00 01 00 01 00 01 00",
                              "01 01 00 01 00 01 01 01"};
    for (const char *s : settings) {
        SimulatedReader r;
        ASSERT_EQ(command(r, QStringLiteral("82") + QString::fromLatin1(s)), ok()) << s;
        const QString read = command(r, QStringLiteral("83"));
        EXPECT_EQ(bytes(read, 3, 3), "00");
        EXPECT_EQ(bytes(read, 5, 12), hex::filter(QString::fromLatin1(s))) << s;
    }
    SimulatedReader r;
    command(r, QStringLiteral("82 8A 01 01 01 00 01 01 01"));
    command(r, QStringLiteral("CF"));
    EXPECT_EQ(bytes(command(r, QStringLiteral("83")), 5, 12), "0F00000001010100") << "factory reset";
}

TEST(KeyboardReader, NetworkListFillsRowsAsTheListScanReadsThem)
{
    // The scan of the WiFi page: reply bytes 4 … n-9, entries name , sss x.
    SimulatedReader r;
    const QByteArray reply = hex::toBytes(command(r, QStringLiteral("8C")));
    ASSERT_EQ(uint8_t(reply[3]), 0x00);
    const int n = int(reply.size());
    QStringList rows;
    QByteArray name;
    int skip = 0;
    for (int i = 4; i <= n - 9; ++i) {
        if (reply[i] == ',') {
            rows << QString::fromLatin1(name) + "|" + QString::fromLatin1(reply.mid(i + 1, 3));
            name.clear();
            skip = 5;
        } else if (skip > 1) {
            --skip;
        } else {
            name.append(reply[i]);
        }
    }
    EXPECT_EQ(rows, QStringList({"workshop|-48", "lab-2.4G|-61", "guest|-70", "warehouse-ap|-83"}));
}

TEST(KeyboardReader, NetworkListStaysWithinTheReplyArea)
{
    SimulatedReader r;
    for (int i = 0; i < 40; ++i)
        r.keyboard().networks.append({QStringLiteral("a-rather-long-network-name-%1").arg(i), QStringLiteral("-99")});
    const QByteArray reply = hex::toBytes(command(r, QStringLiteral("8C")));
    EXPECT_LE(uint8_t(reply[2]), 240);
    EXPECT_EQ(int(reply.size()), uint8_t(reply[2]) + 5);
}

TEST(KeyboardReader, KeepsTheOutputDeviceAndWifiSettingsItAccepts)
{
    SimulatedReader r;
    KeyboardReader &k = r.keyboard();
    const struct {
        const char *body;
        std::function<bool()> stored;
    } cases[] = {
        {"CB 01 0D", [&] { return k.prefix == QByteArray("\x0D", 1); }},
        {"CB 02 31 32", [&] { return k.suffix == "12" && k.prefix == QByteArray("\x0D", 1); }},
        {"CB 01", [&] { return k.prefix.isEmpty(); }},
        {"C1 FF", [&] { return uint8_t(k.oneByteSettings[0xC1]) == 0xFF; }},
        {"C4 03", [&] { return k.oneByteSettings[0xC4] == 0x03; }},
        {"C7 FF", [&] { return uint8_t(k.oneByteSettings[0xC7]) == 0xFF; }},
        {"C3 00 01 00", [&] { return k.outputInterfaces == QByteArray::fromHex("000100"); }},
        {"B8", [&] { return k.usbVirtualSerial; }},
        {"8A 67 75 65 73 74 2C 70 2C 77", [&] { return k.wifiName == "guest" && k.wifiPassword == "p,w"; }},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(command(r, QString::fromLatin1(c.body)), ok()) << c.body;
        EXPECT_TRUE(c.stored()) << c.body;
    }
    // A refused value changes nothing.
    EXPECT_EQ(command(r, QStringLiteral("C4 05")), fail("10"));
    EXPECT_EQ(k.oneByteSettings[0xC4], 0x03);
    command(r, QStringLiteral("CF"));
    EXPECT_TRUE(k.prefix.isEmpty() && k.suffix.isEmpty() && !k.usbVirtualSerial);
    EXPECT_EQ(k.outputInterfaces, QByteArray::fromHex("010101"));
}

TEST(KeyboardReader, HasAnAddressOnlyOnANetworkInRange)
{
    const QString ip = ok(hex::fromBytes("192.168.1.57"));
    const QString name32 = hex::fromBytes(QByteArray(32, 'n')), name33 = hex::fromBytes(QByteArray(33, 'n'));
    const struct {
        QString setUp, expected, address;
    } cases[] = {
        {{}, ok(), ip}, // the factory network is in range
        {"8A 67 75 65 73 74 2C", ok(), ip},
        {"8A 6F 66 66 69 63 65 2C 70 77", ok(), fail("81")}, // "office" is not listed
        {"8A " + name32 + " 2C", ok(), fail("81")},
        {"8A " + name33 + " 2C", fail("10"), ip}, // refused: the old network stays
        {"8A 67 2C " + hex::fromBytes(QByteArray(65, 'p')), fail("10"), ip},
    };
    for (const auto &c : cases) {
        SimulatedReader r;
        if (!c.setUp.isEmpty()) {
            EXPECT_EQ(command(r, c.setUp), c.expected) << c.setUp.left(20).toStdString();
        }
        EXPECT_EQ(command(r, QStringLiteral("8B")), c.address) << c.setUp.left(20).toStdString();
    }
}

// The two pages against the simulated reader, as a user drives them.
struct PagesOnSimulator : ::testing::Test {
    SimulatedReader reader;
    QStringList errors;
    std::unique_ptr<TForm1> form;
    void SetUp() override
    {
        waits::resetForTests();
        appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 30, 0)); });
        guard::setErrorDisplay([this](const QString &m) { errors << m; });
        form = std::make_unique<TForm1>(reader);
        WindowTestBase::buildPages(*form);
    }
    void TearDown() override
    {
        form.reset();
        guard::setErrorDisplay({});
        appclock::setSource({});
    }
    QStringList log() const { return form->logPane->lines(); }
};

TEST_F(PagesOnSimulator, EveryOutputDeviceSettingIsAcceptedWithItsStartValue)
{
    OutputDevicePage *page = form->outputDevicePage;
    const char *buttons[] = {"Button43", "Button50", "Button30", "Button35", "Button41", "Button51", "Button56",
                             "Button58", "Button59", "Button60", "Button61", "Button62", "Button71"};
    for (const char *b : buttons) {
        form->logPane->clear();
        page->findChild<QPushButton *>(QLatin1String(b))->click();
        const QStringList lines = log();
        ASSERT_EQ(lines.size(), 2) << b;
        EXPECT_TRUE(lines[0].contains(QLatin1String("Success"), Qt::CaseInsensitive)) << lines[0].toStdString();
    }
    const KeyboardReader &k = reader.keyboard();
    EXPECT_EQ(k.prefix, "0123");
    EXPECT_EQ(k.suffix, "1234");
    EXPECT_EQ(uint8_t(k.oneByteSettings[0xC1]), 10);
    EXPECT_EQ(uint8_t(k.oneByteSettings[0xC7]), 0x0A);
    EXPECT_EQ(uint8_t(k.oneByteSettings[0xC8]), 0x0A);
    EXPECT_TRUE(k.usbVirtualSerial);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PagesOnSimulator, WifiListSetUpAndAddress)
{
    WifiPage *page = form->wifiPage;
    page->scanButton->click();
    QStringList rows;
    for (int r = 1; !page->cell(r, 1).isEmpty(); ++r)
        rows << page->cell(r, 1) + " " + page->cell(r, 2) + " " + page->cell(r, 3);
    EXPECT_EQ(rows, (QStringList{"1 workshop -48", "2 lab-2.4G -61", "3 guest -70", "4 warehouse-ap -83"}));

    // Pick a listed network, join it and read the address; then a network out of range.
    page->networkGrid->setCurrentCell(3, 2);
    EXPECT_EQ(page->networkNameEdit->text(), "guest");
    page->networkPasswordEdit->setText("secret");
    page->joinButton->click();
    EXPECT_EQ(reader.keyboard().wifiPassword, "secret");
    page->ipAddressButton->click();
    page->networkNameEdit->setText("office");
    page->joinButton->click();
    page->ipAddressButton->click();
    EXPECT_EQ(log().mid(2),
              (QStringList{"WiFi set successfully    09:30:00 AM", "", "Read IP address successfully    09:30:00 AM",
                           QString::fromUtf8("IP address is\xef\xbc\x9a"
                                             "192.168.1.57"),
                           "", "WiFi set successfully    09:30:00 AM", "", "Failed to read IP address   09:30:00 AM",
                           falsereason("81"), ""}));
}

} // namespace
