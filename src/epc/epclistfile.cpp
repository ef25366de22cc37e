#include "epc/epclistfile.h"

#include "base/errors.h"
#include "epc/epctext.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace epc
{
namespace
{

// The fields of one CSV line; quoted fields may hold commas and doubled quotes.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                field += line[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

// The whole file, refusing what is not a regular file before reading it: opening a FIFO for
// reading waits for a writer, and a device never ends.
QByteArray readRegularFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw UserError(
            QStringLiteral("cannot read the EPC list %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw UserError(
            QStringLiteral("the EPC list %1 is not a regular file (a folder, device or FIFO): it is not read")
                .arg(path));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw UserError(QStringLiteral("cannot read the EPC list %1: %2").arg(path, file.errorString()));
    }
    return file.readAll();
}

} // namespace

EpcListFile::EpcListFile(const QString &path, std::optional<qint64> count) : EpcSource(count)
{
    const QStringList lines = QString::fromUtf8(readRegularFile(path)).split(u'\n');
    QStringList bad;
    QHash<QByteArray, qsizetype> seen; // EPC -> line number
    int column = -1;                   // the epc column of a CSV list; -1 for one EPC a line
    bool first = true;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        const qsizetype lineNo = n + 1;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        QString text = line;
        if (first) {
            first = false;
            const QStringList head = csvFields(line);
            for (qsizetype i = 0; i < head.size(); ++i)
                if (head[i].compare(QLatin1String("epc"), Qt::CaseInsensitive) == 0)
                    column = int(i);
            if (column >= 0)
                continue;
            if (head.size() > 1) {
                bad << QStringLiteral("line %1: a CSV list needs a header row with an \"epc\" column").arg(lineNo);
                break;
            }
        }
        if (column >= 0) {
            const QStringList fields = csvFields(line);
            if (column >= fields.size()) {
                bad << QStringLiteral("line %1: no epc column (%2 fields)").arg(lineNo).arg(fields.size());
                continue;
            }
            text = fields[column];
        }
        try {
            const QByteArray epc = parseEpcText(text);
            const auto earlier = seen.constFind(epc);
            if (earlier != seen.constEnd()) {
                bad << QStringLiteral("line %1: EPC %2 repeats line %3").arg(lineNo).arg(toHex(epc)).arg(*earlier);
                continue;
            }
            seen.insert(epc, lineNo);
            offsets_.push_back(quint32(data_.size()));
            data_ += epc;
        } catch (const UserError &e) {
            bad << QStringLiteral("line %1: %2").arg(lineNo).arg(e.message());
        }
    }
    if (!bad.isEmpty())
        throw UserError(
            QStringLiteral("EPC list %1 has %2 bad line(s):\n%3").arg(path).arg(bad.size()).arg(bad.join(u'\n')));
    if (offsets_.empty())
        throw UserError(QStringLiteral("EPC list %1 holds no EPC").arg(path));
}

std::optional<QByteArray> EpcListFile::produce(qint64 index)
{
    if (index >= qint64(offsets_.size()))
        return std::nullopt;
    const quint32 start = offsets_[size_t(index)];
    const quint32 end = size_t(index) + 1 < offsets_.size() ? offsets_[size_t(index) + 1] : quint32(data_.size());
    return data_.mid(start, end - start);
}

} // namespace epc
