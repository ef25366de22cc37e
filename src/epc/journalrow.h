#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace epc
{

// The first line of every journal.
inline constexpr char kJournalHeader[] = "time,index,epc,tid,result,attempts,detail";

enum class TagResult {
    Verified, // written and read back equal
    Written,  // written, verification off
    Failed,
};

// "verified", "written", "failed": the journal's words.
const char *resultWord(TagResult result);

// One tag's record.
struct JournalRow {
    qint64 index = 0; // in the source's order, from 0
    QByteArray epc;   // the EPC meant for the tag
    QByteArray tid;   // empty when the reader cannot read it
    TagResult result = TagResult::Failed;
    int attempts = 0; // writes tried on this tag
    QString detail;   // free text: why it failed, what was read back
};

// One CSV line with its line feed: time (ISO 8601 with offset), index, EPC and TID as
// upper-case hex, result, attempts, detail (quoted when it needs to be; line breaks in it become
// blanks so that a row is always one line).
QByteArray formatRow(const JournalRow &row, const QDateTime &time);

} // namespace epc
