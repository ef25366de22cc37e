#include "ui/serialportline.h"

#include "base/clock.h"
#include "base/errors.h"
#include "base/hex.h"
#include "diag/doctor.h"
#include "diag/processtable.h"
#include "files/places.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "serial/portscan.h"
#include "serial/tcomm.h"

#include <QFileInfo>

namespace
{

// "/dev/ttyUSB0 is open in minicom (pid 4242)."; empty when no other process shows it open.
QString portHolders(const QString &path)
{
    // The processes' open files lead to the device itself, not to a link to it.
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        return {};
    const diag::DoctorOptions options = diag::DoctorOptions::forThisProcess();
    const diag::Holders found = diag::ProcessTable(options.root).holders({device}, options.selfPid);
    QStringList names;
    for (const diag::Process &p : found.byNode.value(device))
        names << (p.name.isEmpty() ? QStringLiteral("process %1").arg(p.pid)
                                   : QStringLiteral("%1 (pid %2)").arg(p.name).arg(p.pid));
    if (names.isEmpty())
        return {};
    return QStringLiteral("%1 is open in %2.").arg(path, names.join(QStringLiteral(", ")));
}

} // namespace

SerialPortLine::SerialPortLine(PageHost &host, QObject *owner) : port(new TComm(owner)), host_(host)
{
    port->setObjectName(QStringLiteral("Comm1"));
    port->setCommName(QStringLiteral("COM1"));
    port->setBaudRate(9600);
    port->setByteSize(TByteSize::_8);
    port->setParity(TParity::None);
    port->setStopBits(TStopBits::_1);
    port->setParityCheck(true);
    port->setOutx_CtsFlow(false);
    port->setOutx_DsrFlow(false);
    port->setDtrControl(TDtrControl::DtrEnable);
    port->setRtsControl(TRtsControl::RtsEnable);
    port->setDsrSensitivity(false);
    port->setOutx_XonXoffFlow(false);
    port->setInx_XonXoffFlow(false);
    port->setTxContinueOnXoff(false);
    port->setXonLimit(500);
    port->setXoffLimit(500);
    port->setXonChar(0x11);
    port->setXoffChar(0x13);
    port->setReplaceWhenParityError(false);
    port->setReplacedChar(0x00);
    port->setIgnoreNullChar(false);
    port->setReadIntervalTimeout(100);
    port->setReadTotalTimeoutMultiplier(0);
    port->setReadTotalTimeoutConstant(0);
    port->setWriteTotalTimeoutMultiplier(0);
    port->setWriteTotalTimeoutConstant(0);
    port->OnReceiveData = [this](TComm *sender, const char *buffer, quint16 length) {
        guard::run([&] { Comm1ReceiveData(sender, buffer, length); });
    };
    port->OnRequestHangup = [this](TComm *) { guard::run([this] { Comm1RequestHangup(); }); };
    port->OnReceiveError = [this](TComm *, quint32 mask) { guard::run([this, mask] { Comm1ReceiveError(mask); }); };
}

SerialPortLine::~SerialPortLine()
{
    // The threads must be gone before the buffers their events fill.
    port->OnReceiveData = nullptr;
    port->OnRequestHangup = nullptr;
    port->OnReceiveError = nullptr;
    port->ClosePort();
}

void SerialPortLine::tellOpen(bool open)
{
    if (openChanged)
        openChanged(open);
}

void SerialPortLine::open()
{
    try {
        port->OpenPort();
    } catch (const ECommsError &e) {
        // A port another program holds: the message names it, after the component's own.
        const QString holders = portHolders(portscan::pathOf(port->CommName()));
        if (holders.isEmpty())
            throw;
        throw UserError(e.message() + QLatin1Char('\n') + holders);
    }
    closedBecause_.clear();
    tellOpen(true);
}

void SerialPortLine::close()
{
    port->ClosePort();
    closedBecause_.clear();
    tellOpen(false);
}

void SerialPortLine::closeQuietly()
{
    try {
        port->ClosePort();
    } catch (...) {
        // Closing the window never reports a failure of the port.
    }
}

void SerialPortLine::sendHexText(const QString &text)
{
    sendBlock(hex::toBytes(text));
}

void SerialPortLine::sendBlock(const QByteArray &bytes)
{
    // The port takes a 16-bit count: a longer block would go out cut, so none of it goes.
    if (bytes.size() > kMaxSendBytes) {
        host_.log(QStringLiteral("Send data too long: %1 bytes, at most %2 bytes are sent at once..   ")
                      .arg(bytes.size())
                      .arg(kMaxSendBytes) +
                  timeStamp());
        return;
    }
    // A closed port or an empty block is refused: nothing is sent and nothing is said.
    port->WritePortData(bytes.constData(), quint16(bytes.size()));
}

void SerialPortLine::Comm1ReceiveData(TComm *, const char *Buffer, quint16 BufferLength)
{
    lastBlock_ = QByteArray(Buffer, BufferLength);
    lastBlockHex_ = hex::fromBytes(lastBlock_);
    ++blocks_;
    host_.log(QStringLiteral("232RX Data..\r") + lastBlockHex_);
    // A handler waiting for this block looks at once.
    waits::notify();
}

void SerialPortLine::Comm1RequestHangup()
{
    if (!port->isOpen())
        return;
    const QString name = portscan::nameOf(port->CommName());
    // An unplugged adapter takes its device node with it; a line whose far end closed keeps
    // it, and the system may have said why.
    QString why = QStringLiteral("the device hung up");
    if (!QFileInfo::exists(portscan::pathOf(port->CommName())))
        why = QStringLiteral("the device was removed");
    else if (port->hangupError() != 0)
        why = files::reasonOf(port->hangupError());
    host_.log(QStringLiteral("Serial port %1 is gone (%2): it is closed..   ").arg(name, why) + timeStamp());
    close();
    closedBecause_ = QStringLiteral("The serial port %1 is closed: it went away (%2). Connect it again and press Open.")
                         .arg(name, why);
    // A handler waiting for a reply need not wait any longer.
    waits::notify();
}

void SerialPortLine::Comm1ReceiveError(quint32 EventMask)
{
    const struct {
        quint32 bit;
        const char *name;
    } kinds[] = {{comm::kErrorParity, "parity"},
                 {comm::kErrorFrame, "framing"},
                 {comm::kErrorOverrun, "overrun"},
                 {comm::kErrorRxOver, "input buffer overflow"},
                 {comm::kErrorBreak, "break"}};
    QStringList seen;
    for (const auto &k : kinds)
        if (EventMask & k.bit)
            seen << QLatin1String(k.name);
    if (!seen.isEmpty())
        host_.log(QStringLiteral("Serial port %1: line error (%2)..   ")
                      .arg(portscan::nameOf(port->CommName()), seen.join(QStringLiteral(", "))) +
                  timeStamp());
}
