#include "epc/journalreader.h"

#include "base/errors.h"
#include "base/hex.h"
#include "epc/epctext.h"
#include "epc/journalrow.h"

#include <QFile>
#include <cstring>

namespace epc
{
namespace
{

constexpr int kFields = 7;

// Splits a CSV line (without its line feed) into its fields; any field may be quoted. Returns
// an empty text or the fault.
const char *splitCsv(QByteArrayView line, QByteArrayView (&fields)[kFields], int &count)
{
    count = 0;
    qsizetype i = 0;
    for (;;) {
        if (count == kFields)
            return "more than 7 fields";
        if (i < line.size() && line[i] == '"') {
            const qsizetype start = ++i;
            for (;; ++i) {
                if (i >= line.size())
                    return "a quoted field without its closing quote";
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        ++i;
                        continue;
                    }
                    break;
                }
            }
            fields[count++] = line.sliced(start, i - start); // still with doubled quotes
            ++i;
            if (i < line.size() && line[i] != ',')
                return "text after a closing quote";
        } else {
            const qsizetype start = i;
            while (i < line.size() && line[i] != ',')
                ++i;
            fields[count++] = line.sliced(start, i - start);
        }
        if (i >= line.size())
            return nullptr;
        ++i; // the comma
    }
}

bool parseCount(QByteArrayView text, int maxDigits, qint64 &value)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// Hex of whole bytes into out; at most maxBytes.
bool parseHexField(QByteArrayView text, qsizetype maxBytes, QByteArray &out)
{
    if (text.size() % 2 || text.size() / 2 > maxBytes)
        return false;
    out.resize(text.size() / 2);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const int high = hex::digitValue(QLatin1Char(text[2 * i]));
        const int low = hex::digitValue(QLatin1Char(text[2 * i + 1]));
        if (high < 0 || low < 0)
            return false;
        out[i] = char(high * 16 + low);
    }
    return true;
}

// 2024-05-01T10:00:00 at least; the rest (fraction, offset) is not checked.
bool looksLikeTime(QByteArrayView t)
{
    static const char shape[] = "dddd-dd-ddTdd:dd:dd";
    if (t.size() < qsizetype(sizeof shape - 1))
        return false;
    for (size_t i = 0; i + 1 < sizeof shape; ++i)
        if (shape[i] == 'd' ? (t[i] < '0' || t[i] > '9') : t[i] != shape[i])
            return false;
    return true;
}

// Checks one row and reads its fields into row (whose epc and tid are views of the buffers
// given); returns the fault or nullptr.
const char *takeRow(QByteArrayView line, JournalRowView &row, QByteArray &epc, QByteArray &tid)
{
    QByteArrayView f[kFields];
    int count = 0;
    if (const char *fault = splitCsv(line, f, count))
        return fault;
    if (count != kFields)
        return "fewer than 7 fields";
    if (!looksLikeTime(f[0]))
        return "time is not ISO 8601 (2024-05-01T10:00:00+02:00)";
    qint64 attempts = 0;
    if (!parseCount(f[1], 15, row.index))
        return "index is not a number";
    if (!parseHexField(f[2], kMaxEpcBytes, epc) || epc.isEmpty())
        return "epc is not hex of whole bytes";
    if (!parseHexField(f[3], 255, tid))
        return "tid is not hex of whole bytes";
    if (!parseCount(f[5], 9, attempts))
        return "attempts is not a number";
    const std::optional<TagResult> result = resultOfWord(f[4]);
    if (!result)
        return "result is none of verified, written, failed, intent, seen";
    row.result = *result;
    row.attempts = int(attempts);
    row.time = f[0];
    row.epc = epc;
    row.tid = tid;
    row.detail = f[6];
    return nullptr;
}

} // namespace

QString JournalRowView::detailText() const
{
    // A quoted field still has its quotes doubled; formatRow quotes every detail with one.
    return QString::fromUtf8(detail.toByteArray().replace("\"\"", "\""));
}

JournalScan scanJournal(QByteArrayView data, const QString &name,
                        const std::function<void(const JournalRowView &)> &onRow)
{
    JournalScan c;
    const QByteArrayView header(kJournalHeader);
    QByteArray epc, tid; // reused: one allocation for the whole file
    JournalRowView row;
    qsizetype pos = 0;
    qint64 lineNo = 0;
    while (pos < data.size()) {
        ++lineNo;
        const void *nl = std::memchr(data.data() + pos, '\n', size_t(data.size() - pos));
        if (!nl) {
            // Cut by a crash: also a header cut short right after the file was made.
            const QByteArrayView rest = data.sliced(pos);
            if (lineNo == 1 && !header.startsWith(rest))
                throw UserError(QStringLiteral("%1 is not a commissioning journal: its first line is not \"%2\"")
                                    .arg(name, QLatin1String(kJournalHeader)));
            c.cut = CutLine{lineNo, pos, rest.size(), rest.first(std::min<qsizetype>(rest.size(), 200)).toByteArray()};
            break;
        }
        const qsizetype end = static_cast<const char *>(nl) - data.data();
        QByteArrayView line = data.sliced(pos, end - pos);
        if (line.endsWith('\r'))
            line.chop(1);
        pos = end + 1;
        c.completeBytes = pos;
        if (lineNo == 1) {
            if (line != header)
                throw UserError(QStringLiteral("%1 is not a commissioning journal: its first line is \"%2\", "
                                               "expected \"%3\"")
                                    .arg(name, QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 80))),
                                         QLatin1String(kJournalHeader)));
            c.header = true;
            continue;
        }
        if (line.isEmpty())
            continue;
        if (const char *fault = takeRow(line, row, epc, tid))
            throw UserError(QStringLiteral("journal %1, line %2: %3").arg(name).arg(lineNo).arg(QLatin1String(fault)));
        row.line = lineNo;
        ++c.rows;
        onRow(row);
    }
    return c;
}

JournalContents parseJournal(QByteArrayView data, const QString &name)
{
    JournalContents c;
    const JournalScan scan = scanJournal(data, name, [&c](const JournalRowView &row) {
        switch (row.result) {
        case TagResult::Verified:
        case TagResult::Written:
            c.state.add(row.index, row.epc, row.tid);
            break;
        case TagResult::Failed:
            ++c.failedRows;
            break;
        case TagResult::Intent:
            c.state.addIntent(row.index, row.epc.toByteArray(), row.tid.toByteArray());
            break;
        case TagResult::Seen:
            c.state.addSeen(row.index, row.epc.toByteArray(), row.tid.toByteArray());
            break;
        }
    });
    c.rows = scan.rows;
    c.completeBytes = scan.completeBytes;
    c.header = scan.header;
    c.cut = scan.cut;
    return c;
}

void mapJournal(const QString &path, const std::function<void(QByteArrayView)> &use)
{
    QFile file(path);
    if (!file.exists())
        return use({});
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("cannot read journal %1: %2").arg(path, file.errorString()));
    // Mapped rather than copied: a long journal is read once, front to back.
    const qint64 size = file.size();
    if (size == 0)
        return use({});
    if (const uchar *map = file.map(0, size))
        return use(QByteArrayView(reinterpret_cast<const char *>(map), size));
    use(file.readAll());
}

JournalContents readJournal(const QString &path)
{
    JournalContents c;
    mapJournal(path, [&](QByteArrayView data) { c = parseJournal(data, path); });
    return c;
}

} // namespace epc
