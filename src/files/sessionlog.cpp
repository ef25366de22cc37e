#include "files/sessionlog.h"

#include "files/places.h"
#include "files/sessionlogfolder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>

namespace
{

// Runs started at the same moment race for the next free name; a few rounds settle it.
constexpr int kNameAttempts = 10;

} // namespace

SessionLog::SessionLog(const QString &folder, const QDateTime &start, const files::SysCalls &sys, QObject *parent)
    : QObject(parent), sys_(sys)
{
    if (!QDir().mkpath(folder)) {
        error_ = QStringLiteral("Cannot create folder \"%1\".").arg(folder);
        return;
    }
    // Never an existing file: each run has its own. Readable by the user alone, as the lines
    // may hold card and identity numbers.
    int copy = 1;
    for (int attempt = 0; fd_ < 0 && attempt < kNameAttempts; ++attempt) {
        path_ = QDir(folder).filePath(sessionlogs::fileName(start, copy));
        fd_ = sys_.open(QFile::encodeName(path_).constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST)
            break;
        copy = sessionlogs::nextCopy(folder, start);
    }
    if (fd_ < 0) {
        error_ = QStringLiteral("Cannot create file \"%1\". %2").arg(path_, files::reasonOf(errno));
        return;
    }
    writer_ = std::thread([this] { run(); });
}

SessionLog::~SessionLog()
{
    if (writer_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            ending_ = true;
        }
        wake_.notify_one();
        writer_.join();
    }
    if (fd_ >= 0)
        sys_.close(fd_);
}

bool SessionLog::isWriting() const
{
    std::lock_guard lock(mutex_);
    return fd_ >= 0 && !stopped_;
}

void SessionLog::append(QStringView text)
{
    // The conversion happens outside the lock, so the writer is never kept waiting on it.
    QByteArray bytes = text.toUtf8();
    bytes.append('\n');
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0 || stopped_)
            return;
        if (queued_.size() + bytes.size() > kMaxQueuedBytes) {
            linesLeftOut_ += bytes.count('\n');
            return;
        }
        // Only a writer asleep needs waking; one gathering a batch takes this line along.
        wake = idle_ && queued_.isEmpty();
        queued_.append(bytes);
    }
    if (wake)
        wake_.notify_one();
}

void SessionLog::drain()
{
    std::unique_lock lock(mutex_);
    draining_ = true;
    wake_.notify_one();
    written_.wait(lock, [this] { return (queued_.isEmpty() && !busy_) || fd_ < 0; });
    draining_ = false;
}

void SessionLog::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        busy_ = false;
        written_.notify_all();
        idle_ = true;
        wake_.wait(lock, [this] { return !queued_.isEmpty() || ending_; });
        idle_ = false;
        if (queued_.isEmpty())
            return;
        // Lines come in bursts: what arrives within the gathering time goes in the same
        // write, and the window wakes this thread once per batch rather than once per line.
        wake_.wait_for(lock, kGather, [this] { return ending_ || draining_; });
        QByteArray batch;
        batch.swap(queued_);
        const qint64 leftOut = std::exchange(linesLeftOut_, 0);
        busy_ = true;
        lock.unlock();

        if (leftOut > 0)
            batch.prepend(QStringLiteral("[%1 lines left out here: the disk did not keep up]\n").arg(leftOut).toUtf8());
        const char *p = batch.constData();
        qsizetype left = batch.size();
        int error = 0;
        while (left > 0 && error == 0) {
            const ssize_t n = sys_.write(fd_, p, size_t(left));
            if (n > 0) {
                p += n;
                left -= n;
            } else if (n == 0 || errno != EINTR) {
                error = n == 0 ? EIO : errno;
            }
        }

        if (error != 0) {
            {
                std::lock_guard stop(mutex_);
                stopped_ = true;
                queued_.clear();
            }
            // Before drain() returns: whoever waits for the log sees the stop already said.
            emit stopped(files::reasonOf(error));
            lock.lock();
            busy_ = false;
            written_.notify_all();
            return;
        }
        lock.lock();
    }
}
