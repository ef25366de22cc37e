#include "uhf/outputdevicepage.h"

#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/outputdevice.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <array>
#include <stdexcept>
#include <vector>

namespace
{

using EditMember = QLineEdit *OutputDevicePage::*;
using ButtonMember = QPushButton *OutputDevicePage::*;

enum class Kind {
    Affix,   // the bytes of four fields
    OneByte, // one number field as one byte
    Flags,   // the three output interface flags
    Baud,    // the code of the chosen baud rate
    Literal, // the switch to a virtual serial port: a whole frame of its own
};

// One button of the page: how it is laid out, what it sends and what it reports.
struct Setting {
    const char *button;
    ButtonMember member;
    Kind kind;
    uint8_t code;
    QString ok, fail;
    // The line of the device group: caption of the button, label before and after the input.
    QString caption, label, note;
    // OneByte: the number field.
    struct Field {
        EditMember edit;
        const char *name;
        QString start;
        int base;
    } field;
};

const std::vector<Setting> &settings()
{
    using P = OutputDevicePage;
    static const QString set = QStringLiteral("Setting");
    static const std::vector<Setting> table = {
        {"Button43",
         &P::prefixButton,
         Kind::Affix,
         protocol::output::kPrefix,
         QStringLiteral("Set prefix Success    "),
         QStringLiteral("Set prefix False    "),
         QStringLiteral("Prefix seting"),
         {},
         {},
         {}},
        {"Button50",
         &P::suffixButton,
         Kind::Affix,
         protocol::output::kSuffix,
         QStringLiteral("Suffix setting Success     "),
         QStringLiteral("Suffix setting false     "),
         QStringLiteral("Suffix setting"),
         {},
         {},
         {}},
        {"Button30",
         &P::intervalButton,
         Kind::OneByte,
         protocol::output::kInterval,
         QStringLiteral("search card interval success     "),
         QStringLiteral("search card interval false     "),
         set,
         QStringLiteral("search card interval：   "),
         QStringLiteral("range ：00~255，Unit:10ms               "),
         {&P::intervalEdit, "Edit29", QStringLiteral("10"), 10}},
        {"Button35",
         &P::filterButton,
         Kind::OneByte,
         protocol::output::kFilter,
         QStringLiteral("Set card filter number Success     "),
         QStringLiteral("Set card filter number false     "),
         set,
         QStringLiteral("card filter number：   "),
         QStringLiteral("range  00~255 ,00 output allthe time  "),
         {&P::filterEdit, "Edit35", QStringLiteral("10"), 10}},
        {"Button41",
         &P::interfacesButton,
         Kind::Flags,
         protocol::output::kInterfaces,
         QStringLiteral("output interface setting  Success    "),
         QStringLiteral("output interface setting false     "),
         set,
         QStringLiteral("output interface setting：  "),
         {},
         {}},
        {"Button71",
         &P::usbSerialButton,
         Kind::Literal,
         protocol::output::kUsbSerial,
         QStringLiteral("USB mode switch setting  Success    "),
         QStringLiteral("USB mode switch setting false     "),
         set,
         QStringLiteral("USB mode switch:"),
         QStringLiteral("Switch to USB virtual serial port:      "),
         {}},
        {"Button51",
         &P::baudRateButton,
         Kind::Baud,
         protocol::output::kBaudRate,
         QStringLiteral("Setting baud rate Success     "),
         QStringLiteral("Setting baud rate False     "),
         QStringLiteral("Settting"),
         QStringLiteral("Setting baud rate :      "),
         QStringLiteral("baud rate        "),
         {}},
        {"Button56",
         &P::endSymbolButton,
         Kind::OneByte,
         protocol::output::kEndSymbol,
         QStringLiteral("Serial port end symbol Success     "),
         QStringLiteral("Serial port end symbol false     "),
         set,
         QStringLiteral("Serial port end symbol：   "),
         QStringLiteral("00 none, 01means 0D,  02 means 0D0A "),
         {&P::endSymbolEdit, "Edit37", QStringLiteral("02"), 10}},
        {"Button62",
         &P::rfPowerButton,
         Kind::OneByte,
         protocol::output::kRfPower,
         QStringLiteral("Set RF power Success     "),
         QStringLiteral("Set RF power False     "),
         set,
         QStringLiteral("Set RF power"),
         QStringLiteral("00~11，means 12.5db~30db       "),
         {&P::rfPowerEdit, "Edit52", QStringLiteral("02"), 10}},
        {"Button58",
         &P::wiegandFormatButton,
         Kind::OneByte,
         protocol::output::kWiegandFormat,
         QStringLiteral("Wiegand output format success     "),
         QStringLiteral("Wiegand output format false    "),
         set,
         QStringLiteral("Wiegand output format：   "),
         QStringLiteral("00WG26 01WG34 02WG66 03WG98  "),
         {&P::wiegandFormatEdit, "Edit39", QStringLiteral("00"), 10}},
        {"Button59",
         &P::wiegandPositionButton,
         Kind::OneByte,
         protocol::output::kWiegandPosition,
         QStringLiteral("Set Wiegand value position success     "),
         QStringLiteral("Set Wiegand value position false     "),
         set,
         QStringLiteral("Wiegand value position：   "),
         QStringLiteral("12 bytes card number，place of value           "),
         {&P::wiegandPositionEdit, "Edit40", QStringLiteral("09"), 10}},
        // The two Wiegand timings start at "0A" and give their range as 0x01~0xFF: hexadecimal.
        {"Button60",
         &P::wiegandPulseButton,
         Kind::OneByte,
         protocol::output::kWiegandPulse,
         QStringLiteral("Set wiegand Low level pulse Success     "),
         QStringLiteral("Set wiegand Low level pulse False     "),
         set,
         QStringLiteral("wiegand Low level pulse width"),
         QStringLiteral("(0x01~0xFF) UNIT 10US"),
         {&P::wiegandPulseEdit, "Edit42", QStringLiteral("0A"), 16}},
        {"Button61",
         &P::wiegandIdleButton,
         Kind::OneByte,
         protocol::output::kWiegandIdle,
         QStringLiteral("Set Wiegand Idle level Success     "),
         QStringLiteral("Set Wiegand Idle level fasle     "),
         set,
         QStringLiteral("Wiegand Idle level(0x01~0xFF) Unit 100US        "),
         {},
         {&P::wiegandIdleEdit, "Edit51", QStringLiteral("0A"), 16}},
    };
    return table;
}

const Setting &settingFor(ButtonMember button)
{
    for (const Setting &s : settings())
        if (s.member == button)
            return s;
    throw std::logic_error("no setting belongs to this button");
}

// A number field as one byte; anything that is not a number from 0 to 255 stops the command.
uint8_t byteOf(const QLineEdit &field, int base)
{
    const QString text = field.text();
    const int value = base == 16 ? hex::HexToInt(text) : hex::StrToInt(text);
    if (value < 0 || value > 0xFF)
        throw UserError(QStringLiteral("'%1' is out of range: the value must be from %2 to %3.")
                            .arg(text, base == 16 ? QStringLiteral("00") : QStringLiteral("0"),
                                 base == 16 ? QStringLiteral("FF") : QStringLiteral("255")));
    return uint8_t(value);
}

QLabel *lineLabel(const QString &name, const QString &text)
{
    auto *l = ui::label(name.toLatin1().constData(), text);
    l->setWordWrap(true);
    return l;
}

} // namespace

