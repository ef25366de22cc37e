#pragma once

#include <QString>
#include <QStringList>

namespace epc
{

struct ImportResult {
    QString batch;         // the batch the rows went to
    qint64 rows = 0;       // rows of the file
    qint64 added = 0;      // new in the database
    qint64 already = 0;    // there from an earlier import
    QStringList conflicts; // rows the database refused, each "line N: why"
};

// Moves the rows of a CSV journal into a shared journal's database, as rows of station in
// batch (empty: "import:" and the file's name), inside one transaction. Importing the same
// file again adds nothing (a row is known by batch, station, index, result and time); a
// verified EPC or TID that another row holds is a conflict, said and left out. The indexes
// become used numbers of the batch and its EPCs are held, as if a station had written them.
// Throws UserError for an unreadable or malformed file, a database that cannot be reached,
// or a batch of that name with another source.
ImportResult importJournal(const QString &csvPath, const QString &uri, const QString &station, QString batch);

} // namespace epc
