#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace epc
{

// EPCIS takes UTC offsets from -14:00 to +14:00, as the time zones of the world go.
constexpr int kMaxUtcOffsetSeconds = 14 * 3600;

// A tag a journal shows commissioned: its EPC written and read back equal.
struct VerifiedTag {
    qint64 index = 0; // in the source's order
    QByteArray epc;
    QDateTime time; // when its row was recorded, at the UTC offset the station ran at
};

// The verified rows of a journal, wherever the journal is kept: what the documents of the
// tags commissioned are made from. Rows written without verification and failed rows are no
// commissioned tags.
class VerifiedRows
{
public:
    virtual ~VerifiedRows() = default;

    // The journal as the user named it, for messages.
    virtual QString name() const = 0;

    // Hands each verified tag to each, in the journal's order, once per index: the first
    // verified row of an index is the tag's commissioning, and a later one of the same index
    // hands nothing (also when it is at or after since and the first is not). With since, only
    // tags recorded at or after it. Throws UserError when the journal cannot be read or a row
    // is malformed (naming the journal and the row).
    virtual void forEach(const std::optional<QDateTime> &since,
                         const std::function<void(const VerifiedTag &)> &each) const = 0;
};

// The journal the user named: a shared journal's postgresql:// (or postgres://) URI, else a
// CSV journal file. Throws UserError when the URI is malformed, or the file is not there or is
// no regular file; nothing is read or connected to yet.
std::unique_ptr<VerifiedRows> openVerifiedRows(const QString &journal);

} // namespace epc
