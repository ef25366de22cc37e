#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// A FIFO with no writer: reading it waits for ever. The watchdog opens the far end after
// three seconds, so that a call that does read it ends late and fails the test rather than
// hanging the run.
struct Fifo {
    explicit Fifo(const QString &at) : path(at)
    {
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
        watchdog = std::thread([this] {
            for (int i = 0; i < 300 && !done; ++i)
                ::usleep(10000);
            const int fd = done ? -1 : ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
    }
    ~Fifo()
    {
        done = true;
        watchdog.join();
    }
    QString path;
    std::atomic<bool> done{false};
    std::thread watchdog;
};
