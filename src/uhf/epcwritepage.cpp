#include "uhf/epcwritepage.h"

#include "base/errors.h"
#include "base/hex.h"
#include "epc/epcnumber.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/uhf.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace
{

const QString kNoCard = QStringLiteral("The card is not exist..!   ");
const QString kEpcIs = QStringLiteral("the epc is: ");
const QString kWritten = QStringLiteral("Write Card Success,The card number is : ");
const QString kBadNumber =
    QStringLiteral("The card number needs a multiple of 4 hexadecimal digits, 4 to 124: nothing written   ");
const QString kBadStep = QStringLiteral("The step needs hexadecimal digits only: nothing written   ");
const QString kAutomatic = QStringLiteral("Automatic card");
const QString kStop = QStringLiteral("Stop card");

// Readsnr and Read show at most the first 12 bytes of an EPC.
constexpr int kShownEpcBytes = 12;

// The bytes of a field that must hold exactly bytes of them (throws UserError naming the
// field as its label says).
QByteArray bytesOf(const QLineEdit *field, const char *what, int bytes)
{
    return hex::bytesField(field->text(), QLatin1String(what), bytes);
}

} // namespace

EpcWritePage::EpcWritePage(PageHost &host, QWidget *parent) : Page("TabSheet8", host, parent) {}

void EpcWritePage::build()
{
    auto *layout = new QVBoxLayout(body());
    layout->addWidget(buildModeGroup());
    layout->addWidget(buildWriteGroup());
    layout->addStretch(1);

    readEpcEdit = ui::edit("Edit53", QStringLiteral("E2 00 51 28 93 0D 01 14 17 40 11 22"), body());
    foundEpcEdit = ui::edit("Edit60", QString(), body());
    writtenEpcEdit = ui::edit("epcbuf", QStringLiteral("epcbuf"), body());
    for (QLineEdit *hidden : {readEpcEdit, foundEpcEdit, writtenEpcEdit})
        hidden->setVisible(false);

    guard::onClick(setModeButton, [this] { Button69Click(); });
    guard::onClick(sectorButton, [this] { Button72Click(); });
    guard::onClick(readsnrButton, [this] { Button65Click(); });
    guard::onClick(readButton, [this] { Button67Click(); });
    guard::onClick(writeButton, [this] { Button66Click(); });
    guard::onClick(clearButton, [this] { Button70Click(); });
    // Every change of the box, by the user or by code, runs the handler.
    connect(automaticBox, &QCheckBox::toggled, this, [this] { guard::run([this] { CheckBox20Click(); }); });
}

QGroupBox *EpcWritePage::buildModeGroup()
{
    auto *group = ui::group("GroupBox36", QStringLiteral("Reader mode switch"), body());
    singleCardRadio = ui::radio(
        "RadioButton30", QStringLiteral("Active search for EPC number of single card                        "), true);
    passiveRadio = ui::radio("RadioButton31", QStringLiteral("Passive reader mode          "));
    multipleCardsRadio =
        ui::radio("RadioButton32", QStringLiteral("Active search for EPC number of multiple cards     "));
    tidRadio = ui::radio("RadioButton33", QStringLiteral("Active read TID number   "));
    memorySectorRadio = ui::radio("RadioButton36", QStringLiteral("Active read memory sector"));
    sectorEdit = ui::edit("Edit65", QStringLiteral("03"));
    sectorPasswordEdit = ui::edit("Edit66", QStringLiteral("00 00 00 00"));
    sectorAddressEdit = ui::edit("Edit67", QStringLiteral("00"));
    sectorLengthEdit = ui::edit("Edit68", QStringLiteral("08"));
    setModeButton = ui::button("Button69", QStringLiteral("Set"));
    sectorButton = ui::button("Button72", QStringLiteral("Sector"));

    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(3);
    int row = 0;
    for (QRadioButton *b : {singleCardRadio, passiveRadio, multipleCardsRadio, tidRadio})
        grid->addWidget(b, row++, 0, 1, 4);
    grid->addWidget(memorySectorRadio, row++, 0, 1, 4);
    const struct {
        const char *label;
        QString text;
        QLineEdit *edit;
        int width;
    } fields[] = {{"Label65", QStringLiteral("Sector  "), sectorEdit, 36},
                  {"Label66", QStringLiteral("password"), sectorPasswordEdit, 96},
                  {"Label67", QStringLiteral("address   "), sectorAddressEdit, 36},
                  {"Label68", QStringLiteral("length   "), sectorLengthEdit, 36}};
    for (int i = 0; i < 4; ++i) {
        auto *cell = new QHBoxLayout;
        cell->setSpacing(6);
        cell->addWidget(ui::label(fields[i].label, fields[i].text));
        fields[i].edit->setFixedWidth(fields[i].width);
        cell->addWidget(fields[i].edit);
        cell->addStretch(1);
        grid->addLayout(cell, row + i / 2, (i % 2) * 2, 1, 2);
    }
    row += 2;
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(setModeButton);
    buttons->addWidget(sectorButton);
    grid->addLayout(buttons, row, 0, 1, 4);
    return group;
}

