#pragma once

#include "link/jobcontrol.h"
#include "link/linkport.h"
#include "link/postbox.h"

#include <QObject>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class ReaderLink;

// Runs long jobs (a batch, an inventory, a memory scan) one at a time on a thread of its own,
// so that the window's thread only ever waits in its own event loop. A job is a function over
// a JobControl: the reader through a LinkPort, a stop flag and an interruptible pause. What a
// job has to say goes to the window as queued signals of its own; its end comes as finished().
//
// The runner, like the link, belongs to the window's thread: every call is made there.
class JobRunner : public QObject
{
    Q_OBJECT
public:
    using Job = std::function<void(JobControl &control)>;

    // The jobs reach the reader through link, which lives on this thread.
    explicit JobRunner(ReaderLink &link, QObject *parent = nullptr);
    // A job still running ends at once: stop is asked, its port closes (an exchange waiting
    // there ends as NoReader) and its pause ends; then its thread is joined.
    ~JobRunner() override;

    // Runs job on the runner's thread; false, and nothing runs, while a job runs.
    bool start(Job job);
    // From start() until finished() is emitted.
    bool isRunning() const { return running_; }

    // Sets the job's stop flag and ends its pause.
    void stop();
    // Ends the job's pause, so that it looks at what changed (a pause or resume of its own).
    void wake();

    // The port the jobs use (for a job that is given its reader before it starts).
    ExchangePort &port() { return port_; }

signals:
    // The job returned; error is the message of an exception it let out, else empty.
    void finished(const QString &error);

private:
    class Control;
    void run(); // the runner's thread
    void ended(const QString &error);

    LinkPort port_;
    PostBox box_;      // on this thread: the job's end
    std::mutex mutex_; // guards job_, hasJob_, stop_, woken_ and quit_
    std::condition_variable changed_;
    Job job_;
    bool hasJob_ = false;
    bool stop_ = false;
    bool woken_ = false;
    bool quit_ = false;
    bool running_ = false; // this thread only
    int cancelHook_;
    std::thread thread_;
};
