#include "uhf/uhfworkmodesgroup.h"

#include "link/errors.h"
#include "link/falsereason.h"
#include "link/hextext.h"
#include "link/replycheck.h"
#include "link/timestamp.h"
#include "link/waits.h"
#include "ui/guard.h"
#include "ui/pagehost.h"
#include "ui/widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cctype>

namespace
{

constexpr int kWaitMs = 300;
// BB, type, command, two length bytes, then the status byte the handlers read.
constexpr int kStatusByte = 5;
constexpr int kMaxMode = 7;

const QString kHidFrame = QStringLiteral("BB 00 C2 00 01 00 C3 7E");
const QString kSectorHead = QStringLiteral("BB 00 C9 00 07 ");

// One reading mode: its radio button, the fixed frame (empty: built from the fields), and
// the name its failure line uses.
struct Mode {
    const char *radio;
    QString caption;
    QString frame;
    QString failName;
};

const Mode kModes[] = {
    {"RadioButton39", QStringLiteral("Active search for EPC number of single card                               "),
     QStringLiteral("BB 00 C1 00 01 01 C3 7E"), QStringLiteral("Active search for EPC number of single card")},
    {"RadioButton40", QStringLiteral("Passive reader mode                "), QStringLiteral("BB 00 C1 00 01 00 C2 7E "),
     QStringLiteral("Passive reader mode")},
    {"RadioButton41", QStringLiteral("Active search for EPC number of multiple cards         "),
     QStringLiteral("BB 00 C1 00 01 02 C4 7E"), QStringLiteral("Active search for EPC number of multiple cards")},
    {"RadioButton42", QStringLiteral("Active read TID number   "), QStringLiteral("BB 00 C1 00 01 03 C5 7E "),
     QStringLiteral("Active read TID number")},
    {"RadioButton43", QStringLiteral("Active read memory sector"), QString(), QString()},
};

// Hex digits and blanks only, exactly bytes pairs of digits.
bool holdsBytes(const QString &text, int bytes)
{
    int digits = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (c.unicode() > 0x7F || !std::isxdigit(c.unicode()))
            return false;
        ++digits;
    }
    return digits == 2 * bytes;
}

QString checkedField(const QLineEdit *edit, int bytes, const char *what)
{
    const QString text = edit->text();
    if (!holdsBytes(text, bytes))
        throw UserError(QStringLiteral("The %1 must be %2 hexadecimal byte%3, not '%4'.")
                            .arg(QLatin1String(what))
                            .arg(bytes)
                            .arg(bytes == 1 ? QString() : QStringLiteral("s"))
                            .arg(text));
    return text;
}

} // namespace

