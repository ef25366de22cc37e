#include "epc/pgtestserver.h"
#include "files/smalltmpfs.h"
#include "rfidctl.h"
#include "support/core/helpers.h"

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace
{

const QString kSchemas = QStringLiteral(RFID_TEST_SOURCE "/data/epcis/schemas.tar.gz");
const QString kScripts = QStringLiteral(RFID_TEST_SOURCE "/cli");

// Every kind of row: GS1 and non-GS1 EPCs, a failed and a written-only row, an index failed
// and then verified on another tag, then verified once more (one event), offsets either way;
// an intent row and the value a tag was seen with after a failed write (no events).
const QByteArray kJournal = "time,index,epc,tid,result,attempts,detail\n"
                            "2024-05-01T09:59:59.900+02:00,0,3074257BF7194E4000001A85,E2801105,intent,0,\n"
                            "2024-05-01T10:00:00.000+02:00,0,3074257BF7194E4000001A85,E2801105,verified,1,\n"
                            "2024-05-01T10:00:01.000+02:00,1,3074257BF7194E4000001A86,E2801106,failed,2,"
                            "\"write: refused, \"\"locked\"\"\"\n"
                            "2024-05-01T10:00:01.100+02:00,1,3074257BF7194E4000001A99,E2801106,seen,2,"
                            "the tag carries this value\n"
                            "2024-05-01T10:00:02.000+02:00,2,E20000000000000000000001,E2801107,verified,1,\n"
                            "2024-05-01T10:00:03.000+02:00,3,3074257BF7194E4000001A87,,written,1,\n"
                            "2024-05-01T09:30:04.500-05:30,1,3074257BF7194E4000001A86,E2801108,verified,1,\n"
                            "2024-05-01T16:00:05.000Z,1,3074257BF7194E4000001A86,E2801108,verified,1,\n"
                            "2024-05-01T16:00:06.000Z,4,3000ABCD,E2801109,verified,1,\n";

const QString kSgtin0 = QStringLiteral("urn:epc:id:sgtin:0614141.812345.6789");
const QString kRaw2 = QStringLiteral("urn:epc:raw:96.xE20000000000000000000001");
const QString kSgtin1 = QStringLiteral("urn:epc:id:sgtin:0614141.812345.6790");
const QString kRaw4 = QStringLiteral("urn:epc:raw:32.x3000ABCD");
// Each event's time and offset, as its row has them.
const QMap<QString, QStringList> kTimes = {
    {kSgtin0, {QStringLiteral("2024-05-01T10:00:00.000+02:00"), QStringLiteral("+02:00")}},
    {kRaw2, {QStringLiteral("2024-05-01T10:00:02.000+02:00"), QStringLiteral("+02:00")}},
    {kSgtin1, {QStringLiteral("2024-05-01T09:30:04.500-05:30"), QStringLiteral("-05:30")}},
    {kRaw4, {QStringLiteral("2024-05-01T16:00:06.000Z"), QStringLiteral("+00:00")}},
};
const QString kReadPoint = QStringLiteral("urn:epc:id:sgln:0614141.07346.1234");
// The characters XML must escape that a URI allows.
const QString kBizLocation = QStringLiteral("https://example.com/loc?a=1&b='x'");

void put(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
}

// The Python that has the JSON schema validator and the URI checker its "uri" format needs;
// Debian's, where scripts/deps.sh installs them, before any other on the path.
QString python()
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import jsonschema, rfc3987")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    ADD_FAILURE() << "no python3 with jsonschema and rfc3987: scripts/deps.sh installs python3-jsonschema and "
                     "python3-rfc3987";
    return QStringLiteral("python3");
}

// The events of the document in path, one line each (epcis_validate.py says which fields),
// once it validates against GS1's schemas; else what the validator says of it.
QStringList validEvents(const QString &kind, const QString &path)
{
    static const QString interpreter = python();
    QProcess p;
    p.start(interpreter, {kScripts + QStringLiteral("/epcis_validate.py"), kSchemas, kind, path});
    if (!p.waitForFinished(60000))
        return {QStringLiteral("the validator did not finish")};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {QStringLiteral("invalid: ") + QString::fromUtf8(p.readAllStandardError())};
    return out.split(u'\n', Qt::SkipEmptyParts);
}

