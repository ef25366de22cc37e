#include "link/jobrunner.h"

#include "base/errors.h"
#include "link/waits.h"

#include <chrono>
#include <exception>

class JobRunner::Control : public JobControl
{
public:
    explicit Control(JobRunner &runner) : runner_(runner) {}

    ExchangePort &port() override { return runner_.port_; }
    // A closed port counts as a stop: the program's end closes the port and sets the stop flag
    // one after the other, and the job must see the same whichever it meets first.
    bool stopRequested() const override
    {
        if (runner_.port_.isClosed())
            return true;
        const std::lock_guard lock(runner_.mutex_);
        return runner_.stop_;
    }
    void pause(int ms) override
    {
        std::unique_lock lock(runner_.mutex_);
        runner_.changed_.wait_for(lock, std::chrono::milliseconds(qMax(0, ms)),
                                  [this] { return runner_.stop_ || runner_.woken_ || runner_.quit_; });
        runner_.woken_ = false;
    }

private:
    JobRunner &runner_;
};

JobRunner::JobRunner(ReaderLink &link, QObject *parent) : QObject(parent), port_(link)
{
    // The program is closing: a job ends rather than keep the runner's thread.
    cancelHook_ = waits::addCancelHook([this] { stop(); });
    thread_ = std::thread([this] { run(); });
}

JobRunner::~JobRunner()
{
    waits::removeCancelHook(cancelHook_);
    port_.close();
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool JobRunner::start(Job job)
{
    if (running_)
        return false;
    running_ = true;
    {
        const std::lock_guard lock(mutex_);
        job_ = std::move(job);
        hasJob_ = true;
        stop_ = waits::cancelled();
        woken_ = false;
    }
    changed_.notify_all();
    return true;
}

void JobRunner::stop()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
}

void JobRunner::wake()
{
    {
        const std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

void JobRunner::run()
{
    Control control(*this);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return hasJob_ || quit_; });
            if (quit_)
                return;
            job = std::move(job_);
            job_ = nullptr;
            hasJob_ = false;
        }
        QString error;
        try {
            job(control);
        } catch (const UserError &e) {
            error = e.message();
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            error = QStringLiteral("the job ended on an unknown error");
        }
        job = nullptr; // what it holds goes before its end is told
        box_.post([this, error] { ended(error); });
    }
}

void JobRunner::ended(const QString &error)
{
    running_ = false;
    emit finished(error);
}
