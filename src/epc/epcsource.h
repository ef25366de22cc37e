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

    // The EPC at any index from 0, in any order, or nothing past the source's end; the count
    // does not limit it (a shared journal hands out indexes beyond one station's count).
    // Throws UserError as next() does.
    std::optional<QByteArray> at(qint64 index) { return index < 0 ? std::nullopt : produce(index); }

    // How many EPCs the source has at all, where it is known (a list's length, the serials a
    // GS1 scheme has room for); nothing where it is not.
    virtual std::optional<qint64> size() const = 0;

protected:
    // The EPC at index; next() asks for each index in order, at() in any order.
    virtual std::optional<QByteArray> produce(qint64 index) = 0;

private:
    std::optional<qint64> count_;
    qint64 next_ = 0;
};

} // namespace epc
