#include "base/errors.h"
#include "cli/args.h"
#include "cli/keyboardformat.h"
#include "cli/output.h"
#include "cli/outputsettings.h"
#include "cli/registry.h"
#include "cli/script.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <gtest/gtest.h>

// The parts of the command line below the session, by their inputs and outputs.
namespace
{

using cli::splitScript;

TEST(Script, SplitsAtSemicolonsAndLineEndsOutsideQuotes)
{
    const struct {
        const char *text;
        QList<QStringList> commands;
    } cases[] = {
        {"keyboard get", {{"keyboard", "get"}}},
        {"  a  b ;c\nd", {{"a", "b"}, {"c"}, {"d"}}},
        {";;\n\n;", {}},
        {"wifi set 'my net' \"p;w#d\"", {{"wifi", "set", "my net", "p;w#d"}}},
        {"a # b; c\nd", {{"a"}, {"d"}}},
        {"a#b c", {{"a#b", "c"}}},
        {R"(x "a\"b" 'c\d' e\ f \;)", {{"x", "a\"b", "c\\d", "e f", ";"}}},
        {"x ''", {{"x", ""}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitScript(QString::fromUtf8(c.text)), c.commands) << c.text;
}

TEST(Script, AQuoteLeftOpenNamesItsLine)
{
    try {
        splitScript(QStringLiteral("a\nb 'c\nd"));
        FAIL();
    } catch (const UserError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("before line 3"))) << e.message().toStdString();
    }
}

TEST(Args, OptionsValuesAndPositionals)
{
    const QList<cli::Option> options = {cli::flag("verify", ""), cli::option("password", "HEX", "")};
    cli::CommandArgs a(QStringLiteral("epc write"), options,
                       {QStringLiteral("--password=01020304"), QStringLiteral("E200"), QStringLiteral("--verify"),
                        QStringLiteral("--"), QStringLiteral("--not-an-option")});
    EXPECT_TRUE(a.isSet(QStringLiteral("verify")));
    EXPECT_EQ(a.value(QStringLiteral("password")), QStringLiteral("01020304"));
    EXPECT_EQ(a.take(QStringLiteral("EPC")), QStringLiteral("E200"));
    EXPECT_EQ(a.take(QStringLiteral("NEXT")), QStringLiteral("--not-an-option"));
    EXPECT_NO_THROW(a.done());
    EXPECT_THROW(a.take(QStringLiteral("MORE")), UserError);

    const QStringList bad[] = {
        {QStringLiteral("--password")},
        {QStringLiteral("--colour")},
        {QStringLiteral("--password"), QStringLiteral("1"), QStringLiteral("--password"), QStringLiteral("2")}};
    for (const QStringList &args : bad)
        EXPECT_THROW(cli::CommandArgs(QStringLiteral("epc write"), options, args), UserError)
            << args.join(' ').toStdString();
}

TEST(Args, NumbersAreDecimalOrHexWithinTheirRange)
{
    const struct {
        const char *text;
        int lo, hi;
        std::optional<int> value;
    } cases[] = {{"0", 0, 255, 0},      {"255", 0, 255, 255}, {"256", 0, 255, {}},  {"0x1F", 0, 255, 31},
                 {"0XFF", 0, 255, 255}, {"-1", 0, 255, {}},   {"1e3", 0, 9999, {}}, {"", 0, 1, {}},
                 {"0x", 0, 1, {}},      {" 7 ", 0, 9, 7},     {"08", 0, 9, 8},      {"99999999999", 0, 9, {}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        if (c.value)
            EXPECT_EQ(cli::numberArg(QString::fromUtf8(c.text), QStringLiteral("N"), c.lo, c.hi), *c.value);
        else
            EXPECT_THROW(cli::numberArg(QString::fromUtf8(c.text), QStringLiteral("N"), c.lo, c.hi), UserError);
    }
}

TEST(KeyboardFormat, NamesCustomLengthsAndCodesRoundTrip)
{
    for (const QString &w : cli::keyboardformat::words())
        EXPECT_EQ(cli::keyboardformat::word(*cli::keyboardformat::parse(w)), w);
    const struct {
        const char *text;
        std::optional<uint8_t> code;
        const char *word;
    } cases[] = {{"dec10", 0x0F, "dec10"},  {"custom:1", 0x81, "custom:1"}, {"custom:127", 0xFF, "custom:127"},
                 {"custom:0", {}, nullptr}, {"custom:128", {}, nullptr},    {"0x10", 0x10, "ascii"},
                 {"0x11", {}, nullptr},     {"0x80", {}, nullptr},          {"0x81", 0x81, "custom:1"},
                 {"15", 0x0F, "dec10"},     {"hex9", {}, nullptr},          {"0x100", {}, nullptr}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(cli::keyboardformat::parse(QString::fromUtf8(c.text)), c.code);
        if (c.word) {
            EXPECT_EQ(cli::keyboardformat::word(*c.code), QString::fromUtf8(c.word));
        }
    }
}

// Every setting of the output device: a value at each end of its range and the body it sends,
// and the values just outside.
TEST(OutputSettings, BodiesAndRanges)
{
    const struct {
        const char *word;
        const char *value;
        const char *body; // hex; nullptr: refused
    } cases[] = {
        {"prefix", "30 31", "CB013031"},
        {"prefix", "none", "CB01"},
        {"prefix", "000102030405060708090A0B0C0D0E0F", "CB01000102030405060708090A0B0C0D0E0F"},
        {"prefix", "000102030405060708090A0B0C0D0E0F10", nullptr},
        {"suffix", "0D0A", "CB020D0A"},
        {"interval", "0", "C100"},
        {"interval", "255", "C1FF"},
        {"interval", "256", nullptr},
        {"filter", "10", "C20A"},
        {"interfaces", "serial,usb", "C3010001"},
        {"interfaces", "wiegand", "C3000100"},
        {"interfaces", "none", "C3000000"},
        {"interfaces", "usb,usb", nullptr},
        {"interfaces", "", nullptr},
        {"baud", "9600", "C400"},
        {"baud", "115200", "C404"},
        {"baud", "14400", nullptr},
        {"end-symbol", "2", "C502"},
        {"end-symbol", "3", nullptr},
        {"wiegand-format", "3", "C603"},
        {"wiegand-format", "4", nullptr},
        {"wiegand-position", "12", "C90C"},
        {"wiegand-position", "13", nullptr},
        {"wiegand-pulse", "1", "C701"},
        {"wiegand-pulse", "0", nullptr},
        {"wiegand-idle", "0xFF", "C8FF"},
        {"wiegand-idle", "0", nullptr},
        {"rf-power", "17", "CC11"},
        {"rf-power", "18", nullptr},
        {"usb-serial", "on", "AA0001B8B9BB"},
        {"usb-serial", "off", nullptr},
    };
    QStringList seen;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.word) + " " + c.value);
        const cli::OutputSetting *s = cli::findOutputSetting(QString::fromUtf8(c.word));
        ASSERT_NE(s, nullptr);
        if (!seen.contains(s->word))
            seen << s->word;
        if (c.body)
            EXPECT_EQ(s->request(QString::fromUtf8(c.value), s->word).bytes.toHex().toUpper(), QByteArray(c.body));
        else
            EXPECT_THROW(s->request(QString::fromUtf8(c.value), s->word), UserError);
    }
    EXPECT_EQ(seen.size(), 13);
    EXPECT_EQ(cli::outputSettings().size(), 13);
}

