#include "cli/profile.h"
#include "rfidctl.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const QString kSim = QStringLiteral("--simulate");

QString write(const QTemporaryDir &dir, const char *name, const QByteArray &json)
{
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(json);
    return path;
}

QStringList names(const QJsonValue &v)
{
    QStringList l;
    for (const QJsonValue &x : v.toArray())
        l << x.toString();
    return l;
}

TEST(Profile, SaveApplyVerifyRoundTripOnAFreshReader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("door.json"));
    const Outcome save = rfidctl({kSim, QStringLiteral("-c"),
                                  QStringLiteral("keyboard set hex10 --question-mark --comma; profile save ") + path});
    ASSERT_EQ(save.exit, 0) << save.err.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_EQ(saved.value(QStringLiteral("format")).toInt(), 1);
    EXPECT_EQ(saved.value(QStringLiteral("keyboard")).toObject().value(QStringLiteral("format")).toString(),
              QStringLiteral("hex10"));

    // Another run is another reader, at its factory settings: the profile makes it the same.
    const Outcome apply = rfidctl({kSim, QStringLiteral("--json"), QStringLiteral("-c"),
                                   QStringLiteral("profile apply %1 --verify; keyboard get").arg(path)});
    ASSERT_EQ(apply.exit, 0) << apply.err.toStdString();
    const QList<QJsonObject> l = apply.json();
    EXPECT_EQ(names(l[0].value(QStringLiteral("verified"))), QStringList{QStringLiteral("keyboard.format")});
    EXPECT_EQ(l[1].value(QStringLiteral("format")).toString(), QStringLiteral("hex10"));
    EXPECT_TRUE(l[1].value(QStringLiteral("question_mark")).toBool());
    EXPECT_TRUE(l[1].value(QStringLiteral("comma")).toBool());
    EXPECT_FALSE(l[1].value(QStringLiteral("semicolon")).toBool());
}

TEST(Profile, StepsInTheirOrderWithTheSwitchToSerialLast)
{
    const cli::Profile p = cli::Profile::parse(
        R"({"format":1,
            "output":{"usb_serial":true,"baud":19200,"prefix":"","interfaces":[]},
            "wifi":{"name":"net","password":"pw"},
            "uhf":{"mode":"multi"},
            "keyboard":{"voice":"off","format":"custom:4","semicolon":false,"question_mark":true,
                        "comma":false,"enter":false,"rssi":true,"buzzer":"small"},
            "saved_from":{"version":"anything"}})",
        QStringLiteral("p.json"));
    QStringList names;
    QList<QByteArray> bodies;
    for (const cli::Profile::Step &s : p.steps) {
        names << s.name;
        bodies << s.request.bytes.toHex().toUpper();
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("keyboard.format"), QStringLiteral("keyboard.voice"),
                                  QStringLiteral("output.prefix"), QStringLiteral("output.interfaces"),
                                  QStringLiteral("output.baud"), QStringLiteral("uhf.mode"), QStringLiteral("wifi"),
                                  QStringLiteral("output.usb_serial")}));
    EXPECT_EQ(bodies[0], QByteArray("828400010000000101")); // custom 4 bytes, ?, small buzzer, RSSI
    EXPECT_TRUE(p.steps[1].answerOptional);
    EXPECT_EQ(bodies[2], QByteArray("CB01"));
    EXPECT_EQ(bodies[3], QByteArray("C3000000"));
    EXPECT_EQ(bodies[4], QByteArray("C401"));
    EXPECT_EQ(bodies[5], QByteArray("0F03"));
    EXPECT_EQ(bodies[6], QByteArray("8A6E65742C7077"));
    EXPECT_EQ(bodies[7], QByteArray("AA0001B8B9BB"));
    ASSERT_TRUE(p.keyboardFormat.has_value());
    EXPECT_EQ(p.keyboardFormat->format, 0x84);
}

TEST(Profile, VerifyNamesEveryKeyTheReaderReadsBackOtherwise)
{
    const cli::Profile p = cli::Profile::parse(R"({"format":1,"keyboard":{"format":"hex8","semicolon":true,
                                                  "question_mark":false,"comma":false,"enter":true}})",
                                               QStringLiteral("p.json"));
    protocol::keyboard::FormatReadback same{0x0C, 1, 0, 0, 1, 0};
    EXPECT_EQ(p.differences(same), QStringList());
    protocol::keyboard::FormatReadback other{0x07, 0, 0, 1, 1, 0};
    EXPECT_EQ(p.differences(other), (QStringList{QStringLiteral("keyboard.format: profile hex8, reader hex10"),
                                                 QStringLiteral("keyboard.semicolon: profile true, reader false"),
                                                 QStringLiteral("keyboard.comma: profile false, reader true")}));
    // A reply without the format byte differs too, rather than passing for format 00.
    protocol::keyboard::FormatReadback cut{std::nullopt, 1, 0, 0, 1, 0};
    EXPECT_EQ(p.differences(cut), QStringList{QStringLiteral("keyboard.format: profile hex8, reader nothing")});
}

TEST(Profile, AFailureHalfwayNamesWhatWasAppliedAndWhatWasNot)
{
    QTemporaryDir dir;
    // The simulated reader takes a suffix of at most 4 bytes: the fifth setting is refused.
    const QString path = write(dir, "p.json",
                               R"({"format":1,
                                   "keyboard":{"format":"hex8","semicolon":false,"question_mark":false,
                                               "comma":false,"enter":true,"mode":"passive"},
                                   "output":{"prefix":"3031","suffix":"0A0B0C0D0E","interval":20,"baud":9600},
                                   "wifi":{"name":"guest","password":"pw"}})");
    const Outcome r =
        rfidctl({kSim, QStringLiteral("--json"), QStringLiteral("profile"), QStringLiteral("apply"), path});
    EXPECT_EQ(r.exit, 1);
    const QJsonObject o = r.json().value(0);
    EXPECT_EQ(names(o.value(QStringLiteral("applied"))),
              (QStringList{QStringLiteral("keyboard.format"), QStringLiteral("keyboard.mode"),
                           QStringLiteral("output.prefix")}));
    EXPECT_EQ(o.value(QStringLiteral("failed")).toString(), QStringLiteral("output.suffix"));
    EXPECT_EQ(names(o.value(QStringLiteral("not_applied"))),
              (QStringList{QStringLiteral("output.interval"), QStringLiteral("output.baud"), QStringLiteral("wifi")}));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Not applied after it: output.interval, output.baud, wifi")))
        << r.err.toStdString();
}

} // namespace
