#include "epc/gs1sequence.h"

#include "base/errors.h"

#include <limits>

namespace epc
{
namespace
{

QString pastLimit(const Gs1Epc &first, const Counter &c, qint64 index)
{
    return QStringLiteral("%1 %2 of %3 would pass %4, the largest %5 carries, at index %6")
        .arg(c.name, QString::number(c.value + quint64(index)), tagUri(first))
        .arg(c.max)
        .arg(QLatin1String(schemeInfo(first.scheme).label))
        .arg(index);
}

} // namespace

Gs1Sequence::Gs1Sequence(const Gs1Epc &first, std::optional<qint64> count)
    : EpcSource(count), first_(first), counter_((validate(first), counterOf(first)))
{
    if (count && *count > 0 && quint64(*count - 1) > counter_.max - counter_.value)
        throw UserError(pastLimit(first_, counter_, qint64(counter_.max - counter_.value + 1)));
}

std::optional<qint64> Gs1Sequence::size() const
{
    const quint64 room = counter_.max - counter_.value;
    return room >= quint64(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max() : qint64(room + 1);
}

std::optional<QByteArray> Gs1Sequence::produce(qint64 index)
{
    if (quint64(index) > counter_.max - counter_.value)
        throw UserError(pastLimit(first_, counter_, index));
    return encode(withCounter(first_, counter_.value + quint64(index)));
}

} // namespace epc
