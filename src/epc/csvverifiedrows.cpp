#include "epc/csvverifiedrows.h"

#include "base/errors.h"
#include "epc/journalreader.h"

#include <QFileInfo>
#include <QSet>
#include <cstdlib>

namespace epc
{
namespace
{

QDateTime rowTime(QByteArrayView text, const QString &journal, qint64 line)
{
    const QString shown = QString::fromLatin1(text);
    const QDateTime time = QDateTime::fromString(shown, Qt::ISODateWithMs);
    const QString where = QStringLiteral("journal %1, line %2: time \"%3\"").arg(journal).arg(line).arg(shown);
    if (!time.isValid())
        throw UserError(where + QStringLiteral(" is not a valid ISO 8601 time"));
    // Without its offset the moment is unknown: the journal may come from another station.
    if (time.timeSpec() == Qt::LocalTime)
        throw UserError(where + QStringLiteral(" has no UTC offset (+02:00, Z)"));
    if (std::abs(time.offsetFromUtc()) > kMaxUtcOffsetSeconds)
        throw UserError(where + QStringLiteral(" has an offset beyond 14 hours"));
    return time;
}

} // namespace

CsvVerifiedRows::CsvVerifiedRows(const QString &path) : path_(path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw UserError(QStringLiteral("journal %1 does not exist").arg(path));
    if (!info.isFile())
        throw UserError(QStringLiteral("journal %1 is not a regular file").arg(path));
}

void CsvVerifiedRows::forEach(const std::optional<QDateTime> &since,
                              const std::function<void(const VerifiedTag &)> &each) const
{
    if (!QFileInfo::exists(path_))
        throw UserError(QStringLiteral("journal %1 does not exist").arg(path_));
    mapJournal(path_, [&](QByteArrayView data) { forEachIn(data, path_, since, each); });
}

void CsvVerifiedRows::forEachIn(QByteArrayView journalText, const QString &name, const std::optional<QDateTime> &since,
                                const std::function<void(const VerifiedTag &)> &each)
{
    QSet<qint64> seen;
    VerifiedTag tag;
    // A file without its whole header (cut right after it was made) has no rows; any other
    // first line is refused by the scan.
    scanJournal(journalText, name, [&](const JournalRowView &row) {
        if (row.result != TagResult::Verified || seen.contains(row.index))
            return;
        seen.insert(row.index);
        tag.time = rowTime(row.time, name, row.line);
        if (since && tag.time < *since)
            return;
        tag.index = row.index;
        tag.epc = row.epc.toByteArray();
        each(tag);
    });
}

} // namespace epc
