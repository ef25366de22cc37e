#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Conversions between hex text, bytes, characters and numbers.
namespace hex
{

// The value of a hex digit, or -1 for any other character.
int digitValue(QChar c);

// Keeps 0-9, a-f, A-F in order and case; drops everything else.
QString filter(const QString &text);

// Filtered digits cut to an even count.
QString checkdata(const QString &text);

// The pairs in reverse order, each followed by one blank (no filtering).
QString cdate(const QString &text);

// Characters whose codes the pairs give; throws UserError on a pair that is not hex.
QString Getchr(const QString &text);

// Appends two upper-case digits per character of text (its code in the UTF-8 code page).
void GetAscii(const QString &text, QString &out);

// Sum of all whole pairs of the filtered text, not reduced modulo 256.
int32_t adddate(const QString &text);

// Bytes of the whole digit pairs of the filtered text.
QByteArray toBytes(const QString &text);

// Upper-case pairs without separators.
QString fromBytes(const QByteArray &bytes);

// One byte as two upper-case digits ("0A"); values above 0xFF keep all their digits.
QString byteText(int value);

// Pair k (counted from 0) of a hex text without separators; shorter or empty past the end.
QString pairAt(const QString &hex, int k);

// A decimal integer as the framework's conversion reads it: optional blanks and sign, digits.
// Throws UserError "'text' is not a valid integer value".
int StrToInt(const QString &text);

// Like StrToInt, for a hexadecimal number without prefix ("0A"); same error text.
int HexToInt(const QString &text);

} // namespace hex
