#include "field/tallyfilter.h"

#include "base/hex.h"
#include "field/tally.h"

namespace field
{

TallyFilter::TallyFilter(const QString &text) : text_(text.trimmed())
{
    if (!hex::onlyDigits(text_))
        return;
    for (const QChar c : text_)
        nibbles_.push_back(hex::digitValue(c));
}

bool TallyFilter::matches(const TallyEntry &entry) const
{
    if (text_.isEmpty())
        return true;
    if (!nibbles_.empty() && qsizetype(nibbles_.size()) <= 2 * entry.epc.size()) {
        bool prefix = true;
        for (size_t i = 0; i < nibbles_.size() && prefix; ++i) {
            const uint8_t byte = uint8_t(entry.epc[qsizetype(i / 2)]);
            prefix = (i % 2 == 0 ? byte >> 4 : byte & 0x0F) == nibbles_[i];
        }
        if (prefix)
            return true;
    }
    return !entry.uri.isEmpty() && entry.uri.contains(text_, Qt::CaseInsensitive);
}

} // namespace field
