#include "hf/systempage.h"

#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/system.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <stdexcept>

namespace
{

// What the success of a command prints besides its message.
enum class SystemShows { Message, Address, SerialNumber };

} // namespace

// One row of the command group: the button, the command its fields make, the texts of its
// outcomes.
struct SystemPage::Command {
    QPushButton *SystemPage::*button;
    protocol::Request (SystemPage::*request)() const;
    QString noData;
    QString success;
    QString failure;
    SystemShows shows;
};

namespace
{

const QList<SystemPage::Command> &commands()
{
    using P = SystemPage;
    static const QList<SystemPage::Command> table = {
        {&P::readAddressButton, &P::identityRequest, kNoDataWide, QStringLiteral("系统地址为 : "),
         QStringLiteral("操作失败        "), SystemShows::Address},
        {&P::setAddressButton, &P::addressRequest, kNoDataWide, QStringLiteral("读写器地址设置成功   "),
         QStringLiteral("读写器地址设置失败   "), SystemShows::Message},
        {&P::setBaudRateButton, &P::baudRequest, kNoDataWide, QStringLiteral("波特率设置成功   "),
         QStringLiteral("波特率设置失败   "), SystemShows::Message},
        {&P::readSerialNumberButton, &P::identityRequest, kNoDataHf, QStringLiteral("读序列号成功   "),
         QStringLiteral("读序列号失败   "), SystemShows::SerialNumber},
        {&P::setSerialNumberButton, &P::serialRequest, kNoDataHf, QStringLiteral("机器序列号设置成功   "),
         QStringLiteral("机器序列号设置失败   "), SystemShows::Message},
        {&P::ledButton, &P::ledRequest, kNoDataHf, QStringLiteral("设置LED操作成功   "),
         QStringLiteral("设置LED操作失败   "), SystemShows::Message},
        {&P::ledRButton, &P::ledRRequest, kNoDataHf, QStringLiteral("设置LED-R操作成功   "),
         QStringLiteral("设置LED-R操作失败   "), SystemShows::Message},
        {&P::buzzerButton, &P::buzzerRequest, kNoDataHf, QStringLiteral("设置BUZ操作成功   "),
         QStringLiteral("设置BUZ操作失败   "), SystemShows::Message},
    };
    return table;
}

const SystemPage::Command &command(QPushButton *SystemPage::*button)
{
    for (const SystemPage::Command &c : commands())
        if (c.button == button)
            return c;
    throw std::logic_error("no such command button");
}

// One byte of a field, named in the message by what its label calls it when it is not one.
uint8_t byteOf(const QLineEdit *field, const QString &what)
{
    return hex::byteField(field->text(), what);
}

QLabel *text(const char *name, const QString &caption)
{
    return ui::label(name, caption);
}

} // namespace

SystemPage::SystemPage(PageHost &host, QWidget *parent) : Page("TabSheet4", host, parent) {}

