#include "base/clock.h"
#include "epc/hexsequence.h"
#include "epc/sharedjournal.h"
#include "epc/verifiedrows.h"
#include "pgtestserver.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

using namespace epc;

const SharedBatch kBatch{QStringLiteral("hex:3000"), QStringLiteral("hex 3000 step 1"), std::nullopt};

SharedJournalOptions station(const char *name, std::optional<qint64> count, int leaseSize = 100)
{
    SharedJournalOptions o;
    o.station = QString::fromLatin1(name);
    o.count = count;
    o.leaseSize = leaseSize;
    return o;
}

QByteArray epcOf(qint64 index)
{
    return QByteArray::fromHex(QByteArray::number(0x3000 + index, 16));
}

QByteArray tidOf(qint64 n)
{
    return QByteArray::fromHex("E2801100" + QByteArray::number(n).rightJustified(8, '0'));
}

// Takes up to n indexes and writes each (intent, then verified); returns them.
QList<qint64> writeSome(SharedJournal &j, int n, qint64 &tid)
{
    HexSequence source(QByteArray::fromHex("3000"), QStringLiteral("1"), false, std::nullopt);
    QList<qint64> got;
    while (got.size() < n) {
        const auto index = j.nextIndex(source);
        if (!index)
            break;
        const QByteArray t = tidOf(++tid);
        EXPECT_FALSE(j.recordIntent({*index, epcOf(*index), t, TagResult::Intent, 0, {}}));
        JournalRow row{*index, epcOf(*index), t, TagResult::Verified, 1, {}};
        EXPECT_TRUE(j.append(row).isEmpty());
        got << *index;
    }
    return got;
}

class SharedJournalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString why;
        uri = pgtest::freshDatabase(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()),
                                    &why);
        ASSERT_FALSE(uri.isEmpty()) << "no PostgreSQL server for the test: " << why.toStdString();
    }
    QString uri;
};

// Two stations share one number space; what a station returns, or leaves behind when it dies,
// goes to the next lease, lowest first; nothing is given twice.
TEST_F(SharedJournalTest, LeasesGiveEachIndexToOneStation)
{
    qint64 tid = 0;
    QList<qint64> all;
    {
        SharedJournal a(uri, kBatch, station("a", 200)), b(uri, kBatch, station("b", 150));
        for (int round = 0; round < 3; ++round) {
            all += writeSome(a, 50, tid);
            all += writeSome(b, 50, tid);
        }
        a.finish();
        b.finish();
        EXPECT_EQ(a.leasesTaken(), 2);
    }
    // a's second lease (200 to 299) had 50 left: returned.
    {
        SharedJournal c(uri, kBatch, station("c", 10));
        const QList<qint64> again = writeSome(c, 10, tid);
        EXPECT_EQ(again.front(), 250) << "the lowest returned number first";
        all += again;
        c.finish();
    }
    {
        // d dies after one tag of its lease: its other numbers wait for the lease to expire.
        auto d = std::make_unique<SharedJournal>(uri, kBatch, station("d", std::nullopt, 20));
        all += writeSome(*d, 1, tid);
        d.reset();
        SharedJournal e(uri, kBatch, station("e", 5, 5));
        const QList<qint64> fresh = writeSome(e, 5, tid);
        EXPECT_FALSE(QSet<qint64>(fresh.begin(), fresh.end()).intersects(QSet<qint64>(all.begin(), all.end())));
        all += fresh;
        PgConnection(uri).run("UPDATE rfid_lease SET expires = now() - interval '1 second' WHERE station = 'd'");
        SharedJournal f(uri, kBatch, station("f", 19, 19));
        const QList<qint64> reclaimed = writeSome(f, 19, tid);
        all += reclaimed;
        EXPECT_EQ(reclaimed.size(), 19);
        f.finish();
        e.finish();
    }
    const QSet<qint64> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), all.size()) << "an index given twice";
    PgConnection db(uri);
    EXPECT_EQ(db.exec("SELECT count(DISTINCT epc) FROM rfid_row WHERE result = 'verified'").number(0, 0), all.size());
    EXPECT_EQ(db.exec("SELECT count(*) FROM rfid_number WHERE state = 'leased'").number(0, 0), 0);
}

