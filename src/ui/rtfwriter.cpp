#include "ui/rtfwriter.h"

namespace rtf
{

QByteArray escape(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    bool inRun = false;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const bool wide = u >= 0x80;
        // Each run of \uN escapes sits in its own group: some readers skip the whole word
        // after \uN instead of one fallback character, and a group end stops them.
        if (wide && !inRun)
            out += '{';
        if (!wide && inRun)
            out += '}';
        inRun = wide;
        if (wide) {
            // Each UTF-16 unit on its own, so characters outside the BMP travel as their two
            // surrogates; N is a signed 16-bit number by the format's rule.
            out += "\\u";
            out += QByteArray::number(int(int16_t(u)));
            out += '?';
        } else if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x7F) {
            out += char(u);
        }
        // Other control characters have no place inside a line and are left out.
    }
    if (inRun)
        out += '}';
    return out;
}

QByteArray fromLines(const QStringList &lines, const Font &font)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    out += escape(font.family);
    out += ";}}\n\\pard\\plain\\f0\\fs";
    out += QByteArray::number(qBound(1, font.pointSize, 1638) * 2);
    out += '\n';
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += "\\par\n";
        // The line break after each control word delimits it, so a blank opening a line stays text.
        out += escape(lines[i]);
    }
    out += "}\n";
    return out;
}

} // namespace rtf
