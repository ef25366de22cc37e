#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The keyboard-output format as the command line and profiles write it.
namespace cli::keyboardformat
{

// A name of protocol::keyboard::formats() ("dec10"), custom:N for the custom-length hex output
// of N bytes (1 to 127), or a code (0x00 to 0x10, or 0x81 to 0xFF); nothing for anything else.
std::optional<uint8_t> parse(const QString &text);
// The name of a code, custom:N, or its code as 0xNN.
QString word(uint8_t code);
// The names, for help and completion.
QStringList words();
// What the argument takes, for messages.
QString expected();

} // namespace cli::keyboardformat

#include "protocol/keyboard.h"

namespace cli
{
class Record;
class Session;
namespace keyboardformat
{
// Reads the reader's output format (throws ReaderFailure when it does not say).
protocol::keyboard::FormatReadback readBack(Session &session);
// The read-back as the command line reports it: format, its code and name, the flags.
void report(const protocol::keyboard::FormatReadback &format, Record &record);
} // namespace keyboardformat
} // namespace cli
