#pragma once

#include "epc/journalreader.h"
#include "epc/journalrow.h"
#include "epc/journalstore.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace epc
{

// The commissioning journal on disk: a CSV file that only ever grows by whole rows, each
// flushed to disk before the next tag is touched, so that a crash or a power cut loses at
// most the row being written.
class Journal : public JournalStore
{
public:
    // Opens path for appending (O_APPEND), creating it with its header, or reading the rows
    // of an existing journal (its header is checked; a malformed row is a UserError naming
    // the line). A last line cut by a crash is reported in contents().cut and removed, so
    // that the next row starts on a line of its own; nothing else in the file is ever changed.
    // A second job on the same journal is refused (an exclusive lock for the lifetime).
    explicit Journal(const QString &path);
    ~Journal() override;
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    const QString &path() const { return path_; }
    // What the file held when opened, updated by every row appended since.
    const JournalContents &contents() const { return contents_; }
    const JournalState &state() const { return contents_.state; }

    // Appends one row stamped with appclock::now() and waits until it is on disk (fdatasync).
    // Throws UserError when the row cannot be written whole (a full disk, an I/O error); the
    // part written is taken back, and every later append fails too, so that a job stops at
    // the first row that did not reach the disk.
    void append(const JournalRow &row);

    QString name() const override { return path_; }
    void checkStart(bool resume) const override;
    std::optional<qint64> nextIndex(const EpcSource &source) override;
    bool isDone(qint64 index) const override { return state().isDone(index); }
    std::optional<JournalState::Holder> epcHolder(const QByteArray &epc) const override
    {
        return state().epcHolder(epc);
    }
    std::optional<qint64> tidIndex(const QByteArray &tid) const override { return state().tidIndex(tid); }
    std::optional<JournalState::TidHold> tidHold(const QByteArray &tid) const override { return state().tidHold(tid); }
    // One station: the job's own checks are the whole truth, so an intent is always taken.
    std::optional<IntentRefusal> recordIntent(const JournalRow &row) override;
    QString append(JournalRow &row) override;

private:
    void writeAll(const QByteArray &bytes, const QString &what);

    QString path_;
    int fd_ = -1;
    qint64 size_ = 0; // bytes of whole lines in the file
    bool broken_ = false;
    qint64 nextIndex_ = 0;
    JournalContents contents_;
};

} // namespace epc
