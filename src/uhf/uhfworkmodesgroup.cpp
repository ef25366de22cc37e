#include "uhf/uhfworkmodesgroup.h"

#include "base/clock.h"
#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/errorcodes.h"
#include "protocol/workmodes.h"

#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace
{

using protocol::workmodes::kMaxMode;
using protocol::workmodes::kStatusByte;

// One reading mode: its radio button, its mode (none: the memory sector read, built from the
// fields), and the name its failure line uses.
struct Mode {
    const char *radio;
    QString caption;
    std::optional<protocol::workmodes::Mode> mode;
    QString failName;
};

const Mode kModes[] = {
    {"RadioButton39", QStringLiteral("Active search for EPC number of single card                               "),
     protocol::workmodes::Mode::Single, QStringLiteral("Active search for EPC number of single card")},
    {"RadioButton40", QStringLiteral("Passive reader mode                "), protocol::workmodes::Mode::Passive,
     QStringLiteral("Passive reader mode")},
    {"RadioButton41", QStringLiteral("Active search for EPC number of multiple cards         "),
     protocol::workmodes::Mode::Multiple, QStringLiteral("Active search for EPC number of multiple cards")},
    {"RadioButton42", QStringLiteral("Active read TID number   "), protocol::workmodes::Mode::Tid,
     QStringLiteral("Active read TID number")},
    {"RadioButton43", QStringLiteral("Active read memory sector"), std::nullopt, QString()},
};

// The bytes of a field that must hold exactly bytes of them (throws UserError naming it).
QByteArray checkedField(const QLineEdit *edit, int bytes, const char *what)
{
    return hex::bytesField(edit->text(), QStringLiteral("The %1").arg(QLatin1String(what)), bytes);
}

} // namespace

