#pragma once

#include <QString>

// The PostgreSQL server the shared-journal tests use: the one RFID_TEST_PG_URI names (the test
// command starts one for the whole suite), else a throwaway server of this process's own,
// started on first use by scripts/pg-test-server.sh and stopped when the process ends.
namespace pgtest
{

// The URI of a new, empty database on that server, named after name; empty (with the reason
// in why) when no server could be had.
QString freshDatabase(const QString &name, QString *why = nullptr);

} // namespace pgtest
