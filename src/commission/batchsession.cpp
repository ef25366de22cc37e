#include "commission/batchsession.h"

#include "base/errors.h"
#include "commission/sharedbatch.h"
#include "epc/epclistfile.h"
#include "epc/pgconnection.h"
#include "epc/sharedjournal.h"

namespace commission
{

BatchSession::BatchSession(const BatchPlan &plan, epc::TagPort &port, epc::CommissioningJob::Wait wait)
{
    const bool shared = epc::isDatabaseUri(plan.journalPath);
    source_ = makeSource(plan, shared);
    count_ = plan.count;
    const epc::JobOptions options = jobOptions(plan);
    if (plan.journalPath.trimmed().isEmpty())
        throw UserError(QStringLiteral("no journal file is chosen: every tag written is recorded there"));
    if (shared) {
        if (plan.leaseSize < 1 || plan.leaseSize > 100'000)
            throw UserError(QStringLiteral("lease size %1 is out of range: 1 to 100000 indexes").arg(plan.leaseSize));
        if (plan.leaseExpirySeconds < 10 || plan.leaseExpirySeconds > 7 * 86400)
            throw UserError(QStringLiteral("lease expiry %1 s is out of range: 10 s to 7 days (604800 s)")
                                .arg(plan.leaseExpirySeconds));
        const epc::SharedBatch batch = sharedBatchOf(plan, *source_);
        epc::SharedJournalOptions o;
        o.station = plan.station.trimmed().isEmpty() ? defaultStation() : plan.station.trimmed();
        o.leaseSize = plan.leaseSize;
        o.leaseExpirySeconds = plan.leaseExpirySeconds;
        o.count = plan.count;
        o.resume = plan.resume;
        auto journal = std::make_unique<epc::SharedJournal>(plan.journalPath, batch, o);
        notes_ << QStringLiteral("Shared journal %1, batch %2 (%3), station %4: this station writes %5 of its "
                                 "indexes, leased %6 at a time.")
                      .arg(journal->name(), batch.name, batch.source, o.station,
                           plan.count ? QString::number(*plan.count) : QStringLiteral("all that are left"))
                      .arg(o.leaseSize);
        if (journal->adopted() > 0)
            notes_ << QStringLiteral("%1 indexes leased by this station's earlier run are taken up again.")
                          .arg(journal->adopted());
        journal_ = std::move(journal);
    } else {
        auto journal = std::make_unique<epc::Journal>(plan.journalPath);
        csv_ = journal.get();
        journal_ = std::move(journal);
        const epc::JournalContents &c = csv_->contents();
        if (c.cut)
            notes_ << QStringLiteral("The last line of journal %1 (line %2, %3 bytes) was cut off, as by a crash: it "
                                     "is ignored and removed. It read: %4")
                          .arg(plan.journalPath)
                          .arg(c.cut->line)
                          .arg(c.cut->bytes)
                          .arg(QString::fromUtf8(c.cut->text));
        if (c.rows > 0)
            notes_ << QStringLiteral("Journal %1 holds %2 rows (%3 indexes done, %4 failed rows): done indexes are "
                                     "skipped, and no EPC it shows on a tag is written again.")
                          .arg(plan.journalPath)
                          .arg(c.rows)
                          .arg(c.state.doneCount())
                          .arg(c.failedRows);
        if (!c.state.openIntents().isEmpty())
            notes_ << QStringLiteral("%1 writes of journal %2 have an unknown outcome (a crash between the write and "
                                     "its row): their EPCs go to no other tag until their tags are placed and read.")
                          .arg(c.state.openIntents().size())
                          .arg(plan.journalPath);
    }
    job_ = std::make_unique<epc::CommissioningJob>(port, *source_, *journal_, options, std::move(wait));
}

BatchSession::~BatchSession() = default;

std::optional<qint64> BatchSession::total() const
{
    if (!csv_) {
        // A station's own number of tags; a list shared without a count: what is left of it.
        return count_;
    }
    std::optional<qint64> n = source_->count();
    if (const auto *list = dynamic_cast<const epc::EpcListFile *>(source_.get()))
        n = n ? std::min(*n, *list->size()) : *list->size();
    return n;
}

epc::JobResult BatchSession::run()
{
    epc::JobResult result;
    try {
        result = job_->run();
    } catch (const UserError &) {
        try {
            journal_->finish();
        } catch (const UserError &) {
            // The journal failed already: what is not given back comes back when the lease expires.
        }
        throw;
    }
    journal_->finish();
    return result;
}

QString summary(const epc::JobResult &result)
{
    const epc::Progress &p = result.progress;
    QStringList parts;
    parts << QStringLiteral("%1 verified").arg(p.verified);
    if (p.written)
        parts << QStringLiteral("%1 written without verification").arg(p.written);
    parts << QStringLiteral("%1 failed").arg(p.failed);
    if (p.skipped)
        parts << QStringLiteral("%1 skipped (done before)").arg(p.skipped);
    QString end;
    switch (result.end) {
    case epc::JobEnd::SourceDone:
        end = result.complete ? QStringLiteral("the batch is complete")
                              : QStringLiteral("a resume from the journal writes the failed indexes again");
        break;
    case epc::JobEnd::Stopped:
        end = QStringLiteral("stopped; a resume from the journal goes on from there");
        break;
    case epc::JobEnd::ReaderGone:
        end = QStringLiteral("the reader is gone (unplugged, or its port closed)");
        break;
    }
    return parts.join(QStringLiteral(", ")) + QStringLiteral(": ") + end;
}

} // namespace commission
