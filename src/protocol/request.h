#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <initializer_list>

namespace protocol
{

// The command families, as the trace and the command line group them.
enum class Family { System, Mifare, Ultralight, TypeB, Iso15693, Keyboard, OutputDevice, Uhf, Wifi, WorkModes };

// How a command travels.
enum class Route {
    Reader,      // a body the link frames for the reader (AA ADDR LEN BODY XOR BB)
    PassThrough, // a UHF-module frame the link puts behind the reader's pass-through command
    Raw,         // a whole frame, sent as it stands
};

// One command ready to send.
struct Request {
    Family family;
    QByteArray bytes;
    Route route = Route::Reader;
};

// Bytes from a list of byte values.
inline QByteArray bytes(std::initializer_list<char> values)
{
    return QByteArray(values.begin(), qsizetype(values.size()));
}

// The name of a family as the trace and the command line show it ("Mifare S50/S70").
QString familyName(Family family);
// The command line's word for it ("mifare").
QString familyWord(Family family);

// Throws UserError when a value handed to a command builder has the wrong size: the pages and
// the command line check their fields first, this keeps a wrong frame from ever being built.
void requireSize(const QByteArray &value, int minBytes, int maxBytes, const char *what);
inline void requireSize(const QByteArray &value, int bytes, const char *what)
{
    requireSize(value, bytes, bytes, what);
}

} // namespace protocol
