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

namespace
{

// step (hex, most significant digit first) times n, as hex without leading zeros.
QString multiply(const QString &step, quint64 n)
{
    QString out;
    quint64 carry = 0;
    for (qsizetype i = step.size() - 1; i >= 0; --i) {
        // A digit times n (below 2^63 / 16) plus the carry fits in 64 bits.
        const quint64 v = quint64(QStringView(step).mid(i, 1).toUInt(nullptr, 16)) * n + carry;
        out.prepend(QLatin1Char("0123456789ABCDEF"[v & 0xF]));
        carry = v >> 4;
    }
    for (; carry; carry >>= 4)
        out.prepend(QLatin1Char("0123456789ABCDEF"[carry & 0xF]));
    while (out.size() > 1 && out[0] == u'0')
        out.remove(0, 1);
    return out;
}

} // namespace

std::optional<QByteArray> HexSequence::produce(qint64 index)
{
    const auto outgrown = [&](const QString &after) {
        return UserError(
            QStringLiteral("the hex sequence from %1 with step %2 outgrows %3 bytes at index %4 (after %5)")
                .arg(first_, step_)
                .arg(first_.size() / 2)
                .arg(index)
                .arg(after));
    };
    QString next;
    if (index == 0) {
        next = first_;
    } else if (index == currentIndex_ + 1) {
        next = epcnumber::hexadd(current_, step_, reverse_);
        if (next.size() != first_.size())
            throw outgrown(current_);
    } else {
        const QString add = multiply(step_, quint64(index));
        if (add.size() > first_.size())
            throw outgrown(QStringLiteral("index %1").arg(index - 1));
        next = epcnumber::hexadd(first_, QString(first_.size() - add.size(), u'0') + add, reverse_);
        if (next.size() != first_.size())
            throw outgrown(QStringLiteral("index %1").arg(index - 1));
    }
    current_ = next;
    currentIndex_ = index;
    return QByteArray::fromHex(current_.toLatin1());
}

} // namespace epc
