#include "base/clock.h"
#include "base/hex.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "protocol/errorcodes.h"
#include "support/faketransport.h"
#include "support/windowtest.h"
#include "uhf/outputdevicepage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QComboBox>
#include <functional>
#include <gtest/gtest.h>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");

// The frame a body travels in, worked out here on its own: AA ADDR LEN BODY XOR BB.
QString frameOf(const QString &body, const QString &address = QStringLiteral("00"))
{
    const QByteArray b = hex::toBytes(body);
    int x = hex::toBytes(address)[0] ^ int(b.size());
    for (const char c : b)
        x ^= uint8_t(c);
    QStringList pairs{QStringLiteral("AA"), address, hex::byteText(int(b.size()))};
    for (const char c : b)
        pairs << hex::byteText(uint8_t(c));
    pairs << hex::byteText(x & 0xFF) << QStringLiteral("BB");
    return pairs.join(QLatin1Char(' '));
}

struct OutputDevice : WindowTest {
    OutputDevicePage *page = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        page = form->outputDevicePage;
    }
    QPushButton *button(const char *name) const { return page->findChild<QPushButton *>(QLatin1String(name)); }
    void press(const char *name)
    {
        QPushButton *b = button(name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
};

struct Row {
    const char *button;
    const char *body; // with the start values; empty: the literal frame below
    QString ok, fail;
};

const Row kRows[] = {
    {"Button43", "CB 01 30 31 32 33", QStringLiteral("Set prefix Success    "), QStringLiteral("Set prefix False    ")},
    {"Button50", "CB 02 31 32 33 34", QStringLiteral("Suffix setting Success     "),
     QStringLiteral("Suffix setting false     ")},
    {"Button30", "C1 0A", QStringLiteral("search card interval success     "),
     QStringLiteral("search card interval false     ")},
    {"Button35", "C2 0A", QStringLiteral("Set card filter number Success     "),
     QStringLiteral("Set card filter number false     ")},
    {"Button41", "C3 01 01 01", QStringLiteral("output interface setting  Success    "),
     QStringLiteral("output interface setting false     ")},
    {"Button51", "C4 00", QStringLiteral("Setting baud rate Success     "),
     QStringLiteral("Setting baud rate False     ")},
    {"Button56", "C5 02", QStringLiteral("Serial port end symbol Success     "),
     QStringLiteral("Serial port end symbol false     ")},
    {"Button58", "C6 00", QStringLiteral("Wiegand output format success     "),
     QStringLiteral("Wiegand output format false    ")},
    {"Button59", "C9 09", QStringLiteral("Set Wiegand value position success     "),
     QStringLiteral("Set Wiegand value position false     ")},
    {"Button60", "C7 0A", QStringLiteral("Set wiegand Low level pulse Success     "),
     QStringLiteral("Set wiegand Low level pulse False     ")},
    {"Button61", "C8 0A", QStringLiteral("Set Wiegand Idle level Success     "),
     QStringLiteral("Set Wiegand Idle level fasle     ")},
    {"Button62", "CC 02", QStringLiteral("Set RF power Success     "), QStringLiteral("Set RF power False     ")},
    {"Button71", "", QStringLiteral("USB mode switch setting  Success    "),
     QStringLiteral("USB mode switch setting false     ")},
};

TEST_F(OutputDevice, EveryButtonSendsItsStartValueAndReportsEachKindOfReply)
{
    const QString noData = QStringLiteral("Data error,no data recevice..   ") + kTime;
    const QString other = QStringLiteral("data error,please check data..   ") + kTime;
    const struct {
        const char *name, *reply;
        std::function<QStringList(const Row &)> lines;
    } outcomes[] = {
        {"success", "AA 00 01 00 01 BB",
         [](const Row &r) {
             return QStringList{r.ok + kTime, ""};
         }},
        {"failure", "AA 00 02 01 83 80 BB",
         [](const Row &r) {
             return QStringList{r.fail + kTime, falsereason(QStringLiteral("83")), ""};
         }},
        {"damaged", "AA 00 01 05 04 BB",
         [&](const Row &) {
             return QStringList{other, ""};
         }},
        {"silent", "",
         [&](const Row &) {
             return QStringList{noData, ""};
         }},
    };
    for (const Row &r : kRows) {
        const QString frame = *r.body ? frameOf(QString::fromLatin1(r.body)) : QStringLiteral("AA 00 01 B8 B9 BB");
        for (const auto &o : outcomes) {
            form->logPane->clear();
            usb.sent.clear();
            if (*o.reply)
                usb.reply(QString::fromLatin1(o.reply));
            press(r.button);
            EXPECT_EQ(usb.sentHex(), QStringList{frame}) << r.button << " " << o.name;
            EXPECT_EQ(log(), o.lines(r)) << r.button << " " << o.name;
        }
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(OutputDevice, BodiesFollowTheControls)
{
    const struct {
        const char *what, *button;
        std::function<void(OutputDevicePage &)> set;
        const char *body; // the expected body; a whole frame when it starts with AA
    } cases[] = {
        {"one prefix byte", "Button43",
         [](OutputDevicePage &p) {
             p.prefix1Edit->setText("0D");
             p.prefix2Edit->clear();
             p.prefix3Edit->clear();
             p.prefix4Edit->clear();
         },
         "CB 01 0D"},
        {"no prefix", "Button43",
         [](OutputDevicePage &p) {
             for (QLineEdit *e : {p.prefix1Edit, p.prefix2Edit, p.prefix3Edit, p.prefix4Edit})
                 e->clear();
         },
         "CB 01"},
        {"a field with two bytes, blanks dropped", "Button43",
         [](OutputDevicePage &p) { p.prefix2Edit->setText("0d 0a"); }, "CB 01 30 0D 0A 32 33"},
        {"suffix gap in the middle", "Button50", [](OutputDevicePage &p) { p.suffix2Edit->clear(); }, "CB 02 31 33 34"},
        {"interval 255", "Button30", [](OutputDevicePage &p) { p.intervalEdit->setText("255"); }, "C1 FF"},
        {"interval 0", "Button30", [](OutputDevicePage &p) { p.intervalEdit->setText("0"); }, "C1 00"},
        {"filter with blanks", "Button35", [](OutputDevicePage &p) { p.filterEdit->setText(" 16 "); }, "C2 10"},
        {"interfaces close, open, close", "Button41",
         [](OutputDevicePage &p) {
             p.serialCloseRadio->setChecked(true);
             p.usbCloseRadio->setChecked(true);
         },
         "C3 00 01 00"},
        {"interfaces all closed", "Button41",
         [](OutputDevicePage &p) {
             p.serialCloseRadio->setChecked(true);
             p.wiegandCloseRadio->setChecked(true);
             p.usbCloseRadio->setChecked(true);
         },
         "C3 00 00 00"},
        {"baud 19200", "Button51", [](OutputDevicePage &p) { p.baudRateList->setCurrentIndex(1); }, "C4 01"},
        {"baud 115200", "Button51", [](OutputDevicePage &p) { p.baudRateList->setCurrentIndex(4); }, "C4 04"},
        {"baud typed 57600", "Button51", [](OutputDevicePage &p) { p.baudRateList->setEditText("57600"); }, "C4 03"},
        {"RF power 11 is decimal", "Button62", [](OutputDevicePage &p) { p.rfPowerEdit->setText("11"); }, "CC 0B"},
        {"value position 12", "Button59", [](OutputDevicePage &p) { p.wiegandPositionEdit->setText("12"); }, "C9 0C"},
        {"pulse width is hexadecimal", "Button60", [](OutputDevicePage &p) { p.wiegandPulseEdit->setText("ff"); },
         "C7 FF"},
        {"idle level is hexadecimal", "Button61", [](OutputDevicePage &p) { p.wiegandIdleEdit->setText("10"); },
         "C8 10"},
    };
    for (const auto &c : cases) {
        OutputDevicePage fresh(*form); // start values again
        fresh.ensureBuilt();
        usb.sent.clear();
        usb.reply("AA 00 01 00 01 BB");
        c.set(fresh);
        fresh.findChild<QPushButton *>(QLatin1String(c.button))->click();
        EXPECT_EQ(usb.lastSentHex(), frameOf(QString::fromLatin1(c.body))) << c.what;
    }

    // A rate the reader has no code for is refused before anything is sent (a bare C4 would
    // leave the reader's rate to chance).
    {
        OutputDevicePage fresh(*form);
        fresh.ensureBuilt();
        usb.sent.clear();
        fresh.baudRateList->setEditText("4800");
        fresh.baudRateButton->click();
        EXPECT_TRUE(usb.sent.isEmpty());
        EXPECT_EQ(errors, QStringList{"The baud rate must be one of 9600, 19200, 38400, 57600, 115200, not '4800'."});
        errors.clear();
    }

    // The device address goes into every framed setting but not into the USB mode switch.
    auto *setadd = form->findChild<QComboBox *>(QStringLiteral("setadd"));
    ASSERT_NE(setadd, nullptr);
    setadd->setCurrentIndex(5);
    usb.sent.clear();
    press("Button50");
    press("Button71");
    EXPECT_EQ(usb.sentHex(), (QStringList{frameOf("CB 02 31 32 33 34", "05"), "AA 00 01 B8 B9 BB"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(OutputDevice, FieldsThatAreNoByteAreRefusedBeforeSending)
{
    const struct {
        const char *button;
        QLineEdit *OutputDevicePage::*field;
        const char *text, *message;
    } cases[] = {
        {"Button30", &OutputDevicePage::intervalEdit, "256", "'256' is out of range: the value must be from 0 to 255."},
        {"Button30", &OutputDevicePage::intervalEdit, "-1", "'-1' is out of range: the value must be from 0 to 255."},
        {"Button35", &OutputDevicePage::filterEdit, "", "'' is not a valid integer value"},
        {"Button56", &OutputDevicePage::endSymbolEdit, "0x02", "'0x02' is not a valid integer value"},
        {"Button62", &OutputDevicePage::rfPowerEdit, "1A", "'1A' is not a valid integer value"},
        {"Button58", &OutputDevicePage::wiegandFormatEdit, "99999999999", "'99999999999' is not a valid integer value"},
        {"Button59", &OutputDevicePage::wiegandPositionEdit, "1 2", "'1 2' is not a valid integer value"},
        {"Button60", &OutputDevicePage::wiegandPulseEdit, "100",
         "'100' is out of range: the value must be from 00 to FF."},
        {"Button60", &OutputDevicePage::wiegandPulseEdit, "G1", "'G1' is not a valid integer value"},
        {"Button61", &OutputDevicePage::wiegandIdleEdit, "", "'' is not a valid integer value"},
        {"Button61", &OutputDevicePage::wiegandIdleEdit, "-1",
         "'-1' is out of range: the value must be from 00 to FF."},
        {"Button43", &OutputDevicePage::prefix1Edit, "3",
         "The first byte of the prefix must be at most 16 bytes of hexadecimal digits, two per byte, not '3'."},
        {"Button43", &OutputDevicePage::prefix4Edit, "0x30",
         "The fourth byte of the prefix must be at most 16 bytes of hexadecimal digits, two per byte, not '0x30'."},
        {"Button50", &OutputDevicePage::suffix3Edit, "313",
         "The third byte of the suffix must be at most 16 bytes of hexadecimal digits, two per byte, not '313'."},
    };
    for (const auto &c : cases) {
        errors.clear();
        QLineEdit *field = page->*c.field;
        const QString before = field->text();
        field->setText(QString::fromLatin1(c.text));
        press(c.button);
        ASSERT_EQ(errors.size(), 1) << c.button << " '" << c.text << "'";
        EXPECT_EQ(errors[0], QString::fromLatin1(c.message));
        field->setText(before);
    }
    EXPECT_TRUE(usb.sent.isEmpty());
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(OutputDevice, StartTextsAndCaptions)
{
    const struct {
        const char *edit, *text;
    } edits[] = {{"Edit24", "30"}, {"Edit25", "31"}, {"Edit26", "32"}, {"Edit27", "33"},
                 {"Edit44", "31"}, {"Edit45", "32"}, {"Edit46", "33"}, {"Edit47", "34"},
                 {"Edit29", "10"}, {"Edit35", "10"}, {"Edit37", "02"}, {"Edit52", "02"},
                 {"Edit39", "00"}, {"Edit40", "09"}, {"Edit42", "0A"}, {"Edit51", "0A"}};
    for (const auto &e : edits) {
        auto *field = page->findChild<QLineEdit *>(QLatin1String(e.edit));
        ASSERT_NE(field, nullptr) << e.edit;
        EXPECT_EQ(field->text(), QLatin1String(e.text)) << e.edit;
    }
    EXPECT_EQ(button("Button43")->text(), "Prefix seting");
    EXPECT_EQ(button("Button50")->text(), "Suffix setting");
    EXPECT_EQ(button("Button51")->text(), "Settting");
    for (const char *b : {"Button30", "Button35", "Button41", "Button71", "Button56", "Button62", "Button58",
                          "Button59", "Button60", "Button61"})
        EXPECT_EQ(button(b)->text(), "Setting") << b;
    EXPECT_EQ(page->baudRateList->currentText(), "9600");
    EXPECT_EQ(page->baudRateList->count(), 5);
    for (QRadioButton *open : {page->serialOpenRadio, page->wiegandOpenRadio, page->usbOpenRadio})
        EXPECT_TRUE(open->isChecked());
    // The pairs are separate choices: closing one leaves the others open.
    page->wiegandCloseRadio->setChecked(true);
    EXPECT_TRUE(page->serialOpenRadio->isChecked());
    EXPECT_FALSE(page->wiegandOpenRadio->isChecked());
    EXPECT_TRUE(page->usbOpenRadio->isChecked());
}

} // namespace
