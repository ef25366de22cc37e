#include "base/hex.h"

#include "base/errors.h"

namespace hex
{

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool onlyDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (digitValue(c) < 0)
            return false;
    return true;
}

QString filter(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (digitValue(c) >= 0)
            out.append(c);
    return out;
}

QString checkdata(const QString &text)
{
    QString digits = filter(text);
    digits.truncate(digits.size() / 2 * 2);
    return digits;
}

QString cdate(const QString &text)
{
    QString out;
    const qsizetype n = text.size() / 2;
    for (qsizetype i = 1; i <= n; ++i) {
        out += text.mid(text.size() - 2 * i, 2);
        out += QLatin1Char(' ');
    }
    return out;
}

QByteArray toBytes(const QString &text)
{
    const QString digits = checkdata(text);
    QByteArray out;
    out.reserve(digits.size() / 2);
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        out.append(char(digitValue(digits[i]) * 16 + digitValue(digits[i + 1])));
    return out;
}

QString fromBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString byteText(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

static int parseInt(const QString &text, int base)
{
    const QString t = text.trimmed();
    bool ok = false;
    int value = 0;
    // Reject forms QString::toInt would take but the framework's conversion does not ("0x10").
    bool plain = !t.isEmpty();
    for (qsizetype i = 0; i < t.size() && plain; ++i) {
        const QChar c = t[i];
        if (i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+')) && t.size() > 1)
            continue;
        plain = base == 10 ? c.isDigit() && c.unicode() < 128 : digitValue(c) >= 0;
    }
    if (plain)
        value = t.toInt(&ok, base);
    if (!ok)
        throw UserError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

int StrToInt(const QString &text)
{
    return parseInt(text, 10);
}

int HexToInt(const QString &text)
{
    return parseInt(text, 16);
}

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
        if (isSeparator(c.unicode()))
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
