#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A small Rich Text writer for the log pane: plain paragraphs, one per line. Every character
// outside printable ASCII is written as \uN (signed 16-bit UTF-16 units, \uc1 with a '?'
// fallback), so the file is pure ASCII and any reader of the format gets the CJK texts back.
namespace rtf
{

struct Font {
    QString family = QStringLiteral("Arial");
    int pointSize = 10;
};

// The document for lines: the header, then one \par between each two lines.
QByteArray fromLines(const QStringList &lines, const Font &font = {});

// One line's text with the format's escapes (no paragraph mark).
QByteArray escape(const QString &text);

} // namespace rtf
