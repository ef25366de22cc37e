#include "pagekit/readerloss.h"

#include "base/clock.h"
#include "link/readerlink.h"

ReaderLossWatch::ReaderLossWatch(const ReaderLink &link) : link_(link), seen_(link.readerFailures()) {}

QString ReaderLossWatch::lost()
{
    const quint64 now = link_.readerFailures();
    if (now == seen_)
        return {};
    seen_ = now;
    return link_.presenceWhy().isEmpty() ? QStringLiteral("The reader cannot be reached.") : link_.presenceWhy();
}

QString ReaderLossWatch::endLine(const QString &what, const QString &why)
{
    return QStringLiteral("%1 stopped. %2   ").arg(what, why) + timeStamp();
}
