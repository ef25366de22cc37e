#include "rfidctl.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const QString kSim = QStringLiteral("--simulate");

TEST(Sessions, StandardInputScriptWithCommentsAndQuotes)
{
    const QByteArray script = "# set up, then read back\n"
                              "keyboard set dec5 --comma   # the format\n"
                              "wifi set 'guest' \"p w;#\"\n"
                              "\n"
                              "keyboard get\n";
    const Outcome r = rfidctl({kSim, QStringLiteral("--json"), QStringLiteral("-")}, script);
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QList<QJsonObject> lines = r.json();
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_EQ(lines[0].value(QStringLiteral("command")).toString(), QStringLiteral("keyboard set"));
    EXPECT_EQ(lines[1].value(QStringLiteral("name")).toString(), QStringLiteral("guest"));
    // The simulated reader kept the format from the first command.
    EXPECT_EQ(lines[2].value(QStringLiteral("format")).toString(), QStringLiteral("dec5"));
    EXPECT_EQ(lines[2].value(QStringLiteral("comma")).toBool(), true);
    EXPECT_EQ(lines[2].value(QStringLiteral("format_code")).toString(), QStringLiteral("08"));
}

TEST(Sessions, JsonLinesCarryEveryValueInSnakeCaseAndHex)
{
    const Outcome r = rfidctl({kSim, QStringLiteral("--json"), QStringLiteral("-c"),
                               QStringLiteral("epc read; keyboard get; wifi scan; devices")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QList<QJsonObject> l = r.json();
    ASSERT_EQ(l.size(), 4);
    for (const QJsonObject &o : l)
        EXPECT_TRUE(o.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(l[0].value(QStringLiteral("epc")).toString(), QStringLiteral("E20000000000000000000001"));
    EXPECT_EQ(l[0].value(QStringLiteral("crc")).toString().size(), 4);
    EXPECT_EQ(l[1].value(QStringLiteral("question_mark")).toBool(true), false);
    EXPECT_EQ(l[2].value(QStringLiteral("networks")).toArray().size(), 4);
    EXPECT_EQ(l[2].value(QStringLiteral("networks")).toArray()[0].toObject().value(QStringLiteral("signal")).toString(),
              QStringLiteral("-48"));
    EXPECT_EQ(l[3].value(QStringLiteral("devices")).toArray().size(), 1);
}

TEST(Sessions, StopsAtTheFirstFailureAndSendsNothingAfterIt)
{
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    const Outcome r = rfidctl({kSim, QStringLiteral("--json"), QStringLiteral("--trace"), trace, QStringLiteral("-c"),
                               QStringLiteral("keyboard version; wifi set nowhere x; wifi ip; keyboard get")});
    EXPECT_EQ(r.exit, 1);
    const QList<QJsonObject> l = r.json();
    ASSERT_EQ(l.size(), 3) << r.out.toStdString();
    EXPECT_EQ(l[2].value(QStringLiteral("command")).toString(), QStringLiteral("wifi ip"));
    EXPECT_EQ(l[2].value(QStringLiteral("status")).toString(), QStringLiteral("refused"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("stopped after command 3 of 4"))) << r.err.toStdString();
    // Three exchanges, decoded as the window's trace decodes them; keyboard get never went out.
    const QStringList lines = traceLines(trace);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Keyboard output: read version"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral("WiFi: read IP address"))) << lines[2].toStdString();
}

TEST(Sessions, AddressAndSerialExchangesReachTheTrace)
{
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    const Outcome r = rfidctl({kSim, QStringLiteral("--address"), QStringLiteral("07"), QStringLiteral("--trace"),
                               trace, QStringLiteral("-c"), QStringLiteral("keyboard version; serial mode tid")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QStringList lines = traceLines(trace);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("out AA 07 01 C0 C6 BB"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" serial ")) &&
                lines[1].contains(QStringLiteral("Serial work modes: set reading mode")))
        << lines[1].toStdString();
}

} // namespace
