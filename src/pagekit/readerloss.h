#pragma once

#include <QString>

class ReaderLink;

// Tells a loop whether one of its own exchanges could not reach the reader (unplugged, gone,
// closed to the user), so that the loop ends instead of failing pass after pass.
class ReaderLossWatch
{
public:
    explicit ReaderLossWatch(const ReaderLink &link);

    // Why the reader could not be reached by an exchange since the watch began or since the
    // last call; empty when every exchange reached it.
    QString lost();

    // The log line of a loop that ends for that reason: "<what> stopped. <why>   <stamp>".
    static QString endLine(const QString &what, const QString &why);

private:
    const ReaderLink &link_;
    quint64 seen_;
};