TEST(Registry, FamiliesOfOneNameAreJoined)
{
    const auto action = [](const char *name) { return cli::Action{.name = QString::fromLatin1(name)}; };
    const QList<cli::Family> joined = cli::joinFamilies(
        {{QStringLiteral("epc"), QStringLiteral("the tag"), QStringLiteral("first"), {action("read"), action("write")}},
         {QStringLiteral("wifi"), QStringLiteral("networks"), QString(), {action("scan")}},
         {QStringLiteral("epc"), QStringLiteral("ignored"), QStringLiteral("second"), {action("encode")}}});
    ASSERT_EQ(joined.size(), 2);
    EXPECT_EQ(joined[0].name, QStringLiteral("epc"));
    EXPECT_EQ(joined[0].summary, QStringLiteral("the tag"));
    EXPECT_EQ(joined[0].help, QStringLiteral("first\n\nsecond"));
    ASSERT_EQ(joined[0].actions.size(), 3);
    EXPECT_EQ(joined[0].actions[2].name, QStringLiteral("encode"));
    EXPECT_EQ(joined[1].name, QStringLiteral("wifi"));
    // The real registry: every command word once.
    QStringList names;
    for (const cli::Family &f : cli::families())
        for (const cli::Action &a : f.actions) {
            EXPECT_FALSE(names.contains(cli::commandName(f, a))) << cli::commandName(f, a).toStdString();
            names << cli::commandName(f, a);
        }
}

TEST(Output, JsonLinesKeepOrderAndEscapeText)
{
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    cli::Output o(true, out, err);
    cli::Record r;
    r.add(QStringLiteral("name"), QStringLiteral("a \"quoted\"\\ name, 网络\n"));
    r.hex(QStringLiteral("epc"), QByteArray::fromHex("e2000a"));
    r.add(QStringLiteral("list"), QJsonArray{1, true});
    o.success(QStringLiteral("wifi set"), r);
    o.failure(QStringLiteral("epc read"), QStringLiteral("refused"), QStringLiteral("no card"), uint8_t(0x83), {});
    const QStringList lines = outText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("{\"command\":\"wifi set\",\"ok\":true,\"name\":")));
    const QJsonObject first = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(first.value(QStringLiteral("name")).toString(), QStringLiteral("a \"quoted\"\\ name, 网络\n"));
    EXPECT_EQ(first.value(QStringLiteral("epc")).toString(), QStringLiteral("E2000A"));
    const QJsonObject second = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_FALSE(second.value(QStringLiteral("ok")).toBool(true));
    EXPECT_EQ(second.value(QStringLiteral("error_code")).toString(), QStringLiteral("83"));
    EXPECT_FALSE(second.value(QStringLiteral("error_text")).toString().isEmpty());
    EXPECT_EQ(errText, QStringLiteral("rfidctl: epc read: no card\n"));
}

} // namespace
