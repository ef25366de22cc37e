#pragma once

#include "protocol/request.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace protocol
{

// Which frame a command code sits in.
enum class Frame {
    Reader, // body byte 0 of a reader frame
    Module, // the command byte of a UHF-module frame (behind the pass-through, or on the serial line)
};

// Turns the bytes of a command or a reply into words for the trace.
using Describe = QString (*)(const QByteArray &bytes);

// One command of either reader kind.
struct CommandInfo {
    Family family;
    Frame frame;
    uint8_t code;
    int sub;          // the byte after the code that tells commands apart, or -1 for any
    const char *name; // "read blocks"
    int waitMs;       // how long its reply is waited for, the one place this is written
    Describe request; // the parameters after the code (and sub byte)
    Describe reply;   // the whole reply frame (a module frame for module commands)
    WaitRule waitRule = WaitRule::Whole;
};

// Every command of the HF reader, the keyboard-output/UHF reader and its UHF module.
const std::vector<CommandInfo> &commandTable();

// The row of a command, or -1.
int commandRow(Family family, Frame frame, uint8_t code, int sub = -1);
// Every row whose frame and code (and sub byte, where the row has one) match: several
// families share codes (0x82 sets the HF reader's serial number and the keyboard format).
std::vector<int> rowsFor(Frame frame, uint8_t code, int sub);

// A typed call's request: the row of its family's command (its code and sub byte where the
// route puts them) with that row's wait. Every builder makes its requests through it.
Request tableRequest(Family family, QByteArray bytes, Route route = Route::Reader);

// Where the command sits in a frame as it was sent (a module frame when it went on the serial
// line or starts with the module header): its frame kind, code and sub byte, the parameters
// after the code. Reads only the bytes the frame holds.
struct CommandAt {
    Frame frame = Frame::Reader;
    int code = -1; // -1: no command found
    int sub = -1;
    QByteArray params;          // after the code
    bool throughModule = false; // a module frame behind the reader's pass-through
};
CommandAt locateCommand(const QByteArray &sent, bool serialLine);

// Bytes typed by hand (the raw terminal, `rfidctl send`): a whole frame (Route::Raw) or a
// body the link frames (Route::Reader). The row is the one its command matches, -1 when none
// or several do (the trace then names them all); the wait is that of a typed frame.
Request typedRequest(QByteArray bytes, Route route);

// The rows of each family, gathered by commandTable().
const std::vector<CommandInfo> &systemCommands();
const std::vector<CommandInfo> &mifareCommands();
const std::vector<CommandInfo> &ultralightCommands();
const std::vector<CommandInfo> &typeBCommands();
const std::vector<CommandInfo> &iso15693Commands();
const std::vector<CommandInfo> &keyboardCommands();
const std::vector<CommandInfo> &outputDeviceCommands();
const std::vector<CommandInfo> &uhfCommands();
const std::vector<CommandInfo> &wifiCommands();
const std::vector<CommandInfo> &workModeCommands();

} // namespace protocol
