#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>

// Hex text: conversions between hex text, bytes and numbers, and the fields of hexadecimal
// bytes as people type them. Every reader of hex text in the program tests its digits with
// digitValue(), so that all of them agree on what a hex digit is.
namespace hex
{

// The value of a hex digit (0-9, a-f, A-F), or -1 for any other character.
int digitValue(QChar c);

// Whether text holds at least one character and hex digits only.
bool onlyDigits(QStringView text);

// Keeps 0-9, a-f, A-F in order and case; drops everything else.
QString filter(const QString &text);

// Filtered digits cut to an even count.
QString checkdata(const QString &text);

// The pairs in reverse order, each followed by one blank (no filtering).
QString cdate(const QString &text);

// Bytes of the whole digit pairs of the filtered text.
QByteArray toBytes(const QString &text);

// Upper-case pairs without separators.
QString fromBytes(const QByteArray &bytes);

// One byte as two upper-case digits ("0A"); values above 0xFF keep all their digits.
QString byteText(int value);

// A decimal integer as the framework's conversion reads it: optional blanks and sign, digits.
// Throws UserError "'text' is not a valid integer value".
int StrToInt(const QString &text);

// Like StrToInt, for a hexadecimal number without prefix ("0A"); same error text.
int HexToInt(const QString &text);

// The bytes of a field as people type them: digit pairs, upper or lower case, with blanks,
// commas, colons or hyphens allowed between them ("FF FF", "0a:0b", "E2-00"). Throws UserError
// naming the field and what it expects when the text holds any other character, an unpaired
// digit, or fewer than minBytes or more than maxBytes bytes; nothing of it may then be sent.
QByteArray bytesField(const QString &text, const QString &field, int minBytes, int maxBytes);

// Exactly bytes bytes.
inline QByteArray bytesField(const QString &text, const QString &field, int bytes)
{
    return bytesField(text, field, bytes, bytes);
}

// Exactly one byte.
uint8_t byteField(const QString &text, const QString &field);

} // namespace hex
