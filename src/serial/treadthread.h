#pragma once

#include "serial/exitflag.h"
#include "serial/linesettings.h"

#include <QThread>

class CommNotifier;

// Reads the open port until the close event: waits without limit for the first byte, then
// collects bytes until the line stays quiet for the read interval or the block is full, and
// posts each block to the notifier. Also reports line errors and, through a modem waiter,
// carrier-detect and ring changes, where the device keeps the counters for them.
class TReadThread : public QThread
{
public:
    TReadThread(int fd, int closeFd, CommNotifier &notifier, const comm::ReadSettings &settings);

    // Set when the body has ended.
    ExitFlag exited;

protected:
    void run() override;

private:
    void reportLineErrors();

    int fd_;
    int closeFd_;
    CommNotifier &notifier_;
    const comm::ReadSettings &settings_;
    bool counted_ = false;
    struct Errors {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } errors_;
};
