#include "epc/uricheck.h"

#include "base/errors.h"

namespace epc
{
namespace
{

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isUriHexDigit(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Unreserved characters and the delimiters; brackets, which only an IP literal in the
// authority may use, are checked apart.
bool isUriChar(QChar c)
{
    static const QString marks = QStringLiteral("-._~:/?#@!$&'()*+,;=");
    return isAsciiLetter(c) || isDigit(c) || marks.contains(c);
}

// Why text is no absolute URI, or an empty text.
QString uriFault(const QString &text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon <= 0 || !isAsciiLetter(text[0]))
        return QStringLiteral("it does not start with a scheme and a colon");
    for (qsizetype i = 1; i < colon; ++i)
        if (!isAsciiLetter(text[i]) && !isDigit(text[i]) && text[i] != u'+' && text[i] != u'-' && text[i] != u'.')
            return QStringLiteral("its scheme \"%1\" has '%2'").arg(text.left(colon), QString(text[i]));
    if (colon + 1 == text.size())
        return QStringLiteral("nothing follows the scheme");
    // An IP literal such as [::1] may stand in the authority, that is after // up to the path.
    qsizetype authorityEnd = colon + 1;
    if (text.mid(colon + 1, 2) == QLatin1String("//")) {
        authorityEnd = colon + 3;
        while (authorityEnd < text.size() && text[authorityEnd] != u'/' && text[authorityEnd] != u'?' &&
               text[authorityEnd] != u'#')
            ++authorityEnd;
    }
    int fragments = 0;
    for (qsizetype i = colon + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%') {
            if (i + 2 >= text.size() || !isUriHexDigit(text[i + 1]) || !isUriHexDigit(text[i + 2]))
                return QStringLiteral("'%' at position %1 does not start an escape of two hex digits, such as ")
                           .arg(i + 1) +
                       QLatin1String("%20");
            i += 2;
            continue;
        }
        if ((c == u'[' || c == u']') && i < authorityEnd)
            continue;
        if (c == u'#' && ++fragments > 1)
            return QStringLiteral("it has a second '#' at position %1").arg(i + 1);
        if (!isUriChar(c) || c == u'[' || c == u']')
            return QStringLiteral("'%1' at position %2 is no character of a URI; escape it (a blank is ")
                       .arg(c.isPrint() ? QString(c) : QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')),
                            QString::number(i + 1)) +
                   QLatin1String("%20)");
    }
    return {};
}

} // namespace

void checkUri(const QString &text, const QString &what)
{
    if (text.isEmpty())
        throw UserError(
            QStringLiteral("%1 is empty: it takes a URI such as urn:epc:id:sgln:0614141.07346.1234").arg(what));
    const QString fault = uriFault(text);
    if (!fault.isEmpty())
        throw UserError(QStringLiteral("%1 must be a URI such as urn:epc:id:sgln:0614141.07346.1234, not \"%2\": %3")
                            .arg(what, text, fault));
}

} // namespace epc
