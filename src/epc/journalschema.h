#pragma once

namespace epc
{

class PgConnection;

// The shared journal's tables, version 1:
//   rfid_schema   one row: the version of the tables below.
//   rfid_batch    a batch by name, its source (what the first EPC, hex start or list and its
//                 length are), the size of its number space where known, and next_index: every
//                 index below it has been leased once.
//   rfid_lease    a block of indexes given to a station: its span, when it expires (renewed
//                 while the station works), when it ended (returned, or taken back expired).
//   rfid_number   one row per index ever leased: leased (to rfid_lease), used (given to a tag;
//                 its fate is in rfid_row) or free (returned, or its tag was seen not to carry
//                 it): the next leases take free ones first.
//   rfid_row      every row of every station, as the CSV journal's plus the station, the
//                 time's offset, and "returned" rows. A verified or written EPC, and a TID, can
//                 be there once (unique indexes), whoever records it.
//   rfid_hold     every EPC a tag holds or may hold (written, seen after a failed write, or
//                 meant for a tag by an intent whose outcome is unknown): no EPC twice, so an
//                 intent that would give one to a second tag is refused.
inline constexpr int kJournalSchemaVersion = 1;

// Creates the tables that are missing, inside one transaction, and checks the version: a
// database made by a newer program is refused with a UserError saying so.
void ensureJournalSchema(PgConnection &db);

} // namespace epc
