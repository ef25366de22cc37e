#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace epc
{

// One tag a journal shows verified, as an export of commissioning events needs it.
struct VerifiedRow {
    qint64 index = 0;
    QByteArray epc;
    QByteArray tid;  // empty when the reader could not read it
    QDateTime time;  // with the offset from UTC the station wrote it with
    QString station; // empty for a CSV journal (one station)
    QString batch;   // empty for a CSV journal
};

// Calls each with every verified row of the journal, in the order written (a CSV file) or of
// time (a shared journal, any station, any batch), leaving out rows before since. journal is a
// CSV file's path or a postgresql:// URI. Throws UserError when the journal cannot be read.
void readVerifiedRows(const QString &journal, const std::optional<QDateTime> &since,
                      const std::function<void(const VerifiedRow &)> &each);

} // namespace epc
