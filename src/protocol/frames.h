#pragma once

#include <QByteArray>
#include <cstdint>

// The frames of the USB reader and of the UHF module behind it, as bytes.
namespace frames
{

constexpr int kMaxFrameBytes = 255; // the reader's send buffer
constexpr int kMaxReplyLen = 240;   // a reply frame must fit the 245-byte reply area
constexpr uint8_t kHeader = 0xAA;
constexpr uint8_t kTrailer = 0xBB;
constexpr uint8_t kPassThrough = 0xCE; // the reader hands what follows to its UHF module
constexpr uint8_t kModuleHeader = 0xBB;
constexpr uint8_t kModuleEnd = 0x7E;
// Bytes of a reader frame around its body: header, address, LEN, check byte, trailer.
constexpr int kReaderOverhead = 5;
// Bytes of a module frame around its parameters: header, type, command, two length bytes,
// checksum, end mark.
constexpr int kModuleOverhead = 7;

// AA ADDR LEN BODY XOR BB; XOR folds ADDR, LEN and the body. LEN is one byte: a body over 255
// bytes gives a frame the link refuses to send for its length.
QByteArray hf(uint8_t address, const QByteArray &body);

// The same frame with the pass-through command 0xCE in front of a UHF-module frame.
QByteArray uhf(uint8_t address, const QByteArray &moduleFrame);

// BB 00 CMD PL_HI PL_LO PARAMS CHECKSUM 7E; the checksum is the sum modulo 256 of the bytes
// from the type byte to the last parameter.
QByteArray module(uint8_t command, const QByteArray &params);

// The exclusive-or of bytes first ... last of data (clipped to what it holds).
uint8_t xorOf(const QByteArray &data, qsizetype first, qsizetype last);

// What a reader frame's own fields say about it. A reply is never trusted: every check reads
// only the bytes it holds.
struct ReaderFrameCheck {
    bool header = false;  // byte 0 is 0xAA
    bool length = false;  // LEN + 5 is exactly the frame's size
    bool check = false;   // the check byte folds ADDR ... last body byte
    bool trailer = false; // the last byte is 0xBB
    bool ok() const { return header && length && check && trailer; }
};
ReaderFrameCheck checkReaderFrame(const QByteArray &frame);

// The same for a module frame: header, parameter length, checksum and end mark.
struct ModuleFrameCheck {
    bool header = false;
    bool length = false;
    bool checksum = false;
    bool end = false;
    bool ok() const { return header && length && checksum && end; }
};
ModuleFrameCheck checkModuleFrame(const QByteArray &frame);

// A reply read from the reader cut to its own length: LEN + 5 bytes, never more than were
// read nor more than the 245-byte reply area.
QByteArray cutReply(const QByteArray &reply);

} // namespace frames
