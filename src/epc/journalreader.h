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

// Reads the text of a journal. The first line must be the header (or the start of it, when
// a crash cut the file right after it was made). A cut last line is ignored and reported in
// cut; a malformed complete line is a UserError naming the file (name) and the line.
// each, when given, sees every complete row in order, with its time as written.
JournalContents parseJournal(QByteArrayView data, const QString &name,
                             const std::function<void(const JournalRow &, QByteArrayView time)> &each = {});

// Reads the journal file at path; a file that is not there reads as empty.
JournalContents readJournal(const QString &path,
                            const std::function<void(const JournalRow &, QByteArrayView time)> &each = {});

} // namespace epc
