#include "epc/journalschema.h"

#include "epc/pgconnection.h"

namespace epc
{
namespace
{

constexpr char kTables[] = R"sql(
CREATE TABLE rfid_batch (
    id bigserial PRIMARY KEY,
    name text NOT NULL UNIQUE,
    source text NOT NULL,
    size bigint,
    next_index bigint NOT NULL DEFAULT 0,
    created timestamptz NOT NULL DEFAULT now());
CREATE TABLE rfid_lease (
    id bigserial PRIMARY KEY,
    batch_id bigint NOT NULL REFERENCES rfid_batch,
    station text NOT NULL,
    first_index bigint NOT NULL,
    last_index bigint NOT NULL,
    taken timestamptz NOT NULL DEFAULT now(),
    expires timestamptz NOT NULL,
    ended timestamptz);
CREATE INDEX rfid_lease_open ON rfid_lease (batch_id, station) WHERE ended IS NULL;
CREATE TABLE rfid_number (
    batch_id bigint NOT NULL REFERENCES rfid_batch,
    idx bigint NOT NULL,
    state text NOT NULL CHECK (state IN ('leased', 'used', 'free')),
    lease_id bigint REFERENCES rfid_lease,
    PRIMARY KEY (batch_id, idx));
CREATE INDEX rfid_number_free ON rfid_number (batch_id, idx) WHERE state = 'free';
CREATE INDEX rfid_number_leased ON rfid_number (lease_id) WHERE state = 'leased';
CREATE TABLE rfid_row (
    id bigserial PRIMARY KEY,
    batch_id bigint NOT NULL REFERENCES rfid_batch,
    station text NOT NULL,
    time timestamptz NOT NULL,
    utc_offset integer NOT NULL,
    idx bigint NOT NULL,
    epc bytea,
    tid bytea NOT NULL DEFAULT '',
    result text NOT NULL CHECK (result IN ('intent', 'verified', 'written', 'failed', 'seen', 'returned')),
    attempts integer NOT NULL DEFAULT 0,
    detail text NOT NULL DEFAULT '');
CREATE UNIQUE INDEX rfid_row_once ON rfid_row (batch_id, station, idx, result, time);
CREATE UNIQUE INDEX rfid_row_epc_once ON rfid_row (epc) WHERE result IN ('verified', 'written');
CREATE UNIQUE INDEX rfid_row_tid_once ON rfid_row (tid) WHERE result IN ('verified', 'written') AND tid <> '';
CREATE INDEX rfid_row_batch ON rfid_row (batch_id, result, idx);
CREATE TABLE rfid_hold (
    epc bytea PRIMARY KEY,
    tid bytea NOT NULL DEFAULT '',
    batch_id bigint NOT NULL REFERENCES rfid_batch,
    idx bigint NOT NULL,
    station text NOT NULL,
    kind text NOT NULL CHECK (kind IN ('written', 'seen', 'intent')));
CREATE INDEX rfid_hold_tid ON rfid_hold (tid) WHERE tid <> '';
CREATE INDEX rfid_hold_index ON rfid_hold (batch_id, idx);
)sql";

} // namespace

void ensureJournalSchema(PgConnection &db)
{
    db.transaction([&] {
        // Two stations starting at once must not both create the tables: the second waits here.
        db.run("SELECT pg_advisory_xact_lock(7402118)");
        db.run("CREATE TABLE IF NOT EXISTS rfid_schema (version integer NOT NULL)");
        const PgRows version = db.exec("SELECT max(version) FROM rfid_schema");
        if (version.isNull(0, 0)) {
            db.run(kTables);
            db.exec("INSERT INTO rfid_schema (version) VALUES ($1)", {kJournalSchemaVersion});
            return;
        }
        const qint64 found = version.number(0, 0);
        if (found > kJournalSchemaVersion)
            throw UserError(QStringLiteral("the journal database %1 has tables of version %2, made by a newer "
                                           "program; this one knows version %3 and changes nothing there: update "
                                           "it on this station")
                                .arg(db.name())
                                .arg(found)
                                .arg(kJournalSchemaVersion));
    });
}

} // namespace epc
