#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace epc
{

// The first line of every journal.
inline constexpr char kJournalHeader[] = "time,index,epc,tid,result,attempts,detail";

enum class TagResult {
    Verified, // written and read back equal
    Written,  // written, verification off
    Failed,
    // Recorded before the first write to a tag: epc is about to be written to the tag with tid.
    // Until a verified, written or seen row of the same index follows, the outcome is unknown
    // and the tag may carry epc, so no other tag gets it.
    Intent,
    // After a failed write: the tag with tid was seen to hold epc (the value read back, or its
    // EPC in the inventory), so no other tag gets that value.
    Seen,
};

// "verified", "written", "failed", "intent", "seen": the journal's words.
const char *resultWord(TagResult result);

// The word's result, if it is one of the journal's words.
std::optional<TagResult> resultOfWord(QByteArrayView word);

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
