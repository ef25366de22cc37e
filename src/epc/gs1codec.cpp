#include "epc/gs1codec.h"

#include "base/errors.h"
#include "epc/epctext.h"

#include <QStringList>

namespace epc
{
namespace
{

QString label(const SchemeInfo &s)
{
    return QLatin1String(s.label);
}

bool allDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

quint64 powerOfTen(int n)
{
    quint64 v = 1;
    while (n-- > 0)
        v *= 10;
    return v;
}

QString padded(quint64 value, int digits)
{
    return digits == 0 ? QString() : QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
}

// Characters a pure-identity URI allows in a component: letters, digits, a few marks, and
// the %-escapes of the characters a URI reserves. A 96-bit serial is digits only anyway;
// telling the two faults apart tells the user whether the text or the scheme is wrong.
bool uriCharAllowed(const QString &text, qsizetype &at)
{
    static const QString marks = QStringLiteral("!'()*+,-.:;=_");
    static const QStringList escapes = {"22", "25", "26", "2F", "3C", "3E", "3F"};
    for (at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            continue;
        if (marks.contains(c))
            continue;
        if (c == u'%' && escapes.contains(text.mid(at + 1, 2).toUpper())) {
            at += 2;
            continue;
        }
        return false;
    }
    return true;
}

// A number field without leading zeros, at most max.
quint64 checkNumber(const SchemeInfo &s, const char *field, const QString &text, quint64 max)
{
    const QString range = QStringLiteral("a number from 0 to %1").arg(max);
    const QString name = QStringLiteral("%1 of %2").arg(QLatin1String(field), label(s));
    if (text.isEmpty())
        throw UserError(QStringLiteral("%1 is missing: it takes %2").arg(name, range));
    qsizetype at = 0;
    if (!uriCharAllowed(text, at))
        throw UserError(QStringLiteral("%1 \"%2\" has a character no EPC URI allows: '%3' at position %4")
                            .arg(name, text, QString(text[at]))
                            .arg(at + 1));
    if (!allDigits(text))
        throw UserError(
            QStringLiteral("%1 must be %2, got \"%3\": the 96-bit scheme takes digits only").arg(name, range, text));
    if (text.size() > 1 && text[0] == u'0')
        throw UserError(QStringLiteral("%1 must be %2 without leading zeros, got \"%3\"").arg(name, range, text));
    bool ok = false;
    const quint64 v = text.size() <= 19 ? text.toULongLong(&ok) : 0;
    if (!ok || v > max)
        throw UserError(QStringLiteral("%1 must be at most %2, got %3").arg(name).arg(max).arg(text));
    return v;
}

int checkFilter(int filter)
{
    if (filter < 0 || filter > 7)
        throw UserError(QStringLiteral("filter must be 0 to 7, got %1").arg(filter));
    return filter;
}

// The partition of a valid company prefix.
int checkPrefix(const QString &prefix)
{
    const int p = partitionForPrefixDigits(int(prefix.size()));
    if (p < 0 || !allDigits(prefix))
        throw UserError(QStringLiteral("company prefix must be 6 to 12 digits, got \"%1\"").arg(prefix));
    return p;
}

struct Fields {
    int partition;
    quint64 prefix, reference, serial;
};

Fields checkAll(const Gs1Epc &e)
{
    const SchemeInfo &s = schemeInfo(e.scheme);
    checkFilter(e.filter);
    Fields f{};
    f.partition = checkPrefix(e.companyPrefix);
    f.prefix = e.companyPrefix.toULongLong();
    if (s.reference) {
        const int n = referenceDigits(s, f.partition);
        if (e.reference.size() != n || !allDigits(e.reference))
            throw UserError(QStringLiteral("%1 of %2 must be %3 digits with a company prefix of %4 digits (%5 "
                                           "together), got \"%6\"")
                                .arg(QLatin1String(s.reference), label(s))
                                .arg(n)
                                .arg(e.companyPrefix.size())
                                .arg(s.referenceTotalDigits)
                                .arg(e.reference));
        f.reference = e.reference.toULongLong();
    } else if (!e.reference.isEmpty()) {
        throw UserError(QStringLiteral("%1 has no reference field (the %2 follows the company prefix), got \"%3\"")
                            .arg(label(s), QLatin1String(s.serial), e.reference));
    }
    if (s.serial) {
        const int bits = serialBits(s, f.partition);
        f.serial = checkNumber(s, s.serial, e.serial, (quint64(1) << bits) - 1);
    } else if (!e.serial.isEmpty()) {
        throw UserError(QStringLiteral("%1 has no serial (the %2 is its last field), got \"%3\"")
                            .arg(label(s), QLatin1String(s.reference), e.serial));
    }
    return f;
}

class BitWriter
{
public:
    void put(quint64 value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i, ++pos_)
            if ((value >> i) & 1)
                bytes_[pos_ / 8] = char(bytes_[pos_ / 8] | (0x80 >> (pos_ % 8)));
    }
    QByteArray bytes() const { return bytes_; }

private:
    QByteArray bytes_ = QByteArray(12, '\0');
    int pos_ = 0;
};

class BitReader
{
public:
    explicit BitReader(const QByteArray &bytes) : bytes_(bytes) {}
    quint64 take(int bits)
    {
        quint64 v = 0;
        for (int i = 0; i < bits; ++i, ++pos_)
            v = (v << 1) | ((uint8_t(bytes_[pos_ / 8]) >> (7 - pos_ % 8)) & 1);
        return v;
    }

private:
    const QByteArray &bytes_;
    int pos_ = 0;
};

// The fields after "urn:epc:tag:scheme:" or "urn:epc:id:scheme:", split on dots. With lastTakesRest
// the last field keeps its dots (a pure-identity serial may have them).
QStringList splitFields(const QString &text, int count, bool lastTakesRest)
{
    QStringList parts = text.split(u'.');
    if (lastTakesRest && parts.size() > count) {
        const QString rest = parts.mid(count - 1).join(u'.');
        parts = parts.mid(0, count - 1);
        parts << rest;
    }
    return parts;
}

// Scheme and the text after its colon, for a URI that starts with prefix.
const SchemeInfo &uriScheme(const QString &uri, const QString &prefix, bool tag, QString &rest)
{
    const QString kind = tag ? QStringLiteral("EPC tag URI") : QStringLiteral("pure-identity URI");
    if (!uri.startsWith(prefix, Qt::CaseInsensitive))
        throw UserError(QStringLiteral("an %1 starts with %2, got \"%3\"").arg(kind, prefix, uri));
    const QString body = uri.mid(prefix.size());
    const qsizetype colon = body.indexOf(u':');
    const QString name = body.left(colon);
    const SchemeInfo *s = tag ? schemeByTagName(name) : schemeByIdName(name);
    if (colon < 0 || !s)
        throw UserError(QStringLiteral("scheme \"%1\" of %2 \"%3\" is not one this tool encodes: %4")
                            .arg(name, kind, uri,
                                 tag ? QStringLiteral("sgtin-96, sscc-96, sgln-96, grai-96 or giai-96")
                                     : QStringLiteral("sgtin, sscc, sgln, grai or giai")));
    rest = body.mid(colon + 1);
    return *s;
}

Gs1Epc fromParts(const SchemeInfo &s, const QStringList &parts, int filter)
{
    Gs1Epc e;
    e.scheme = s.scheme;
    e.filter = filter;
    e.companyPrefix = parts.value(0);
    int next = 1;
    if (s.reference)
        e.reference = parts.value(next++);
    if (s.serial)
        e.serial = parts.value(next++);
    validate(e);
    return e;
}

int fieldCount(const SchemeInfo &s)
{
    return 1 + (s.reference ? 1 : 0) + (s.serial ? 1 : 0);
}

} // namespace

