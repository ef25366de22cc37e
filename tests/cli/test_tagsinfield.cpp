#include "rfidctl.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace
{

// The simulated field of a dozen tags, its state kept in a folder of the test's own.
QProcessEnvironment fieldOf(int tags, const QTemporaryDir &state)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RFID_SIM_FIELD"), QString::number(tags));
    env.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
    return env;
}

Outcome run(const QString &command, const QProcessEnvironment &env)
{
    return rfidctl(QStringList{QStringLiteral("--simulate")} + QProcess::splitCommand(command), {}, env);
}

// Twenty rounds hear every tag of a dozen, each with its count, signal figures, TID and chip.
TEST(TagsInField, InventoryListsEveryTagWithItsTid)
{
    QTemporaryDir state;
    const Outcome o = run(QStringLiteral("uhf inventory --rounds 20 --tid --json"), fieldOf(12, state));
    ASSERT_EQ(o.exit, 0) << o.err.toStdString();
    ASSERT_EQ(o.json().size(), 1) << o.out.toStdString();
    const QJsonObject r = o.json().front();
    EXPECT_EQ(r.value("command").toString(), QStringLiteral("uhf inventory"));
    EXPECT_TRUE(r.value("ok").toBool());
    EXPECT_EQ(r.value("rounds").toInt(), 20);
    const QJsonArray tags = r.value("tags").toArray();
    ASSERT_EQ(tags.size(), 12);
    std::set<QString> epcs, tids;
    int reads = 0;
    for (const QJsonValue &v : tags) {
        const QJsonObject t = v.toObject();
        epcs.insert(t.value("epc").toString());
        tids.insert(t.value("tid").toString());
        reads += t.value("count").toInt();
        EXPECT_GE(t.value("count").toInt(), 1);
        EXPECT_LE(t.value("rssi_min").toInt(), t.value("rssi_last").toInt());
        EXPECT_LE(t.value("rssi_last").toInt(), t.value("rssi_max").toInt());
        EXPECT_LE(t.value("rssi_min").toDouble(), t.value("rssi_mean").toDouble());
        EXPECT_GE(t.value("rssi_max").toInt(), -90);
        EXPECT_LE(t.value("rssi_max").toInt(), -25);
        EXPECT_EQ(t.value("tid").toString().size(), 24);
        EXPECT_FALSE(t.value("chip").toString().isEmpty());
        EXPECT_FALSE(t.value("chip").toString().contains(QLatin1String("unknown")));
        EXPECT_TRUE(t.value("first_seen").toString().endsWith(QLatin1Char('Z')));
    }
    EXPECT_EQ(epcs.size(), 12u);
    EXPECT_EQ(tids.size(), 12u);
    EXPECT_EQ(r.value("reads").toInt(), reads);

    // --follow: one object per read, as many as the rounds heard.
    const Outcome f = run(QStringLiteral("uhf inventory --rounds 20 --follow --json"), fieldOf(12, state));
    ASSERT_EQ(f.exit, 0) << f.err.toStdString();
    EXPECT_EQ(f.json().size(), reads);
    for (const QJsonObject &read : f.json())
        EXPECT_TRUE(epcs.count(read.value("epc").toString())) << read.value("epc").toString().toStdString();
}

// A write in one run is there in the next; only the tag addressed changes; a tag's refusal or a
// field of several tags without --epc or --tid exits 1 with the reason.
TEST(TagsInField, MemoryWrittenInOneRunIsReadInAnother)
{
    QTemporaryDir state;
    const QProcessEnvironment env = fieldOf(12, state);
    const QJsonArray tags = run(QStringLiteral("uhf inventory --rounds 20 --tid --json"), env)
                                .json()
                                .value(0)
                                .value("tags")
                                .toArray();
    ASSERT_EQ(tags.size(), 12);
    // The first tag with user memory that takes a write without a password, and another one
    // with user memory.
    QString target, neighbour, before;
    for (const QJsonValue &v : tags) {
        const QString epc = v.toObject().value("epc").toString();
        const Outcome read = run(QStringLiteral("--json uhf mem read user --words 4 --epc ") + epc, env);
        if (read.exit != 0)
            continue;
        if (target.isEmpty() &&
            run(QStringLiteral("--json uhf mem write user --address 1 --data C0DE5AFE --epc ") + epc, env).exit == 0) {
            target = epc;
            continue;
        }
        neighbour = epc;
        before = read.json().value(0).value("data").toString();
        if (!target.isEmpty())
            break;
    }
    ASSERT_FALSE(target.isEmpty());
    ASSERT_FALSE(neighbour.isEmpty());

    struct Case {
        QString command;
        int exit;
        const char *said; // in data (exit 0) or in the error
    };
    const Case cases[] = {
        {QStringLiteral("uhf mem read user --json --address 0 --words 4 --epc ") + target, 0, "0000C0DE5AFE0000"},
        {QStringLiteral("uhf mem read user --json --words 4 --epc ") + neighbour, 0, nullptr},
        {QStringLiteral("uhf mem read user --json"), 1, "choose one with --epc HEX or --tid HEX"},
        {QStringLiteral("uhf mem read user --json --address 4000 --words 1 --epc ") + target, 1,
         "memory overrun (no such memory) (module error A3)"},
        {QStringLiteral("uhf mem read user --json --epc E2FFFFFFFFFFFFFFFFFFFFFF"), 1, "no tag answers"},
    };
    for (const Case &c : cases) {
        const Outcome o = run(c.command, env);
        EXPECT_EQ(o.exit, c.exit) << c.command.toStdString() << ": " << o.err.toStdString();
        const QJsonObject r = o.json().value(0);
        EXPECT_EQ(r.value("command").toString(), QStringLiteral("uhf mem read"));
        if (c.exit != 0)
            EXPECT_TRUE(r.value("error").toString().contains(QLatin1String(c.said))) << o.out.toStdString();
        else
            EXPECT_EQ(r.value("data").toString(), c.said ? QString::fromLatin1(c.said) : before) << c.command.toStdString();
    }
}

} // namespace