OutputDevicePage::OutputDevicePage(PageHost &host, QWidget *parent) : Page("TabSheet7", host, parent) {}

void OutputDevicePage::build()
{
    buildAffixGroup();
    buildDeviceGroup();
    for (const Setting &s : settings()) {
        const ButtonMember button = s.member;
        guard::onClick(this->*button, [this, button] { send(button); });
    }
}

void OutputDevicePage::buildAffixGroup()
{
    auto *group = ui::group("GroupBox29", QStringLiteral("Prefix &suffix setting"), body());
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    const struct {
        const char *name;
        QString title;
        std::array<const char *, 4> edits;
        std::array<QString, 4> starts, byteLabels;
        std::array<EditMember, 4> members;
        ButtonMember button;
    } rows[] = {
        {"Label_prefix",
         QStringLiteral("Prefix：   "),
         {"Edit24", "Edit25", "Edit26", "Edit27"},
         {QStringLiteral("30"), QStringLiteral("31"), QStringLiteral("32"), QStringLiteral("33")},
         {QStringLiteral("First byte    "), QStringLiteral("Second byte"), QStringLiteral("the third byte    "),
          QStringLiteral("The fourth byte")},
         {&OutputDevicePage::prefix1Edit, &OutputDevicePage::prefix2Edit, &OutputDevicePage::prefix3Edit,
          &OutputDevicePage::prefix4Edit},
         &OutputDevicePage::prefixButton},
        {"Label_suffix",
         QStringLiteral("Suffix：   "),
         {"Edit44", "Edit45", "Edit46", "Edit47"},
         {QStringLiteral("31"), QStringLiteral("32"), QStringLiteral("33"), QStringLiteral("34")},
         {QStringLiteral("First byte    "), QStringLiteral("Second byte"), QStringLiteral("the third byte    "),
          QStringLiteral("The fourth byte   ")},
         {&OutputDevicePage::suffix1Edit, &OutputDevicePage::suffix2Edit, &OutputDevicePage::suffix3Edit,
          &OutputDevicePage::suffix4Edit},
         &OutputDevicePage::suffixButton},
    };
    int line = 0;
    for (const auto &r : rows) {
        for (int i = 0; i < 4; ++i) {
            const QString labelName = QStringLiteral("%1Label").arg(QLatin1String(r.edits[i]));
            grid->addWidget(ui::label(labelName.toLatin1().constData(), r.byteLabels[i]), line, 1 + i);
            this->*r.members[i] = ui::edit(r.edits[i], r.starts[i]);
            (this->*r.members[i])->setMaximumWidth(60);
            grid->addWidget(this->*r.members[i], line + 1, 1 + i);
        }
        grid->addWidget(ui::label(r.name, r.title), line + 1, 0);
        const Setting &s = settingFor(r.button);
        this->*s.member = ui::button(s.button, s.caption);
        grid->addWidget(this->*s.member, line + 1, 5);
        line += 2;
    }
    grid->setColumnStretch(6, 1);
    auto *layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(group);
}