// What the database holds refuses a station, an intent or a row, with a reason.
TEST_F(SharedJournalTest, RefusesWhatTheDatabaseHolds)
{
    qint64 tid = 0;
    auto a = std::make_unique<SharedJournal>(uri, kBatch, station("a", 3));
    writeSome(*a, 1, tid);

    struct Case {
        const char *name;
        std::function<void()> run;
        const char *error; // in the UserError; empty: none
    } cases[] = {
        {"another source under the batch's name",
         [&] {
             SharedJournal(uri, {kBatch.name, QStringLiteral("hex 3000 step 2"), {}}, station("b", 1));
         },
         "has another source"},
        {"a second process as a station with a live lease", [&] { SharedJournal(uri, kBatch, station("a", 1)); },
         "holds a live lease"},
        {"--resume takes it over",
         [&] {
             SharedJournalOptions o = station("a", 1);
             o.resume = true;
             EXPECT_EQ(SharedJournal(uri, kBatch, o).adopted(), 2);
         },
         ""},
        {"a station without a name", [&] { SharedJournal(uri, kBatch, station("", 1)); }, "station name is empty"},
    };
    for (const Case &c : cases) {
        QString error;
        try {
            c.run();
        } catch (const UserError &e) {
            error = e.message();
        }
        EXPECT_EQ(error.isEmpty(), !*c.error) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << c.name << ": " << error.toStdString();
    }

    // Another batch whose EPCs overlap: the intent is refused, and so is a verified row that
    // bypasses it; the tag written already is refused by its TID.
    SharedJournal other(uri, {QStringLiteral("overlap"), QStringLiteral("hex 2FFF step 1"), {}}, station("c", 3));
    HexSequence source(QByteArray::fromHex("2FFF"), QStringLiteral("1"), false, std::nullopt);
    other.nextIndex(source);
    other.nextIndex(source);
    const auto held = other.recordIntent({1, epcOf(0), tidOf(100), TagResult::Intent, 0, {}});
    ASSERT_TRUE(held);
    EXPECT_EQ(held->kind, IntentRefusal::Kind::EpcHeld);
    EXPECT_TRUE(held->text.contains(QLatin1String("written to the tag (TID E280110000000001)")))
        << held->text.toStdString();
    JournalRow twice{1, epcOf(0), tidOf(101), TagResult::Verified, 1, {}};
    EXPECT_TRUE(other.append(twice).contains(QLatin1String("second verified row of EPC 3000")));
    EXPECT_EQ(twice.result, TagResult::Failed);
    other.nextIndex(source);
    const auto written = other.recordIntent({2, epcOf(1), tidOf(1), TagResult::Intent, 0, {}});
    ASSERT_TRUE(written);
    EXPECT_EQ(written->kind, IntentRefusal::Kind::TagWritten);

    // A database made by a newer program is left alone.
    PgConnection(uri).run("INSERT INTO rfid_schema VALUES (2)");
    a.reset();
    try {
        SharedJournal(uri, kBatch, station("d", 1));
        ADD_FAILURE() << "a newer schema was taken";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("version 2, made by a newer program")));
    }
}

// The verified rows of either journal, with each row's time and offset, from a time on; intent,
// seen and failed rows are none.
TEST_F(SharedJournalTest, VerifiedRowsOfEitherJournal)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("j.csv"));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("time,index,epc,tid,result,attempts,detail\n"
            "2026-05-01T10:00:00.000+02:00,0,3000,E2801100,intent,0,\n"
            "2026-05-01T10:00:00.500+02:00,0,3000,E2801100,verified,1,\n"
            "2026-05-01T09:00:01.000Z,1,3001,E2801101,failed,3,x\n"
            "2026-05-01T09:00:01.100Z,1,3000,E2801101,seen,3,the tag carries this value\n"
            "2026-05-01T09:00:02.000Z,2,3002,E2801102,verified,1,\n");
    f.close();
    {
        // The same rows in a shared journal, stamped by stations two hours east and at UTC.
        SharedJournal j(uri, kBatch, station("a", 3));
        HexSequence source(QByteArray::fromHex("3000"), QStringLiteral("1"), false, std::nullopt);
        const auto at = [](const char *t) { return QDateTime::fromString(QString::fromLatin1(t), Qt::ISODateWithMs); };
        for (const auto &[index, time, result] : {std::tuple{0, "2026-05-01T10:00:00.500+02:00", TagResult::Verified},
                                                  std::tuple{1, "2026-05-01T09:00:01.000Z", TagResult::Failed},
                                                  std::tuple{2, "2026-05-01T09:00:02.000Z", TagResult::Verified}}) {
            j.nextIndex(source);
            appclock::setSource([&, t = at(time)] { return t; });
            JournalRow row{index, epcOf(index), QByteArray::fromHex("E28011") + char(index), result, 1, {}};
            j.append(row);
        }
        appclock::setSource({});
        j.finish();
    }
    struct Case {
        QString journal;
        const char *since;
        QStringList rows; // index@time
    } cases[] = {
        {csv, nullptr, {"0@2026-05-01T10:00:00.500+02:00", "2@2026-05-01T09:00:02.000Z"}},
        {csv, "2026-05-01T09:00:01Z", {"2@2026-05-01T09:00:02.000Z"}},
        {uri, nullptr, {"0@2026-05-01T10:00:00.500+02:00", "2@2026-05-01T09:00:02.000Z"}},
        {uri, "2026-05-01T08:00:01Z", {"2@2026-05-01T09:00:02.000Z"}},
    };
    for (const Case &c : cases) {
        QStringList got;
        std::optional<QDateTime> since;
        if (c.since)
            since = QDateTime::fromString(QString::fromLatin1(c.since), Qt::ISODate);
        openVerifiedRows(c.journal)->forEach(since, [&](const VerifiedTag &r) {
            got << QStringLiteral("%1@%2").arg(r.index).arg(r.time.toString(Qt::ISODateWithMs));
            EXPECT_EQ(r.epc, epcOf(r.index));
        });
        EXPECT_EQ(got, c.rows) << c.journal.toStdString() << " " << (c.since ? c.since : "");
    }
}

} // namespace
