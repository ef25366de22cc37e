#include "commission/batchjob.h"

#include "base/errors.h"
#include "commission/batchsession.h"
#include "link/jobcontrol.h"

namespace commission
{

BatchJob::BatchJob(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<epc::Cue>();
    qRegisterMetaType<epc::Progress>();
    qRegisterMetaType<epc::JournalRow>();
    qRegisterMetaType<epc::JobResult>();
}

epc::CommissioningJob::Wait BatchJob::pauses()
{
    return [this](int ms) {
        control_->pause(ms);
        if (control_->stopRequested())
            stop();
    };
}

void BatchJob::run(BatchSession &session, JobControl &control)
{
    control_ = &control;
    epc::CommissioningJob &job = session.job();
    {
        const std::lock_guard lock(mutex_);
        job_ = &job;
        if (paused_)
            job.pause();
        if (stopped_ || control.stopRequested())
            job.stop();
    }
    const std::optional<qint64> total = session.total();
    emit opened(session.openingNotes(), total.value_or(-1));

    epc::Progress progress;
    job.onCue = [this](const epc::Cue &cue) { emit cued(cue); };
    job.onProgress = [this, &progress](const epc::Progress &p) {
        progress = p;
        emit progressed(p);
    };
    session.journal().onAppended = [this](const epc::JournalRow &row, const QDateTime &time) {
        emit appended(row, time);
    };
    epc::JobResult result;
    QString error;
    try {
        result = session.run();
    } catch (const UserError &e) {
        // The source could not make its next EPC or the journal refused a row: the rows before
        // it are recorded, the batch ends here.
        result = {epc::JobEnd::Stopped, progress, false};
        error = e.message();
    }
    job.onCue = nullptr;
    job.onProgress = nullptr;
    session.journal().onAppended = nullptr;
    {
        const std::lock_guard lock(mutex_);
        job_ = nullptr;
    }
    control_ = nullptr;
    emit ended(result, error);
}

void BatchJob::pause()
{
    const std::lock_guard lock(mutex_);
    paused_ = true;
    if (job_)
        job_->pause();
}

void BatchJob::resume()
{
    const std::lock_guard lock(mutex_);
    paused_ = false;
    if (job_)
        job_->resume();
}

void BatchJob::stop()
{
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    if (job_)
        job_->stop();
}

} // namespace commission
