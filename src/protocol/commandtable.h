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
    Describe request; // the parameters after the code (and sub byte)
    Describe reply;   // the whole reply frame (a module frame for module commands)
};

// Every command of the HF reader, the keyboard-output/UHF reader and its UHF module.
const std::vector<CommandInfo> &commandTable();

// The row of a command, or -1.
int commandRow(Family family, Frame frame, uint8_t code, int sub = -1);
// The row of a request about to be sent, or -1 when nothing in the table matches.
int commandRow(const Request &request);
// Every row whose frame and code (and sub byte, where the row has one) match: several
// families share codes (0x82 sets the HF reader's serial number and the keyboard format).
std::vector<int> rowsFor(Frame frame, uint8_t code, int sub);

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
