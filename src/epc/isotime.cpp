#include "epc/isotime.h"

#include "base/errors.h"

#include <cstdlib>

namespace epc
{

QDateTime parseTime(const QString &text, const QString &what)
{
    const QDateTime time = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (text.trimmed().isEmpty() || !time.isValid())
        throw UserError(QStringLiteral("%1 must be an ISO 8601 time such as 2024-05-01T10:00:00+02:00 or a date such "
                                       "as 2024-05-01, not \"%2\"")
                            .arg(what, text));
    return time;
}

QString isoTime(const QDateTime &time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString isoOffset(int offsetSeconds)
{
    const int minutes = std::abs(offsetSeconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(QLatin1Char(offsetSeconds < 0 ? '-' : '+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace epc
