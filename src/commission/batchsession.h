#pragma once

#include "commission/batchplan.h"
#include "epc/commissioningjob.h"
#include "epc/journal.h"
#include "epc/journalstore.h"

#include <QStringList>
#include <memory>

namespace commission
{

// One batch from its plan: the source, the journal and the job, made in that order so that a
// wrong field is refused before the journal file is made.
class BatchSession
{
public:
    // Throws UserError for a wrong field, a journal that cannot be opened or is in use, or one
    // that already holds rows without plan.resume.
    BatchSession(const BatchPlan &plan, epc::TagPort &port, epc::CommissioningJob::Wait wait);
    ~BatchSession();

    epc::CommissioningJob &job() { return *job_; }
    epc::JournalStore &journal() { return *journal_; }
    // For messages: the journal's file, or its database without the password.
    QString journalName() const { return journal_->name(); }
    bool shared() const { return csv_ == nullptr; }
    const epc::EpcSource &source() const { return *source_; }
    // How many EPCs the batch takes: the count, or a list's length when it is shorter.
    std::optional<qint64> total() const;

    // What the journal held when it was opened, as sentences for the operator: the rows taken
    // up by a resume, a last line cut by a crash (removed, its text shown).
    QStringList openingNotes() const { return notes_; }

    // Runs the job; then the journal gives back what it was handed and did not use.
    epc::JobResult run();

private:
    std::unique_ptr<epc::EpcSource> source_;
    std::unique_ptr<epc::JournalStore> journal_;
    epc::Journal *csv_ = nullptr; // journal_ when it is a CSV file
    std::optional<qint64> count_;
    std::unique_ptr<epc::CommissioningJob> job_;
    QStringList notes_;
};

// "12 verified, 1 failed, 3 skipped: stopped" and the like.
QString summary(const epc::JobResult &result);

} // namespace commission
