#include "epc/epcnumber.h"

#include "base/hex.h"

#include <QByteArray>
#include <algorithm>

namespace epcnumber
{

QString hexadd(const QString &a, const QString &step, bool reverse)
{
    QString x = hex::filter(a);
    QString y = hex::filter(step);
    qsizetype width = std::max(x.size(), y.size());
    width += width % 2;
    x = QString(width - x.size(), QLatin1Char('0')) + x;
    y = QString(width - y.size(), QLatin1Char('0')) + y;

    QByteArray number = hex::toBytes(x);
    QByteArray add = hex::toBytes(y);
    // Least significant byte first for both.
    if (!reverse)
        std::reverse(number.begin(), number.end());
    std::reverse(add.begin(), add.end());

    QByteArray sum(number.size(), '\0');
    int carry = 0;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const int s = uint8_t(number[i]) + uint8_t(add[i]) + carry;
        sum[i] = char(s & 0xFF);
        carry = s > 0xFF ? 1 : 0;
    }
    if (carry)
        sum.append(char(0x01));
    if (!reverse)
        std::reverse(sum.begin(), sum.end());
    return hex::fromBytes(sum);
}

} // namespace epcnumber
