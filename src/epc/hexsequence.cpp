#include "epc/hexsequence.h"

#include "base/errors.h"
#include "base/hex.h"
#include "epc/epcnumber.h"
#include "epc/epctext.h"

namespace epc
{

HexSequence::HexSequence(const QByteArray &first, const QString &step, bool reverse, std::optional<qint64> count)
    : EpcSource(count), first_(toHex(first)), reverse_(reverse)
{
    step_ = step.trimmed();
    step_.remove(u' ');
    bool zero = true;
    for (const QChar c : step_)
        zero = zero && c == u'0';
    if (!hex::onlyDigits(step_))
        throw UserError(
            QStringLiteral("step must be a hexadecimal number (\"1\", \"10\" for 16), got \"%1\"").arg(step));
    if (zero)
        throw UserError(QStringLiteral("step must not be zero: every tag would get the same EPC"));
    while (step_.size() > 1 && step_[0] == u'0')
        step_.remove(0, 1);
    if (step_.size() > first_.size())
        throw UserError(
            QStringLiteral("step %1 is wider than the first EPC %2 (%3 bytes)").arg(step_, first_).arg(first.size()));
}

std::optional<QByteArray> HexSequence::produce(qint64 index)
{
    if (index == 0) {
        current_ = first_;
    } else {
        const QString next = epcnumber::hexadd(current_, step_, reverse_);
        if (next.size() != first_.size())
            throw UserError(
                QStringLiteral("the hex sequence from %1 with step %2 outgrows %3 bytes at index %4 (after %5)")
                    .arg(first_, step_)
                    .arg(first_.size() / 2)
                    .arg(index)
                    .arg(current_));
        current_ = next;
    }
    return QByteArray::fromHex(current_.toLatin1());
}

} // namespace epc