UhfWorkModesGroup::UhfWorkModesGroup(PageHost &host, QWidget *parent) : QGroupBox(parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox38"));

    Button76 = ui::button("Button76", QStringLiteral("Setting"));
    auto *hidLabels = new QVBoxLayout;
    hidLabels->addWidget(ui::label("Label76", QStringLiteral("Switch to USB_ Hid mode:   ")));
    hidLabels->addWidget(ui::label("Label77", QStringLiteral("Switch to USB keyboard output:  ")));
    auto *hidRow = new QHBoxLayout;
    hidRow->addLayout(hidLabels);
    hidRow->addStretch(1);
    hidRow->addWidget(Button76, 0, Qt::AlignVCenter);

    QRadioButton **radios[] = {&RadioButton39, &RadioButton40, &RadioButton41, &RadioButton42, &RadioButton43};
    auto *modes = new QVBoxLayout;
    modes->setSpacing(2);
    for (int i = 0; i < 5; ++i) {
        *radios[i] = ui::radio(kModes[i].radio, kModes[i].caption, i == 0);
        // The captions end in blanks: let the row cut those rather than widen the page.
        (*radios[i])->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        (*radios[i])->setMinimumWidth((*radios[i])->fontMetrics().horizontalAdvance(kModes[i].caption.trimmed()) + 30);
        modes->addWidget(*radios[i]);
    }

    Edit69 = ui::edit("Edit69", QStringLiteral("03"));
    Edit70 = ui::edit("Edit70", QStringLiteral("00 00 00 00"));
    Edit71 = ui::edit("Edit71", QStringLiteral("00"));
    Edit72 = ui::edit("Edit72", QStringLiteral("08"));
    auto *fields = new QHBoxLayout;
    const struct {
        const char *label;
        QString text;
        QLineEdit *edit;
        int width;
    } rows[] = {{"Label69", QStringLiteral("Sector  "), Edit69, 30},
                {"Label70", QStringLiteral("password"), Edit70, 80},
                {"Label71", QStringLiteral("address   "), Edit71, 30},
                {"Label72", QStringLiteral("length   "), Edit72, 30}};
    for (const auto &r : rows) {
        fields->addWidget(ui::label(r.label, r.text));
        r.edit->setFixedWidth(r.width);
        fields->addWidget(r.edit);
        fields->addSpacing(6);
    }
    fields->addStretch(1);

    Button75 = ui::button("Button75", QStringLiteral("Setting"));
    Button77 = ui::button("Button77", QStringLiteral("Sector"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button75);
    buttons->addWidget(Button77);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(hidRow);
    layout->addSpacing(6);
    layout->addLayout(modes);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    guard::onClick(Button75, [this] { Button75Click(); });
    guard::onClick(Button76, [this] { Button76Click(); });
    guard::onClick(Button77, [this] { Button77Click(); });
}

void UhfWorkModesGroup::log(const QString &text)
{
    host_.log(text);
}

QString UhfWorkModesGroup::exchange(const QString &frame)
{
    SerialLine &line = host_.serial();
    if (const QString gone = line.closedBecause(); !gone.isEmpty())
        throw UserError(gone);
    // Only a block that arrives after this send answers it; an older one is no reply.
    const quint64 before = line.blocksReceived();
    line.Send232HEX(frame);
    waits::waitUntil(kWaitMs, [&] { return line.blocksReceived() != before; });
    if (line.blocksReceived() == before)
        return QString();
    const QString reply = line.SerialReplyHex();
    // Without its status byte a block is no reply either.
    return reply.size() < 2 * (kStatusByte + 1) ? QString() : reply;
}

QString UhfWorkModesGroup::sectorFrame() const
{
    const QString fields = checkedField(Edit69, 1, "sector") + checkedField(Edit70, 4, "password") +
                           checkedField(Edit71, 1, "address") + checkedField(Edit72, 1, "length");
    const int sum = hex::adddate(QStringLiteral("00 C9 00 07 ") + fields);
    return kSectorHead + fields + hex::byteText(sum & 0xFF) + QStringLiteral("7E");
}

void UhfWorkModesGroup::Button75Click()
{
    const QRadioButton *radios[] = {RadioButton39, RadioButton40, RadioButton41, RadioButton42, RadioButton43};
    int selected = 0;
    for (int i = 0; i < 5; ++i)
        if (radios[i]->isChecked())
            selected = i;
    QString frame = kModes[selected].frame;
    if (frame.isEmpty()) {
        frame = sectorFrame();
        log(frame);
    }
    const QString reply = exchange(frame);
    if (reply.isEmpty()) {
        log(lineText(stampedCrLf(kNoDataPlain)));
        return;
    }
    const QString s = replyByte(reply, kStatusByte);
    if (s.toInt(nullptr, 16) <= kMaxMode) {
        QString name;
        if (s == QLatin1String("01"))
            name = kModes[0].failName;
        else if (s == QLatin1String("00"))
            name = kModes[1].failName;
        else if (s == QLatin1String("02"))
            name = kModes[2].failName;
        else if (s == QLatin1String("03") && RadioButton42->isChecked())
            name = kModes[3].failName;
        else if (s == QLatin1String("03") && RadioButton43->isChecked())
            name = QStringLiteral("Active read memory sector");
        log(QStringLiteral("Set ") + name + QStringLiteral(" Success") + QStringLiteral("   ") + timeStamp());
        return;
    }
    log(QStringLiteral("Set ") + kModes[selected].failName + QStringLiteral("false") + QStringLiteral("   ") +
        timeStamp());
    log(falsereason(s) + kCrLf);
}

void UhfWorkModesGroup::Button76Click()
{
    const QString reply = exchange(kHidFrame);
    if (reply.isEmpty()) {
        log(lineText(stampedCrLf(kNoDataPlain)));
        return;
    }
    const QString s = replyByte(reply, kStatusByte);
    if (s == QLatin1String("00")) {
        log(lineText(stampedCrLf(QStringLiteral("USB_HID setting success   "))));
        // The reader leaves the serial line for USB.
        host_.serial().Button2Click();
    } else if (s == QLatin1String("01")) {
        log(lineText(stamped(QStringLiteral("USB_HID setting false   "))));
        log(falsereason(s) + kCrLf);
    } else {
        log(lineText(stampedCrLf(kOtherData)));
    }
}

void UhfWorkModesGroup::Button77Click()
{
    host_.showCardMemory();
}
