#include "epc/journalstate.h"

#include <QHash>

namespace epc
{
namespace
{

size_t hashOf(QByteArrayView bytes)
{
    return qHash(bytes, 0);
}

size_t hashOf(qint64 index)
{
    return qHash(index, 0);
}

} // namespace

QByteArrayView JournalState::key(uint32_t offset) const
{
    return QByteArrayView(arena_.data() + offset + 1, uint8_t(arena_[offset]));
}

uint32_t JournalState::store(QByteArrayView bytes)
{
    const auto offset = uint32_t(arena_.size());
    arena_.push_back(char(uint8_t(bytes.size())));
    arena_.append(bytes.data(), size_t(bytes.size()));
    return offset;
}

bool JournalState::isDone(qint64 index) const
{
    return byIndex_.find(hashOf(index), [&](uint32_t id) { return entries_[id].index == index; }).has_value();
}

std::optional<JournalState::Holder> JournalState::epcHolder(QByteArrayView epc) const
{
    const auto id = byEpc_.find(hashOf(epc), [&](uint32_t i) { return key(entries_[i].epc) == epc; });
    if (id) {
        const Entry &e = entries_[*id];
        return Holder{e.index, e.tid == kNone ? QByteArray() : key(e.tid).toByteArray(), HoldKind::Written};
    }
    if (const auto seen = seenByEpc_.constFind(epc.toByteArray()); seen != seenByEpc_.constEnd())
        return *seen;
    for (auto it = intents_.constBegin(); it != intents_.constEnd(); ++it)
        if (it->epc == epc)
            return Holder{it.key(), intentTids_.value(it.key()), HoldKind::Intent};
    return std::nullopt;
}

std::optional<JournalState::TidHold> JournalState::tidHold(QByteArrayView tid) const
{
    if (tid.isEmpty())
        return std::nullopt;
    for (auto it = intentTids_.constBegin(); it != intentTids_.constEnd(); ++it)
        if (*it == tid)
            return intents_.value(it.key());
    if (const auto seen = seenByTid_.constFind(tid.toByteArray()); seen != seenByTid_.constEnd())
        return *seen;
    return std::nullopt;
}

void JournalState::addIntent(qint64 index, const QByteArray &epc, const QByteArray &tid)
{
    intents_.insert(index, TidHold{index, epc, HoldKind::Intent});
    intentTids_.insert(index, tid);
}

void JournalState::addSeen(qint64 index, const QByteArray &epc, const QByteArray &tid)
{
    intents_.remove(index);
    intentTids_.remove(index);
    if (!seenByEpc_.contains(epc))
        seenByEpc_.insert(epc, Holder{index, tid, HoldKind::Seen});
    if (!tid.isEmpty())
        seenByTid_.insert(tid, TidHold{index, epc, HoldKind::Seen});
}

std::optional<qint64> JournalState::tidIndex(QByteArrayView tid) const
{
    if (tid.isEmpty())
        return std::nullopt;
    const auto id =
        byTid_.find(hashOf(tid), [&](uint32_t i) { return entries_[i].tid != kNone && key(entries_[i].tid) == tid; });
    return id ? std::optional<qint64>(entries_[*id].index) : std::nullopt;
}

void JournalState::add(qint64 index, QByteArrayView epc, QByteArrayView tid)
{
    if (!intents_.isEmpty()) {
        intents_.remove(index);
        intentTids_.remove(index);
    }
    // Keys longer than a length byte cannot come from a tag's EPC or TID bank as read here.
    epc = epc.first(std::min<qsizetype>(epc.size(), 255));
    tid = tid.first(std::min<qsizetype>(tid.size(), 255));
    const auto id = uint32_t(entries_.size());
    entries_.push_back(Entry{index, store(epc), tid.isEmpty() ? kNone : store(tid)});
    // Each lookup table keeps the first entry of its key.
    if (!isDone(index)) {
        byIndex_.insert(hashOf(index), id, [this](uint32_t i) { return hashOf(entries_[i].index); });
        ++done_;
    }
    if (!epcHolder(epc))
        byEpc_.insert(hashOf(epc), id, [this](uint32_t i) { return hashOf(key(entries_[i].epc)); });
    if (!tid.isEmpty() && !tidIndex(tid))
        byTid_.insert(hashOf(tid), id, [this](uint32_t i) { return hashOf(key(entries_[i].tid)); });
}

size_t JournalState::bytes() const
{
    return arena_.capacity() + entries_.capacity() * sizeof(Entry) + byIndex_.bytes() + byEpc_.bytes() + byTid_.bytes();
}

} // namespace epc
