#include "epc/verifiedrows.h"

#include "base/errors.h"
#include "epc/journalreader.h"
#include "epc/pgconnection.h"

#include <QFileInfo>

namespace epc
{

void readVerifiedRows(const QString &journal, const std::optional<QDateTime> &since,
                      const std::function<void(const VerifiedRow &)> &each)
{
    if (isDatabaseUri(journal)) {
        PgConnection db(journal);
        if (db.exec("SELECT to_regclass('rfid_row') IS NULL").text(0, 0) == QLatin1String("t"))
            throw UserError(QStringLiteral("the database %1 holds no shared journal").arg(db.name()));
        const PgRows rows = db.exec(
            "SELECT r.idx, r.epc, r.tid, to_char(r.time AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), "
            "r.utc_offset, r.station, b.name FROM rfid_row r JOIN rfid_batch b ON b.id = r.batch_id "
            "WHERE r.result = 'verified' AND ($1::timestamptz IS NULL OR r.time >= $1::timestamptz) "
            "ORDER BY r.time, r.id",
            {since ? QVariant(since->toString(Qt::ISODateWithMs)) : QVariant()});
        for (int r = 0; r < rows.count(); ++r) {
            const QDateTime utc = QDateTime::fromString(rows.text(r, 3), Qt::ISODateWithMs);
            each(VerifiedRow{rows.number(r, 0), rows.bytes(r, 1), rows.bytes(r, 2),
                             utc.toOffsetFromUtc(int(rows.number(r, 4))), rows.text(r, 5), rows.text(r, 6)});
        }
        return;
    }
    if (!QFileInfo(journal).isFile())
        throw UserError(QStringLiteral("journal %1 is not there, or no file").arg(journal));
    readJournal(journal, [&](const JournalRow &row, QByteArrayView time) {
        if (row.result != TagResult::Verified)
            return;
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(time), Qt::ISODateWithMs);
        if (since && at < *since)
            return;
        each(VerifiedRow{row.index, row.epc, row.tid, at, {}, {}});
    });
}

} // namespace epc
