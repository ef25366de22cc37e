#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QIODevice;

namespace cli
{

// An EPCIS 2.0 repository's capture interface, as far as sending it one document goes.
namespace epcis
{

// The capture endpoint of a repository's URL: the URL itself when its path ends with
// /capture, else with /capture appended (query kept).
QUrl captureEndpoint(const QUrl &repository);

// What a repository said to a document it accepted.
struct Accepted {
    QString status;   // "202 Accepted"
    QString location; // the capture job, made absolute; empty when the repository named none
};

// Posts the document in body (read from its start, size bytes) as mediaType to endpoint and
// waits in an event loop up to timeoutMs for the answer. Throws ReaderFailure (exit status 1)
// saying what came instead of 202 Accepted: another status with the first line of its body,
// a refused connection, a host not found, no answer in time, a TLS or other network failure.
Accepted post(const QUrl &endpoint, QIODevice &body, qint64 size, const QByteArray &mediaType, int timeoutMs);

} // namespace epcis
} // namespace cli
