#pragma once

#include "files/syscalls.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// One run's session log: a plain UTF-8 text file, created new with the run's start time in
// its name and only ever appended to. The caller's thread only queues lines; a writer thread
// of its own gathers them for kGather after the first of a batch and appends the batch with
// one write, so a slow or stalled disk never holds up the window and a stream of lines
// costs one wake-up and one write per batch. When the disk refuses a write the log stops
// (stopped() says why once) and later lines are dropped; nothing already written is
// touched.
class SessionLog : public QObject
{
    Q_OBJECT
public:
    // Creates the folder if needed and a new file in it named after start. error() says
    // why when that failed; such a log takes lines and drops them.
    SessionLog(const QString &folder, const QDateTime &start, const files::SysCalls &sys = files::SysCalls::real(),
               QObject *parent = nullptr);
    // Writes what is still queued, then closes the file.
    ~SessionLog() override;

    QString path() const { return path_; }
    QString error() const { return error_; }
    bool isWriting() const;

    // Queues text and a line end; text may hold several lines ended by '\n'.
    void append(QStringView text);
    // Waits until everything queued so far is written (or dropped).
    void drain();

    // More than this queued (the disk has stalled) and further lines are counted, not kept.
    static constexpr qsizetype kMaxQueuedBytes = 16 * 1024 * 1024;
    // How long the writer gathers lines after the first of a batch before it writes them.
    static constexpr std::chrono::milliseconds kGather{10};

signals:
    // From the writer thread: a write failed and the log stopped.
    void stopped(const QString &reason);

private:
    void run();

    const files::SysCalls sys_;
    QString path_;
    QString error_;
    int fd_ = -1;
    std::thread writer_;

    // Guards everything below: the queue the caller fills and the writer empties, and the
    // flags both read.
    mutable std::mutex mutex_;
    std::condition_variable wake_;    // the writer waits for lines or the end
    std::condition_variable written_; // drain() waits for the writer
    QByteArray queued_;
    qint64 linesLeftOut_ = 0;
    bool busy_ = false;     // the writer holds a batch it has not finished writing
    bool idle_ = false;     // the writer sleeps until a line comes
    bool draining_ = false; // drain() waits: no gathering
    bool ending_ = false;
    bool stopped_ = false;
};