void OutputDevicePage::buildDeviceGroup()
{
    auto *group = ui::group("GroupBox30", QStringLiteral("915M device information"), body());
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    int line = 0;
    for (const Setting &s : settings()) {
        if (s.kind == Kind::Affix)
            continue;
        const QString name = QLatin1String(s.button);
        grid->addWidget(lineLabel(name + QStringLiteral("Label"), s.label), line, 0);
        switch (s.kind) {
        case Kind::OneByte:
            this->*s.field.edit = ui::edit(s.field.name, s.field.start);
            (this->*s.field.edit)->setFixedWidth(40);
            grid->addWidget(this->*s.field.edit, line, 1);
            break;
        case Kind::Flags: {
            const struct {
                QRadioButton *OutputDevicePage::*open, *OutputDevicePage::*close;
                const char *openName, *closeName;
                QString openText, closeText;
            } pairs[] = {
                {&OutputDevicePage::serialOpenRadio, &OutputDevicePage::serialCloseRadio, "RadioButton23",
                 "RadioButton24", QStringLiteral("serial port open"), QStringLiteral("serial port close")},
                {&OutputDevicePage::wiegandOpenRadio, &OutputDevicePage::wiegandCloseRadio, "RadioButton25",
                 "RadioButton26", QStringLiteral("wiegand open"), QStringLiteral("wiegand close")},
                {&OutputDevicePage::usbOpenRadio, &OutputDevicePage::usbCloseRadio, "RadioButton27", "RadioButton28",
                 QStringLiteral("USB open"), QStringLiteral("USB close")},
            };
            auto *radios = new QGridLayout;
            radios->setVerticalSpacing(0);
            int pairLine = 0;
            for (const auto &p : pairs) {
                this->*p.open = ui::radio(p.openName, p.openText, true);
                this->*p.close = ui::radio(p.closeName, p.closeText);
                // Each pair is a choice of its own.
                auto *pair = new QButtonGroup(group);
                pair->addButton(this->*p.open);
                pair->addButton(this->*p.close);
                radios->addWidget(this->*p.open, pairLine, 0);
                radios->addWidget(this->*p.close, pairLine, 1);
                ++pairLine;
            }
            radios->setColumnStretch(2, 1);
            grid->addLayout(radios, line, 1, 1, 2);
            break;
        }
        case Kind::Baud:
            baudRateList =
                ui::combo("ComboBox20", {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                                         QStringLiteral("57600"), QStringLiteral("115200")});
            // The list takes typed text too; a rate it does not know sends no code.
            baudRateList->setEditable(true);
            baudRateList->setInsertPolicy(QComboBox::NoInsert);
            baudRateList->setCurrentIndex(0);
            baudRateList->setFixedWidth(72);
            grid->addWidget(baudRateList, line, 1);
            break;
        case Kind::Literal:
        case Kind::Affix:
            break;
        }
        if (!s.note.isEmpty())
            grid->addWidget(lineLabel(name + QStringLiteral("Note"), s.note), line, 2);
        this->*s.member = ui::button(s.button, s.caption);
        grid->addWidget(this->*s.member, line, 3, Qt::AlignTop);
        ++line;
    }
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(0, 120);
    auto *layout = qobject_cast<QVBoxLayout *>(body()->layout());
    layout->addWidget(group);
    layout->addStretch(1);
}

