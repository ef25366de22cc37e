#include "rfidctl.h"

#include <gtest/gtest.h>

namespace
{

// One command of each family against the simulator, as a script of the same run, and what its
// output must hold.
struct Case {
    const char *simulate;
    const char *script;
    int exit;
    const char *out; // every line of it must appear in standard output
};

const Case kCases[] = {
    {"keyboard", "keyboard set hex8 --semicolon --no-enter; keyboard get", 0,
     "format: hex8\nformat code: 0C\nsemicolon: yes\nenter: no"},
    {"keyboard", "keyboard set custom:10; keyboard get", 0, "format: custom:10\nformat code: 8A"},
    {"keyboard", "keyboard version; keyboard voice off; keyboard mode passive; keyboard factory-reset", 0,
     "version: SIM-UHF V1.0\nanswered: yes\nkeyboard mode: ok\nkeyboard factory-reset: ok"},
    {"keyboard", "output set prefix 3031; output set interfaces serial,usb; output set baud 115200", 0,
     "setting: baud\nvalue: 115200"},
    {"keyboard", "output set wiegand-pulse 0x0A; output set rf-power 17; output set usb-serial on", 0,
     "setting: usb-serial"},
    {"keyboard", "epc read", 0, "epc: E20000000000000000000001\npc: 3000"},
    {"keyboard", "epc write 3000AABBCCDD --verify; epc read", 0,
     "old epc: E20000000000000000000001\nverified: yes\nepc: 3000AABBCCDD"},
    {"keyboard", "uhf mode tid; uhf mode sector --sector 1 --password 01020304", 0, "uhf mode: ok"},
    {"keyboard", "wifi set guest pw; wifi ip; wifi scan", 0, "ip: 192.168.1.57\n-48   workshop"},
    {"keyboard", "wifi set \"not here\" pw; wifi ip", 1, "name: not here"},
    {"keyboard", "send C0", 0, "sent: AA0001C0C1BB\nname: read version\ndecoded: ok version=\"SIM-UHF V1.0\""},
    {"keyboard", "send --raw AA0001C0C1BB", 0, "reply: AA000D0053494D2D5548462056312E3075BB"},
    {"keyboard", "send 99", 1, "name: unknown command 99"},
    {"keyboard", "serial mode multi; serial mode usb-hid", 0, "mode: multi\nstatus: 02\nmode: usb-hid\nstatus: 00"},
    {"keyboard", "serial ports", 0, "/dev/pts/"},
    {"keyboard", "devices", 0, "simulated: simulated keyboard-output UHF reader, can be opened"},
    {"hf", "system address 05; system info; system baud 19200; system led 10 3; system mode active", 0,
     "address: 05\nserial number: 2024000000000001\nsystem mode: ok"},
    {"hf", "mifare write 4 00112233445566778899AABBCCDDEEFF; mifare read 4", 0,
     "card number: A1B2C3D4\ndata: 00112233445566778899AABBCCDDEEFF"},
    {"hf", "mifare value init 2 00000010; mifare value increment 2 00000005; mifare card-number", 0,
     "remaining: 00000015\nseveral cards: no"},
    {"hf", "mifare read 4 --key 000000000000", 1, ""},
    {"hf", "ultralight write 4 DEADBEEF; ultralight read 4; ultralight serial; ultralight halt", 0,
     "data: DEADBEEF000000000000000000000000\nserial: 04A1B2C3D4E5F6"},
    {"hf",
     "iso15693 inventory; iso15693 write 1 1 11223344 --uid E004010012345678; iso15693 read 1 1 --uid E004010012345678",
     0, "uids: E004010012345678, E007000011223344\ndata: 11223344"},
    {"hf", "iso15693 afi 07 --uid E004010012345678; iso15693 info --uid E004010012345678; iso15693 security 0 3", 0,
     "uid: E004010012345678\nafi: 07\nstatus: 000000"},
    {"hf", "typeb request; idcard number", 0, "answer: 5041300A1000000000008171"},
};

TEST(Families, EveryFamilyAgainstTheSimulator)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.script);
        const Outcome r = rfidctl({QStringLiteral("--simulate=%1").arg(QLatin1String(c.simulate)), QStringLiteral("-c"),
                                   QString::fromUtf8(c.script)});
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        for (const QString &line : QString::fromUtf8(c.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            EXPECT_TRUE(r.out.contains(line)) << line.toStdString() << " not in\n" << r.out.toStdString();
        // A failure says why on standard error, and only then.
        EXPECT_EQ(r.err.isEmpty(), c.exit == 0) << r.err.toStdString();
    }
}

TEST(Families, RefusalsGiveTheErrorCodeAndItsMeaning)
{
    // The card in the HF simulator keeps the transport key: another key is refused (8C).
    const Outcome r =
        rfidctl({QStringLiteral("--simulate=hf"), QStringLiteral("--json"), QStringLiteral("mifare"),
                 QStringLiteral("read"), QStringLiteral("4"), QStringLiteral("--key"), QStringLiteral("000000000000")});
    ASSERT_EQ(r.exit, 1);
    const QJsonObject o = r.json().value(0);
    EXPECT_EQ(o.value(QStringLiteral("ok")).toBool(true), false);
    EXPECT_EQ(o.value(QStringLiteral("status")).toString(), QStringLiteral("refused"));
    EXPECT_EQ(o.value(QStringLiteral("error_code")).toString(), QStringLiteral("8C"));
    EXPECT_FALSE(o.value(QStringLiteral("error_text")).toString().isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("error 8C"))) << r.err.toStdString();
}

TEST(Families, NoReaderIsExitStatusThree)
{
    // No HID reader on this machine's made-up tree, none behind --usb of an ID nobody uses.
    const Outcome r = rfidctl(
        {QStringLiteral("--usb"), QStringLiteral("ffff:fffe"), QStringLiteral("keyboard"), QStringLiteral("get")});
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("ffff:fffe"))) << r.err.toStdString();
    const Outcome path = rfidctl({QStringLiteral("--device"), QStringLiteral("/dev/rfidctl-no-such-reader"),
                                  QStringLiteral("keyboard"), QStringLiteral("get")});
    EXPECT_EQ(path.exit, 3);
    EXPECT_TRUE(path.err.contains(QStringLiteral("no HID device at /dev/rfidctl-no-such-reader")))
        << path.err.toStdString();
    const Outcome port = rfidctl({QStringLiteral("serial"), QStringLiteral("mode"), QStringLiteral("--port"),
                                  QStringLiteral("/dev/rfidctl-no-such-port"), QStringLiteral("tid")});
    EXPECT_EQ(port.exit, 3);
    EXPECT_TRUE(port.err.contains(QStringLiteral("/dev/rfidctl-no-such-port"))) << port.err.toStdString();
}

} // namespace
