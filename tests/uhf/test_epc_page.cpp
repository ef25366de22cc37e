#include "base/clock.h"
#include "base/hex.h"
#include "epc/epcnumber.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "support/core/helpers.h"
#include "support/faketransport.h"
#include "support/windowtest.h"
#include "uhf/epcwritepage.h"
#include "ui/logpane.h"
#include "ui/tform1.h"
#include "ui/tform3.h"

#include <QMap>
#include <gtest/gtest.h>
#include <ostream>

namespace
{

const QString kTime = QStringLiteral("01:07:09 PM");
const QString kTag = QStringLiteral("E20000000000000000000007");
const QString kSilent = QStringLiteral("silent");

QString moduleFrame(int type, int command, const QString &params)
{
    const QByteArray p = hex::toBytes(params);
    QByteArray f;
    f.append(char(type));
    f.append(char(command));
    f.append(char(p.size() >> 8));
    f.append(char(p.size()));
    f.append(p);
    int sum = 0;
    for (const char c : f)
        sum += uint8_t(c);
    return QStringLiteral("BB") + hex::fromBytes(f) + hex::byteText(sum & 0xFF) + QStringLiteral("7E");
}

// A reader with a UHF module behind its pass-through command and a field of tags.
struct FakeField {
    QString tag = kTag; // EPC of the tag in the field; empty: no tag
    QString crc = QStringLiteral("C1C2");
    QStringList next;                   // tags laid one after another, each after a write
    QStringList written;                // EPCs written, in order
    QMap<int, QString> replies;         // module command -> module reply to give instead
    std::function<void(int)> onCommand; // runs as a command arrives

    QByteArray answer(const QByteArray &frame)
    {
        if (frame.size() < 7 || uint8_t(frame[3]) != 0xCE)
            return hex::toBytes(QStringLiteral("AA 00 02 01 85 86 BB")); // not a pass-through
        const QByteArray module = frame.mid(4, frame.size() - 6);
        const int command = module.size() > 2 ? uint8_t(module[2]) : -1;
        if (onCommand)
            onCommand(command);
        QString reply = moduleReply(command, module);
        if (replies.contains(command))
            reply = replies[command];
        if (reply == kSilent)
            return {};
        QByteArray r = hex::toBytes(QStringLiteral("AA00") + hex::byteText(1 + int(reply.size() / 2)) +
                                    QStringLiteral("00") + reply);
        int x = 0;
        for (qsizetype i = 1; i < r.size(); ++i)
            x ^= uint8_t(r[i]);
        return r + char(x) + char(0xBB);
    }

    QString moduleReply(int command, const QByteArray &module)
    {
        switch (command) {
        case 0x22:
            if (tag.isEmpty())
                return moduleFrame(0x01, 0xFF, QStringLiteral("15"));
            return moduleFrame(0x02, 0x22,
                               QStringLiteral("C8") + hex::byteText(int(tag.size()) * 2) + QStringLiteral("00") + tag +
                                   crc);
        case 0x0C:
            return moduleFrame(0x01, 0x0C, QStringLiteral("00"));
        case 0x49: {
            // Password, bank, address, word count, then CRC, PC and the EPC.
            const QString epc = hex::fromBytes(module.mid(5 + 9 + 4, module.size() - 7 - 9 - 4));
            written << epc;
            tag = next.isEmpty() ? epc : next.takeFirst();
            return moduleFrame(0x01, 0x49, QStringLiteral("00"));
        }
        default:
            return moduleFrame(0x01, command, QStringLiteral("00"));
        }
    }
};

struct EpcPage : WindowTest {
    FakeField field;
    EpcWritePage *page = nullptr;