void validate(const Gs1Epc &epc)
{
    checkAll(epc);
}

QByteArray encode(const Gs1Epc &e)
{
    const Fields f = checkAll(e);
    const SchemeInfo &s = schemeInfo(e.scheme);
    BitWriter w;
    w.put(s.header, 8);
    w.put(quint64(e.filter), 3);
    w.put(quint64(f.partition), 3);
    w.put(f.prefix, kCompanyPrefixBits[size_t(f.partition)]);
    if (s.reference)
        w.put(f.reference, s.referenceBits[size_t(f.partition)]);
    if (s.serial)
        w.put(f.serial, serialBits(s, f.partition));
    // SSCC-96 ends in 24 reserved bits, left zero.
    return w.bytes();
}

Gs1Epc parseTagUri(const QString &text)
{
    const QString uri = text.trimmed();
    QString rest;
    const SchemeInfo &s = uriScheme(uri, QStringLiteral("urn:epc:tag:"), true, rest);
    const QStringList parts = splitFields(rest, 1 + fieldCount(s), false);
    if (parts.size() != 1 + fieldCount(s))
        throw UserError(QStringLiteral("an EPC tag URI of %1 has the form urn:epc:tag:%2:%3, got \"%4\"")
                            .arg(label(s), QLatin1String(s.tagName), QLatin1String(s.form), uri));
    const QString &f = parts[0];
    if (f.size() != 1 || f[0] < u'0' || f[0] > u'7')
        throw UserError(QStringLiteral("filter must be 0 to 7, got \"%1\"").arg(f));
    return fromParts(s, parts.mid(1), f[0].unicode() - u'0');
}

Gs1Epc parseIdUri(const QString &text, int filter)
{
    const QString uri = text.trimmed();
    QString rest;
    const SchemeInfo &s = uriScheme(uri, QStringLiteral("urn:epc:id:"), false, rest);
    const QStringList parts = splitFields(rest, fieldCount(s), true);
    if (parts.size() != fieldCount(s)) {
        QString form = QLatin1String(s.form).mid(2); // without "F."
        form.replace(QStringLiteral("(filter."), QStringLiteral("("));
        throw UserError(QStringLiteral("a pure-identity URI of %1 has the form urn:epc:id:%2:%3, got \"%4\"")
                            .arg(label(s), QLatin1String(s.idName), form, uri));
    }
    checkFilter(filter);
    return fromParts(s, parts, filter);
}

