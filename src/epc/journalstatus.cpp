#include "epc/journalstatus.h"

#include "epc/journalschema.h"
#include "epc/pgconnection.h"

namespace epc
{

JournalStatus journalStatus(const QString &uri)
{
    PgConnection db(uri);
    JournalStatus status;
    status.database = db.name();
    if (db.exec("SELECT to_regclass('rfid_schema') IS NULL").text(0, 0) == QLatin1String("t"))
        throw UserError(QStringLiteral("the database %1 holds no shared journal yet: a batch or an import makes it")
                            .arg(db.name()));
    ensureJournalSchema(db); // refuses a newer one
    const PgRows batches = db.exec(
        "SELECT b.name, b.source, b.next_index, count(r.id) FROM rfid_batch b LEFT JOIN rfid_row r ON r.batch_id = "
        "b.id AND r.result = 'verified' GROUP BY b.id ORDER BY b.name");
    for (int i = 0; i < batches.count(); ++i)
        status.batches << BatchState{batches.text(i, 0), batches.text(i, 1), batches.number(i, 2),
                                     batches.number(i, 3)};
    const PgRows stations =
        db.exec("SELECT station, count(*) FILTER (WHERE result IN ('verified', 'written')), "
                "count(*) FILTER (WHERE result = 'verified'), count(*) FILTER (WHERE result = 'failed'), "
                "count(*) FILTER (WHERE result = 'returned'), count(*) FILTER (WHERE result = 'seen'), "
                "(SELECT count(*) FROM rfid_hold h WHERE h.station = r.station AND h.kind = 'intent'), "
                "to_char(max(time) AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"') "
                "FROM rfid_row r GROUP BY station ORDER BY station");
    for (int i = 0; i < stations.count(); ++i) {
        StationCounts c;
        c.station = stations.text(i, 0);
        c.written = stations.number(i, 1);
        c.verified = stations.number(i, 2);
        c.failed = stations.number(i, 3);
        c.returned = stations.number(i, 4);
        c.seen = stations.number(i, 5);
        c.unknown = stations.number(i, 6);
        c.lastRow = stations.text(i, 7);
        status.stations << c;
    }
    const PgRows leases = db.exec(
        "SELECT l.station, b.name, l.first_index, l.last_index, "
        "(SELECT count(*) FROM rfid_number n WHERE n.lease_id = l.id AND n.state = 'leased'), "
        "to_char(l.expires AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), l.expires > now() "
        "FROM rfid_lease l JOIN rfid_batch b ON b.id = l.batch_id WHERE l.ended IS NULL ORDER BY l.station, l.id");
    for (int i = 0; i < leases.count(); ++i)
        status.leases << LeaseState{leases.text(i, 0),
                                    leases.text(i, 1),
                                    leases.number(i, 2),
                                    leases.number(i, 3),
                                    leases.number(i, 4),
                                    leases.text(i, 5),
                                    leases.text(i, 6) == QLatin1String("t")};
    return status;
}

} // namespace epc
