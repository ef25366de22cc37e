#include "base/clock.h"

namespace
{
std::function<QDateTime()> &source()
{
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

namespace appclock
{
QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}
void setSource(std::function<QDateTime()> s)
{
    source() = std::move(s);
}
} // namespace appclock

QString timeStamp(const QDateTime &moment)
{
    // Built by hand: the "AP" format of QDateTime follows the locale, the stamp must not.
    const QTime t = moment.time();
    int h = t.hour() % 12;
    if (h == 0)
        h = 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString timeStamp()
{
    return timeStamp(appclock::now());
}
