#include "commission/batchsession.h"

#include "base/errors.h"
#include "epc/epclistfile.h"

namespace commission
{

BatchSession::BatchSession(const BatchPlan &plan, epc::TagPort &port, epc::CommissioningJob::Wait wait)
{
    source_ = makeSource(plan);
    const epc::JobOptions options = jobOptions(plan);
    if (plan.journalPath.trimmed().isEmpty())
        throw UserError(QStringLiteral("no journal file is chosen: every tag written is recorded there"));
    journal_ = std::make_unique<epc::Journal>(plan.journalPath);
    const epc::JournalContents &c = journal_->contents();
    if (c.cut)
        notes_ << QStringLiteral("The last line of journal %1 (line %2, %3 bytes) was cut off, as by a crash: it is "
                                 "ignored and removed. It read: %4")
                      .arg(plan.journalPath)
                      .arg(c.cut->line)
                      .arg(c.cut->bytes)
                      .arg(QString::fromUtf8(c.cut->text));
    job_ = std::make_unique<epc::CommissioningJob>(port, *source_, *journal_, options, std::move(wait));
    if (c.rows > 0)
        notes_ << QStringLiteral("Journal %1 holds %2 rows (%3 indexes done, %4 failed rows): done indexes are "
                                 "skipped, and no EPC it shows on a tag is written again.")
                      .arg(plan.journalPath)
                      .arg(c.rows)
                      .arg(c.state.doneCount())
                      .arg(c.failedRows);
}

BatchSession::~BatchSession() = default;

std::optional<qint64> BatchSession::total() const
{
    std::optional<qint64> n = source_->count();
    if (const auto *list = dynamic_cast<const epc::EpcListFile *>(source_.get()))
        n = n ? std::min(*n, *list->size()) : *list->size();
    return n;
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
