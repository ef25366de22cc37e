#include "link/hexfield.h"

#include "link/errors.h"
#include "link/hextext.h"

namespace hex
{

static bool isSeparator(char16_t u)
{
    return u == ' ' || u == '\t' || u == ',' || u == ':' || u == '-';
}

static QString expectation(int minBytes, int maxBytes)
{
    const auto bytes = [](int n) { return n == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(n); };
    if (minBytes == maxBytes)
        return bytes(minBytes);
    if (minBytes <= 0)
        return QStringLiteral("at most %1").arg(bytes(maxBytes));
    return QStringLiteral("%1 to %2").arg(minBytes).arg(bytes(maxBytes));
}

QByteArray bytesField(const QString &text, const QString &field, int minBytes, int maxBytes)
{
    QByteArray out;
    out.reserve(text.size() / 2);
    int high = -1;
    bool valid = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (isSeparator(u))
            continue;
        const int d = digitValue(c);
        if (d < 0) {
            valid = false;
            break;
        }
        if (high < 0) {
            high = d;
        } else {
            out.append(char(high * 16 + d));
            high = -1;
        }
    }
    if (!valid || high >= 0 || out.size() < minBytes || out.size() > maxBytes)
        throw UserError(QStringLiteral("%1 must be %2 of hexadecimal digits, two per byte, not '%3'.")
                            .arg(field, expectation(minBytes, maxBytes), text));
    return out;
}

uint8_t byteField(const QString &text, const QString &field)
{
    return uint8_t(bytesField(text, field, 1, 1)[0]);
}

} // namespace hex
