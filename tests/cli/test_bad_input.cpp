#include "rfidctl.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// A bad argument or profile: exit status 2, a message naming it, nothing sent. Each command
// runs in a session behind a good one, so that "nothing sent" means the good one was held back
// too; a row with options of its own runs them as the whole command line.
struct Case {
    const char *command;           // -c script after "keyboard version;", or the whole argument list
    const char *names;             // what the message must say
    const char *profile = nullptr; // written to a file that PROFILE in command stands for
    bool wholeLine = false;
};

const Case kCases[] = {
    {"frobnicate", "unknown command 'frobnicate'"},
    {"keyboard", "keyboard: which one? get, set"},
    {"keyboard get extra", "unexpected argument 'extra'"},
    {"keyboard set hex9", "FORMAT must be"},
    {"keyboard set custom:128", "FORMAT must be"},
    {"keyboard set", "FORMAT is missing"},
    {"keyboard set hex8 --colour", "colour"},
    {"keyboard set hex8 --buzzer loud", "--buzzer must be one of big, small"},
    {"keyboard mode sleepy", "MODE must be one of active, passive"},
    {"output set colour 1", "SETTING must be one of prefix"},
    {"output set rf-power 18", "rf-power must be a number from 0 to 17"},
    {"output set wiegand-idle 0", "wiegand-idle must be a number from 1 to 255"},
    {"output set prefix 303", "prefix must be at most 16 bytes"},
    {"output set prefix 000102030405060708090A0B0C0D0E0F10", "prefix must be at most 16 bytes"},
    {"output set interfaces serial,ps2", "interfaces must list"},
    {"output set baud 9601", "baud must be one of 9600"},
    {"epc write E2001", "EPC must be 2 to 62 bytes"},
    {"epc write E20011", "EPC must be whole 2-byte words"},
    {"epc write E200 --password 0102", "--password must be 4 bytes"},
    {"epc encode urn:epc:tag:sgtin-96:3.0614141.81234.1", "URI: item reference of SGTIN-96 must be 6 digits"},
    {"epc encode urn:epc:id:sgtin:0614141.812345.1", "a pure-identity URI needs --filter N"},
    {"epc encode urn:epc:tag:sgtin-96:3.0614141.812345.1 --filter 2", "--filter goes with a pure-identity URI"},
    {"epc decode 30G4", "HEX \"30G4\" has 'G'"},
    {"epc decode 3074257BF7194E4000001A", "is 11 bytes: an EPC is whole 16-bit words"},
    {"epc batch --count 5 --journal /nonexistent/j.csv", "which EPCs?"},
    {"epc batch --first-hex 3000 --list /nonexistent/l.txt --journal /nonexistent/j.csv",
     "--first-hex and --list exclude each other"},
    {"epc batch --first urn:epc:tag:sgtin-96:3.0614141.812345.1 --journal /nonexistent/j.csv", "--count is missing"},
    {"epc batch --first-hex 3000 --count 100000001 --journal /nonexistent/j.csv",
     "--count must be a number from 1 to 100000000"},
    {"epc batch --first-hex 300G --count 5 --journal /nonexistent/j.csv", "--first-hex \"300G\" has 'G'"},
    {"epc batch --first-hex 3000 --step 0x10000 --count 5 --journal /nonexistent/j.csv", "--step: step 10000 is wider"},
    {"epc batch --first urn:epc:tag:sgtin-96:3.0614141.812345.1 --reverse --count 5 --journal /nonexistent/j.csv",
     "--reverse belongs to --first-hex"},
    {"epc batch --first urn:epc:tag:sgtin-96:3.0614141.812345.1 --count 5", "--journal FILE|URI is missing"},
    {"epc batch --first urn:epc:tag:sgtin-96:3.0614141.812345.274877906943 --count 2 --journal /nonexistent/j.csv",
     "the largest SGTIN-96 carries"},
    {"epc batch --first urn:epc:tag:sgtin-96:3.0614141.812345.1 --count 5 --journal /nonexistent/j.csv",
     "cannot open journal /nonexistent/j.csv"},
    {"epc batch --list PROFILE --journal /nonexistent/j.csv", "has 1 bad line(s):\nline 2: EPC \"30G4\"",
     "3074257BF7194E4000001A85\n30G4\n"},
    {"epc epcis --out doc.json", "--journal FILE|URI is missing"},
    {"epc epcis --journal postgresql://h/db?colour=red", "--journal: the journal's database address is malformed"},
    {"epc epcis --journal /nonexistent/j.csv", "--journal: journal /nonexistent/j.csv does not exist"},
    {"epc epcis --journal /nonexistent/j.csv --read-point 'sgln 1'", "--read-point must be a URI"},
    {"epc epcis --journal /nonexistent/j.csv --biz-location urn:x:a%2", "'%' at position 8 does not start an escape"},
    {"epc epcis --journal /nonexistent/j.csv --since yesterday", "--since must be an ISO 8601 time"},
    {"epc epcis --journal /nonexistent/j.csv --format csv", "--format must be one of json, xml"},
    {"epc epcis --journal /nonexistent/j.csv --out d.json --capture http://h/", "--out and --capture exclude"},
    {"epc epcis --journal /nonexistent/j.csv --capture ftp://h/", "--capture must be the http:// or https:// URL"},
    {"uhf mode sector --sector 4", "--sector must be a number from 0 to 3"},
    {"uhf mode tid --length 4", "--length belongs to the sector mode only"},
    {"uhf inventory --rounds 0", "--rounds must be a number from 1 to 10000000"},
    {"uhf inventory --rounds 5 --seconds 2", "--rounds and --seconds exclude each other"},
    {"uhf inventory --seconds 1e9", "--seconds must be a number of seconds from 0.001 to 86400"},
    {"uhf mem", "uhf mem: which one? read, write"},
    {"uhf mem read blob", "BANK must be one of reserved, epc, tid, user"},
    {"uhf mem read reserved --address 4", "--address 4 is past the reserved bank, which holds words 0 to 3"},
    {"uhf mem read epc --words 34", "--words must be from 1 to 33 from word 0 of the EPC bank"},
    {"uhf mem read user --epc 300011", "--epc must be whole 2-byte words"},
    {"uhf mem read user --epc 3000 --tid E280", "--epc and --tid exclude each other"},
    {"uhf mem read user --password 0102", "--password must be 4 bytes"},
    {"uhf mem write tid --address 0 --data 1234", "BANK must be one of reserved, epc, user"},
    {"uhf mem write user --data 1234", "--address W is missing"},
    {"uhf mem write user --address 0 --data 12345", "--data must be 1 to 131072 bytes"},
    {"uhf mem write user --address 0 --data 12", "--data must be whole 2-byte words"},
    {"uhf mem write reserved --address 2 --data 111122223333", "--data holds 3 words, more than the reserved bank"},
    {"uhf mem write epc --address 0 --data 1234", "--address 0 of the EPC bank is the CRC"},
    {"uhf mem write epc --address 1 --data 080011112222", "--data: its first word is the PC word"},
    {"mifare read 256", "BLOCK must be a number from 0 to 255"},
    {"mifare read 4 --count 5", "--count must be a number from 1 to 4"},
    {"mifare read 4 --key FFFF", "--key must be 6 bytes"},
    {"mifare write 4 0011", "HEX must be 16 to 64 bytes"},
    {"mifare value double 1 00000001", "OPERATION must be one of init"},
    {"ultralight write 16 00000000", "PAGE must be a number from 0 to 15"},
    {"iso15693 read 1 1 --uid E004", "--uid must be 8 bytes"},
    {"iso15693 read 1 1 --uid E004010012345678 --flags ti", "--uid and --flags exclude each other"},
    {"iso15693 lock 1 --uid E004010012345678", "Unknown option 'uid'."},
    {"system address 1FF", "HEX must be 1 byte"},
    {"system serial-number 0102", "HEX must be 8 bytes"},
    {"system led 1", "COUNT is missing"},
    {"send 0G", "HEX must be 1 to 250 bytes"},
    {"send --raw", "HEX is missing"},
    {"wifi set a,b pw", "holds a comma"},
    {"serial mode tid --baud 300", "--baud must be one of 9600"},
    {"profile apply /nonexistent/p.json", "cannot read the profile /nonexistent/p.json"},
    {"profile apply PROFILE", "format 2, newer than this rfidctl reads", R"({"format": 2})"},
    {"profile apply PROFILE", "the key format", "{}"},
    {"profile apply PROFILE", "is not JSON", "{"},
    {"profile apply PROFILE", "keyboard.semicolon must be given", R"({"format":1,"keyboard":{"format":"hex8"}})"},
    {"profile apply PROFILE", "keyboard.format must be given with keyboard.rssi",
     R"({"format":1,"keyboard":{"rssi":true}})"},
    {"profile apply PROFILE", "unknown key output.baudrate", R"({"format":1,"output":{"baudrate":9600}})"},
    {"profile apply PROFILE", "output.rf_power must be a number from 0 to 17",
     R"({"format":1,"output":{"rf_power":40}})"},
    {"profile apply PROFILE", "uhf.mode must be left out when keyboard.mode is given",
     R"({"format":1,"keyboard":{"mode":"active"},"uhf":{"mode":"tid"}})"},
    {"profile apply PROFILE", "wifi.password must be a string", R"({"format":1,"wifi":{"name":"x"}})"},
    {"--usb 12345:1 keyboard get", "--usb must be VID:PID", nullptr, true},
    {"--address 1FF keyboard get", "--address must be 1 byte", nullptr, true},
    {"--simulate --timeout 0 keyboard get", "--timeout must be a number of milliseconds from 1 to 60000", nullptr,
     true},
    {"--simulate=uhf keyboard get", "--simulate must be keyboard or hf", nullptr, true},
    {"--simulate --usb 1:2 keyboard get", "--simulate excludes --usb and --device", nullptr, true},
    {"--usb 1:2 --device /dev/hidraw0 keyboard get", "--usb and --device exclude each other", nullptr, true},
    {"--simulate -c 'keyboard get' extra", "one too many", nullptr, true},
    {"--simulate -c \"wifi set 'open\"", "never closed", nullptr, true},
    {"--simulate", "no command given", nullptr, true},
    {"--simulate hf system info", "write --simulate=hf", nullptr, true},
};

TEST(BadInput, ExitTwoNamingTheArgumentWithNothingSent)
{
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    const QString profile = dir.filePath(QStringLiteral("profile.json"));
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.command);
        QString command = QString::fromUtf8(c.command);
        if (c.profile) {
            QFile f(profile);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.profile);
            f.close();
            command.replace(QStringLiteral("PROFILE"), profile);
        }
        QFile::remove(trace);
        QStringList args{QStringLiteral("--trace"), trace};
        if (c.wholeLine)
            args << QProcess::splitCommand(command);
        else
            args << QStringLiteral("--simulate") << QStringLiteral("-c")
                 << QStringLiteral("keyboard version; ") + command;
        const Outcome r = rfidctl(args);
        EXPECT_EQ(r.exit, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.names))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(traceLines(trace).isEmpty());
    }
}

TEST(BadInput, ATraceFileThatCannotBeWrittenSendsNothing)
{
    const Outcome r =
        rfidctl({QStringLiteral("--simulate"), QStringLiteral("--trace"), QStringLiteral("/nonexistent/trace.txt"),
                 QStringLiteral("keyboard"), QStringLiteral("get")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--trace: cannot write '/nonexistent/trace.txt'")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

} // namespace
