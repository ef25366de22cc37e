#include "epc/commissioningjob.h"

#include "base/errors.h"
#include "epc/epctext.h"

#include <chrono>
#include <thread>

namespace epc
{
namespace
{

// Why an EPC may not be written, from what holds it.
QString heldText(const JournalState::Holder &holder, qint64 index)
{
    const QString tid = holder.tid.isEmpty() ? QString() : QStringLiteral(" (TID %1)").arg(toHex(holder.tid));
    switch (holder.kind) {
    case HoldKind::Written:
        break;
    case HoldKind::Seen:
        return QStringLiteral("EPC seen on the tag%1 after a failed write of index %2: that tag carries it")
            .arg(tid)
            .arg(holder.index);
    case HoldKind::Intent:
        if (holder.index == index)
            return QStringLiteral("the outcome of its write to the tag%1 is unknown: that tag may carry the EPC; "
                                  "place it in the field to settle it")
                .arg(tid);
        return QStringLiteral("EPC meant for the tag%1 as index %2, whose write has an unknown outcome")
            .arg(tid)
            .arg(holder.index);
    }
    return QStringLiteral("EPC already written to the tag of index %1%2").arg(holder.index).arg(tid);
}

} // namespace

CommissioningJob::CommissioningJob(TagPort &port, EpcSource &source, JournalStore &journal, JobOptions options,
                                   Wait wait)
    : port_(port), source_(source), journal_(journal), options_(options), wait_(std::move(wait))
{
    journal_.checkStart(options_.resume);
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
        const std::optional<qint64> index = journal_.nextIndex(source_);
        std::optional<QByteArray> epc;
        if (index)
            epc = source_.at(*index);
        if (!epc)
            return JobResult{JobEnd::SourceDone, progress_, progress_.failed == 0};
        const SourceItem item{*index, *epc};
        progress_.currentIndex = item.index;
        if (journal_.isDone(item.index)) {
            ++progress_.skipped;
            if (onProgress)
                onProgress(progress_);
            continue;
        }
        if (const auto holder = journal_.epcHolder(item.epc)) {
            // Another source, a list with the EPC twice, a tag that kept it or may carry it: no
            // second tag may get it.
            JournalRow row{item.index, item.epc, {}, TagResult::Failed, 0, heldText(*holder, item.index)};
            record(row);
            cue(CueKind::Failed, item.index, item.epc,
                QStringLiteral("Index %1 not written: %2").arg(item.index).arg(row.detail));
            continue;
        }
        const Step step = commission(item);
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
        if (const Step s = settle(tag); s != Step::Ok)
            return s;
        QString why = refusal(tag);
        if (why.isEmpty()) {
            const JournalRow intent{item.index, item.epc, tag.tid, TagResult::Intent, 0, {}};
            const std::optional<IntentRefusal> refused = journal_.recordIntent(intent);
            if (!refused)
                break;
            switch (refused->kind) {
            case IntentRefusal::Kind::IndexTaken:
                return Step::Ok; // untouched, the tag stays for the next index
            case IntentRefusal::Kind::EpcHeld: {
                JournalRow row{item.index, item.epc, {}, TagResult::Failed, 0, refused->text};
                record(row);
                cue(CueKind::Failed, item.index, item.epc,
                    QStringLiteral("Index %1 not written: %2").arg(item.index).arg(row.detail));
                return Step::Ok;
            }
            case IntentRefusal::Kind::TagWritten:
                why = refused->text;
                break;
            }
        }
        cue(CueKind::AlreadyWritten, item.index, item.epc, why + QStringLiteral(": remove it"));
        if (const Step s = waitUntilGone(tag.tid, {tag.epc}); s != Step::Ok)
            return s;
    }

    const QByteArray before = tag.epc;
    JournalRow row{item.index, item.epc, tag.tid, TagResult::Failed, 0, {}};
    std::optional<QByteArray> known = tag.epc;
    const Step written = write(item, tag, row, known);
    if (row.result == TagResult::Failed && !known && written == Step::Ok && singleTag(tag) == PortStatus::Ok)
        known = tag.epc; // what the last write left was not read back: one look settles it
    if (row.result == TagResult::Failed && !known)
        row.detail += QStringLiteral("; the tag may carry EPC %1, which no other tag gets: put it aside, and place "
                                     "it again to settle index %2")
                          .arg(toHex(item.epc))
                          .arg(item.index);
    recordOutcome(row, tag);
    if (row.result == TagResult::Failed) {
        if (!row.tid.isEmpty())
            failedTids_.insert(row.tid);
        QString text = QStringLiteral("Index %1 failed: %2. Remove the tag").arg(item.index).arg(row.detail);
        if (known && row.attempts > 0) {
            JournalRow seen{item.index,
                            *known,
                            tag.tid,
                            TagResult::Seen,
                            row.attempts,
                            QStringLiteral("the tag carries this value after the failed write of EPC %1: put it "
                                           "aside or rewrite it")
                                .arg(toHex(item.epc))};
            journal_.append(seen);
            text = QStringLiteral("Index %1 failed: %2. This tag carries EPC %3: put it aside or rewrite it")
                       .arg(item.index)
                       .arg(row.detail, toHex(*known));
        }
        cue(CueKind::Failed, item.index, item.epc, text);
    } else {
        cue(CueKind::RemoveTag, item.index, item.epc,
            QStringLiteral("Index %1 %2: remove the tag").arg(item.index).arg(QLatin1String(resultWord(row.result))));
    }
    if (written != Step::Ok)
        return written;
    return waitUntilGone(tag.tid, {before, item.epc, tag.epc});
}