QGroupBox *EpcWritePage::buildWriteGroup()
{
    auto *group = ui::group("GroupBox35", QStringLiteral("Write EPC card number"), body());
    cardNumberEdit = ui::edit("Edit54", QStringLiteral("000000000000000000000001"));
    plusRadio = ui::radio("Forward", QStringLiteral("Plus"), true);
    reverseRadio = ui::radio("reverse", QStringLiteral("Reverse addition"));
    stepEdit = ui::edit("Edit62", QStringLiteral("1"));
    accessPasswordEdit = ui::edit("Edit63", QStringLiteral("00 00 00 00"));
    waitingTimeEdit = ui::edit("Edit61", QStringLiteral("2"));
    readsnrButton = ui::button("Button65", QStringLiteral("Readsnr"));
    readButton = ui::button("Button67", QStringLiteral("Read"));
    writeButton = ui::button("Button66", QStringLiteral("Write"));
    automaticBox = ui::checkBox("CheckBox20", kAutomatic);
    clearButton = ui::button("Button70", QStringLiteral("Clear interface"));

    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(5);
    grid->addWidget(cardNumberEdit, 0, 0, 1, 4);
    auto *order = new QHBoxLayout;
    order->addWidget(plusRadio);
    order->addWidget(reverseRadio);
    order->addStretch(1);
    grid->addLayout(order, 1, 0, 1, 4);

    auto *stepRow = new QHBoxLayout;
    stepRow->setSpacing(6);
    stepRow->addWidget(ui::label("Label62", QStringLiteral("Starting position")));
    stepEdit->setFixedWidth(60);
    stepRow->addWidget(stepEdit);
    stepRow->addStretch(1);
    grid->addLayout(stepRow, 2, 0, 1, 4);

    auto *passwordRow = new QHBoxLayout;
    passwordRow->setSpacing(6);
    passwordRow->addWidget(ui::label("Label63", QStringLiteral("Access password(Hexadecimal):   ")));
    accessPasswordEdit->setFixedWidth(96);
    passwordRow->addWidget(accessPasswordEdit);
    passwordRow->addStretch(1);
    grid->addLayout(passwordRow, 3, 0, 1, 4);

    auto *waitRow = new QHBoxLayout;
    waitRow->setSpacing(6);
    waitRow->addWidget(ui::label("Label61", QStringLiteral("Waiting time for card writing:   ")));
    waitingTimeEdit->setFixedWidth(60);
    waitRow->addWidget(waitingTimeEdit);
    waitRow->addWidget(ui::label("Label69", QStringLiteral("millisecon     ")));
    waitRow->addStretch(1);
    grid->addLayout(waitRow, 4, 0, 1, 4);

    grid->addWidget(readsnrButton, 5, 0);
    grid->addWidget(readButton, 5, 1);
    grid->addWidget(writeButton, 5, 2);
    grid->addWidget(automaticBox, 5, 3);
    grid->addWidget(clearButton, 6, 0);
    return group;
}

void EpcWritePage::log(const QString &text)
{
    host().log(text);
}

void EpcWritePage::Button69Click()
{
    namespace uhf = protocol::uhf;
    const struct {
        QRadioButton *button;
        uhf::ReaderMode mode;
        QString name;
    } modes[] = {
        {singleCardRadio, uhf::ReaderMode::Single, QStringLiteral("Active search for EPC number of single card")},
        {passiveRadio, uhf::ReaderMode::Passive, QStringLiteral("Passive reader mode")},
        {multipleCardsRadio, uhf::ReaderMode::Multiple,
         QStringLiteral("Active search for EPC number of multiple cards")},
        {tidRadio, uhf::ReaderMode::Tid, QStringLiteral("Active read TID number ")}};
    std::optional<protocol::Request> request;
    QString name;
    for (const auto &m : modes)
        if (m.button->isChecked()) {
            request = uhf::readerMode(m.mode);
            name = m.name;
        }
    if (memorySectorRadio->isChecked()) {
        // Sector, password, address and length as the reader takes them: 1, 4, 1 and 1 bytes.
        const QByteArray sector = bytesOf(sectorEdit, "The sector", 1),
                         password = bytesOf(sectorPasswordEdit, "The password", 4),
                         address = bytesOf(sectorAddressEdit, "The address", 1),
                         length = bytesOf(sectorLengthEdit, "The length", 1);
        request = uhf::memorySectorMode(uint8_t(sector[0]), password, uint8_t(address[0]), uint8_t(length[0]));
    }
    if (!request)
        return; // a group of radio buttons always has one selected
    const auto r = protocol::ack(host().link().exchange(*request).reply);
    report(r,
           {stampedCrLf(kNoDataUhf), stamped(QStringLiteral("Set  ") + name + QStringLiteral(" Success ") + "   "),
            stamped(QStringLiteral("Set ") + name + QStringLiteral("False") + "   "), stampedCrLf(kOtherSum)},
           [this](const QString &l) { log(l); });
}