// Each verified tag once, its EPC's URI, its row's time, the place given; the vocabulary in
// the form each format's schema takes. The documents validate against GS1's schemas.
TEST(Epcis, DocumentsValidateAndHoldOneEventPerVerifiedTag)
{
    struct Case {
        const char *args; // OUT stands for a file in the test's folder
        const char *out;  // that file's name; nullptr: standard output
        bool xml;
        QStringList epcs;
        bool place = false;  // --read-point and --biz-location given
        bool shared = false; // from a shared journal the CSV journal was imported into
    };
    const Case cases[] = {
        {"", nullptr, false, {kSgtin0, kRaw2, kSgtin1, kRaw4}},
        {"--format xml", nullptr, true, {kSgtin0, kRaw2, kSgtin1, kRaw4}},
        {"--out OUT", "doc.xml", true, {kSgtin0, kRaw2, kSgtin1, kRaw4}, true},
        {"--out OUT --format json", "doc.xml", false, {kSgtin0, kRaw2, kSgtin1, kRaw4}, true},
        {"--since 2024-05-01T10:00:02+02:00", nullptr, false, {kRaw2, kSgtin1, kRaw4}},
        // Index 1 was first verified before this time: its later row makes no event.
        {"--since 2024-05-01T15:00:05Z --format xml", nullptr, true, {kRaw4}},
        {"--since 2024-05-02", nullptr, false, {}},
        {"--since 2024-05-02 --out OUT", "empty.xml", true, {}},
        // The import refuses index 1's second verified row (its EPC is verified already).
        {"--since 2024-05-01T10:00:00.500+02:00", nullptr, false, {kRaw2, kSgtin1, kRaw4}, false, true},
        {"--out OUT", "shared.xml", true, {kSgtin0, kRaw2, kSgtin1, kRaw4}, true, true},
    };
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.csv"));
    put(journal, kJournal);
    QString why;
    const QString shared = pgtest::freshDatabase(QStringLiteral("epcis"), &why);
    ASSERT_FALSE(shared.isEmpty()) << "no PostgreSQL server for the test: " << why.toStdString();
    const Outcome import =
        rfidctl({QStringLiteral("epc"), QStringLiteral("journal"), QStringLiteral("import"), journal,
                 QStringLiteral("--journal"), shared, QStringLiteral("--station"), QStringLiteral("s1")});
    ASSERT_EQ(import.exit, 0) << import.err.toStdString();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.args) + (c.shared ? " (shared journal)" : ""));
        const QString out = c.out ? dir.filePath(QString::fromUtf8(c.out)) : QString();
        QStringList args = QStringList{QStringLiteral("--json"), QStringLiteral("epc"), QStringLiteral("epcis"),
                                       QStringLiteral("--journal"), c.shared ? shared : journal} +
                           QProcess::splitCommand(QString::fromUtf8(c.args).replace(QStringLiteral("OUT"), out));
        if (c.place)
            args << QStringLiteral("--read-point") << kReadPoint << QStringLiteral("--biz-location") << kBizLocation;
        const Outcome r = rfidctl(args);
        ASSERT_EQ(r.exit, 0) << r.err.toStdString();
        if (c.out) {
            const QJsonObject record = r.json().value(0);
            EXPECT_EQ(record[QStringLiteral("events")].toInt(), c.epcs.size());
            EXPECT_EQ(record[QStringLiteral("format")].toString(), c.xml ? "xml" : "json");
            EXPECT_EQ(record[QStringLiteral("out")].toString(), out);
        } else {
            put(dir.filePath(QStringLiteral("stdout")), r.out.toUtf8());
        }
        QStringList expected;
        for (const QString &epc : c.epcs)
            expected << (QStringList{epc} + kTimes.value(epc) +
                         QStringList{c.place ? kReadPoint : QString(), c.place ? kBizLocation : QString(),
                                     QStringLiteral("ADD")} +
                         (c.xml ? QStringList{QStringLiteral("urn:epcglobal:cbv:bizstep:commissioning"),
                                              QStringLiteral("urn:epcglobal:cbv:disp:active")}
                                : QStringList{QStringLiteral("commissioning"), QStringLiteral("active")}))
                            .join(u'\t');
        EXPECT_EQ(validEvents(c.xml ? QStringLiteral("xml") : QStringLiteral("json"),
                              c.out ? out : dir.filePath(QStringLiteral("stdout"))),
                  expected);
    }
}

// A stand-in repository on a free port; stops with the test.
struct Repository {
    explicit Repository(const QString &mode)
    {
        server.start(QStringLiteral("python3"),
                     {kScripts + QStringLiteral("/epcis_capture_server.py"), mode, folder.path()});
        if (server.waitForReadyRead(30000))
            port = server.readLine().trimmed().toInt();
    }
    ~Repository()
    {
        server.kill();
        server.waitForFinished();
    }
    QJsonObject request() const
    {
        return QJsonDocument::fromJson(bytesOf(folder.filePath(QStringLiteral("request.json")))).object();
    }
    QTemporaryDir folder;
    QProcess server;
    int port = 0;
};

