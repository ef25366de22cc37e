#include "rfidctl.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace
{

const QString kFirst = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.1000");

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A journal's lines without the intent rows written before each tag.
QList<QByteArray> outcomeLines(const QByteArray &journal)
{
    QList<QByteArray> lines = journal.split('\n');
    lines.removeIf([](const QByteArray &l) { return l.contains(",intent,"); });
    return lines;
}

// encode and decode need no reader (none is given): the plain output is the one value, the JSON
// line every form of it, null where a raw value has none.
TEST(Epc, EncodeAndDecodeWithoutAReader)
{
    struct Case {
        QStringList args;
        const char *line; // the whole human output
        const char *hex, *tagUri, *idUri, *scheme;
        int filter; // -1: null
    };
    const Case cases[] = {
        {{"encode", "urn:epc:tag:sgtin-96:3.0614141.812345.6789"},
         "3074257BF7194E4000001A85",
         "3074257BF7194E4000001A85",
         "urn:epc:tag:sgtin-96:3.0614141.812345.6789",
         "urn:epc:id:sgtin:0614141.812345.6789",
         "SGTIN-96",
         3},
        {{"encode", "urn:epc:id:sgtin:0614141.812345.6789", "--filter", "1"},
         "3034257BF7194E4000001A85",
         "3034257BF7194E4000001A85",
         "urn:epc:tag:sgtin-96:1.0614141.812345.6789",
         "urn:epc:id:sgtin:0614141.812345.6789",
         "SGTIN-96",
         1},
        {{"decode", "30 74 25 7B F7 19 4E 40 00 00 1A 85"},
         "urn:epc:tag:sgtin-96:3.0614141.812345.6789",
         "3074257BF7194E4000001A85",
         "urn:epc:tag:sgtin-96:3.0614141.812345.6789",
         "urn:epc:id:sgtin:0614141.812345.6789",
         "SGTIN-96",
         3},
        // No scheme has header E2: the raw form, as read from a factory-fresh tag.
        {{"decode", "e20000000000000000000001"},
         "urn:epc:raw:96.xE20000000000000000000001",
         "E20000000000000000000001",
         "urn:epc:raw:96.xE20000000000000000000001",
         nullptr,
         nullptr,
         -1},
        {{"encode", "urn:epc:raw:32.x3074ABCD"},
         "3074ABCD",
         "3074ABCD",
         "urn:epc:raw:32.x3074ABCD",
         nullptr,
         nullptr,
         -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const QStringList args = QStringList{QStringLiteral("epc")} + c.args;
        const Outcome human = rfidctl(args);
        EXPECT_EQ(human.exit, 0) << human.err.toStdString();
        EXPECT_EQ(human.out, QString::fromUtf8(c.line) + u'\n');
        EXPECT_EQ(human.err, QString());

        const Outcome json = rfidctl(QStringList{QStringLiteral("--json")} + args);
        ASSERT_EQ(json.exit, 0) << json.err.toStdString();
        EXPECT_TRUE(json.out.startsWith(QStringLiteral("{\"command\":\"epc %1\",\"ok\":true,\"hex\":").arg(c.args[0])))
            << json.out.toStdString();
        const QJsonObject o = json.json().value(0);
        EXPECT_EQ(o.value(QStringLiteral("hex")).toString(), QString::fromUtf8(c.hex));
        EXPECT_EQ(o.value(QStringLiteral("tag_uri")).toString(), QString::fromUtf8(c.tagUri));
        const auto text = [](const char *s) { return s ? QJsonValue(QString::fromUtf8(s)) : QJsonValue(); };
        EXPECT_EQ(o.value(QStringLiteral("id_uri")), text(c.idUri));
        EXPECT_EQ(o.value(QStringLiteral("scheme")), text(c.scheme));
        EXPECT_EQ(o.value(QStringLiteral("filter")), c.filter < 0 ? QJsonValue() : QJsonValue(c.filter));
    }
}

// A batch against the simulator, whose person takes each tag away and lays a fresh one; then the
// same journal again without --resume (refused, untouched) and with it (nothing to write).
TEST(Epc, SimulatedBatchJournalsEveryTagAndResumeWritesNothing)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("roll.csv"));
    const QStringList batch{QStringLiteral("--simulate"), QStringLiteral("--json"),
                            QStringLiteral("epc"),        QStringLiteral("batch"),
                            QStringLiteral("--first"),    kFirst,
                            QStringLiteral("--count"),    QStringLiteral("5"),
                            QStringLiteral("--journal"),  journal};
    const Outcome first = rfidctl(batch);
    ASSERT_EQ(first.exit, 0) << first.err.toStdString();
    const QJsonObject done = first.json().value(0);
    EXPECT_EQ(done.value(QStringLiteral("verified")).toInt(), 5);
    EXPECT_EQ(done.value(QStringLiteral("end")).toString(), QStringLiteral("complete"));

    const QByteArray written = readFile(journal);
    const QList<QByteArray> lines = outcomeLines(written);
    ASSERT_EQ(lines.size(), 7) << written.constData(); // header, 5 rows, the empty rest
    EXPECT_EQ(lines[0], "time,index,epc,tid,result,attempts,detail");
    QSet<QByteArray> tids;
    for (int i = 0; i < 5; ++i) {
        const QList<QByteArray> cells = lines[i + 1].split(',');
        ASSERT_EQ(cells.size(), 7) << lines[i + 1].constData();
        EXPECT_EQ(cells[1], QByteArray::number(i));
        // Serial 1000 + i in the last 38 bits.
        EXPECT_EQ(cells[2], QByteArray("3074257BF7194E40000003E") + QByteArray::number(8 + i, 16).toUpper());
        EXPECT_EQ(cells[4], "verified");
        tids.insert(cells[3]);
    }
    EXPECT_EQ(tids.size(), 5); // a new tag for every index

    const Outcome again = rfidctl(batch);
    EXPECT_EQ(again.exit, 2);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already holds 10 rows"))) << again.err.toStdString();
    EXPECT_EQ(readFile(journal), written);

    const Outcome resumed = rfidctl(batch + QStringList{QStringLiteral("--resume")});
    EXPECT_EQ(resumed.exit, 0) << resumed.err.toStdString();
    EXPECT_EQ(resumed.json().value(0).value(QStringLiteral("skipped")).toInt(), 5);
    EXPECT_EQ(readFile(journal), written);
}

