#include "epc/pgconnection.h"
#include "epc/pgtestserver.h"

#include "rfidctl.h"
#include <QJsonArray>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace
{

using epc::PgConnection;

QString database(const char *name)
{
    QString why;
    const QString uri = pgtest::freshDatabase(QString::fromLatin1(name), &why);
    EXPECT_FALSE(uri.isEmpty()) << "no PostgreSQL server for the test: " << why.toStdString();
    return uri;
}

QStringList batchArgs(const QString &journal, const QString &extra)
{
    return QStringList{QStringLiteral("--simulate"), QStringLiteral("epc"), QStringLiteral("batch"),
                       QStringLiteral("--journal"), journal} +
           QProcess::splitCommand(extra);
}

// The done-when of the shared journal, smaller: four stations started together on one GS1
// product each write their count from one number space, and the database holds that many
// distinct verified EPCs. A CSV journal imported twice adds its rows once; status counts all.
TEST(SharedJournal, FourStationsShareOneNumberSpace)
{
    const QString uri = database("four");
    ASSERT_FALSE(uri.isEmpty());
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int s = 1; s <= 4; ++s) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(RFIDCTL),
                 batchArgs(uri, QStringLiteral("--first urn:epc:tag:sgtin-96:3.0614141.812345.5000 --count 40 "
                                               "--lease-size 15 --station s%1")
                                    .arg(s)));
        stations.push_back(std::move(p));
    }
    for (auto &p : stations) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().constData();
    }
    PgConnection db(uri);
    const epc::PgRows verified =
        db.exec("SELECT count(*), count(DISTINCT epc), count(DISTINCT tid) FROM rfid_row WHERE result = 'verified'");
    EXPECT_EQ(verified.number(0, 0), 160);
    EXPECT_EQ(verified.number(0, 1), 160);
    EXPECT_EQ(verified.number(0, 2), 160);

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("old.csv"));
    ASSERT_EQ(rfidctl(batchArgs(csv, QStringLiteral("--first-hex 3000 --count 3"))).exit, 0);
    const QStringList import{QStringLiteral("epc"),       QStringLiteral("journal"),
                             QStringLiteral("import"),    csv,
                             QStringLiteral("--journal"), uri,
                             QStringLiteral("--station"), QStringLiteral("old")};
    EXPECT_TRUE(rfidctl(import).out.contains(QStringLiteral("6 added, 0 there already, 0 refused")));
    EXPECT_TRUE(rfidctl(import).out.contains(QStringLiteral("0 added, 6 there already, 0 refused")));

    const Outcome status = rfidctl({QStringLiteral("--json"), QStringLiteral("epc"), QStringLiteral("journal"),
                                    QStringLiteral("status"), QStringLiteral("--journal"), uri});
    ASSERT_EQ(status.exit, 0) << status.err.toStdString();
    const QJsonArray rows = status.json().value(0).value(QStringLiteral("stations")).toArray();
    ASSERT_EQ(rows.size(), 5);
    for (const QJsonValue &r : rows)
        EXPECT_EQ(r[QStringLiteral("verified")].toInt(), r[QStringLiteral("station")] == QLatin1String("old") ? 3 : 40);
    EXPECT_TRUE(status.json().value(0).value(QStringLiteral("leases")).toArray().isEmpty()) << "a lease not returned";
}

// kill -9 between a tag's write and its row (the simulator dies right after the third write):
// the resumed batch never gives that EPC to another tag, with a CSV journal as with a shared one.
TEST(SharedJournal, KilledBetweenWriteAndRowTheEpcGoesToNoOtherTag)
{
    QTemporaryDir dir;
    struct Case {
        QString journal;
        QString first, resume; // extra arguments
        int resumedExit;
    } cases[] = {
        {dir.filePath(QStringLiteral("j.csv")), QStringLiteral("--count 5"), QStringLiteral("--count 5 --resume"), 1},
        {database("killed"), QStringLiteral("--count 5 --station k --lease-size 5"),
         QStringLiteral("--count 2 --station k --resume"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.journal.toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RFID_SIM_KILL_AFTER_WRITES"), QStringLiteral("3"));
        const Outcome killed = rfidctl(batchArgs(c.journal, QStringLiteral("--first-hex 3000 ") + c.first), {}, env);
        EXPECT_EQ(killed.exit, -1) << "not killed: " << killed.err.toStdString();
        const Outcome resumed = rfidctl(batchArgs(c.journal, QStringLiteral("--first-hex 3000 ") + c.resume));
        EXPECT_EQ(resumed.exit, c.resumedExit) << resumed.err.toStdString();

        QStringList verified, intents;
        if (c.journal.endsWith(QLatin1String(".csv"))) {
            QFile f(c.journal);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            for (const QByteArray &line : f.readAll().split('\n')) {
                const QList<QByteArray> cells = line.split(',');
                (cells.value(4) == "verified" ? verified : intents) << QString::fromLatin1(cells.value(2));
            }
        } else {
            PgConnection db(c.journal);
            const epc::PgRows rows = db.exec("SELECT encode(epc, 'hex'), result FROM rfid_row WHERE epc IS NOT NULL");
            for (int r = 0; r < rows.count(); ++r)
                (rows.text(r, 1) == QLatin1String("verified") ? verified : intents) << rows.text(r, 0).toUpper();
        }
        EXPECT_TRUE(intents.contains(QStringLiteral("3002")));
        EXPECT_FALSE(verified.contains(QStringLiteral("3002"))) << verified.join(u' ').toStdString();
        EXPECT_EQ(verified.size(), 4) << verified.join(u' ').toStdString();
    }
}

// The connection to the server is cut mid-batch: the station stops after the tag in hand and
// says why, naming the server but not the password; --resume goes on, nothing recorded twice.
TEST(SharedJournal, ALostConnectionStopsTheStationAndResumeGoesOn)
{
    const QString plain = database("lost");
    ASSERT_FALSE(plain.isEmpty());
    QString uri = plain;
    uri.replace(QStringLiteral("rfid@"), QStringLiteral("rfid:s3cret-pw@")); // the server trusts; it is ignored
    QProcess p;
    p.start(QStringLiteral(RFIDCTL), batchArgs(uri, QStringLiteral("--first-hex 3000 --count 100000 --station l "
                                                                   "--lease-size 10")));
    PgConnection db(plain);
    const auto verified = [&]() -> qint64 {
        try {
            return db.exec("SELECT count(*) FROM rfid_row WHERE result = 'verified'").number(0, 0);
        } catch (const UserError &) {
            return 0; // the station has not made the tables yet
        }
    };
    for (int i = 0; i < 1000 && verified() < 5; ++i)
        QThread::msleep(10);
    db.run("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() AND pid <> "
           "pg_backend_pid()");
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("lost the connection to the journal database postgresql://rfid@/")))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("s3cret")) || p.readAllStandardOutput().contains("s3cret"));

    const Outcome resumed = rfidctl(batchArgs(uri, QStringLiteral("--first-hex 3000 --count 3 --station l --resume")));
    EXPECT_EQ(resumed.exit, 0) << resumed.err.toStdString();
    EXPECT_FALSE(resumed.err.contains(QStringLiteral("s3cret")));
    const epc::PgRows rows = db.exec("SELECT count(*), count(DISTINCT epc), count(DISTINCT (idx, result, time)) "
                                     "FROM rfid_row WHERE result = 'verified'");
    EXPECT_EQ(rows.number(0, 0), rows.number(0, 1));
    EXPECT_EQ(rows.number(0, 0), rows.number(0, 2));
}

} // namespace
