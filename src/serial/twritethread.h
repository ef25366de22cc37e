#pragma once

#include "serial/exitflag.h"
#include <QByteArray>

#include <QThread>
#include <atomic>
#include <deque>
#include <mutex>

class CommNotifier;

// Writes the queued blocks to the open port in order, each completely, until the close
// event. Posts a send-empty notice when it starts and after each run of writes once the
// queue has drained. Blocks still queued at the close are dropped.
class TWriteThread : public QThread
{
public:
    TWriteThread(int fd, int closeFd, CommNotifier &notifier, std::atomic<bool> &sendDataEmpty);
    ~TWriteThread() override;

    // Main thread: queues the block; false when the thread takes no more blocks.
    bool post(QByteArray block);

    // Set when the body has ended.
    ExitFlag exited;

protected:
    void run() override;

private:
    // Takes the oldest block; with none, marks the queue empty and returns false.
    bool take(QByteArray &block);
    bool writeBlock(const QByteArray &block);
    void hangup(int error = 0); // error: the errno that showed the device gone

    int fd_;
    int closeFd_;
    CommNotifier &notifier_;
    std::atomic<bool> &sendDataEmpty_;
    int wakeFd_; // readable while blocks wait

    std::mutex mutex_;
    std::deque<QByteArray> queue_;
    bool accepting_ = true;
};
