#include "epc/sharedverifiedrows.h"

#include "base/errors.h"
#include "epc/isotime.h"
#include "epc/pgconnection.h"

#include <cstdlib>

namespace epc
{
namespace
{

constexpr int kSliceRows = 1000;

} // namespace

SharedVerifiedRows::SharedVerifiedRows(const QString &uri) : uri_(uri), name_(databaseName(uri)) {}

void SharedVerifiedRows::forEach(const std::optional<QDateTime> &since,
                                 const std::function<void(const VerifiedTag &)> &each) const
{
    PgConnection db(uri_);
    db.transaction([&] {
        if (db.exec("SELECT to_regclass('rfid_row') IS NULL").text(0, 0) == QLatin1String("t"))
            throw UserError(QStringLiteral("the database %1 holds no shared journal").arg(db.name()));
        // Each index once needs no sorting out here: a verified EPC is unique in the table, and
        // an index of a batch always stands for the same EPC. Times go as milliseconds since
        // the epoch and the offset the station ran at, which is all a VerifiedTag's time is.
        db.exec("DECLARE verified NO SCROLL CURSOR FOR SELECT id, idx, epc, "
                "floor(extract(epoch FROM time) * 1000)::bigint, utc_offset FROM rfid_row "
                "WHERE result = 'verified' AND ($1::timestamptz IS NULL OR time >= $1::timestamptz) "
                "ORDER BY time, id",
                {since ? QVariant(isoTime(*since)) : QVariant()});
        const QByteArray fetch = "FETCH " + QByteArray::number(kSliceRows) + " FROM verified";
        VerifiedTag tag;
        for (;;) {
            const PgRows rows = db.exec(fetch.constData());
            for (int r = 0; r < rows.count(); ++r) {
                const qint64 offset = rows.number(r, 4);
                tag.index = rows.number(r, 1);
                tag.epc = rows.bytes(r, 2);
                // Other programs may write to a shared database: a row EPCIS cannot carry is
                // refused by its id, as the CSV journal's by its line.
                if (tag.epc.isEmpty() || std::abs(offset) > kMaxUtcOffsetSeconds)
                    throw UserError(QStringLiteral("the journal database %1, row %2: %3")
                                        .arg(db.name())
                                        .arg(rows.number(r, 0))
                                        .arg(tag.epc.isEmpty() ? QStringLiteral("a verified row without its EPC")
                                                               : QStringLiteral("an offset beyond 14 hours")));
                tag.time = QDateTime::fromMSecsSinceEpoch(rows.number(r, 3), Qt::OffsetFromUTC, int(offset));
                each(tag);
            }
            if (rows.count() < kSliceRows)
                break;
        }
    });
}

} // namespace epc
