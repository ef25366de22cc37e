#include "epc/epctext.h"

#include "base/errors.h"
#include "base/hex.h"
#include "epc/gs1codec.h"

namespace epc
{
namespace
{

// The bytes of hex digits only (no blanks); what names the text in messages.
QByteArray hexDigitsToBytes(const QString &digits, const QString &what, const QString &shown)
{
    if (digits.size() % 2)
        throw UserError(QStringLiteral("%1 \"%2\" has an odd number of hex digits (%3): every byte takes two")
                            .arg(what, shown)
                            .arg(digits.size()));
    QByteArray bytes(digits.size() / 2, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(hex::digitValue(digits[2 * i]) * 16 + hex::digitValue(digits[2 * i + 1]));
    return bytes;
}

void checkEpcLength(const QByteArray &bytes, const QString &what, const QString &shown)
{
    if (bytes.size() % 2 || bytes.size() > kMaxEpcBytes)
        throw UserError(QStringLiteral("%1 \"%2\" is %3 bytes: an EPC is whole 16-bit words, 2 to %4 bytes")
                            .arg(what, shown)
                            .arg(bytes.size())
                            .arg(kMaxEpcBytes));
}

QByteArray parseRawUri(const QString &uri)
{
    // urn:epc:raw:<bits>.x<hex>
    const QString body = uri.mid(12);
    const qsizetype dot = body.indexOf(u'.');
    bool ok = false;
    const int bits = body.left(dot).toInt(&ok);
    if (dot < 0 || !ok || body.mid(dot + 1, 1).compare(QLatin1String("x"), Qt::CaseInsensitive) != 0)
        throw UserError(
            QStringLiteral("a raw EPC URI has the form urn:epc:raw:96.x3074257BF7194E4000001A85, got \"%1\"").arg(uri));
    const QString digits = body.mid(dot + 2);
    for (const QChar c : digits)
        if (hex::digitValue(c) < 0)
            throw UserError(QStringLiteral("raw EPC URI \"%1\" has '%2' among its hex digits").arg(uri, QString(c)));
    const QByteArray bytes = hexDigitsToBytes(digits, QStringLiteral("raw EPC URI"), uri);
    if (bytes.isEmpty() || bits != bytes.size() * 8)
        throw UserError(
            QStringLiteral("raw EPC URI \"%1\" says %2 bits but holds %3").arg(uri).arg(bits).arg(bytes.size() * 8));
    checkEpcLength(bytes, QStringLiteral("raw EPC URI"), uri);
    return bytes;
}

} // namespace

QByteArray parseHex(const QString &text, const QString &what)
{
    const QString shown = text.trimmed();
    if (shown.isEmpty())
        throw UserError(QStringLiteral("%1 is empty: it takes hex digits, e.g. 3074257BF7194E4000001A85").arg(what));
    QString digits;
    digits.reserve(shown.size());
    for (const QChar c : shown) {
        if (c == u' ' || c == u'\t')
            continue;
        if (hex::digitValue(c) < 0)
            throw UserError(
                QStringLiteral("%1 \"%2\" has '%3', which is not a hex digit (0-9, A-F)").arg(what, shown, QString(c)));
        digits += c;
    }
    const QByteArray bytes = hexDigitsToBytes(digits, what, shown);
    checkEpcLength(bytes, what, shown);
    return bytes;
}

QString toHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString rawUri(const QByteArray &bytes)
{
    return QStringLiteral("urn:epc:raw:%1.x%2").arg(bytes.size() * 8).arg(toHex(bytes));
}

QByteArray parseEpcText(const QString &input, std::optional<int> filter)
{
    const QString text = input.trimmed();
    if (text.startsWith(QLatin1String("urn:epc:tag:"), Qt::CaseInsensitive))
        return encode(parseTagUri(text));
    if (text.startsWith(QLatin1String("urn:epc:raw:"), Qt::CaseInsensitive))
        return parseRawUri(text);
    if (text.startsWith(QLatin1String("urn:epc:id:"), Qt::CaseInsensitive)) {
        if (!filter)
            throw UserError(QStringLiteral("pure-identity URI \"%1\" needs a filter value (0 to 7) to be written to a "
                                           "tag; give one, or use the tag URI urn:epc:tag:...")
                                .arg(text));
        return encode(parseIdUri(text, *filter));
    }
    if (text.startsWith(QLatin1String("urn:"), Qt::CaseInsensitive))
        throw UserError(QStringLiteral("\"%1\" is no EPC URI this tool knows: urn:epc:tag:..., urn:epc:id:... or "
                                       "urn:epc:raw:...")
                            .arg(text));
    return parseHex(text);
}

} // namespace epc
