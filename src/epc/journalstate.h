#pragma once

#include "epc/idtable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <optional>
#include <string>
#include <vector>

namespace epc
{

// How a tag is known to hold an EPC.
enum class HoldKind {
    Written, // a verified or written row
    Seen,    // seen on the tag after a failed write
    Intent,  // a write to the tag whose outcome is unknown: the tag may carry it
};

// What a journal says about the tags already written, as the duplicate checks and a resume
// need it: the indexes done, which tag holds which EPC, which TIDs were written. Verified and
// written rows count as done; a failed index is open again. Values seen on tags and writes of
// unknown outcome (an intent row without a verified, written or seen row of its index after
// it) hold their EPC too, so that no other tag gets it.
class JournalState
{
public:
    struct Holder {
        qint64 index;
        QByteArray tid; // empty when the reader could not read it
        HoldKind kind = HoldKind::Written;
    };
    // What a tag is known, or may be, to carry besides a written row.
    struct TidHold {
        qint64 index;
        QByteArray epc;
        HoldKind kind; // Seen or Intent
    };

    // Index done earlier (verified, or written without verification).
    bool isDone(qint64 index) const;
    // The tag that holds this EPC, if any: the row that wrote it first, else a tag seen with
    // it, else a write of unknown outcome.
    std::optional<Holder> epcHolder(QByteArrayView epc) const;
    // The index written to the tag with this TID, if any.
    std::optional<qint64> tidIndex(QByteArrayView tid) const;
    // An open intent of this tag, else the value it was seen with last.
    std::optional<TidHold> tidHold(QByteArrayView tid) const;

    // Records a verified or written row, and settles its index's intent. The first row of an
    // index, EPC or TID stays the one the lookups name.
    void add(qint64 index, QByteArrayView epc, QByteArrayView tid);
    // An intent row: the index's write has begun.
    void addIntent(qint64 index, const QByteArray &epc, const QByteArray &tid);
    // A seen row: the tag's value is known, which settles its index's intent.
    void addSeen(qint64 index, const QByteArray &epc, const QByteArray &tid);

    qint64 doneCount() const { return done_; }
    // Writes whose outcome is unknown, by index.
    const QHash<qint64, TidHold> &openIntents() const { return intents_; }
    // Heap bytes held, for the memory figures.
    size_t bytes() const;

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    struct Entry {
        qint64 index;
        uint32_t epc; // offsets into arena_ of a length byte and the bytes
        uint32_t tid; // kNone without TID
    };
    QByteArrayView key(uint32_t offset) const;
    uint32_t store(QByteArrayView bytes);

    std::string arena_;
    std::vector<Entry> entries_;
    IdTable byIndex_, byEpc_, byTid_;
    qint64 done_ = 0;
    // Rare next to written rows, so plain hashes: seen values by EPC and by TID, open intents
    // and their TIDs by index.
    QHash<QByteArray, Holder> seenByEpc_;
    QHash<QByteArray, TidHold> seenByTid_;
    QHash<qint64, TidHold> intents_;
    QHash<qint64, QByteArray> intentTids_;
};

} // namespace epc
