#pragma once

#include "epc/epcsource.h"

#include <QString>

namespace epc
{

// EPCs counted as the UHF page counts them (epcnumber::hexadd): from a first number, adding a
// hexadecimal step per index, in normal byte order or with reverse addition (the first byte
// least significant).
class HexSequence : public EpcSource
{
public:
    // first: the EPC bytes (see parseHex); step: hex text as on the page ("1", "10" adds 16),
    // not zero and not wider than first. Throws UserError naming the step otherwise.
    HexSequence(const QByteArray &first, const QString &step, bool reverse, std::optional<qint64> count);

    // Unknown: where the number outgrows its bytes is found when it does.
    std::optional<qint64> size() const override { return std::nullopt; }

protected:
    // Where the page's number would grow by a byte, a batch stops with a UserError: every
    // EPC of a batch keeps the first one's length. The next index adds the step once; any
    // other adds step times index, which is the same number.
    std::optional<QByteArray> produce(qint64 index) override;

private:
    QString first_, current_, step_;
    qint64 currentIndex_ = -1; // the index current_ belongs to
    bool reverse_;
};

} // namespace epc
