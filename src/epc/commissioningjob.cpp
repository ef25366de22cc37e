#include "epc/commissioningjob.h"

#include "base/errors.h"
#include "epc/epctext.h"

#include <chrono>
#include <thread>

namespace epc
{

CommissioningJob::CommissioningJob(TagPort &port, EpcSource &source, Journal &journal, JobOptions options, Wait wait)
    : port_(port), source_(source), journal_(journal), options_(options), wait_(std::move(wait))
{
    if (!options_.resume && journal_.contents().rows > 0)
        throw UserError(QStringLiteral("journal %1 already holds %2 rows: resume it, or choose a new journal")
                            .arg(journal_.path())
                            .arg(journal_.contents().rows));
    options_.attempts = std::max(1, options_.attempts);
    options_.pollMs = std::max(1, options_.pollMs);
    if (!wait_)
        wait_ = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

JobResult CommissioningJob::run()
{
    for (;;) {
        if (stopped_)
            return JobResult{JobEnd::Stopped, progress_, false};
        const std::optional<SourceItem> item = source_.next();
        if (!item)
            return JobResult{JobEnd::SourceDone, progress_, progress_.failed == 0};
        progress_.currentIndex = item->index;
        const JournalState &known = journal_.state();
        if (known.isDone(item->index)) {
            ++progress_.skipped;
            if (onProgress)
                onProgress(progress_);
            continue;
        }
        if (const auto holder = known.epcHolder(item->epc)) {
            // Another source, or a list with the EPC twice: no second tag may get it.
            JournalRow row{item->index, item->epc, {}, TagResult::Failed, 0, {}};
            row.detail = QStringLiteral("EPC already written to the tag of index %1").arg(holder->index);
            if (!holder->tid.isEmpty())
                row.detail += QStringLiteral(" (TID %1)").arg(toHex(holder->tid));
            record(row);
            cue(CueKind::Failed, item->index, item->epc,
                QStringLiteral("Index %1 not written: %2").arg(item->index).arg(row.detail));
            continue;
        }
        const Step step = commission(*item);
        if (step == Step::Stopped)
            return JobResult{JobEnd::Stopped, progress_, false};
        if (step == Step::ReaderGone)
            return JobResult{JobEnd::ReaderGone, progress_, false};
    }
}

CommissioningJob::Step CommissioningJob::commission(const SourceItem &item)
{
    FieldTag tag;
    for (;;) {
        if (const Step s = waitForTag(item, tag); s != Step::Ok)
            return s;
        if (tag.tid.isEmpty()) {
            QByteArray tid;
            const PortStatus st = port_.readTid(tag, tid);
            if (st == PortStatus::ReaderGone)
                return Step::ReaderGone;
            if (st == PortStatus::NoTag)
                continue; // gone before its TID could be read
            if (st == PortStatus::Ok)
                tag.tid = tid;
        }
        const QString why = refusal(tag);
        if (why.isEmpty())
            break;
        cue(CueKind::AlreadyWritten, item.index, item.epc, why + QStringLiteral(": remove it"));
        if (const Step s = waitUntilGone(tag.tid, {tag.epc}); s != Step::Ok)
            return s;
    }

    const QByteArray before = tag.epc;
    JournalRow row{item.index, item.epc, tag.tid, TagResult::Failed, 0, {}};
    const Step written = write(item, tag, row);
    record(row);
    if (row.result == TagResult::Failed) {
        if (!row.tid.isEmpty())
            failedTids_.insert(row.tid);
        cue(CueKind::Failed, item.index, item.epc,
            QStringLiteral("Index %1 failed: %2. Remove the tag").arg(item.index).arg(row.detail));
    } else {
        cue(CueKind::RemoveTag, item.index, item.epc,
            QStringLiteral("Index %1 %2: remove the tag").arg(item.index).arg(QLatin1String(resultWord(row.result))));
    }
    if (written != Step::Ok)
        return written;
    return waitUntilGone(tag.tid, {before, item.epc, tag.epc});
}

CommissioningJob::Step CommissioningJob::waitForTag(const SourceItem &item, FieldTag &tag)
{
    const auto placeCue = [&] {
        cue(CueKind::PlaceTag, item.index, item.epc,
            QStringLiteral("Place the tag for index %1 (%2)").arg(item.index).arg(toHex(item.epc)));
    };
    placeCue();
    bool pausedSaid = false, severalSaid = false, silentSaid = false;
    std::vector<FieldTag> tags;
    for (;;) {
        if (stopped_)
            return Step::Stopped;
        if (paused_) {
            if (!pausedSaid)
                cue(CueKind::Paused, item.index, item.epc, QStringLiteral("Paused"));
            pausedSaid = true;
            wait_(options_.pollMs);
            continue;
        }
        if (pausedSaid) {
            pausedSaid = false;
            placeCue();
        }
        tags.clear();
        const PortStatus st = port_.inventory(tags);
        if (st == PortStatus::ReaderGone)
            return Step::ReaderGone;
        if (st == PortStatus::Ok && tags.size() == 1) {
            tag = tags.front();
            return Step::Ok;
        }
        if (st == PortStatus::SeveralTags || tags.size() > 1) {
            if (!severalSaid)
                cue(CueKind::SeveralTags, item.index, item.epc, QStringLiteral("Several tags in the field: leave one"));
            severalSaid = true;
        } else if (st == PortStatus::NoAnswer) {
            if (!silentSaid)
                cue(CueKind::ReaderSilent, item.index, item.epc, QStringLiteral("The reader does not answer"));
            silentSaid = true;
        } else if (severalSaid || silentSaid) {
            // The field is quiet again: say it once more if it happens again.
            severalSaid = silentSaid = false;
            placeCue();
        }
        wait_(options_.pollMs);
    }
}

CommissioningJob::Step CommissioningJob::waitUntilGone(const QByteArray &tid, const QList<QByteArray> &epcs)
{
    std::vector<FieldTag> tags;
    for (;;) {
        tags.clear();
        const PortStatus st = port_.inventory(tags);
        if (st == PortStatus::ReaderGone)
            return Step::ReaderGone;
        if (st == PortStatus::Ok || st == PortStatus::NoTag) {
            bool present = false;
            for (const FieldTag &t : tags)
                present = present || (!tid.isEmpty() && t.tid == tid) || epcs.contains(t.epc);
            if (!present)
                return Step::Ok;
        }
        if (stopped_)
            return Step::Stopped;
        wait_(options_.pollMs);
    }
}

QString CommissioningJob::refusal(const FieldTag &tag) const
{
    const JournalState &known = journal_.state();
    if (const auto index = known.tidIndex(tag.tid))
        return QStringLiteral("This tag (TID %1) is already written: index %2").arg(toHex(tag.tid)).arg(*index);
    if (!tag.tid.isEmpty() && failedTids_.contains(tag.tid))
        return QStringLiteral("This tag (TID %1) failed before in this run").arg(toHex(tag.tid));
    if (const auto holder = known.epcHolder(tag.epc))
        return QStringLiteral("This tag already holds EPC %1 of index %2").arg(toHex(tag.epc)).arg(holder->index);
    return {};
}

PortStatus CommissioningJob::singleTag(FieldTag &tag)
{
    std::vector<FieldTag> tags;
    const PortStatus st = port_.inventory(tags);
    if (st != PortStatus::Ok)
        return st;
    if (tags.empty())
        return PortStatus::NoTag;
    if (tags.size() > 1)
        return PortStatus::SeveralTags;
    if (!tag.tid.isEmpty() && !tags.front().tid.isEmpty() && tags.front().tid != tag.tid)
        return PortStatus::SeveralTags; // another tag took its place
    const QByteArray tid = tag.tid;
    tag = tags.front();
    if (tag.tid.isEmpty())
        tag.tid = tid;
    return PortStatus::Ok;
}

CommissioningJob::Step CommissioningJob::write(const SourceItem &item, FieldTag &tag, JournalRow &row)
{
    QString fault; // why the last attempt did not succeed
    // A fault that ends the try at this tag; the row keeps it.
    const auto fatal = [&](PortStatus st, const char *when) {
        row.detail = QStringLiteral("%1 %2").arg(QLatin1String(statusText(st)), QLatin1String(when));
        if (st == PortStatus::NoTag)
            row.detail = QStringLiteral("the tag left the field %1").arg(QLatin1String(when));
        return st == PortStatus::ReaderGone ? Step::ReaderGone : Step::Ok;
    };
    for (int attempt = 1; attempt <= options_.attempts; ++attempt) {
        row.attempts = attempt;
        if (attempt > 1) {
            // The failed try may have changed the EPC the tag answers with.
            const PortStatus st = singleTag(tag);
            if (st == PortStatus::NoAnswer) {
                fault = QLatin1String(statusText(st));
                continue;
            }
            if (st != PortStatus::Ok)
                return fatal(st, "before another write");
        }
        PortStatus st = port_.writeEpc(tag, item.epc, options_.password);
        if (st == PortStatus::Refused || st == PortStatus::NoAnswer) {
            fault = QStringLiteral("write: %1").arg(QLatin1String(statusText(st)));
            continue;
        }
        if (st != PortStatus::Ok)
            return fatal(st, "during the write");
        if (!options_.verify) {
            row.result = TagResult::Written;
            row.detail = fault.isEmpty() ? QString() : QStringLiteral("after %1").arg(fault);
            return Step::Ok;
        }
        st = singleTag(tag);
        QByteArray back;
        if (st == PortStatus::Ok)
            st = port_.readEpc(tag, back);
        if (st == PortStatus::NoTag || st == PortStatus::ReaderGone || st == PortStatus::SeveralTags)
            return fatal(st, "before the read-back");
        if (st != PortStatus::Ok) {
            fault = QStringLiteral("read-back: %1").arg(QLatin1String(statusText(st)));
            continue;
        }
        if (back == item.epc) {
            row.result = TagResult::Verified;
            row.detail = fault.isEmpty() ? QString() : QStringLiteral("after %1").arg(fault);
            return Step::Ok;
        }
        fault = QStringLiteral("read back %1, expected %2").arg(toHex(back), toHex(item.epc));
    }
    row.detail = fault;
    return Step::Ok;
}

void CommissioningJob::cue(CueKind kind, qint64 index, const QByteArray &epc, const QString &text)
{
    if (onCue)
        onCue(Cue{kind, index, epc, text});
}

void CommissioningJob::record(const JournalRow &row)
{
    journal_.append(row);
    switch (row.result) {
    case TagResult::Verified:
        ++progress_.verified;
        break;
    case TagResult::Written:
        ++progress_.written;
        break;
    case TagResult::Failed:
        ++progress_.failed;
        break;
    }
    if (onProgress)
        onProgress(progress_);
}

} // namespace epc
