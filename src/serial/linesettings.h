#pragma once

#include "serial/commtypes.h"

#include <atomic>
#include <termios.h>

// The component's line settings, with its defaults.
struct LineSettings {
    quint32 BaudRate = 9600;
    bool ParityCheck = false;
    bool Outx_CtsFlow = false;
    bool Outx_DsrFlow = false;
    TDtrControl DtrControl = TDtrControl::DtrEnable;
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = true;
    bool Outx_XonXoffFlow = true;
    bool Inx_XonXoffFlow = true;
    bool ReplaceWhenParityError = false;
    bool IgnoreNullChar = false;
    TRtsControl RtsControl = TRtsControl::RtsEnable;
    quint16 XonLimit = 500;
    quint16 XoffLimit = 500;
    TByteSize ByteSize = TByteSize::_8;
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::_1;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char ReplacedChar = 0x00;
};

struct Timeouts {
    quint32 ReadIntervalTimeout = 100;
    quint32 ReadTotalTimeoutMultiplier = 0;
    quint32 ReadTotalTimeoutConstant = 0;
    quint32 WriteTotalTimeoutMultiplier = 0;
    quint32 WriteTotalTimeoutConstant = 0;
};

namespace comm
{

// The termios speed code of a baud rate; false for a rate the platform has no code for.
bool speedCode(quint32 baud, speed_t &code);

// Rewrites t for the settings: raw byte stream, speed, character format, flow control,
// parity checking. Fields the settings do not cover keep what the device reported.
void toTermios(const LineSettings &s, termios &t);

// Raises or drops DTR and RTS as the settings ask; a device without modem lines (a
// pseudo-terminal) refuses, which is ignored.
void applyModemLines(int fd, const LineSettings &s);

// How the read thread turns what the driver delivers into received bytes. With parity
// checking on, the driver marks a character received with an error as FF 00 c and doubles
// a real FF; the read thread undoes that, replacing c when asked. Null bytes are dropped in
// the read thread too, since the driver cannot.
struct ReceiveOptions {
    bool marked = false;
    bool replace = false;
    char replacement = 0;
    bool dropNull = false;

    quint32 pack() const;
    static ReceiveOptions unpack(quint32 word);
};
ReceiveOptions receiveOptions(const LineSettings &s);

// When a read ends, in milliseconds; -1 is without limit.
struct ReadTiming {
    int first; // the wait for the first byte of a block
    int gap;   // the silence after a byte that ends the block
    int total; // the whole block, counted from the start of the read
};
ReadTiming readTiming(quint32 interval, quint32 multiplier, quint32 constant);

// What the read thread shares with the component: settings that may change while it runs.
struct ReadSettings {
    std::atomic<quint32> interval{100};
    std::atomic<quint32> multiplier{0};
    std::atomic<quint32> constant{0};
    std::atomic<quint32> options{0};
};

} // namespace comm
