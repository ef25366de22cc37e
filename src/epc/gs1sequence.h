#pragma once

#include "epc/epcsource.h"
#include "epc/gs1codec.h"

namespace epc
{

// GS1 EPCs from a first one whose counter (the serial; see Counter) counts up by one per
// index: urn:epc:tag:sgtin-96:3.0614141.812345.6789, then .6790, ...
class Gs1Sequence : public EpcSource
{
public:
    // Throws UserError when first is not valid, or when count EPCs would take the counter
    // past the largest value its scheme carries (so a batch never stops half-way for that).
    Gs1Sequence(const Gs1Epc &first, std::optional<qint64> count);

    std::optional<qint64> size() const override;

protected:
    std::optional<QByteArray> produce(qint64 index) override;

private:
    Gs1Epc first_;
    Counter counter_;
};

} // namespace epc