UhfWorkModesGroup::UhfWorkModesGroup(PageHost &host, QWidget *parent) : QGroupBox(parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox38"));

    usbHidButton = ui::button("Button76", QStringLiteral("Setting"));
    auto *hidLabels = new QVBoxLayout;
    hidLabels->addWidget(ui::label("Label76", QStringLiteral("Switch to USB_ Hid mode:   ")));
    hidLabels->addWidget(ui::label("Label77", QStringLiteral("Switch to USB keyboard output:  ")));
    auto *hidRow = new QHBoxLayout;
    hidRow->addLayout(hidLabels);
    hidRow->addStretch(1);
    hidRow->addWidget(usbHidButton, 0, Qt::AlignVCenter);

    QRadioButton **radios[] = {&singleEpcRadio, &passiveRadio, &multipleEpcRadio, &tidRadio, &memorySectorRadio};
    auto *modes = new QVBoxLayout;
    modes->setSpacing(2);
    for (int i = 0; i < 5; ++i) {
        *radios[i] = ui::radio(kModes[i].radio, kModes[i].caption, i == 0);
        // The captions end in blanks: let the row cut those rather than widen the page.
        (*radios[i])->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        (*radios[i])->setMinimumWidth((*radios[i])->fontMetrics().horizontalAdvance(kModes[i].caption.trimmed()) + 30);
        modes->addWidget(*radios[i]);
    }

    sectorEdit = ui::edit("Edit69", QStringLiteral("03"));
    sectorPasswordEdit = ui::edit("Edit70", QStringLiteral("00 00 00 00"));
    sectorAddressEdit = ui::edit("Edit71", QStringLiteral("00"));
    sectorLengthEdit = ui::edit("Edit72", QStringLiteral("08"));
    auto *fields = new QHBoxLayout;
    const struct {
        const char *label;
        QString text;
        QLineEdit *edit;
        int width;
    } rows[] = {{"Label69", QStringLiteral("Sector  "), sectorEdit, 30},
                {"Label70", QStringLiteral("password"), sectorPasswordEdit, 80},
                {"Label71", QStringLiteral("address   "), sectorAddressEdit, 30},
                {"Label72", QStringLiteral("length   "), sectorLengthEdit, 30}};
    for (const auto &r : rows) {
        fields->addWidget(ui::label(r.label, r.text));
        r.edit->setFixedWidth(r.width);
        fields->addWidget(r.edit);
        fields->addSpacing(6);
    }
    fields->addStretch(1);

    readingModeButton = ui::button("Button75", QStringLiteral("Setting"));
    cardMemoryButton = ui::button("Button77", QStringLiteral("Sector"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(readingModeButton);
    buttons->addWidget(cardMemoryButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(hidRow);
    layout->addSpacing(6);
    layout->addLayout(modes);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    guard::onClick(readingModeButton, [this] { Button75Click(); });
    guard::onClick(usbHidButton, [this] { Button76Click(); });
    guard::onClick(cardMemoryButton, [this] { Button77Click(); });
}

void UhfWorkModesGroup::log(const QString &text)
{
    host_.log(text);
}

QByteArray UhfWorkModesGroup::exchange(const protocol::Request &request)
{
    SerialLine &line = host_.serial();
    if (const QString gone = line.closedBecause(); !gone.isEmpty())
        throw UserError(gone);
    protocol::Exchange record = protocol::serialExchange(request);
    QElapsedTimer clock;
    clock.start();
    // Only a block that arrives after this send answers it; an older one is no reply.
    const quint64 before = line.blocksReceived();
    line.sendBlock(request.bytes);
    waits::waitUntil(request.waitMs, [&] { return line.blocksReceived() != before; });
    record.latencyUs = clock.nsecsElapsed() / 1000;
    QByteArray reply;
    if (line.blocksReceived() != before) {
        reply = line.lastBlock();
        record.reply = reply;
        record.outcome = protocol::Exchange::Outcome::Answered;
    }
    host_.link().record(record);
    // Without its status byte a block is no reply either.
    return protocol::workmodes::status(reply) ? reply : QByteArray();
}

protocol::Request UhfWorkModesGroup::sectorRequest() const
{
    const QByteArray sector = checkedField(sectorEdit, 1, "sector"),
                     password = checkedField(sectorPasswordEdit, 4, "password"),
                     address = checkedField(sectorAddressEdit, 1, "address"),
                     length = checkedField(sectorLengthEdit, 1, "length");
    return protocol::workmodes::memorySector(uint8_t(sector[0]), password, uint8_t(address[0]), uint8_t(length[0]));
}

QString UhfWorkModesGroup::sectorLine(const protocol::Request &request) const
{
    // The fields as typed between the head and the frame's own checksum.
    const QByteArray &f = request.bytes;
    return QStringLiteral("BB 00 C9 00 07 ") + sectorEdit->text() + sectorPasswordEdit->text() +
           sectorAddressEdit->text() + sectorLengthEdit->text() +
           hex::byteText(f.size() >= 2 ? uint8_t(f[f.size() - 2]) : 0) + QStringLiteral("7E");
}

void UhfWorkModesGroup::Button75Click()
{
    const QRadioButton *radios[] = {singleEpcRadio, passiveRadio, multipleEpcRadio, tidRadio, memorySectorRadio};
    int selected = 0;
    for (int i = 0; i < 5; ++i)
        if (radios[i]->isChecked())
            selected = i;
    protocol::Request request{protocol::Family::WorkModes, {}};
    if (kModes[selected].mode) {
        request = protocol::workmodes::readingMode(*kModes[selected].mode);
    } else {
        request = sectorRequest();
        log(sectorLine(request));
    }
    const QByteArray reply = exchange(request);
    if (reply.isEmpty()) {
        log(lineText(stampedCrLf(kNoDataPlain)));
        return;
    }
    const uint8_t s = *protocol::workmodes::status(reply);
    if (s <= kMaxMode) {
        QString name;
        if (s == 0x01)
            name = kModes[0].failName;
        else if (s == 0x00)
            name = kModes[1].failName;
        else if (s == 0x02)
            name = kModes[2].failName;
        else if (s == 0x03 && tidRadio->isChecked())
            name = kModes[3].failName;
        else if (s == 0x03 && memorySectorRadio->isChecked())
            name = QStringLiteral("Active read memory sector");
        log(QStringLiteral("Set ") + name + QStringLiteral(" Success") + QStringLiteral("   ") + timeStamp());
        return;
    }
    log(QStringLiteral("Set ") + kModes[selected].failName + QStringLiteral("false") + QStringLiteral("   ") +
        timeStamp());
    log(falsereason(hex::byteText(s)) + kCrLf);
}

void UhfWorkModesGroup::Button76Click()
{
    const QByteArray reply = exchange(protocol::workmodes::usbHid());
    if (reply.isEmpty()) {
        log(lineText(stampedCrLf(kNoDataPlain)));
        return;
    }
    const uint8_t s = *protocol::workmodes::status(reply);
    if (s == 0x00) {
        log(lineText(stampedCrLf(QStringLiteral("USB_HID setting success   "))));
        // The reader leaves the serial line for USB.
        host_.serial().close();
    } else if (s == 0x01) {
        log(lineText(stamped(QStringLiteral("USB_HID setting false   "))));
        log(falsereason(hex::byteText(s)) + kCrLf);
    } else {
        log(lineText(stampedCrLf(kOtherData)));
    }
}

void UhfWorkModesGroup::Button77Click()
{
    host_.showCardMemory();
}
