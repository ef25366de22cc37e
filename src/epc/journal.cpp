#include "epc/journal.h"

#include "base/clock.h"
#include "base/errors.h"
#include "epc/epctext.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace epc
{
namespace
{

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Reads the whole file through fd from offset 0.
QByteArray readAllFrom(int fd, qint64 size, const QString &path)
{
    QByteArray data(size, '\0');
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data.data() + done, size_t(size - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw UserError(QStringLiteral("cannot read journal %1: %2").arg(path, lastError()));
        if (n == 0)
            break;
        done += n;
    }
    data.truncate(done);
    return data;
}

// A new file's name only lasts a power cut once its folder is on disk too.
void syncFolder(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int d = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d >= 0) {
        ::fsync(d);
        ::close(d);
    }
}

} // namespace

Journal::Journal(const QString &path) : path_(path)
{
    const QByteArray name = QFile::encodeName(path);
    const bool existed = QFileInfo::exists(path);
    fd_ = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw UserError(QStringLiteral("cannot open journal %1: %2").arg(path, lastError()));
    try {
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
            throw UserError(QStringLiteral("journal %1 is in use by another job").arg(path));
        struct stat st {
        };
        if (::fstat(fd_, &st) != 0)
            throw UserError(QStringLiteral("cannot read journal %1: %2").arg(path, lastError()));
        if (!S_ISREG(st.st_mode))
            throw UserError(QStringLiteral("journal %1 is not a regular file").arg(path));
        contents_ = parseJournal(readAllFrom(fd_, st.st_size, path), path);
        size_ = contents_.completeBytes;
        if (contents_.cut) {
            // Only the cut line goes: it never was a row, and a row appended behind it would
            // glue onto it and spoil both.
            if (::ftruncate(fd_, size_) != 0 || ::fdatasync(fd_) != 0)
                throw UserError(
                    QStringLiteral("cannot remove the cut last line of journal %1: %2").arg(path, lastError()));
        }
        if (!contents_.header) {
            writeAll(QByteArray(kJournalHeader) + '\n', QStringLiteral("the header"));
            contents_.header = true;
            contents_.completeBytes = size_;
            if (!existed)
                syncFolder(path);
        }
    } catch (...) {
        ::close(fd_);
        fd_ = -1;
        throw;
    }
}

Journal::~Journal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void Journal::writeAll(const QByteArray &bytes, const QString &what)
{
    if (broken_)
        throw UserError(QStringLiteral("journal %1 failed earlier: %2 is not written").arg(path_, what));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const QString reason = n < 0 ? lastError() : QStringLiteral("nothing written");
            broken_ = true;
            // Take back a partial row so the file still ends with a whole line.
            if (done > 0 && ::ftruncate(fd_, size_) != 0)
                throw UserError(
                    QStringLiteral("cannot write %1 to journal %2: %3; its last line is cut").arg(what, path_, reason));
            throw UserError(QStringLiteral("cannot write %1 to journal %2: %3").arg(what, path_, reason));
        }
        done += n;
    }
    if (::fdatasync(fd_) != 0) {
        broken_ = true;
        throw UserError(QStringLiteral("cannot flush %1 of journal %2 to disk: %3").arg(what, path_, lastError()));
    }
    size_ += bytes.size();
}

void Journal::checkStart(bool resume) const
{
    if (!resume && contents_.rows > 0)
        throw UserError(QStringLiteral("journal %1 already holds %2 rows: resume it, or choose a new journal")
                            .arg(path_)
                            .arg(contents_.rows));
}

std::optional<qint64> Journal::nextIndex(const EpcSource &source)
{
    if (source.count() && nextIndex_ >= *source.count())
        return std::nullopt;
    return nextIndex_++;
}

std::optional<IntentRefusal> Journal::recordIntent(const JournalRow &row)
{
    append(row);
    return std::nullopt;
}

QString Journal::append(JournalRow &row)
{
    append(std::as_const(row));
    return {};
}

void Journal::append(const JournalRow &row)
{
    // A row the reader would refuse must never reach the file: it would stop every resume.
    if (row.index < 0 || row.epc.isEmpty() || row.epc.size() > kMaxEpcBytes || row.tid.size() > 255 || row.attempts < 0)
        throw UserError(QStringLiteral("journal %1: row of index %2 is not written: its EPC (%3 bytes), TID (%4 bytes) "
                                       "or attempts (%5) are out of range")
                            .arg(path_)
                            .arg(row.index)
                            .arg(row.epc.size())
                            .arg(row.tid.size())
                            .arg(row.attempts));
    const QDateTime time = appclock::now();
    writeAll(formatRow(row, time), QStringLiteral("the row of index %1").arg(row.index));
    ++contents_.rows;
    contents_.completeBytes = size_;
    switch (row.result) {
    case TagResult::Verified:
    case TagResult::Written:
        contents_.state.add(row.index, row.epc, row.tid);
        break;
    case TagResult::Failed:
        ++contents_.failedRows;
        break;
    case TagResult::Intent:
        contents_.state.addIntent(row.index, row.epc, row.tid);
        break;
    case TagResult::Seen:
        contents_.state.addSeen(row.index, row.epc, row.tid);
        break;
    }
    if (onAppended)
        onAppended(row, time);
}

} // namespace epc