void SystemPage::build()
{
    auto *commandsGroup = ui::group("GroupBox3", QStringLiteral("系统命令"), body());
    baudRateList = ui::named(new QComboBox, "ComboBox5");
    baudRateList->setEditable(true);
    baudRateList->addItems({"9600", "19200", "38400", "57600", "115200"});
    baudRateList->setEditText(QStringLiteral("9600"));
    baudRateList->setToolTip(QStringLiteral("待设置的波特率"));
    addressEdit = ui::edit("Edit4", QStringLiteral("00"));
    addressEdit->setToolTip(QStringLiteral("要设置的新地址 ,十六进制表示。"));
    serialNumberEdit = ui::edit("Edit9", QStringLiteral("FF FF FF FF FF FF FF FF"));
    ledPeriodEdit = ui::edit("Edit30", QStringLiteral("16"));
    ledCountEdit = ui::edit("Edit31", QStringLiteral("03"));
    ledRPeriodEdit = ui::edit("Edit11", QStringLiteral("16"));
    ledRCountEdit = ui::edit("Edit12", QStringLiteral("03"));
    buzzerPeriodEdit = ui::edit("Edit33", QStringLiteral("16"));
    buzzerCountEdit = ui::edit("Edit34", QStringLiteral("03"));
    for (QLineEdit *e :
         {addressEdit, ledPeriodEdit, ledCountEdit, ledRPeriodEdit, ledRCountEdit, buzzerPeriodEdit, buzzerCountEdit})
        e->setFixedWidth(40);
    baudRateList->setFixedWidth(90);
    serialNumberEdit->setFixedWidth(170);

    setBaudRateButton = ui::button("Button12", QStringLiteral("设置"));
    readAddressButton = ui::button("Button4", QStringLiteral("读取"));
    setAddressButton = ui::button("Button11", QStringLiteral("设置"));
    readSerialNumberButton = ui::button("Button14", QStringLiteral("读取"));
    setSerialNumberButton = ui::button("Button13", QStringLiteral("设置"));
    ledButton = ui::button("Button20", QStringLiteral("设置"));
    ledRButton = ui::button("Button23", QStringLiteral("设置"));
    buzzerButton = ui::button("Button21", QStringLiteral("设置"));

    const auto pair = [](const char *periodLabel, QLineEdit *period, const char *countLabel, QLineEdit *count) {
        auto *w = new QWidget;
        auto *l = new QHBoxLayout(w);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(text(periodLabel, QStringLiteral("  周期      ")));
        l->addWidget(period);
        l->addWidget(text(countLabel, QStringLiteral("次数     ")));
        l->addWidget(count);
        l->addStretch(1);
        return w;
    };
    struct Row {
        QLabel *label;
        QWidget *field;
        QLabel *note;
        QPushButton *button;
    } rows[] = {
        {text("Label12", QStringLiteral("设置波特率:      ")), baudRateList,
         text("Label13", QStringLiteral("（要设置的波特率）              ")), setBaudRateButton},
        {text("Label4", QStringLiteral("读取机器ID号:         ")), nullptr, nullptr, readAddressButton},
        {text("Label5", QStringLiteral("重设置机器ID号：    ")), addressEdit,
         text("Label8", QStringLiteral("（范围0~FF）  ")), setAddressButton},
        {text("Label14", QStringLiteral("读取机器的序列号：    ")), nullptr, nullptr, readSerialNumberButton},
        {text("Label15", QStringLiteral("重设置机器序列号：     ")), serialNumberEdit,
         text("Label16", QStringLiteral("8个字节     ")), setSerialNumberButton},
        {text("Label30", QStringLiteral("led的控制：")), pair("Label31", ledPeriodEdit, "Label32", ledCountEdit),
         nullptr, ledButton},
        {text("Label9", QStringLiteral("led-R 的控制：")), pair("Label10", ledRPeriodEdit, "Label11", ledRCountEdit),
         nullptr, ledRButton},
        {text("Label33", QStringLiteral("buzzer的控制：")),
         pair("Label34", buzzerPeriodEdit, "Label35", buzzerCountEdit), nullptr, buzzerButton},
    };
    auto *grid = new QGridLayout(commandsGroup);
    grid->setHorizontalSpacing(6);
    int r = 0;
    for (const Row &row : rows) {
        grid->addWidget(row.label, r, 0);
        if (row.field && row.note) {
            auto *w = new QWidget;
            auto *l = new QHBoxLayout(w);
            l->setContentsMargins(0, 0, 0, 0);
            l->addWidget(row.field);
            l->addWidget(row.note);
            l->addStretch(1);
            grid->addWidget(w, r, 1);
        } else if (row.field) {
            grid->addWidget(row.field, r, 1);
        }
        grid->addWidget(row.button, r, 2);
        ++r;
    }
    grid->setColumnStretch(1, 1);

    auto *modeGroup = ui::group("GroupBox11", QStringLiteral("读卡器硬件状态切换"), body());
    activeReadingButton = ui::button("Button52", QStringLiteral("主动读卡"));
    passiveReadingButton = ui::button("Button53", QStringLiteral("被动读卡"));
    pauseEdit = ui::edit("Edit22", QStringLiteral("100"));
    pauseEdit->setFixedWidth(60);
    auto *modes = new QGridLayout(modeGroup);
    modes->addWidget(text("Label52", QStringLiteral("读卡器硬件状态切换：      ")), 0, 0);
    modes->addWidget(activeReadingButton, 0, 1);
    modes->addWidget(passiveReadingButton, 0, 2);
    modes->addWidget(text("Label22", QStringLiteral("程序等待时间：   ")), 1, 0);
    auto *wait = new QHBoxLayout;
    wait->addWidget(pauseEdit);
    wait->addWidget(text("Label23", QStringLiteral("毫秒（ms）")));
    wait->addStretch(1);
    modes->addLayout(wait, 1, 1, 1, 2);
    modes->setColumnStretch(3, 1);

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(commandsGroup);
    layout->addWidget(modeGroup);
    layout->addStretch(1);

    const struct {
        QPushButton *button;
        void (SystemPage::*handler)();
    } handlers[] = {{setBaudRateButton, &SystemPage::Button12Click},
                    {readAddressButton, &SystemPage::Button4Click},
                    {setAddressButton, &SystemPage::Button11Click},
                    {readSerialNumberButton, &SystemPage::Button14Click},
                    {setSerialNumberButton, &SystemPage::Button13Click},
                    {ledButton, &SystemPage::Button20Click},
                    {ledRButton, &SystemPage::Button23Click},
                    {buzzerButton, &SystemPage::Button21Click},
                    {activeReadingButton, &SystemPage::Button52Click},
                    {passiveReadingButton, &SystemPage::Button53Click}};
    for (const auto &h : handlers)
        guard::onClick(h.button, [this, f = h.handler] { (this->*f)(); });
    connect(pauseEdit, &QLineEdit::textChanged, this, [this] { guard::run([this] { Edit22Change(); }); });
}

