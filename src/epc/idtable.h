#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace epc
{

// An open-addressing hash index of entry ids 0..n-1 whose keys live elsewhere: the caller
// hashes and compares. Four bytes a slot, so that the journal's index of 100,000 tags stays a
// few hundred kilobytes instead of a node allocation per key.
class IdTable
{
public:
    // The id whose key eq() accepts, probing from hash.
    template <class Eq> std::optional<uint32_t> find(size_t hash, Eq eq) const
    {
        if (slots_.empty())
            return std::nullopt;
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const uint32_t s = slots_[i];
            if (s == 0)
                return std::nullopt;
            if (eq(s - 1))
                return s - 1;
        }
    }

    // Adds id under hash; hashOf(id) gives the hash of any id already in, for growing.
    template <class HashOf> void insert(size_t hash, uint32_t id, HashOf hashOf)
    {
        if ((used_ + 1) * 2 > slots_.size()) {
            std::vector<uint32_t> old(slots_.empty() ? 16 : slots_.size() * 2, 0);
            old.swap(slots_);
            for (const uint32_t s : old)
                if (s)
                    place(hashOf(s - 1), s - 1);
        }
        place(hash, id);
        ++used_;
    }

    size_t bytes() const { return slots_.capacity() * sizeof(uint32_t); }

private:
    void place(size_t hash, uint32_t id)
    {
        const size_t mask = slots_.size() - 1;
        size_t i = hash & mask;
        while (slots_[i])
            i = (i + 1) & mask;
        slots_[i] = id + 1;
    }

    std::vector<uint32_t> slots_; // id + 1; 0 is empty; size a power of two, at most half full
    size_t used_ = 0;
};

} // namespace epc
