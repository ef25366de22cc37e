#include "link/hextext.h"

#include "link/errors.h"

namespace hex
{

static bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

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

QString filter(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (isHexDigit(c))
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

QString Getchr(const QString &text)
{
    QString out;
    const qsizetype n = text.size() / 2;
    for (qsizetype i = 0; i < n; ++i) {
        const int hi = digitValue(text[2 * i]);
        const int lo = digitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            throw UserError(QStringLiteral("'$%1' is not a valid integer value").arg(text.mid(2 * i, 2)));
        out.append(QChar(char16_t(hi * 16 + lo)));
    }
    return out;
}

void GetAscii(const QString &text, QString &out)
{
    // The reader expects the bytes of the system code page, which is UTF-8 here.
    for (char b : text.toUtf8())
        out += byteText(static_cast<unsigned char>(b));
}

int32_t adddate(const QString &text)
{
    const QString digits = checkdata(text);
    int32_t sum = 0;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        sum += digitValue(digits[i]) * 16 + digitValue(digits[i + 1]);
    return sum;
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

QString pairAt(const QString &hex, int k)
{
    if (k < 0)
        return {};
    return hex.mid(qsizetype(k) * 2, 2);
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
        plain = base == 10 ? c.isDigit() && c.unicode() < 128 : isHexDigit(c);
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

} // namespace hex
