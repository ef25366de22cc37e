#pragma once

#include <QString>

// Frame texts for the USB reader. The result is hex text; SendHex turns it into bytes.
namespace frames {

constexpr int kMaxFrameBytes = 255; // the reader's send buffer
constexpr int kMaxReplyLen = 240;   // a reply frame must fit the 245-byte reply area

// AA ADDR LEN BODY XOR BB. The body's digits are kept as typed (case, odd last digit).
QString hf(const QString &address, const QString &body);

// The same frame with command 0xCE in front of a UHF-module frame.
QString uhf(const QString &address, const QString &body);

// A complete UHF-module frame around a command and its parameters:
// BB 00 CMD LEN_HI LEN_LO PARAMS CHECKSUM 7E.
QString module(int command, const QString &params);

} // namespace frames
