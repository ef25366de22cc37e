#pragma once

#include "epc/commissioningjob.h"
#include "epc/journalrow.h"

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <mutex>

class JobControl;

namespace commission
{

class BatchSession;

// A batch as a job of the job runner (link/jobrunner.h). Its session is made with this job's
// pauses (the runner's, which a stop ends early) and run on the job's thread; what it tells
// comes out as signals emitted on that thread, to be connected queued: the journal's notes
// once it is open, every cue, the progress, every row as it is recorded, then its end.
class BatchJob : public QObject
{
    Q_OBJECT
public:
    explicit BatchJob(QObject *parent = nullptr);

    // The wait a session of this job is made with: valid while run() runs.
    epc::CommissioningJob::Wait pauses();

    // Runs session's job on the job's thread to its end. A stop of the runner (the program
    // closing) stops the job after the tag in hand, as stop() does.
    void run(BatchSession &session, JobControl &control);

    // From any thread, before or during run(); they take effect at the job's next poll (wake
    // the runner so that a pause between polls ends at once).
    void pause();
    void resume();
    void stop();

signals:
    // total: how many EPCs the batch takes, -1 when that is not known.
    void opened(const QStringList &notes, qint64 total);
    void cued(const epc::Cue &cue);
    void progressed(const epc::Progress &progress);
    void appended(const epc::JournalRow &row, const QDateTime &time);
    // error: why the job stopped early (the source or the journal failed), else empty; the
    // progress is then the last one told.
    void ended(const epc::JobResult &result, const QString &error);

private:
    // The control of the running job, on the job's thread only.
    JobControl *control_ = nullptr;
    std::mutex mutex_; // guards job_, paused_ and stopped_
    epc::CommissioningJob *job_ = nullptr;
    bool paused_ = false;
    bool stopped_ = false;
};

} // namespace commission

Q_DECLARE_METATYPE(epc::Cue)
Q_DECLARE_METATYPE(epc::Progress)
Q_DECLARE_METATYPE(epc::JournalRow)
Q_DECLARE_METATYPE(epc::JobResult)
