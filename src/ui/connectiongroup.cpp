#include "ui/connectiongroup.h"

#include "base/hex.h"
#include "pagekit/guard.h"
#include "pagekit/widgets.h"
#include "serial/portscan.h"
#include "serial/tcomm.h"

#include <QGridLayout>

namespace
{
const QString kNone = QStringLiteral("none");
const QString kNoPort = QStringLiteral("No Com Port");
} // namespace

ConnectionGroup::ConnectionGroup(PageHost &host, QWidget *parent)
    : QGroupBox(QStringLiteral("Communication information"), parent), line_(host, this)
{
    setObjectName(QStringLiteral("GroupBox1"));

    line_.openChanged = [this](bool open) {
        openButton->setEnabled(!open);
        closeButton->setEnabled(open);
    };

    portLabel = ui::label("Label1", QStringLiteral("COM port: "));
    portList = ui::combo("ComboBox1", {});
    portList->setMinimumWidth(110);
    baudRateLabel = ui::label("Label2", QStringLiteral("Baud rate:    "));
    baudRateList = ui::combo("ComboBox2",
                             {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                              QStringLiteral("57600"), QStringLiteral("115200")},
                             0);
    baudRateList->setMinimumWidth(110);
    openButton = ui::button("Button1", QStringLiteral("Open"));
    closeButton = ui::button("Button2", QStringLiteral("Close"));
    // As the window starts: Open disabled, Close enabled, the port closed.
    openButton->setEnabled(false);
    closeButton->setEnabled(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(portLabel, 0, 0);
    grid->addWidget(portList, 0, 1);
    grid->addWidget(openButton, 0, 3);
    grid->addWidget(baudRateLabel, 1, 0);
    grid->addWidget(baudRateList, 1, 1);
    grid->addWidget(closeButton, 1, 3);
    grid->setColumnStretch(2, 1);

    // activated: only the user's choice, never the refill of a rescan.
    connect(portList, &QComboBox::activated, this, [this] { guard::run([this] { ComboBox1Change(); }); });
    connect(baudRateList, &QComboBox::activated, this, [this] { guard::run([this] { ComboBox2Change(); }); });
    guard::onClick(openButton, [this] { Button1Click(); });
    guard::onClick(closeButton, [this] { Button2Click(); });
}

void ConnectionGroup::scanPorts()
{
    portList->clear();
    firstPort_ = kNone;
    const QStringList ports = portscan::GetPorts();
    portList->addItems(ports);
    if (!ports.isEmpty())
        firstPort_ = ports.first();
}

void ConnectionGroup::PageControl1Change()
{
    scanPorts();
    line_.port->setCommName(portscan::pathOf(firstPort_));
    portList->setCurrentIndex(portList->findText(firstPort_));
    if (firstPort_ == kNone) {
        portList->addItem(kNoPort);
        portList->setCurrentIndex(portList->count() - 1);
    }
    line_.port->setBaudRate(9600);
}

void ConnectionGroup::ComboBox1Change()
{
    line_.port->setCommName(portscan::pathOf(portList->currentText()));
    line_.close();
    Button1Click();
}

void ConnectionGroup::ComboBox2Change()
{
    line_.port->setBaudRate(quint32(hex::StrToInt(baudRateList->currentText())));
    line_.close();
    Button1Click();
}

void ConnectionGroup::Button1Click()
{
    line_.open(); // ECommsError: a message box, the buttons stay as they were
}

void ConnectionGroup::Button2Click()
{
    line_.close();
}

void ConnectionGroup::FormClose()
{
    line_.closeQuietly();
}
