#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Fields of hexadecimal bytes as people type them: digit pairs, upper or lower case, with
// blanks, commas, colons or hyphens allowed between them ("FF FF", "0a:0b", "E2-00").
namespace hex
{

// The bytes of field text. Throws UserError naming the field and what it expects when the
// text holds any other character, an unpaired digit, or fewer than minBytes or more than
// maxBytes bytes; nothing of it may then be sent.
QByteArray bytesField(const QString &text, const QString &field, int minBytes, int maxBytes);

// Exactly bytes bytes.
inline QByteArray bytesField(const QString &text, const QString &field, int bytes)
{
    return bytesField(text, field, bytes, bytes);
}

// Exactly one byte.
uint8_t byteField(const QString &text, const QString &field);

} // namespace hex
