#include "epc/journalimport.h"

#include "epc/epctext.h"
#include "epc/journalreader.h"
#include "epc/journalschema.h"
#include "epc/pgconnection.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace epc
{
namespace
{

// What the row does to the EPCs held, as a station's row would.
void hold(PgConnection &db, qint64 batch, const QString &station, const JournalRow &row)
{
    const std::vector<QVariant> params{row.epc, row.tid, batch, row.index, station};
    switch (row.result) {
    case TagResult::Verified:
    case TagResult::Written:
        db.exec("INSERT INTO rfid_hold (epc, tid, batch_id, idx, station, kind) VALUES ($1, $2, $3, $4, $5, "
                "'written') ON CONFLICT (epc) DO UPDATE SET kind = 'written' WHERE rfid_hold.kind <> 'written' AND "
                "rfid_hold.tid = EXCLUDED.tid",
                params);
        break;
    case TagResult::Intent:
        db.exec("INSERT INTO rfid_hold (epc, tid, batch_id, idx, station, kind) VALUES ($1, $2, $3, $4, $5, "
                "'intent') ON CONFLICT (epc) DO NOTHING",
                params);
        break;
    case TagResult::Seen:
        db.exec("DELETE FROM rfid_hold WHERE batch_id = $1 AND idx = $2 AND kind = 'intent' AND tid = $3",
                {batch, row.index, row.tid});
        db.exec("INSERT INTO rfid_hold (epc, tid, batch_id, idx, station, kind) VALUES ($1, $2, $3, $4, $5, "
                "'seen') ON CONFLICT (epc) DO NOTHING",
                params);
        break;
    case TagResult::Failed:
        break;
    }
}

} // namespace

ImportResult importJournal(const QString &csvPath, const QString &uri, const QString &station, QString batch)
{
    if (station.trimmed().isEmpty())
        throw UserError(QStringLiteral("the station name is empty: every imported row names its station"));
    if (!QFileInfo(csvPath).isFile())
        throw UserError(QStringLiteral("journal %1 is not there, or no file").arg(csvPath));
    if (batch.trimmed().isEmpty())
        batch = QStringLiteral("import:") + QFileInfo(csvPath).fileName();
    const QString source = QStringLiteral("imported from CSV journal %1").arg(QFileInfo(csvPath).fileName());

    PgConnection db(uri);
    ensureJournalSchema(db);
    ImportResult result;
    result.batch = batch;
    db.transaction([&] {
        db.exec("INSERT INTO rfid_batch (name, source) VALUES ($1, $2) ON CONFLICT (name) DO NOTHING", {batch, source});
        const PgRows b = db.exec("SELECT id, source FROM rfid_batch WHERE name = $1 FOR NO KEY UPDATE", {batch});
        if (b.text(0, 1) != source)
            throw UserError(QStringLiteral("batch %1 in the journal database %2 holds \"%3\", not rows imported from "
                                           "%4: give another batch name")
                                .arg(batch, db.name(), b.text(0, 1), QFileInfo(csvPath).fileName()));
        const qint64 id = b.number(0, 0);
        qint64 top = -1;
        // Row by row from the mapped file: a malformed line ends the scan, and the transaction
        // with it, so that nothing of that file is imported.
        const auto importRow = [&](const JournalRowView &view) {
            ++result.rows;
            const JournalRow row{view.index,  view.epc.toByteArray(), view.tid.toByteArray(),
                                 view.result, view.attempts,          view.detailText()};
            const QString timeText = QString::fromLatin1(view.time);
            const QDateTime time = QDateTime::fromString(timeText, Qt::ISODateWithMs);
            // Savepoints: a refused row leaves the transaction usable for the rows after it.
            db.run("SAVEPOINT one_row");
            try {
                const PgRows added = db.exec(
                    "INSERT INTO rfid_row (batch_id, station, time, utc_offset, idx, epc, tid, result, attempts, "
                    "detail) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) ON CONFLICT "
                    "(batch_id, station, idx, result, time) DO NOTHING RETURNING id",
                    {id, station, timeText, time.isValid() ? time.offsetFromUtc() : 0, row.index, row.epc, row.tid,
                     QString::fromLatin1(resultWord(row.result)), row.attempts, row.detail});
                db.run("RELEASE SAVEPOINT one_row");
                if (!added.count()) {
                    ++result.already;
                    return;
                }
            } catch (const PgConstraintError &) {
                db.run("ROLLBACK TO SAVEPOINT one_row");
                const PgRows other = db.exec(
                    "SELECT r.station, r.idx, b.name FROM rfid_row r JOIN rfid_batch b ON b.id = r.batch_id "
                    "WHERE r.result IN ('verified', 'written') AND (r.epc = $1 OR (r.tid = $2 AND r.tid <> '')) "
                    "LIMIT 1",
                    {row.epc, row.tid});
                result.conflicts << QStringLiteral("line %1: index %2, EPC %3%4 is verified already at station %5 "
                                                   "(index %6 of batch %7)")
                                        .arg(view.line)
                                        .arg(row.index)
                                        .arg(toHex(row.epc),
                                             row.tid.isEmpty() ? QString()
                                                               : QStringLiteral(", TID %1").arg(toHex(row.tid)),
                                             other.text(0, 0))
                                        .arg(other.number(0, 1))
                                        .arg(other.text(0, 2));
                return;
            }
            ++result.added;
            hold(db, id, station, row);
            top = std::max(top, row.index);
        };
        mapJournal(csvPath, [&](QByteArrayView data) { scanJournal(data, csvPath, importRow); });
        // The file's indexes are used: a station with this batch's source never gets them.
        db.exec("INSERT INTO rfid_number (batch_id, idx, state) SELECT DISTINCT $1::bigint, idx, 'used' FROM rfid_row "
                "WHERE batch_id = $1 AND result <> 'returned' ON CONFLICT DO NOTHING",
                {id});
        db.exec("UPDATE rfid_batch SET next_index = greatest(next_index, $2) WHERE id = $1", {id, top + 1});
    });
    return result;
}

} // namespace epc
