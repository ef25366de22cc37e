#pragma once

#include "epc/epcsource.h"
#include "epc/journalstore.h"
#include "epc/tagport.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <atomic>
#include <functional>

namespace epc
{

struct JobOptions {
    bool verify = true;   // read the EPC bank back after writing and compare
    bool resume = false;  // a journal with rows is taken up where it ended; without, it is refused
    int attempts = 3;     // writes tried on one tag before it counts as failed
    int pollMs = 50;      // pause between inventories while waiting for a tag to come or go
    quint32 password = 0; // the tags' access password
};

// What the person feeding tags should do now.
enum class CueKind {
    PlaceTag,       // place the tag for index (epc): the job waits for it
    RemoveTag,      // index verified (or written): remove the tag
    Failed,         // index failed (text says why): remove the tag
    AlreadyWritten, // this tag already holds an EPC of the journal: remove it
    SeveralTags,    // more than one tag in the field: leave one
    ReaderSilent,   // the reader does not answer; the job keeps asking
    Paused,         // paused: nothing is written until resume()
};

struct Cue {
    CueKind kind;
    qint64 index = -1; // the index it concerns; -1 for none
    QByteArray epc;    // the EPC of that index
    QString text;      // a sentence for the operator, e.g. "Index 12 verified: remove the tag"
};

struct Progress {
    qint64 currentIndex = -1; // the index being written or waited for
    qint64 verified = 0;      // rows of this run
    qint64 written = 0;       // written without verification
    qint64 failed = 0;
    qint64 skipped = 0; // indexes the journal already shows done
    qint64 done() const { return verified + written + failed; }
};

enum class JobEnd {
    SourceDone, // every EPC of the source (up to its count) was taken
    Stopped,    // stop() was called
    ReaderGone, // the port reported the reader gone
};

struct JobResult {
    JobEnd end = JobEnd::SourceDone;
    Progress progress;
    // The source was used up and every index of it is done in the journal: the batch is whole.
    bool complete = false;
};

// Writes one batch: for each index the journal hands out, waits for a tag not yet written to be
// alone in the field, reads its TID where the port can, refuses tags the journal already
// shows, records the intent (index, EPC, TID), writes, reads the EPC back and compares (unless
// verification is off), records the outcome, cues the operator, and waits until the tag
// leaves. Indexes the journal shows done are skipped; an EPC the journal shows on another
// tag, seen on one, or meant for one whose write has an unknown outcome is never written again
// (its index fails). After a failed write the tag's value, where the job can learn it, is
// recorded as seen; where it cannot (the tag left during the write), the intent stays open
// until that tag is placed again and read, which settles it.
class CommissioningJob
{
public:
    // Pauses the job for ms milliseconds between polls. The window passes a wait that runs its
    // event loop (so pause and stop buttons work); the command line sleeps; tests step a fake.
    using Wait = std::function<void(int ms)>;

    // Throws UserError when the journal already has rows and options.resume is off.
    CommissioningJob(TagPort &port, EpcSource &source, JournalStore &journal, JobOptions options, Wait wait);

    std::function<void(const Cue &)> onCue;
    std::function<void(const Progress &)> onProgress;

    // Runs the batch to its end. Throws UserError when the source cannot make its next EPC or
    // the journal cannot take a row (the rows before it are recorded).
    JobResult run();

    // Safe from another thread or from inside a callback or the wait; they take effect at the
    // next poll. A paused job finishes the tag it is writing, then writes nothing until resume.
    void pause() { paused_ = true; }
    void resume() { paused_ = false; }
    // Ends the job after the current tag (at once while it waits for a tag).
    void stop() { stopped_ = true; }

private:
    enum class Step { Ok, Stopped, ReaderGone };

    Step commission(const SourceItem &item);
    // A tag whose write had an unknown outcome is in the field: records what it carries.
    Step settle(const FieldTag &tag);
    Step settleIntent(qint64 index, const QByteArray &intended, const FieldTag &tag);
    Step waitForTag(const SourceItem &item, FieldTag &tag);
    Step waitUntilGone(const QByteArray &tid, const QList<QByteArray> &epcs);
    // Why this tag must not be written, or an empty text.
    QString refusal(const FieldTag &tag) const;
    // known: the tag's value when the job last learnt it, nothing after a write it did not
    // read back.
    Step write(const SourceItem &item, FieldTag &tag, JournalRow &row, std::optional<QByteArray> &known);
    // Records the outcome of the tag in hand; a journal lost here says what the tag holds.
    void recordOutcome(JournalRow &row, const FieldTag &tag);
    PortStatus singleTag(FieldTag &tag);
    void cue(CueKind kind, qint64 index, const QByteArray &epc, const QString &text);
    // Records an outcome row and counts it; the journal may turn it into a failed one.
    void record(JournalRow &row);

    TagPort &port_;
    EpcSource &source_;
    JournalStore &journal_;
    JobOptions options_;
    Wait wait_;
    Progress progress_;
    QSet<QByteArray> failedTids_; // tags that failed in this run: not tried again with the next index
    std::atomic<bool> paused_{false}, stopped_{false};
};

} // namespace epc