// --capture posts to URL/capture and says the repository's answer; every failure is exit
// status 1 with what came instead.
TEST(Epcis, CaptureSaysTheRepositorysAnswer)
{
    struct Case {
        const char *mode; // the repository's; nullptr: no repository on the port
        const char *url;  // after http://127.0.0.1:PORT
        const char *global, *command;
        int exit;
        const char *says; // on standard output (exit 0) or standard error
        const char *path; // where the document arrived
        const char *mediaType;
    };
    const Case cases[] = {
        {"accept", "/", "--json", "", 0, R"("status":"202 Accepted","location":"http://127.0.0.1:PORT/capture/job-17")",
         "/capture", "application/ld+json"},
        {"accept", "/epcis/capture", "", "--format xml", 0,
         "captured by http://127.0.0.1:PORT/epcis/capture: 202 Accepted", "/epcis/capture", "application/xml"},
        {"refuse", "/epcis", "", "", 1,
         R"(http://127.0.0.1:PORT/epcis/capture answered 400 Bad Request: {"type":"epcisException:ValidationException","title":"eventTime missing"})",
         "/epcis/capture", "application/ld+json"},
        {"silent", "", "--timeout 500", "", 1, "no answer from http://127.0.0.1:PORT/capture within 0.5 s", "/capture",
         "application/ld+json"},
        {nullptr, "", "", "", 1, "connection refused by 127.0.0.1:PORT", nullptr, nullptr},
    };
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.csv"));
    put(journal, kJournal);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode ? c.mode : "no repository");
        std::optional<Repository> repository;
        int port = 0;
        if (c.mode) {
            repository.emplace(QString::fromUtf8(c.mode));
            port = repository->port;
            ASSERT_NE(port, 0) << "the stand-in repository did not start";
        } else {
            QTcpServer probe; // a port just free: nothing listens there
            ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
        const QStringList args = QProcess::splitCommand(QString::fromUtf8(c.global)) +
                                     QStringList{QStringLiteral("epc"), QStringLiteral("epcis")} +
                                     QProcess::splitCommand(QString::fromUtf8(c.command))
                                 << QStringLiteral("--journal") << journal << QStringLiteral("--capture")
                                 << base + QString::fromUtf8(c.url);
        const Outcome r = rfidctl(args);
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        const QString says = QString::fromUtf8(c.says).replace(QStringLiteral("PORT"), QString::number(port));
        EXPECT_TRUE((c.exit == 0 ? r.out : r.err).contains(says)) << r.out.toStdString() << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("second line")));
        if (!c.path)
            continue;
        const QJsonObject request = repository->request();
        EXPECT_EQ(request[QStringLiteral("path")].toString(), QString::fromUtf8(c.path));
        EXPECT_EQ(request[QStringLiteral("headers")][QStringLiteral("Content-Type")].toString(),
                  QString::fromUtf8(c.mediaType));
        const QString body = repository->folder.filePath(QStringLiteral("body"));
        const bool xml = QString::fromUtf8(c.mediaType).endsWith(QLatin1String("xml"));
        EXPECT_EQ(validEvents(xml ? QStringLiteral("xml") : QStringLiteral("json"), body).size(), 4);
    }
}

// A file that cannot be written whole: exit status 1 with the system's reason, the old file as
// it was, no part of the new one left beside it.
TEST(Epcis, AFailedWriteLeavesNoHalfFile)
{
    SmallTmpfs fs("size=16k");
    if (!fs.ok())
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.csv"));
    QByteArray rows = "time,index,epc,tid,result,attempts,detail\n";
    for (int i = 0; i < 200; ++i) // a document of about 60 KiB
        rows += QStringLiteral("2024-05-01T10:00:00.000+02:00,%1,3074257BF7194E40000%2,,verified,1,\n")
                    .arg(i)
                    .arg(0x1000 + i, 5, 16, QLatin1Char('0'))
                    .toLatin1();
    put(journal, rows);
    const QString target = fs.file("doc.json");
    put(target, "old");
    const Outcome full = rfidctl({QStringLiteral("epc"), QStringLiteral("epcis"), QStringLiteral("--journal"), journal,
                                  QStringLiteral("--out"), target});
    ASSERT_TRUE(fs.makeReadOnly());
    const Outcome readOnly = rfidctl({QStringLiteral("epc"), QStringLiteral("epcis"), QStringLiteral("--journal"),
                                      journal, QStringLiteral("--out"), fs.file("new.json")});
    for (const auto &[r, reason] :
         {std::pair{full, "No space left on device"}, std::pair{readOnly, "Read-only file system"}}) {
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(reason))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(bytesOf(target), QByteArray("old"));
    EXPECT_EQ(QDir(fs.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("doc.json")});
}

} // namespace