protocol::Request OutputDevicePage::requestFor(ButtonMember button) const
{
    namespace out = protocol::output;
    const Setting &s = settingFor(button);
    switch (s.kind) {
    case Kind::Affix: {
        const bool prefix = s.member == &OutputDevicePage::prefixButton;
        const QString affix = prefix ? QStringLiteral("prefix") : QStringLiteral("suffix");
        const std::array fields = prefix ? std::array{prefix1Edit, prefix2Edit, prefix3Edit, prefix4Edit}
                                         : std::array{suffix1Edit, suffix2Edit, suffix3Edit, suffix4Edit};
        // As the labels over the fields call them.
        const char *const ordinals[] = {"first", "second", "third", "fourth"};
        QByteArray bytes;
        for (size_t i = 0; i < fields.size(); ++i)
            bytes += hex::bytesField(fields[i]->text(),
                                     QStringLiteral("The %1 byte of the %2").arg(QLatin1String(ordinals[i]), affix), 0,
                                     out::kMaxAffixBytes);
        if (bytes.size() > out::kMaxAffixBytes)
            throw UserError(QStringLiteral("The %1 holds %2 bytes: at most %3 are sent.")
                                .arg(affix)
                                .arg(bytes.size())
                                .arg(out::kMaxAffixBytes));
        return prefix ? out::prefix(bytes) : out::suffix(bytes);
    }
    case Kind::OneByte:
        return out::byteSetting(s.code, byteOf(*(this->*s.field.edit), s.field.base));
    case Kind::Flags:
        return out::interfaces(serialOpenRadio->isChecked(), wiegandOpenRadio->isChecked(), usbOpenRadio->isChecked());
    case Kind::Baud: {
        const int code = out::baudCode(baudRateList->currentText());
        if (code < 0)
            throw UserError(QStringLiteral("The baud rate must be one of %1, not '%2'.")
                                .arg(out::baudRates().join(QStringLiteral(", ")), baudRateList->currentText()));
        return out::baudRate(uint8_t(code));
    }
    case Kind::Literal:
        return out::usbSerial();
    }
    throw std::logic_error("a setting of no known kind");
}

void OutputDevicePage::send(ButtonMember button)
{
    const Setting &s = settingFor(button);
    const auto r = protocol::ack(host().link().exchange(requestFor(button)).reply);
    report(r, {stampedCrLf(kNoDataPlain), stampedCrLf(s.ok), stamped(s.fail), stampedCrLf(kOtherData)},
           [this](const QString &l) { host().log(l); });
}

void OutputDevicePage::Button43Click()
{
    send(&OutputDevicePage::prefixButton);
}
void OutputDevicePage::Button50Click()
{
    send(&OutputDevicePage::suffixButton);
}
void OutputDevicePage::Button30Click()
{
    send(&OutputDevicePage::intervalButton);
}
void OutputDevicePage::Button35Click()
{
    send(&OutputDevicePage::filterButton);
}
void OutputDevicePage::Button41Click()
{
    send(&OutputDevicePage::interfacesButton);
}
void OutputDevicePage::Button71Click()
{
    send(&OutputDevicePage::usbSerialButton);
}
void OutputDevicePage::Button51Click()
{
    send(&OutputDevicePage::baudRateButton);
}
void OutputDevicePage::Button56Click()
{
    send(&OutputDevicePage::endSymbolButton);
}
void OutputDevicePage::Button62Click()
{
    send(&OutputDevicePage::rfPowerButton);
}
void OutputDevicePage::Button58Click()
{
    send(&OutputDevicePage::wiegandFormatButton);
}
void OutputDevicePage::Button59Click()
{
    send(&OutputDevicePage::wiegandPositionButton);
}
void OutputDevicePage::Button60Click()
{
    send(&OutputDevicePage::wiegandPulseButton);
}
void OutputDevicePage::Button61Click()
{
    send(&OutputDevicePage::wiegandIdleButton);
}