protocol::Request SystemPage::identityRequest() const
{
    return protocol::hfsystem::readIdentity();
}

protocol::Request SystemPage::addressRequest() const
{
    return protocol::hfsystem::setAddress(byteOf(addressEdit, QStringLiteral("The new address")));
}

protocol::Request SystemPage::baudRequest() const
{
    const int code = protocol::hfsystem::baudCode(baudRateList->currentText());
    if (code < 0)
        throw UserError(
            QStringLiteral("The baud rate must be one of %1, not '%2'.")
                .arg(protocol::hfsystem::baudRates().join(QStringLiteral(", ")), baudRateList->currentText()));
    return protocol::hfsystem::setBaudRate(uint8_t(code));
}

protocol::Request SystemPage::serialRequest() const
{
    return protocol::hfsystem::setSerialNumber(
        hex::bytesField(serialNumberEdit->text(), QStringLiteral("The serial number"), 8));
}

protocol::Request SystemPage::signalRequest(int which, const QString &name, const QLineEdit *period,
                                            const QLineEdit *count) const
{
    return protocol::hfsystem::signal(protocol::hfsystem::Signal(which),
                                      byteOf(period, QStringLiteral("The %1 period").arg(name)),
                                      byteOf(count, QStringLiteral("The %1 count").arg(name)));
}

protocol::Request SystemPage::ledRequest() const
{
    return signalRequest(protocol::hfsystem::kLed, QStringLiteral("led"), ledPeriodEdit, ledCountEdit);
}

protocol::Request SystemPage::ledRRequest() const
{
    return signalRequest(protocol::hfsystem::kLedR, QStringLiteral("led-R"), ledRPeriodEdit, ledRCountEdit);
}

protocol::Request SystemPage::buzzerRequest() const
{
    return signalRequest(protocol::hfsystem::kBuzzer, QStringLiteral("buzzer"), buzzerPeriodEdit, buzzerCountEdit);
}

void SystemPage::run(const Command &c)
{
    const protocol::Request request = (this->*c.request)();
    ReaderLink &link = host().link();
    if (c.button == &SystemPage::readAddressButton)
        link.clearReply();
    const auto r = protocol::hfsystem::parseIdentity(link.exchange(request).reply);
    const auto log = [this](const QString &line) { host().log(line); };
    const QString address = r.value.address ? hex::byteText(*r.value.address) : QString();
    ReplyTexts texts{stampedCrLf(c.noData), stampedCrLf(c.success), stamped(c.failure), stampedCrLf(kOtherHf)};
    if (c.shows == SystemShows::Address)
        texts.success = stampedCrLf(c.success + address + QStringLiteral("   "));
    if (c.shows == SystemShows::SerialNumber)
        texts.success = stamped(c.success);
    if (!report(r, texts, log) || c.shows != SystemShows::SerialNumber)
        return;
    log(QStringLiteral("地址为：") + address);
    log(QStringLiteral("序列号为：") + hex::fromBytes(r.value.serialNumber) + kCrLf);
}

void SystemPage::Button12Click()
{
    run(command(&SystemPage::setBaudRateButton));
}

void SystemPage::Button4Click()
{
    run(command(&SystemPage::readAddressButton));
}

void SystemPage::Button11Click()
{
    run(command(&SystemPage::setAddressButton));
}

void SystemPage::Button14Click()
{
    run(command(&SystemPage::readSerialNumberButton));
}

void SystemPage::Button13Click()
{
    run(command(&SystemPage::setSerialNumberButton));
}

void SystemPage::Button20Click()
{
    run(command(&SystemPage::ledButton));
}

void SystemPage::Button23Click()
{
    run(command(&SystemPage::ledRButton));
}

void SystemPage::Button21Click()
{
    run(command(&SystemPage::buzzerButton));
}

// The mode switches do not look at the answer: the reply echo alone shows it.
void SystemPage::Button52Click()
{
    host().link().exchange(protocol::hfsystem::readingMode(true));
}

void SystemPage::Button53Click()
{
    host().link().exchange(protocol::hfsystem::readingMode(false));
}

void SystemPage::Edit22Change()
{
    bool valid = true;
    try {
        valid = hex::StrToInt(pauseEdit->text()) >= 0;
    } catch (const UserError &) {
        valid = false;
    }
    // Setting the text fires the check again, and "100" passes.
    if (!valid) {
        pauseEdit->setText(QStringLiteral("100"));
        return;
    }
    // Every repeat loop reads its pause from the link's settings.
    host().link().setHfPauseMs(pauseMs());
}

int SystemPage::pauseMs() const
{
    return hex::StrToInt(pauseEdit->text());
}
