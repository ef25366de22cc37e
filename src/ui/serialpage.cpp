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

SerialPage::SerialPage(PageHost &host, QWidget *parent) : Page("TabSheet9", host, parent)
{
    ensureBuilt();
}

void SerialPage::build()
{
    setadd = ui::combo("setadd", addressItems(), 0, body());
    setadd->setVisible(false);
    connection = new ConnectionGroup(host(), body());
    workModes = new UhfWorkModesGroup(host(), body());
    terminal = new RawTerminalGroup(host(), body());
    options = new OptionGroups(body());

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(connection);
    layout->addWidget(workModes);
    layout->addWidget(terminal);
    layout->addWidget(options->GroupBox4);
    layout->addWidget(options->GroupBox28);
    layout->addWidget(setadd);
    layout->addStretch(1);

    // The link keeps what every exchange needs; these controls only tell it of a change.
    ReaderLink &link = host().link();
    connect(setadd, &QComboBox::currentIndexChanged, &link, [&link](int index) {
        if (index >= 0)
            link.setAddress(uint8_t(index));
    });
    connect(options->RadioButton4, &QRadioButton::toggled, &link, [&link](bool on) { link.setEcho(on); });
    connect(options->RadioButton18, &QRadioButton::toggled, &link, [&link](bool on) { link.setBigBuzzer(on); });
    ReaderSettings settings = link.settings();
    settings.address = uint8_t(qMax(0, setadd->currentIndex()));
    settings.echo = options->RadioButton4->isChecked();
    settings.bigBuzzer = options->RadioButton18->isChecked();
    link.setSettings(settings);
}

SerialPage::~SerialPage()
{
    delete options;
}
