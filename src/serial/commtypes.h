#pragma once

#include <QString>
#include <QtGlobal>
#include <stdexcept>

// Values of the serial port component's enumerated properties, in their published order.
enum class TDtrControl { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };
enum class TByteSize { _5, _6, _7, _8 };
enum class TParity { None, Odd, Even, Mark, Space };
enum class TStopBits { _1, _1_5, _2 };

// The failures of OpenPort, each with its fixed message.
class ECommsError : public std::runtime_error
{
public:
    explicit ECommsError(const char *message) : std::runtime_error(message) {}
    QString message() const { return QString::fromLatin1(what()); }
};

namespace comm
{

// The notices the worker threads send to the component's notifier.
enum Notice : int {
    kReceiveData = 0x401,
    kReceiveError = 0x402,
    kRequestHangup = 0x403,
    kModemStateChange = 0x404,
    kSendDataEmpty = 0x405,
};

// Line-error flags of a receive-error event.
constexpr quint32 kErrorRxOver = 0x0001;  // the driver's input buffer overflowed
constexpr quint32 kErrorOverrun = 0x0002; // the UART lost characters
constexpr quint32 kErrorParity = 0x0004;
constexpr quint32 kErrorFrame = 0x0008;
constexpr quint32 kErrorBreak = 0x0010;

// Bits of a modem-state event.
constexpr quint32 kModemCarrierDetect = 0x08;
constexpr quint32 kModemRing = 0x04;

// The read thread's buffer: no received block is longer.
constexpr int kReadBufferSize = 2048;

} // namespace comm