// How other batches end: the exit status, the journal's results, what standard error says.
TEST(Epc, BatchEnds)
{
    struct Case {
        const char *args; // LIST stands for a list file, JOURNAL for a new journal
        int exit;
        const char *results; // the journal rows' results, in order
        const char *err;     // on standard error
    };
    const Case cases[] = {
        {"--simulate epc batch --list LIST --no-verify --journal JOURNAL", 0, "written written", ""},
        // Past FFFF a 2-byte number has no room: two tags are written, so this is no input error.
        {"--simulate epc batch --first-hex FFFE --count 3 --journal JOURNAL", 1, "verified verified",
         "outgrows 2 bytes"},
        // No UHF module behind an HF reader: the batch ends instead of waiting for a tag forever.
        {"--simulate=hf epc batch --first-hex 3000 --count 3 --journal JOURNAL", 1, "",
         "does not know the UHF module's inventory command"},
    };
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.csv"));
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("note,EPC\nfirst,3074257BF7194E4000001A85\nsecond,urn:epc:tag:sgtin-96:3.0614141.812345.6790\n");
    f.close();
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args);
        const QString journal = dir.filePath(QStringLiteral("j%1.csv").arg(n++));
        QString args = QString::fromUtf8(c.args);
        args.replace(QStringLiteral("LIST"), list).replace(QStringLiteral("JOURNAL"), journal);
        const Outcome r = rfidctl(QProcess::splitCommand(args));
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        QStringList results;
        for (const QByteArray &line : outcomeLines(readFile(journal)).mid(1))
            if (!line.isEmpty())
                results << QString::fromUtf8(line.split(',').value(4));
        EXPECT_EQ(results.join(u' '), QString::fromUtf8(c.results));
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
}

