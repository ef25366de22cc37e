#include "ui/connectiongroup.h"

#include "base/clock.h"
#include "base/errors.h"
#include "base/hex.h"
#include "diag/doctor.h"
#include "diag/processtable.h"
#include "files/places.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/widgets.h"
#include "serial/portscan.h"
#include "serial/tcomm.h"

#include <QFileInfo>
#include <QGridLayout>

namespace
{
const QString kNone = QStringLiteral("none");
const QString kNoPort = QStringLiteral("No Com Port");

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

ConnectionGroup::ConnectionGroup(PageHost &host, QWidget *parent)
    : QGroupBox(QStringLiteral("Communication information"), parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox1"));

    Comm1 = new TComm(this);
    Comm1->setObjectName(QStringLiteral("Comm1"));
    Comm1->setCommName(QStringLiteral("COM1"));
    Comm1->setBaudRate(9600);
    Comm1->setByteSize(TByteSize::_8);
    Comm1->setParity(TParity::None);
    Comm1->setStopBits(TStopBits::_1);
    Comm1->setParityCheck(true);
    Comm1->setOutx_CtsFlow(false);
    Comm1->setOutx_DsrFlow(false);
    Comm1->setDtrControl(TDtrControl::DtrEnable);
    Comm1->setRtsControl(TRtsControl::RtsEnable);
    Comm1->setDsrSensitivity(false);
    Comm1->setOutx_XonXoffFlow(false);
    Comm1->setInx_XonXoffFlow(false);
    Comm1->setTxContinueOnXoff(false);
    Comm1->setXonLimit(500);
    Comm1->setXoffLimit(500);
    Comm1->setXonChar(0x11);
    Comm1->setXoffChar(0x13);
    Comm1->setReplaceWhenParityError(false);
    Comm1->setReplacedChar(0x00);
    Comm1->setIgnoreNullChar(false);
    Comm1->setReadIntervalTimeout(100);
    Comm1->setReadTotalTimeoutMultiplier(0);
    Comm1->setReadTotalTimeoutConstant(0);
    Comm1->setWriteTotalTimeoutMultiplier(0);
    Comm1->setWriteTotalTimeoutConstant(0);
    Comm1->OnReceiveData = [this](TComm *sender, const char *buffer, quint16 length) {
        guard::run([&] { Comm1ReceiveData(sender, buffer, length); });
    };
    Comm1->OnRequestHangup = [this](TComm *) { guard::run([this] { Comm1RequestHangup(); }); };
    Comm1->OnReceiveError = [this](TComm *, quint32 mask) { guard::run([this, mask] { Comm1ReceiveError(mask); }); };

    Label1 = ui::label("Label1", QStringLiteral("COM port: "));
    ComboBox1 = ui::combo("ComboBox1", {});
    ComboBox1->setMinimumWidth(110);
    Label2 = ui::label("Label2", QStringLiteral("Baud rate:    "));
    ComboBox2 = ui::combo("ComboBox2",
                          {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                           QStringLiteral("57600"), QStringLiteral("115200")},
                          0);
    ComboBox2->setMinimumWidth(110);
    Button1 = ui::button("Button1", QStringLiteral("Open"));
    Button2 = ui::button("Button2", QStringLiteral("Close"));
    // As the window starts: Open disabled, Close enabled, the port closed.
    Button1->setEnabled(false);
    Button2->setEnabled(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(Button1, 0, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    grid->addWidget(Button2, 1, 3);
    grid->setColumnStretch(2, 1);

    // activated: only the user's choice, never the refill of a rescan.
    connect(ComboBox1, &QComboBox::activated, this, [this] { guard::run([this] { ComboBox1Change(); }); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { guard::run([this] { ComboBox2Change(); }); });
    guard::onClick(Button1, [this] { Button1Click(); });
    guard::onClick(Button2, [this] { Button2Click(); });
}

ConnectionGroup::~ConnectionGroup()
{
    // The threads must be gone before the buffers their events fill.
    Comm1->OnReceiveData = nullptr;
    Comm1->OnRequestHangup = nullptr;
    Comm1->OnReceiveError = nullptr;
    Comm1->ClosePort();
}

void ConnectionGroup::GetCom()
{
    ComboBox1->clear();
    firstCom_ = kNone;
    const QStringList ports = portscan::GetPorts();
    ComboBox1->addItems(ports);
    if (!ports.isEmpty())
        firstCom_ = ports.first();
}

void ConnectionGroup::PageControl1Change()
{
    GetCom();
    Comm1->setCommName(portscan::pathOf(firstCom_));
    ComboBox1->setCurrentIndex(ComboBox1->findText(firstCom_));
    if (firstCom_ == kNone) {
        ComboBox1->addItem(kNoPort);
        ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    }
    Comm1->setBaudRate(9600);
}

void ConnectionGroup::ComboBox1Change()
{
    Comm1->setCommName(portscan::pathOf(ComboBox1->currentText()));
    Button2Click();
    Button1Click();
}

void ConnectionGroup::ComboBox2Change()
{
    Comm1->setBaudRate(quint32(hex::StrToInt(ComboBox2->currentText())));
    Button2Click();
    Button1Click();
}

void ConnectionGroup::Button1Click()
{
    try {
        Comm1->OpenPort(); // ECommsError: a message box, the buttons stay as they were
    } catch (const ECommsError &e) {
        // A port another program holds: the message names it, after the component's own.
        const QString holders = portHolders(portscan::pathOf(Comm1->CommName()));
        if (holders.isEmpty())
            throw;
        throw UserError(e.message() + QLatin1Char('\n') + holders);
    }
    closedBecause_.clear();
    Button1->setEnabled(false);
    Button2->setEnabled(true);
}

void ConnectionGroup::Button2Click()
{
    Comm1->ClosePort();
    closedBecause_.clear();
    Button2->setEnabled(false);
    Button1->setEnabled(true);
}

void ConnectionGroup::Send232HEX(const QString &text)
{
    sendBlock(hex::toBytes(text));
}

void ConnectionGroup::sendBlock(const QByteArray &bytes)
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
    Comm1->WritePortData(bytes.constData(), quint16(bytes.size()));
}

void ConnectionGroup::Comm1ReceiveData(TComm *, const char *Buffer, quint16 BufferLength)
{
    lastBlock_ = QByteArray(Buffer, BufferLength);
    serialReplyHex_ = hex::fromBytes(lastBlock_);
    ++blocks_;
    host_.log(QStringLiteral("232RX Data..\r") + serialReplyHex_);
    // A handler waiting for this block looks at once.
    waits::notify();
}

void ConnectionGroup::Comm1RequestHangup()
{
    if (!Comm1->isOpen())
        return;
    const QString name = portscan::nameOf(Comm1->CommName());
    // An unplugged adapter takes its device node with it; a line whose far end closed keeps
    // it, and the system may have said why.
    QString why = QStringLiteral("the device hung up");
    if (!QFileInfo::exists(portscan::pathOf(Comm1->CommName())))
        why = QStringLiteral("the device was removed");
    else if (Comm1->hangupError() != 0)
        why = files::reasonOf(Comm1->hangupError());
    host_.log(QStringLiteral("Serial port %1 is gone (%2): it is closed..   ").arg(name, why) + timeStamp());
    Button2Click();
    closedBecause_ = QStringLiteral("The serial port %1 is closed: it went away (%2). Connect it again and press Open.")
                         .arg(name, why);
    // A handler waiting for a reply need not wait any longer.
    waits::notify();
}

void ConnectionGroup::Comm1ReceiveError(quint32 EventMask)
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
                      .arg(portscan::nameOf(Comm1->CommName()), seen.join(QStringLiteral(", "))) +
                  timeStamp());
}

void ConnectionGroup::FormClose()
{
    try {
        Comm1->ClosePort();
    } catch (...) {
        // Closing the window never reports a failure of the port.
    }
}