void EpcWritePage::Button72Click()
{
    host().showCardMemory();
}

QByteArray EpcWritePage::readsnr()
{
    namespace uhf = protocol::uhf;
    const QByteArray module = uhf::moduleFrame(host().link().exchange(uhf::inventory()).reply);
    if (module.size() == uhf::kNoTagFrameBytes) {
        log(lineText(stampedCrLf(kNoCard)));
        return {};
    }
    if (module.isEmpty())
        log(lineText(stampedCrLf(kNoDataUhf)));
    if (module.size() <= 10)
        return {};
    // A tag with a shorter EPC is shown without the CRC and closing bytes behind it.
    const auto tag = uhf::parseInventory(module);
    const QByteArray epc = tag ? tag->epc.left(kShownEpcBytes) : module.mid(8, kShownEpcBytes);
    log(kEpcIs + hex::fromBytes(epc));
    return epc;
}

void EpcWritePage::Button65Click()
{
    readsnr();
}

void EpcWritePage::Button67Click()
{
    namespace uhf = protocol::uhf;
    const QByteArray epc = readsnr();
    if (epc.isEmpty())
        return; // no tag to select
    readEpcEdit->setText(hex::fromBytes(epc));
    ReaderLink &link = host().link();
    // The select goes to the reader as it is, without the pass-through command around it.
    protocol::Request select = uhf::select(epc);
    select.route = protocol::Route::Raw;
    link.exchange(select);
    link.exchange(uhf::readEpcBank());
}

QByteArray EpcWritePage::accessPassword() const
{
    return bytesOf(accessPasswordEdit, "The access password", protocol::uhf::kPasswordBytes);
}

void EpcWritePage::Button66Click()
{
    namespace uhf = protocol::uhf;
    const QString number = hex::filter(cardNumberEdit->text());
    cardNumberEdit->setText(number);
    // The EPC memory takes whole words: the write counts them, and a number with a half
    // word left over could not be written as it is.
    if (number.isEmpty() || number.size() % 4 != 0 || number.size() > 2 * uhf::kMaxEpcBytes) {
        log(lineText(stampedCrLf(kBadNumber)));
        return;
    }
    // Checked before anything is written: a step that cannot count on would give the next
    // tag the same number.
    const QString step = stepEdit->text();
    if (!hex::onlyDigits(step) || step.size() > 2 * uhf::kMaxEpcBytes) {
        log(lineText(stampedCrLf(kBadStep)));
        return;
    }
    const QByteArray password = accessPassword();

    ReaderLink &link = host().link();
    const QByteArray module = uhf::moduleFrame(link.exchange(uhf::inventory()).reply);
    if (module.size() == uhf::kNoTagFrameBytes) {
        log(lineText(stamped(kNoCard)));
        return;
    }
    const auto tag = uhf::parseInventory(module);
    if (!tag) {
        // Empty, or too short for the EPC it announces.
        log(lineText(stampedCrLf(kNoDataUhf)));
        return;
    }
    const QString found = hex::fromBytes(tag->epc);
    foundEpcEdit->setText(found);
    if (writtenEpcEdit->text() == found)
        return; // the tag written last is still in the field

    link.exchange(uhf::select(tag->epc));
    const QByteArray written =
        uhf::moduleFrame(link.exchange(uhf::writeEpc(password, tag->crc, hex::toBytes(number))).reply);
    if (written.isEmpty()) {
        log(lineText(stampedCrLf(kNoDataUhf)));
        log(lineText(stampedCrLf(kOtherSum)));
        return;
    }
    // A module error frame (FF) or any other reply leaves the number for the next attempt.
    if (!uhf::writeConfirmed(written))
        return;
    // The number written, not what the field may hold after the waits.
    log(kWritten + number);
    writtenEpcEdit->setText(number);
    cardNumberEdit->setText(epcnumber::hexadd(number, step, reverseRadio->isChecked()));
}

int EpcWritePage::loopPauseMs() const
{
    const int ms = hex::StrToInt(waitingTimeEdit->text());
    if (ms < 0 || ms > kMaxLoopPauseMs)
        throw UserError(QStringLiteral("The waiting time must be from 0 to %1 milliseconds, not '%2'.")
                            .arg(kMaxLoopPauseMs)
                            .arg(waitingTimeEdit->text()));
    return ms;
}

RepeatBox EpcWritePage::automaticLoop()
{
    RepeatBox loop{[this] { Button66Click(); }, [this] { return loopPauseMs(); }, kLoopExtraMs, RepeatBox::Wait::Plain};
    loop.log = [this](const QString &line) { log(line); };
    loop.name = QStringLiteral("Automatic writing");
    loop.tickedCaption = kStop;
    loop.untickedCaption = kAutomatic;
    loop.untickOnError = true; // the box must not go on saying "Stop card"
    return loop;
}

void EpcWritePage::CheckBox20Click()
{
    repeatBoxChanged(automaticBox, host().link(), automaticLoop());
}

void EpcWritePage::Button70Click()
{
    host().clearLog();
}
