#include "ui/serialpage.h"

#include "link/readerlink.h"
#include "pagekit/pagehost.h"
#include "pagekit/widgets.h"
#include "uhf/uhfworkmodesgroup.h"
#include "ui/connectiongroup.h"
#include "ui/optiongroups.h"
#include "ui/rawterminalgroup.h"

#include <QVBoxLayout>

static QStringList addressItems()
{
    QStringList items;
    for (int i = 0; i <= 0x20; ++i)
        items << QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0'));
    return items;
}

SerialPage::SerialPage(PageHost &host, QWidget *parent) : Page("TabSheet9", host, parent) {}

void SerialPage::build()
{
    // The hidden controls start from the link's settings: the page is made on its first show,
    // and a card page may have chosen the device address before that.
    ReaderLink &link = host().link();
    addressList = ui::combo("setadd", addressItems(), link.settings().address, body());
    addressList->setVisible(false);
    connection = new ConnectionGroup(host(), body());
    workModes = new UhfWorkModesGroup(host(), body());
    terminal = new RawTerminalGroup(host(), body());
    options = new OptionGroups(body());

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(connection);
    layout->addWidget(workModes);
    layout->addWidget(terminal);
    layout->addWidget(options->readingStateGroup);
    layout->addWidget(options->buzzerGroup);
    layout->addWidget(addressList);
    layout->addStretch(1);

    options->echoRadio->setChecked(link.settings().echo);
    (link.settings().bigBuzzer ? options->bigBuzzerRadio : options->smallBuzzerRadio)->setChecked(true);

    // The link keeps what every exchange needs; these controls only tell it of a change.
    connect(addressList, &QComboBox::currentIndexChanged, &link, [&link](int index) {
        if (index >= 0)
            link.setAddress(uint8_t(index));
    });
    connect(options->echoRadio, &QRadioButton::toggled, &link, [&link](bool on) { link.setEcho(on); });
    connect(options->bigBuzzerRadio, &QRadioButton::toggled, &link, [&link](bool on) { link.setBigBuzzer(on); });
}

SerialPage::~SerialPage()
{
    delete options;
}
