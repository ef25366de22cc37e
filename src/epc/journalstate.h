#pragma once

#include "epc/idtable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <string>
#include <vector>

namespace epc
{

// What a journal says about the tags already written, as the duplicate checks and a resume
// need it: the indexes done, which tag holds which EPC, which TIDs were written. Only rows
// whose result is verified or written count; a failed index is open again.
class JournalState
{
public:
    struct Holder {
        qint64 index;
        QByteArray tid; // empty when the reader could not read it
    };

    // Index done earlier (verified, or written without verification).
    bool isDone(qint64 index) const;
    // The row that put this EPC on a tag, if any.
    std::optional<Holder> epcHolder(QByteArrayView epc) const;
    // The index written to the tag with this TID, if any.
    std::optional<qint64> tidIndex(QByteArrayView tid) const;

    // Records a verified or written row. The first row of an index, EPC or TID stays the one
    // the lookups name.
    void add(qint64 index, QByteArrayView epc, QByteArrayView tid);

    qint64 doneCount() const { return done_; }
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
};

} // namespace epc
