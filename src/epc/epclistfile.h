#pragma once

#include "epc/epcsource.h"

#include <QString>
#include <vector>

namespace epc
{

// EPCs from a file, in its order: one per line as hex or a URI (see parseEpcText), or a CSV
// file whose header row has an "epc" column (any case; other columns are ignored). Blank lines
// and lines starting with '#' are skipped.
class EpcListFile : public EpcSource
{
public:
    // Reads and checks the whole file first, so that a batch never stops at a bad line half-way.
    // Throws UserError listing every bad line with its number (not an EPC, an EPC repeated from
    // an earlier line, a row without the epc column), or when the file holds no EPC.
    EpcListFile(const QString &path, std::optional<qint64> count);

    std::optional<qint64> size() const override { return qint64(offsets_.size()); }

protected:
    std::optional<QByteArray> produce(qint64 index) override;

private:
    QByteArray data_;              // all EPCs back to back
    std::vector<quint32> offsets_; // where each starts; the next one's start is its end
};

} // namespace epc