int gs1CheckDigit(const QString &digits)
{
    int sum = 0;
    int weight = 3; // the digit next to the check digit weighs 3
    for (qsizetype i = digits.size() - 1; i >= 0; --i, weight = 4 - weight)
        sum += (digits[i].unicode() - u'0') * weight;
    return (10 - sum % 10) % 10;
}

Gs1Epc fromGtin14(const QString &gtinText, int companyPrefixDigits, const QString &serial, int filter)
{
    const QString gtin = gtinText.trimmed();
    if (gtin.size() != 14 || !allDigits(gtin))
        throw UserError(QStringLiteral("GTIN-14 must be 14 digits, got \"%1\"").arg(gtin));
    const int check = gs1CheckDigit(gtin.left(13));
    if (gtin[13].unicode() - u'0' != check)
        throw UserError(QStringLiteral("GTIN-14 %1 has check digit %2, the digits before it need %3")
                            .arg(gtin, QString(gtin[13]))
                            .arg(check));
    if (partitionForPrefixDigits(companyPrefixDigits) < 0)
        throw UserError(
            QStringLiteral("company prefix length must be 6 to 12 digits, got %1").arg(companyPrefixDigits));
    Gs1Epc e;
    e.scheme = Scheme::Sgtin96;
    e.filter = filter;
    e.companyPrefix = gtin.mid(1, companyPrefixDigits);
    // The indicator digit leads the item reference; the check digit is not encoded.
    e.reference = gtin.left(1) + gtin.mid(1 + companyPrefixDigits, 12 - companyPrefixDigits);
    e.serial = serial;
    validate(e);
    return e;
}

QString idUri(const Gs1Epc &e)
{
    const SchemeInfo &s = schemeInfo(e.scheme);
    QString uri = QStringLiteral("urn:epc:id:%1:%2").arg(QLatin1String(s.idName), e.companyPrefix);
    if (s.reference)
        uri += u'.' + e.reference;
    if (s.serial)
        uri += u'.' + e.serial;
    return uri;
}

QString tagUri(const Gs1Epc &e)
{
    const SchemeInfo &s = schemeInfo(e.scheme);
    QString uri =
        QStringLiteral("urn:epc:tag:%1:%2.%3").arg(QLatin1String(s.tagName)).arg(e.filter).arg(e.companyPrefix);
    if (s.reference)
        uri += u'.' + e.reference;
    if (s.serial)
        uri += u'.' + e.serial;
    return uri;
}

Decoded decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        throw UserError(QStringLiteral("EPC is empty: nothing to decode"));
    Decoded raw{std::nullopt, rawUri(bytes), QString(), QString()};
    if (bytes.size() != 12)
        return raw;
    BitReader r(bytes);
    const SchemeInfo *s = schemeByHeader(uint8_t(r.take(8)));
    if (!s)
        return raw;
    Gs1Epc e;
    e.scheme = s->scheme;
    e.filter = int(r.take(3));
    const int p = int(r.take(3));
    if (p > 6)
        return raw;
    const quint64 prefix = r.take(kCompanyPrefixBits[size_t(p)]);
    if (prefix >= powerOfTen(12 - p))
        return raw;
    e.companyPrefix = padded(prefix, 12 - p);
    if (s->reference) {
        const int digits = referenceDigits(*s, p);
        const quint64 ref = r.take(s->referenceBits[size_t(p)]);
        if (ref >= powerOfTen(digits))
            return raw;
        e.reference = padded(ref, digits);
    }
    if (s->serial)
        e.serial = QString::number(r.take(serialBits(*s, p)));
    else if (r.take(kSsccReservedBits) != 0)
        return raw;
    return Decoded{e, tagUri(e), idUri(e), label(*s)};
}

Counter counterOf(const Gs1Epc &e)
{
    const SchemeInfo &s = schemeInfo(e.scheme);
    const int p = checkPrefix(e.companyPrefix);
    if (!s.serial) {
        const int digits = referenceDigits(s, p);
        return Counter{e.reference.toULongLong(), powerOfTen(digits) - 1, QLatin1String(s.reference)};
    }
    return Counter{e.serial.toULongLong(), (quint64(1) << serialBits(s, p)) - 1, QLatin1String(s.serial)};
}

Gs1Epc withCounter(const Gs1Epc &e, quint64 value)
{
    Gs1Epc next = e;
    const SchemeInfo &s = schemeInfo(e.scheme);
    if (s.serial)
        next.serial = QString::number(value);
    else
        next.reference = padded(value, int(e.reference.size()));
    return next;
}

} // namespace epc