void CommissioningJob::recordOutcome(JournalRow &row, const FieldTag &tag)
{
    try {
        record(row);
    } catch (const UserError &e) {
        throw UserError(QStringLiteral("%1. Index %2: the tag%3 was written but its row is not recorded; the "
                                       "journal holds its intent, so EPC %4 goes to no other tag: put the tag "
                                       "aside, and place it again when the batch is resumed to settle it")
                            .arg(e.message())
                            .arg(row.index)
                            .arg(tag.tid.isEmpty() ? QString() : QStringLiteral(" (TID %1)").arg(toHex(tag.tid)))
                            .arg(toHex(row.epc)));
    }
}

CommissioningJob::Step CommissioningJob::settle(const FieldTag &tag)
{
    if (const auto hold = journal_.tidHold(tag.tid); hold && hold->kind == HoldKind::Intent)
        return settleIntent(hold->index, hold->epc, tag);
    // Without TIDs to compare, the EPC the tag shows is what says it carries the intent's.
    const auto holder = journal_.epcHolder(tag.epc);
    if (holder && holder->kind == HoldKind::Intent && (holder->tid.isEmpty() || tag.tid.isEmpty()))
        return settleIntent(holder->index, tag.epc, tag);
    return Step::Ok;
}

CommissioningJob::Step CommissioningJob::settleIntent(qint64 index, const QByteArray &intended, const FieldTag &tag)
{
    QByteArray holds = tag.epc;
    if (options_.verify) {
        const PortStatus st = port_.readEpc(tag, holds);
        if (st == PortStatus::ReaderGone)
            return Step::ReaderGone;
        if (st != PortStatus::Ok)
            return Step::Ok; // not read: it stays open
    }
    JournalRow row{index, holds, tag.tid, TagResult::Seen, 0, {}};
    if (holds == intended) {
        row.result = options_.verify ? TagResult::Verified : TagResult::Written;
        row.detail = QStringLiteral("the tag of a write with an unknown outcome was read: it carries this EPC");
        record(row);
    } else {
        row.detail = QStringLiteral("the tag of a write with an unknown outcome was read: it carries this value, "
                                    "not EPC %1, which is free again")
                         .arg(toHex(intended));
        journal_.append(row);
    }
    return Step::Ok;
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
    if (const auto index = journal_.tidIndex(tag.tid))
        return QStringLiteral("This tag (TID %1) is already written: index %2").arg(toHex(tag.tid)).arg(*index);
    if (!tag.tid.isEmpty() && failedTids_.contains(tag.tid))
        return QStringLiteral("This tag (TID %1) failed before in this run").arg(toHex(tag.tid));
    if (const auto hold = journal_.tidHold(tag.tid); hold && hold->kind == HoldKind::Intent)
        return QStringLiteral("This tag (TID %1) may carry EPC %2 of index %3, and could not be read to settle it")
            .arg(toHex(tag.tid), toHex(hold->epc))
            .arg(hold->index);
    // A value seen on a tag or meant for one (a blank label's, say) is no reason to refuse
    // another tag that shows it: only a written one is.
    if (const auto holder = journal_.epcHolder(tag.epc); holder && holder->kind == HoldKind::Written)
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

CommissioningJob::Step CommissioningJob::write(const SourceItem &item, FieldTag &tag, JournalRow &row,
                                               std::optional<QByteArray> &known)
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
            known = tag.epc;
        }
        PortStatus st = port_.writeEpc(tag, item.epc, options_.password);
        // Even a refused or unanswered write may have changed some words of the bank.
        if (st != PortStatus::Unsupported)
            known.reset();
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
        known = back;
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

void CommissioningJob::record(JournalRow &row)
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
    case TagResult::Intent:
    case TagResult::Seen:
        break;
    }
    if (onProgress)
        onProgress(progress_);
}

} // namespace epc
