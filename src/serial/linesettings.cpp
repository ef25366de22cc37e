#include "serial/linesettings.h"

#include <climits>
#include <sys/ioctl.h>

namespace comm
{

bool speedCode(quint32 baud, speed_t &code)
{
    static const struct {
        quint32 baud;
        speed_t code;
    } table[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
        {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
        {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
        {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
        {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000}};
    for (const auto &row : table)
        if (row.baud == baud) {
            code = row.code;
            return true;
        }
    return false;
}

void toTermios(const LineSettings &s, termios &t)
{
    // A rate without a code keeps the device's speed: setting failures are not reported.
    speed_t code;
    if (speedCode(s.BaudRate, code)) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
    }

    // A byte stream: no line editing, echo, signals or character translation.
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON |
                           IXOFF | IXANY | IMAXBEL);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    // The receiver on, and the carrier line ignored: the readers do not drive it.
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;

    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[int(s.ByteSize)];
    switch (s.Parity) {
    case TParity::None:
        break;
    case TParity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case TParity::Even:
        t.c_cflag |= PARENB;
        break;
    case TParity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case TParity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // One and a half stop bits is what the UART makes of two with five data bits.
    if (s.StopBits != TStopBits::_1)
        t.c_cflag |= CSTOPB;

    // Errors are marked in the stream and resolved by the read thread (see ReceiveOptions).
    if (s.ParityCheck)
        t.c_iflag |= INPCK | PARMRK;
    if (s.Outx_CtsFlow || s.RtsControl == TRtsControl::RtsHandshake)
        t.c_cflag |= CRTSCTS;
    if (s.Outx_XonXoffFlow)
        t.c_iflag |= IXON;
    if (s.Inx_XonXoffFlow)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = cc_t(s.XonChar);
    t.c_cc[VSTOP] = cc_t(s.XoffChar);

    // The read thread times its blocks itself; a read returns what is there at once.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    // No termios counterpart, so these only live in the settings: DSR output flow control,
    // DSR sensitivity, DTR handshake, continuing to send while XOFF is in force, and the
    // XON/XOFF limits (the driver picks its own thresholds).
}

void applyModemLines(int fd, const LineSettings &s)
{
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    // DTR handshake has no driver support: the line stays raised, as most readers want it.
    ::ioctl(fd, s.DtrControl == TDtrControl::DtrDisable ? TIOCMBIC : TIOCMBIS, &dtr);
    switch (s.RtsControl) {
    case TRtsControl::RtsDisable:
        ::ioctl(fd, TIOCMBIC, &rts);
        break;
    case TRtsControl::RtsHandshake:
        break; // the driver drives RTS (CRTSCTS)
    case TRtsControl::RtsEnable:
    case TRtsControl::RtsTransmissionAvailable: // no toggling on send here: kept raised
        ::ioctl(fd, TIOCMBIS, &rts);
        break;
    }
}

quint32 ReceiveOptions::pack() const
{
    return (marked ? 1u : 0u) | (replace ? 2u : 0u) | (dropNull ? 4u : 0u) | (quint32(quint8(replacement)) << 8);
}

ReceiveOptions ReceiveOptions::unpack(quint32 word)
{
    ReceiveOptions o;
    o.marked = word & 1u;
    o.replace = word & 2u;
    o.dropNull = word & 4u;
    o.replacement = char(quint8(word >> 8));
    return o;
}

ReceiveOptions receiveOptions(const LineSettings &s)
{
    ReceiveOptions o;
    o.marked = s.ParityCheck;
    o.replace = s.ReplaceWhenParityError;
    o.replacement = s.ReplacedChar;
    o.dropNull = s.IgnoreNullChar;
    return o;
}

ReadTiming readTiming(quint32 interval, quint32 multiplier, quint32 constant)
{
    constexpr quint32 kForever = 0xFFFFFFFFu;
    const auto clamp = [](qint64 ms) { return int(qMin<qint64>(ms, INT_MAX)); };
    const bool hasTotal = multiplier != 0 || constant != 0;
    const int total = hasTotal ? clamp(qint64(multiplier) * kReadBufferSize + constant) : -1;

    if (interval == kForever) {
        // "Return what is there": the first byte is awaited (up to the constant when the
        // multiplier is also the maximum), then the block ends at once.
        if (multiplier == kForever && constant != 0 && constant != kForever)
            return {clamp(constant), 0, clamp(constant)};
        // Returning nothing at once would make the read thread spin; it waits instead.
        return {-1, 0, -1};
    }
    // Without an interval a block ends only when full or at the total time-out.
    return {total, interval == 0 ? -1 : clamp(interval), total};
}

} // namespace comm
