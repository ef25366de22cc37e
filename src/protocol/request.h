#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <optional>

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

// How a command spends its wait when no reply of its own comes.
enum class WaitRule {
    Whole,       // the rest of the wait passes unless a reply turns up: the next command finds
                 // the reader done with this one
    TakeReplied, // ends with what the transport brings: nobody but the reply echo looks at it
};

// The wait of a frame typed by hand (the raw terminal, `rfidctl send`).
constexpr int kTypedFrameWaitMs = 300;

// One command ready to send, with what the command table says about it: its row and how long
// its reply is waited for. The builders fill both; a frame typed by hand gets the row its bytes
// match and the wait of a typed frame.
struct Request {
    std::optional<Family> family; // none for a frame typed by hand
    QByteArray bytes;
    Route route = Route::Reader;
    int row = -1; // the command table's row; -1 for a frame typed by hand that matches none
    int waitMs = kTypedFrameWaitMs;
    WaitRule waitRule = WaitRule::Whole;
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
