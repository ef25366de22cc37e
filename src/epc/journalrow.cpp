#include "epc/journalrow.h"

#include "epc/isotime.h"

namespace epc
{

const char *resultWord(TagResult result)
{
    switch (result) {
    case TagResult::Verified:
        return "verified";
    case TagResult::Written:
        return "written";
    case TagResult::Intent:
        return "intent";
    case TagResult::Seen:
        return "seen";
    case TagResult::Failed:
        break;
    }
    return "failed";
}

std::optional<TagResult> resultOfWord(QByteArrayView word)
{
    for (const TagResult r :
         {TagResult::Verified, TagResult::Written, TagResult::Failed, TagResult::Intent, TagResult::Seen})
        if (word == resultWord(r))
            return r;
    return std::nullopt;
}

QByteArray formatRow(const JournalRow &row, const QDateTime &time)
{
    // With its offset written out, so that rows from before and after a clock change still order.
    const QString stamp = isoTime(time);
    QByteArray detail = row.detail.toUtf8();
    detail.replace('\r', ' ').replace('\n', ' ');
    if (detail.contains(',') || detail.contains('"') || detail.startsWith(' ') || detail.endsWith(' '))
        detail = '"' + detail.replace("\"", "\"\"") + '"';
    QByteArray line;
    line.reserve(64 + 2 * (row.epc.size() + row.tid.size()) + detail.size());
    line += stamp.toLatin1();
    line += ',';
    line += QByteArray::number(row.index);
    line += ',';
    line += row.epc.toHex().toUpper();
    line += ',';
    line += row.tid.toHex().toUpper();
    line += ',';
    line += resultWord(row.result);
    line += ',';
    line += QByteArray::number(row.attempts);
    line += ',';
    line += detail;
    line += '\n';
    return line;
}

} // namespace epc
