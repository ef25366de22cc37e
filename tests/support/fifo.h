#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// A FIFO with no writer: opening it to read without O_NONBLOCK waits for ever, and opening
// it to write waits for a reader. The watchdog opens both ends after three seconds, so that
// a call that does wait ends and the test fails on waitedOn() (or on what the call then
// did) rather than hanging the run.
struct Fifo {
    explicit Fifo(const QString &at) : path(at)
    {
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
        watchdog = std::thread([this] {
            for (int i = 0; i < 300 && !done; ++i)
                ::usleep(10000);
            if (done)
                return;
            rescued = readerHolds();
            const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
            if (reader >= 0)
                ::close(reader);
        });
    }
    ~Fifo()
    {
        done = true;
        watchdog.join();
    }
    // Whether something opened the FIFO to read and waited on it: the watchdog had to set it
    // free, or it holds the FIFO open still.
    bool waitedOn() const { return rescued || readerHolds(); }

    QString path;

private:
    // Opening the write end without waiting succeeds only while a reader has the FIFO open
    // (and sets a reader waiting in its open free).
    bool readerHolds() const
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    }

    std::atomic<bool> done{false};
    std::atomic<bool> rescued{false};
    std::thread watchdog;
};
