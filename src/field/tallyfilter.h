#pragma once

#include <QString>
#include <vector>

namespace field
{

struct TallyEntry;

// The window's filter of the tally: an EPC's hex start, or text of its GS1 URI, case aside.
// Text of hex digits is both: "3074" keeps the EPCs that start 3074 and the URIs that hold it.
class TallyFilter
{
public:
    TallyFilter() = default;
    explicit TallyFilter(const QString &text);

    bool isEmpty() const { return text_.isEmpty(); }
    bool matches(const TallyEntry &entry) const;

private:
    QString text_;
    std::vector<int> nibbles_; // the text's hex digits, when it is nothing else
};

} // namespace field