// Every fault the simulator can give a tag, met by one batch: the index of a tag that fails is
// journalled as failed (the job goes on with the next) with the value the tag was seen to
// keep, two tags at once wait until one is taken away; a resume then writes the failed
// indexes on good tags, except an EPC a tag was seen with (the tag that kept another value
// holds index 0's) or may carry (the one pulled away during its write).
TEST(Epc, FaultyTagsFailTheirIndexAndResumeWritesThoseNoTagMayCarry)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("roll.csv"));
    const QStringList batch =
        QProcess::splitCommand(QStringLiteral("--simulate epc batch --first-hex 3000 --count 5 --journal ") + journal);
    const auto results = [&] {
        QStringList r;
        for (const QByteArray &line : outcomeLines(readFile(journal)).mid(1))
            if (!line.isEmpty())
                r << QString::fromUtf8(line.split(',').value(1) + ':' + line.split(',').value(4));
        return r.join(u' ');
    };
    QProcessEnvironment faulty = QProcessEnvironment::systemEnvironment();
    faulty.insert(QStringLiteral("RFID_SIM_TAG_FAULTS"), QStringLiteral("locked,other-value,none,leaves,second-tag"));
    const Outcome first = rfidctl(batch, {}, faulty);
    EXPECT_EQ(first.exit, 1) << first.err.toStdString();
    EXPECT_EQ(results(), QStringLiteral("0:failed 0:seen 1:failed 1:seen 2:verified 3:failed 4:verified"));
    EXPECT_TRUE(readFile(journal).contains("the tag may carry EPC 3003"));

    const Outcome resumed = rfidctl(batch + QStringList{QStringLiteral("--resume")});
    EXPECT_EQ(resumed.exit, 1) << resumed.err.toStdString();
    EXPECT_TRUE(results().endsWith(QStringLiteral("4:verified 0:failed 1:verified 3:failed")))
        << results().toStdString();
    // 3000 is on the tag that kept it; 3003 may be on the one pulled away: neither went to another.
    for (const QByteArray &line : outcomeLines(readFile(journal)))
        if (line.contains(",verified,")) {
            EXPECT_TRUE(line.split(',').value(2) != "3000" && line.split(',').value(2) != "3003") << line.constData();
        }

    faulty.insert(QStringLiteral("RFID_SIM_TAG_FAULTS"), QStringLiteral("locked,bent"));
    EXPECT_EQ(rfidctl(batch + QStringList{QStringLiteral("--resume")}, {}, faulty).exit, 2);
}

// Ctrl+C: the tag in hand is finished, the journal holds whole rows only, exit status 1.
TEST(Epc, InterruptStopsAfterTheTagInHand)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("roll.csv"));
    QProcess p;
    p.start(QStringLiteral(RFIDCTL),
            {QStringLiteral("--simulate"), QStringLiteral("epc"), QStringLiteral("batch"), QStringLiteral("--first"),
             kFirst, QStringLiteral("--count"), QStringLiteral("100000"), QStringLiteral("--journal"), journal});
    ASSERT_TRUE(p.waitForStarted());
    // Some rows in, the batch far from its end.
    for (int i = 0; i < 1000 && readFile(journal).count(",verified,") < 3; ++i)
        QThread::msleep(10);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("stopped by Ctrl+C")));
    const QByteArray rows = readFile(journal);
    EXPECT_TRUE(rows.endsWith('\n'));
    const qsizetype n = rows.count(",verified,");
    EXPECT_GE(n, 3);
    EXPECT_LT(n, 100000);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).startsWith(QStringLiteral("%1 verified").arg(n)));
}

} // namespace
