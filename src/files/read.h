#pragma once

#include <QByteArray>
#include <QString>

namespace files
{

struct ReadResult {
    QByteArray data;
    QString error; // empty when data is the whole file
};

// The whole of a regular file of at most maxBytes. A device, a FIFO or a kernel file is
// refused before anything is read from it, so that the call never blocks on one.
ReadResult readWhole(const QString &path, qint64 maxBytes);

} // namespace files
