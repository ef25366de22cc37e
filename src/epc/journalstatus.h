#pragma once

#include <QList>
#include <QString>

namespace epc
{

struct StationCounts {
    QString station;
    qint64 written = 0; // verified or written rows
    qint64 verified = 0;
    qint64 failed = 0;
    qint64 returned = 0;
    qint64 seen = 0;    // values seen on tags after failed writes
    qint64 unknown = 0; // intents of this station still without an outcome
    QString lastRow;    // the time of its latest row
};

struct LeaseState {
    QString station;
    QString batch;
    qint64 firstIndex = 0, lastIndex = 0; // the span it covers
    qint64 unused = 0;                    // of its numbers, still leased (not given to a tag)
    QString expires;
    bool live = false; // not yet expired
};

struct BatchState {
    QString name, source;
    qint64 nextIndex = 0; // below it, every index was leased once
    qint64 verified = 0;
};

struct JournalStatus {
    QString database; // its name, without the password
    QList<BatchState> batches;
    QList<StationCounts> stations;
    QList<LeaseState> leases; // not ended: live, or expired and not yet taken back
};

// What a shared journal holds, for "epc journal status". Throws UserError when the database
// cannot be reached or holds no journal.
JournalStatus journalStatus(const QString &uri);

} // namespace epc
