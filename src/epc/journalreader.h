#pragma once

#include "epc/journalrow.h"
#include "epc/journalstate.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

namespace epc
{

// A last line without its line feed: a row cut by a crash or a power cut while being written.
struct CutLine {
    qint64 line = 0;   // its number, counting the header as line 1
    qint64 offset = 0; // where it starts in the file
    qint64 bytes = 0;  // how long it is
    QByteArray text;   // its first 200 bytes, to show
};

struct JournalContents {
    JournalState state;
    qint64 rows = 0;          // complete rows after the header
    qint64 failedRows = 0;    // of them, failed
    qint64 completeBytes = 0; // up to the end of the last complete line
    bool header = false;      // the header line is there
    std::optional<CutLine> cut;
};

// One complete row as read, every field checked but the time, of which only the date and the
// time of day are (the fraction and the offset are as written). The views last until the next
// row is read.
struct JournalRowView {
    qint64 line = 0; // counting the header as line 1
    QByteArrayView time;
    qint64 index = 0;
    QByteArrayView epc; // bytes
    QByteArrayView tid; // bytes; empty when the reader could not read it
    TagResult result = TagResult::Failed;
    int attempts = 0;
    QByteArrayView detail; // as written: a quoted detail still has its quotes doubled

    // The detail as the row's writer gave it.
    QString detailText() const;
};

// What a scan of a journal's text found besides its rows.
struct JournalScan {
    qint64 rows = 0;          // complete rows after the header
    qint64 completeBytes = 0; // up to the end of the last complete line
    bool header = false;      // the header line is there
    std::optional<CutLine> cut;
};

// Reads the text of a journal front to back and hands each complete row to onRow, in the
// file's order. Its header, cut last line and faults are those of parseJournal.
JournalScan scanJournal(QByteArrayView data, const QString &name,
                        const std::function<void(const JournalRowView &)> &onRow);

// Reads the text of a journal. The first line must be the header (or the start of it, when
// a crash cut the file right after it was made). A cut last line is ignored and reported in
// cut; a malformed complete line is a UserError naming the file (name) and the line.
JournalContents parseJournal(QByteArrayView data, const QString &name);

// Reads the journal file at path; a file that is not there reads as empty.
JournalContents readJournal(const QString &path);

// Hands the bytes of the journal file at path to use, mapped rather than copied (empty when
// the file is not there or empty); a file that cannot be opened is a UserError.
void mapJournal(const QString &path, const std::function<void(QByteArrayView)> &use);

} // namespace epc
