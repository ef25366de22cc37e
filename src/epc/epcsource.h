#pragma once

#include <QByteArray>
#include <optional>

namespace epc
{

// One EPC of a batch and its place in the source's order (from 0). The journal records the
// index, and a resume skips the indexes it shows done.
struct SourceItem {
    qint64 index = 0;
    QByteArray epc;
};

// Where a batch's EPCs come from, in order.
class EpcSource
{
public:
    // count: how many EPCs at most (indexes 0 to count - 1); nothing for all the source has.
    explicit EpcSource(std::optional<qint64> count) : count_(count) {}
    virtual ~EpcSource() = default;

    // The next EPC, or nothing after the last one. Throws UserError when the next value
    // cannot be made (a serial past its scheme's limit, a hex number outgrowing its bytes).
    std::optional<SourceItem> next()
    {
        if (count_ && next_ >= *count_)
            return std::nullopt;
        std::optional<QByteArray> epc = produce(next_);
        if (!epc)
            return std::nullopt;
        return SourceItem{next_++, std::move(*epc)};
    }

    std::optional<qint64> count() const { return count_; }

protected:
    // The EPC at index, called once for each index in order.
    virtual std::optional<QByteArray> produce(qint64 index) = 0;

private:
    std::optional<qint64> count_;
    qint64 next_ = 0;
};

} // namespace epc