    void SetUp() override
    {
        installSettings();
        fresh();
    }
    // A new window on a new reader with the default field.
    void fresh()
    {
        form.reset();
        usb.sent.clear();
        usb.queued.clear();
        field = FakeField();
        errors.clear();
        usb.responder = [this](const QByteArray &f) { return field.answer(f); };
        form = std::make_unique<TForm1>(usb);
        buildPages(*form);
        page = form->epcWritePage;
    }
    // The module command of every frame sent; "raw" for a frame without the pass-through.
    QStringList commands() const
    {
        QStringList out;
        for (const QByteArray &f : usb.sent)
            out << (f.size() > 6 && uint8_t(f[3]) == 0xCE ? hex::byteText(uint8_t(f[6])) : QStringLiteral("raw"));
        return out;
    }
};

const QString kSuccess = QStringLiteral("Write Card Success,The card number is : ");
const QString kNoData = QStringLiteral("error,no data  receive..   ") + kTime;
const QString kCheckSum = QStringLiteral("check sum error.....   ") + kTime;
const QString kNoCard = QStringLiteral("The card is not exist..!   ") + kTime;
const QString kBadNumber =
    QStringLiteral("The card number needs a multiple of 4 hexadecimal digits, 4 to 124: nothing written   ") + kTime;
const QString kBadStep = QStringLiteral("The step needs hexadecimal digits only: nothing written   ") + kTime;

TEST_F(EpcPage, StartState)
{
    EXPECT_EQ(page->objectName(), "TabSheet8");
    EXPECT_EQ(page->cardNumberEdit->text(), "000000000000000000000001");
    EXPECT_EQ(page->writtenEpcEdit->text(), "epcbuf");
    EXPECT_EQ(page->foundEpcEdit->text(), "");
    EXPECT_EQ(page->readEpcEdit->text(), "E2 00 51 28 93 0D 01 14 17 40 11 22");
    for (QLineEdit *hidden : {page->readEpcEdit, page->foundEpcEdit, page->writtenEpcEdit})
        EXPECT_TRUE(page->isAncestorOf(hidden) && hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_TRUE(page->singleCardRadio->isChecked());
    EXPECT_TRUE(page->plusRadio->isChecked());
    EXPECT_EQ(page->automaticBox->text(), "Automatic card");
    EXPECT_EQ(page->singleCardRadio->text(), "Active search for EPC number of single card                        ");
    EXPECT_EQ(page->tidRadio->text(), "Active read TID number   ");
}

TEST_F(EpcPage, WriteCases)
{
    const QString first = QStringLiteral("000000000000000000000001");
    const QString second = QStringLiteral("000000000000000000000002");
    const QString bytes62 = QString(124, QLatin1Char('0'));
    struct Case {
        const char *name;
        std::function<void(EpcPage &)> arrange;
        QStringList commands;
        QStringList lines;
        QString edit54; // after the click
        QString epcbuf;
    } cases[] = {
        {"success", {}, {"22", "0C", "49"}, {kSuccess + first}, second, first},
        {"no tag", [](EpcPage &t) { t.field.tag.clear(); }, {"22"}, {kNoCard}, first, "epcbuf"},
        {"no reply", [](EpcPage &t) { t.field.replies[0x22] = kSilent; }, {"22"}, {kNoData, ""}, first, "epcbuf"},
        {"the tag written last", [](EpcPage &t) { t.page->writtenEpcEdit->setText(kTag); }, {"22"}, {}, first, kTag},
        {"module error frame",
         [](EpcPage &t) { t.field.replies[0x49] = moduleFrame(0x01, 0xFF, "10"); },
         {"22", "0C", "49"},
         {},
         first,
         "epcbuf"},
        {"another reply to the write",
         [](EpcPage &t) { t.field.replies[0x49] = moduleFrame(0x01, 0x39, "00"); },
         {"22", "0C", "49"},
         {},
         first,
         "epcbuf"},
        {"write unanswered",
         [](EpcPage &t) { t.field.replies[0x49] = kSilent; },
         {"22", "0C", "49"},
         {kNoData, "", kCheckSum, ""},
         first,
         "epcbuf"},
        {"inventory too short for the EPC it announces",
         [](EpcPage &t) { t.field.replies[0x22] = QStringLiteral("BB02220011C83000E2000000"); },
         {"22"},
         {kNoData, ""},
         first,
         "epcbuf"},
        {"inventory with no EPC at all",
         [](EpcPage &t) { t.field.replies[0x22] = moduleFrame(0x02, 0x22, "C83000C1C2"); },
         {"22"},
         {kNoData, ""},
         first,
         "epcbuf"},
        {"odd digit count",
         [](EpcPage &t) { t.page->cardNumberEdit->setText("0000001"); },
         {},
         {kBadNumber, ""},
         "0000001",
         "epcbuf"},
        {"odd byte count",
         [](EpcPage &t) { t.page->cardNumberEdit->setText("000001"); },
         {},
         {kBadNumber, ""},
         "000001",
         "epcbuf"},
        {"one word",
         [](EpcPage &t) { t.page->cardNumberEdit->setText("00ff"); },
         {"22", "0C", "49"},
         {kSuccess + "00ff"},
         "0100",
         "00ff"},
        {"longer than 62 bytes",
         [&](EpcPage &t) { t.page->cardNumberEdit->setText(bytes62 + "0001"); },
         {},
         {kBadNumber, ""},
         bytes62 + "0001",
         "epcbuf"},
        {"62 bytes",
         [&](EpcPage &t) { t.page->cardNumberEdit->setText(bytes62); },
         {"22", "0C", "49"},
         {kSuccess + bytes62},
         bytes62.left(123) + "1",
         bytes62},
        {"no digits", [](EpcPage &t) { t.page->cardNumberEdit->setText(" - "); }, {}, {kBadNumber, ""}, "", "epcbuf"},
        {"blanks between the bytes",
         [](EpcPage &t) { t.page->cardNumberEdit->setText("00 00 00 00 00 00 00 00 00 00 00 01"); },
         {"22", "0C", "49"},
         {kSuccess + first},
         second,
         first},
        {"step 10 is sixteen",
         [](EpcPage &t) { t.page->stepEdit->setText("10"); },
         {"22", "0C", "49"},
         {kSuccess + first},
         "000000000000000000000011",
         first},
        {"reverse addition",
         [](EpcPage &t) { t.page->reverseRadio->setChecked(true); },
         {"22", "0C", "49"},
         {kSuccess + first},
         "010000000000000000000001",
         first},
        {"empty step", [](EpcPage &t) { t.page->stepEdit->setText(""); }, {}, {kBadStep, ""}, first, "epcbuf"},
        {"step with a blank",
         [](EpcPage &t) { t.page->stepEdit->setText("1 0"); },
         {},
         {kBadStep, ""},
         first,
         "epcbuf"},
        {"step with a prefix",
         [](EpcPage &t) { t.page->stepEdit->setText("0x10"); },
         {},
         {kBadStep, ""},
         first,
         "epcbuf"},
        {"step not hexadecimal",
         [](EpcPage &t) { t.page->stepEdit->setText("g"); },
         {},
         {kBadStep, ""},
         first,
         "epcbuf"},
    };
    for (const Case &c : cases) {
        fresh();
        if (c.arrange)
            c.arrange(*this);
        page->writeButton->click();
        EXPECT_EQ(commands(), c.commands) << c.name;
        EXPECT_EQ(log(), c.lines) << c.name;
        EXPECT_EQ(page->cardNumberEdit->text(), c.edit54) << c.name;
        EXPECT_EQ(page->writtenEpcEdit->text(), c.epcbuf) << c.name;
        EXPECT_TRUE(errors.isEmpty()) << c.name;
        if (c.commands.size() > 1) {
            EXPECT_EQ(page->foundEpcEdit->text(), kTag) << c.name;
        }
    }
}

TEST_F(EpcPage, WriteSendsSelectAndWriteForTheTagFound)
{
    field.tag = QStringLiteral("1122334455667788");
    field.crc = QStringLiteral("ABCD");
    page->accessPasswordEdit->setText("01 02 03 04");
    page->writeButton->click();
    ASSERT_EQ(usb.sent.size(), 3);
    EXPECT_EQ(usb.sentHex()[0], "AA 00 08 CE BB 00 22 00 00 22 7E 03 BB");
    const QString select = hex::fromBytes(usb.sent[1]);
    EXPECT_EQ(select.mid(8, select.size() - 12), "BB000C000F010000002040001122334455667788E07E");
    const QString write = hex::fromBytes(usb.sent[2]);
    EXPECT_EQ(write.mid(8, write.size() - 12), "BB00490019010203040100000008ABCD30000000000000000000000000011E7E");
    EXPECT_EQ(field.written, QStringList{"000000000000000000000001"});
}

TEST_F(EpcPage, AccessPasswordMustBeFourBytes)
{
    for (const char *text : {"00 00 00", "", "00 00 00 00 00", "zz zz zz zz", "00-00-00-0"}) {
        usb.sent.clear();
        errors.clear();
        page->accessPasswordEdit->setText(QString::fromLatin1(text));
        page->writeButton->click();
        EXPECT_TRUE(usb.sent.isEmpty()) << text;
        EXPECT_EQ(errors.size(), 1) << text;
        EXPECT_EQ(page->cardNumberEdit->text(), "000000000000000000000001") << text;
    }
}

TEST_F(EpcPage, LowerCaseFirstNumberIsWrittenTwice)
{
    // epcbuf keeps the number as typed, the reply shows it in upper case: the same tag does
    // not match and gets the following number too.
    page->cardNumberEdit->setText("00000000000000000000000a");
    for (int i = 0; i < 3; ++i)
        page->writeButton->click();
    EXPECT_EQ(field.written, QStringList({"00000000000000000000000A", "00000000000000000000000B"}));
    EXPECT_EQ(log(), QStringList({kSuccess + "00000000000000000000000a", kSuccess + "00000000000000000000000B"}));
    EXPECT_EQ(page->cardNumberEdit->text(), "00000000000000000000000C");
    EXPECT_EQ(commands().mid(6), QStringList{"22"});
}

TEST_F(EpcPage, ReadsnrAndRead)
{
    const QString epc16 = QStringLiteral("000102030405060708090A0B0C0D0E0F");
    struct Case {
        const char *name;
        std::function<void(FakeField &)> arrange;
        QStringList lines;
        QString shown; // the EPC Read keeps in Edit53 and selects; empty: Read stops
    } cases[] = {
        {"12-byte EPC", {}, {"the epc is: " + kTag}, kTag},
        {"8-byte EPC without CRC and closing bytes",
         [](FakeField &f) { f.tag = "0102030405060708"; },
         {"the epc is: 0102030405060708"},
         "0102030405060708"},
        {"16-byte EPC: its first 12 bytes",
         [&](FakeField &f) { f.tag = epc16; },
         {"the epc is: " + epc16.left(24)},
         epc16.left(24)},
        {"no tag", [](FakeField &f) { f.tag.clear(); }, {kNoCard, ""}, {}},
        {"no reply", [](FakeField &f) { f.replies[0x22] = kSilent; }, {kNoData, ""}, {}},
        {"20 digits", [](FakeField &f) { f.replies[0x22] = "BB02220002C83000FF7E"; }, {}, {}},
        {"short reply, more than 20 digits",
         [](FakeField &f) { f.replies[0x22] = "BB02220011C83000E2000000"; },
         {"the epc is: E2000000"},
         "E2000000"},
    };
    for (const Case &c : cases) {
        fresh();
        if (c.arrange)
            c.arrange(field);
        page->readsnrButton->click();
        EXPECT_EQ(log(), c.lines) << c.name;
        EXPECT_EQ(commands(), QStringList{"22"}) << c.name;

        fresh();
        if (c.arrange)
            c.arrange(field);
        page->readButton->click();
        EXPECT_EQ(log(), c.lines) << c.name;
        if (c.shown.isEmpty()) {
            EXPECT_EQ(commands(), QStringList{"22"}) << c.name;
            EXPECT_EQ(page->readEpcEdit->text(), "E2 00 51 28 93 0D 01 14 17 40 11 22") << c.name;
            continue;
        }
        EXPECT_EQ(page->readEpcEdit->text(), c.shown) << c.name;
        ASSERT_EQ(commands(), QStringList({"22", "raw", "39"})) << c.name;
        // The select goes out as a bare module frame.
        const QString select = hex::fromBytes(usb.sent[1]);
        EXPECT_TRUE(select.startsWith("BB000C00" + hex::byteText(int(c.shown.size() / 2) + 7) + "0100000020" +
                                      hex::byteText(int(c.shown.size() / 2) * 8) + "00" + c.shown))
            << c.name;
        EXPECT_EQ(usb.sentHex()[2], "AA 00 11 CE BB 00 39 00 09 00 00 00 00 01 00 00 00 08 4B 7E 68 BB") << c.name;
    }
}

TEST_F(EpcPage, ReaderModeSwitch)
{
    usb.responder = nullptr;
    struct Case {
        const char *name;
        QRadioButton *EpcWritePage::*button;
        const char *reply; // nullptr: no reply
        QString frame;
        QStringList lines;
    } cases[] = {
        {"single card",
         &EpcWritePage::singleCardRadio,
         "AA 00 01 00 01 BB",
         "AA 00 02 0F 01 0C BB",
         {"Set  Active search for EPC number of single card Success    " + kTime}},
        {"TID, failure",
         &EpcWritePage::tidRadio,
         "AA 00 02 01 83 80 BB",
         "AA 00 02 0F 04 09 BB",
         {"Set Active read TID number False   " + kTime, QString::fromUtf8("卡不存在...."), ""}},
        {"passive, damaged", &EpcWritePage::passiveRadio, "AA 00 01 02 03 BB", "AA 00 02 0F 02 0F BB", {kCheckSum, ""}},
        {"multiple, no reply", &EpcWritePage::multipleCardsRadio, nullptr, "AA 00 02 0F 03 0E BB", {kNoData, ""}},
        {"memory sector",
         &EpcWritePage::memorySectorRadio,
         "AA 00 01 00 01 BB",
         "AA 00 08 BC 03 00 00 00 00 00 08 BF BB",
         {"Set   Success    " + kTime}},
    };
    for (const Case &c : cases) {
        fresh();
        usb.responder = nullptr;
        if (c.reply)
            usb.reply(QString::fromLatin1(c.reply));
        (page->*c.button)->setChecked(true);
        page->setModeButton->click();
        EXPECT_EQ(usb.lastSentHex(), c.frame) << c.name;
        EXPECT_EQ(log(), c.lines) << c.name;
    }

    // The memory-sector fields hold 1, 4, 1 and 1 bytes; a message names a field by its label.
    page->memorySectorRadio->setChecked(true);
    const struct {
        QLineEdit *edit;
        const char *message;
    } fields[] = {{page->sectorEdit, "The sector must be 1 byte"},
                  {page->sectorPasswordEdit, "The password must be 4 bytes"},
                  {page->sectorAddressEdit, "The address must be 1 byte"},
                  {page->sectorLengthEdit, "The length must be 1 byte"}};
    for (const auto &field : fields) {
        QLineEdit *edit = field.edit;
        const QString before = edit->text();
        for (const char *bad : {"", "0", "0g", "00 00 00 00 00 00"}) {
            usb.sent.clear();
            errors.clear();
            edit->setText(QString::fromLatin1(bad));
            page->setModeButton->click();
            EXPECT_TRUE(usb.sent.isEmpty()) << edit->objectName().toStdString() << " '" << bad << "'";
            ASSERT_EQ(errors.size(), 1);
            EXPECT_TRUE(errors[0].startsWith(QLatin1String(field.message))) << qPrintable(errors[0]);
        }
        edit->setText(before);
    }
}

TEST_F(EpcPage, ClearInterfaceAndSector)
{
    form->log("a line\r\n");
    page->clearButton->click();
    EXPECT_TRUE(log().isEmpty());

    // The window is destroyed when it closes: look at it while it is shown.
    QStringList shown;
    guard::setModalRunner([&](QDialog *d) { shown << (qobject_cast<TForm3 *>(d) ? d->objectName() : "other"); });
    page->sectorButton->click();
    EXPECT_EQ(shown, QStringList{"Form3"});
}

TEST_F(EpcPage, AutomaticCardWritesEachNewTagOnce)
{
    constexpr int kTags = 6;
    for (int i = 1; i < kTags; ++i)
        field.next << QStringLiteral("E200000000000000000001%1").arg(i, 2, 10, QLatin1Char('0'));
    page->cardNumberEdit->setText("0000000000000000000000FE");
    page->waitingTimeEdit->setText("0");
    int inventories = 0;
    QStringList captions;
    field.onCommand = [&](int command) {
        if (command != 0x22)
            return;
        captions << page->automaticBox->text();
        // Three more passes with the last tag written still in the field.
        if (++inventories == kTags + 3)
            page->automaticBox->setChecked(false);
    };
    page->automaticBox->click(); // returns when the loop has ended
    EXPECT_EQ(inventories, kTags + 3);
    QStringList expected;
    QString n = QStringLiteral("0000000000000000000000FE");
    for (int i = 0; i < kTags; ++i) {
        expected << n;
        n = epcnumber::hexadd(n, "1", false);
    }
    EXPECT_EQ(field.written, expected);
    EXPECT_EQ(log().size(), kTags);
    EXPECT_EQ(log().last(), kSuccess + expected.last());
    EXPECT_EQ(page->cardNumberEdit->text(), n);
    EXPECT_EQ(captions, QStringList(kTags + 3, "Stop card"));
    EXPECT_EQ(page->automaticBox->text(), "Automatic card");
    EXPECT_FALSE(page->automaticBox->isChecked());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(EpcPage, UntickingEndsTheLoopAfterItsPass)
{
    page->waitingTimeEdit->setText("0");
    field.onCommand = [&](int command) {
        if (command == 0x49) // while the first write waits for its reply
            page->automaticBox->setChecked(false);
    };
    page->automaticBox->click();
    EXPECT_EQ(commands(), QStringList({"22", "0C", "49"}));
    EXPECT_EQ(log(), QStringList{kSuccess + "000000000000000000000001"});
    EXPECT_EQ(page->automaticBox->text(), "Automatic card");
}

TEST_F(EpcPage, AutomaticCardWithoutATagAddsOneLinePerPass)
{
    field.tag.clear();
    page->waitingTimeEdit->setText("0");
    int passes = 0;
    field.onCommand = [&](int) {
        if (++passes == 3)
            page->automaticBox->setChecked(false);
    };
    page->automaticBox->click();
    EXPECT_EQ(log(), QStringList(3, kNoCard));
}

TEST_F(EpcPage, BadPauseEndsTheLoopAndUnticksTheBox)
{
    for (const char *pause : {"abc", "-5", "", "99999999"}) {
        errors.clear();
        usb.sent.clear();
        page->waitingTimeEdit->setText(QString::fromLatin1(pause));
        page->automaticBox->click();
        EXPECT_EQ(errors.size(), 1) << pause;
        EXPECT_FALSE(page->automaticBox->isChecked()) << pause;
        EXPECT_EQ(page->automaticBox->text(), "Automatic card") << pause;
        EXPECT_EQ(commands().count("22"), 1) << pause; // one pass: its Write ran, the pause failed
    }
}

TEST_F(EpcPage, ClosingTheWindowEndsTheLoop)
{
    page->waitingTimeEdit->setText("1000");
    int passes = 0;
    field.onCommand = [&](int command) {
        if (command == 0x22 && ++passes == 2)
            form->close();
    };
    page->automaticBox->click();
    EXPECT_EQ(passes, 2);
}

} // namespace
