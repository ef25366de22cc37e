#include "ui/serialpage.h"

#include "ui/connectiongroup.h"
#include "ui/optiongroups.h"
#include "ui/rawterminalgroup.h"
#include "ui/widgets.h"
#include "uhf/uhfworkmodesgroup.h"

#include <QVBoxLayout>

static QStringList addressItems()
{
    QStringList items;
    for (int i = 0; i <= 0x20; ++i)
        items << QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0'));
    return items;
}

SerialPage::SerialPage(PageHost &host, QWidget *parent) : Page("TabSheet9", host, parent)
{
    setadd = ui::combo("setadd", addressItems(), 0, body());
    setadd->setVisible(false);
    connection = new ConnectionGroup(host, body());
    workModes = new UhfWorkModesGroup(host, body());
    terminal = new RawTerminalGroup(host, body());
    options = new OptionGroups(body());

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(connection);
    layout->addWidget(workModes);
    layout->addWidget(terminal);
    layout->addWidget(options->GroupBox4);
    layout->addWidget(options->GroupBox28);
    layout->addWidget(setadd);
    layout->addStretch(1);
}

SerialPage::~SerialPage()
{
    delete options;
}
