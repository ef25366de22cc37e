#pragma once

#include <QString>

// Counting of EPC numbers written as hexadecimal text.
namespace epcnumber
{

// The EPC number a + step as upper-case hex pairs. In normal order both are big numbers,
// most significant byte first; an overflow adds a byte in front. With reverse the number's
// first byte is its least significant: the step is added there, carries run towards the
// last byte and an overflow appends a byte. The step is always most significant byte first.
// Characters that are not hex digits are dropped first; the shorter text is filled with
// leading zeros, and an odd digit count gets one more, so every byte lines up.
QString hexadd(const QString &a, const QString &step, bool reverse);

} // namespace epcnumber
