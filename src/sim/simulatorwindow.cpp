#include "sim/simulatorwindow.h"

#include "protocol/errorcodes.h"
#include "sim/ptyuhfmodule.h"
#include "sim/simulatedreader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{

QString spaced(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QLineEdit *readOnlyField(QWidget *parent, const QString &name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);
    return e;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

// The reader's error codes a trainer can choose, in the order of its error table.
const char *const kFaultCodes[] = {"10", "80", "81", "82", "83", "84", "85", "87", "89", "8A",
                                   "8B", "8C", "8F", "90", "91", "92", "93", "94", "95", "96"};

} // namespace

SimulatorWindow::SimulatorWindow(SimulatedReader &reader, PtyUhfModule *serialModule, QWidget *parent)
    : QWidget(parent), reader_(reader), serial_(serialModule)
{
    setObjectName(QStringLiteral("SimulatorWindow"));
    setWindowTitle(QStringLiteral("Simulated reader (%1)").arg(SimulatedReader::personalityName(reader.personality())));

    auto *layout = new QVBoxLayout(this);
    auto *what = new QLabel(QStringLiteral("<b>%1</b>").arg(reader.description()), this);
    layout->addWidget(what);
    if (reader.personality() == SimulatedReader::Personality::Hf) {
        layout->addWidget(buildHfGroup());
    } else {
        layout->addWidget(buildUhfGroup());
        layout->addWidget(buildFieldGroup());
    }
    layout->addWidget(buildFaultGroup());
    layout->addStretch(1);

    connect(&reader_, &SimulatedReader::changed, this, &SimulatorWindow::refresh);
    if (serial_) // a serial frame may use up an armed fault
        connect(serial_, &PtyUhfModule::frameAnswered, this, &SimulatorWindow::refresh);
    refresh();
}

QWidget *SimulatorWindow::buildUhfGroup()
{
    auto *group = new QGroupBox(QStringLiteral("UHF tag in the field"), this);
    group->setObjectName(QStringLiteral("uhfField"));
    auto *form = new QFormLayout(group);
    epc_ = readOnlyField(group, QStringLiteral("tagEpc"));
    tid_ = readOnlyField(group, QStringLiteral("tagTid"));
    crc_ = readOnlyField(group, QStringLiteral("tagCrc"));
    form->addRow(QStringLiteral("EPC:"), epc_);
    form->addRow(QStringLiteral("TID:"), tid_);
    form->addRow(QStringLiteral("CRC:"), crc_);
    second_ = readOnlyField(group, QStringLiteral("secondTagEpc"));
    form->addRow(QStringLiteral("Second tag:"), second_);

    auto *row = new QHBoxLayout;
    auto *lay = button(group, QStringLiteral("layBlankTag"), QStringLiteral("Lay a blank tag"));
    auto *take = button(group, QStringLiteral("takeTagAway"), QStringLiteral("Take the tag away"));
    row->addWidget(lay);
    row->addWidget(take);
    row->addStretch(1);
    form->addRow(row);

    auto *queueRow = new QHBoxLayout;
    queueCount_ = new QSpinBox(group);
    queueCount_->setObjectName(QStringLiteral("queueCount"));
    queueCount_->setRange(1, 1000);
    queueCount_->setValue(10);
    auto *queue = button(group, QStringLiteral("queueBlankTags"), QStringLiteral("Queue blank tags"));
    auto *clear = button(group, QStringLiteral("clearQueue"), QStringLiteral("Clear queue"));
    queued_ = new QLabel(group);
    queued_->setObjectName(QStringLiteral("queuedTags"));
    queueRow->addWidget(queueCount_);
    queueRow->addWidget(queue);
    queueRow->addWidget(clear);
    queueRow->addWidget(queued_, 1);
    form->addRow(QStringLiteral("After each write:"), queueRow);

    auto *faultRow = new QHBoxLayout;
    tagFault_ = new QComboBox(group);
    tagFault_->setObjectName(QStringLiteral("tagFault"));
    using Fault = UhfModule::TagFault;
    for (const Fault f : {Fault::Locked, Fault::OtherValue, Fault::LeavesOnWrite, Fault::SecondTag, Fault::None})
        tagFault_->addItem(UhfModule::tagFaultText(f), int(f));
    auto *arm = button(group, QStringLiteral("armTagFault"), QStringLiteral("Arm"));
    faultRow->addWidget(tagFault_);
    faultRow->addWidget(arm);
    faultRow->addStretch(1);
    form->addRow(QStringLiteral("Next tag laid:"), faultRow);
    armedTag_ = new QLabel(group);
    armedTag_->setObjectName(QStringLiteral("armedTagFault"));
    form->addRow(QString(), armedTag_);

    followCues_ =
        new QCheckBox(QStringLiteral("Follow a batch's cues: take the written tag away, lay a fresh blank one"), group);
    followCues_->setObjectName(QStringLiteral("followCues"));
    form->addRow(QStringLiteral("Batch:"), followCues_);

    tagLog_ = new QListWidget(group);
    tagLog_->setObjectName(QStringLiteral("tagLog"));
    tagLog_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    tagLog_->setMinimumHeight(tagLog_->fontMetrics().height() * 6);
    form->addRow(QStringLiteral("EPCs written:"), tagLog_);

    workMode_ = new QLabel(group);
    workMode_->setObjectName(QStringLiteral("workMode"));
    workMode_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Serial module:"), workMode_);

    UhfModule &uhf = reader_.uhf();
    connect(lay, &QPushButton::clicked, &uhf, &UhfModule::layBlankTag);
    connect(take, &QPushButton::clicked, &uhf, &UhfModule::takeTagAway);
    connect(queue, &QPushButton::clicked, this, [this] { reader_.uhf().queueBlankTags(queueCount_->value()); });
    connect(clear, &QPushButton::clicked, &uhf, &UhfModule::clearQueue);
    connect(arm, &QPushButton::clicked, this,
            [this] { reader_.uhf().armTagFault(UhfModule::TagFault(tagFault_->currentData().toInt())); });
    connect(followCues_, &QCheckBox::toggled, &uhf, &UhfModule::setFollowsCues);
    return group;
}

QWidget *SimulatorWindow::buildFieldGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Many tags in the field"), this);
    group->setObjectName(QStringLiteral("tagField"));
    auto *layout = new QVBoxLayout(group);
    auto *row = new QHBoxLayout;
    fieldSize_ = new QSpinBox(group);
    fieldSize_->setObjectName(QStringLiteral("fieldSize"));
    fieldSize_->setRange(0, UhfField::kMaxTags);
    fieldSize_->setValue(12);
    auto *fill = button(group, QStringLiteral("fillField"), QStringLiteral("Fill the field"));
    auto *leave = button(group, QStringLiteral("leaveField"), QStringLiteral("Back to one tag"));
    row->addWidget(new QLabel(QStringLiteral("Tags:"), group));
    row->addWidget(fieldSize_);
    row->addWidget(fill);
    row->addWidget(leave);
    row->addStretch(1);
    fieldSummary_ = new QLabel(group);
    fieldSummary_->setObjectName(QStringLiteral("fieldSummary"));
    fieldSummary_->setWordWrap(true);
    fieldTags_ = new QListWidget(group);
    fieldTags_->setObjectName(QStringLiteral("fieldTags"));
    fieldTags_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fieldTags_->setMinimumHeight(fieldTags_->fontMetrics().height() * 8);
    layout->addLayout(row);
    layout->addWidget(fieldSummary_);
    layout->addWidget(fieldTags_);
    connect(fill, &QPushButton::clicked, this, [this] { reader_.uhf().fillField(fieldSize_->value()); });
    connect(leave, &QPushButton::clicked, &reader_.uhf(), &UhfModule::leaveField);
    return group;
}

void SimulatorWindow::showField()
{
    // Rebuilt only when tags change: the window follows every command, and a field is large.
    const UhfModule &m = reader_.uhf();
    if (m.fieldRevision() == shownFieldRevision_)
        return;
    shownFieldRevision_ = m.fieldRevision();
    fieldTags_->clear();
    const UhfField *field = m.field();
    if (!field) {
        fieldSummary_->setText(QStringLiteral("One tag, above. Filled, the field answers each inventory with the "
                                              "tags that win a slot in that round."));
        return;
    }
    fieldSummary_->setText(
        QStringLiteral("%1 tags (seed %2). Access password %3 on tags %4 and %5.")
            .arg(field->size())
            .arg(field->seed())
            .arg(QString::number(UhfField::kAccessPassword, 16).toUpper().rightJustified(8, QLatin1Char('0')))
            .arg(UhfField::kPasswordTag + 1)
            .arg(UhfField::kLockedUserTag + 1));
    for (int i = 0; i < field->size(); ++i) {
        const UhfTag &t = field->tag(i);
        const SimChip &chip = field->chip(i);
        QString line = QStringLiteral("%1  %2  %3 %4, user %5 words")
                           .arg(i + 1, 3)
                           .arg(QString::fromLatin1(t.epc().toHex().toUpper()), -32)
                           .arg(QLatin1String(chip.maker), QLatin1String(chip.model))
                           .arg(t.user.size() / 2);
        if (i == UhfField::kPasswordTag)
            line += QStringLiteral(", reserved bank locked");
        else if (i == UhfField::kLockedEpcTag)
            line += QStringLiteral(", EPC bank permalocked");
        else if (i == UhfField::kLockedUserTag)
            line += QStringLiteral(", user bank locked");
        fieldTags_->addItem(line);
    }
}

QWidget *SimulatorWindow::buildHfGroup()
{
    auto *group = new QGroupBox(QStringLiteral("HF cards in the field"), this);
    group->setObjectName(QStringLiteral("hfField"));
    auto *layout = new QVBoxLayout(group);
    cardsPresent_ = new QCheckBox(QStringLiteral("Cards lie on the reader"), group);
    cardsPresent_->setObjectName(QStringLiteral("cardsPresent"));
    hfCards_ = new QLabel(group);
    hfCards_->setObjectName(QStringLiteral("hfCards"));
    hfCards_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    hfCards_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(cardsPresent_);
    layout->addWidget(hfCards_);
    connect(cardsPresent_, &QCheckBox::toggled, this, [this](bool on) {
        reader_.hf().cardsPresent = on;
        refresh();
    });
    return group;
}

QWidget *SimulatorWindow::buildFaultGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Next command"), this);
    group->setObjectName(QStringLiteral("nextCommand"));
    auto *layout = new QVBoxLayout(group);
    faultCode_ = new QComboBox(group);
    faultCode_->setObjectName(QStringLiteral("faultCode"));
    for (const char *code : kFaultCodes) {
        const QString c = QString::fromLatin1(code);
        faultCode_->addItem(c + QStringLiteral("  ") + falsereason(c), c);
    }
    faultCode_->setCurrentIndex(faultCode_->findData(QStringLiteral("83")));
    auto *row = new QHBoxLayout;
    auto *fail = button(group, QStringLiteral("failNext"), QStringLiteral("Fail with this code"));
    auto *silent = button(group, QStringLiteral("silenceNext"), QStringLiteral("Give no answer"));
    auto *damage = button(group, QStringLiteral("damageNext"), QStringLiteral("Damaged answer"));
    auto *disarm = button(group, QStringLiteral("disarm"), QStringLiteral("Answer normally"));
    row->addWidget(fail);
    row->addWidget(silent);
    row->addWidget(damage);
    row->addWidget(disarm);
    armed_ = new QLabel(group);
    armed_->setObjectName(QStringLiteral("armedFault"));
    layout->addWidget(faultCode_);
    layout->addLayout(row);
    layout->addWidget(armed_);

    connect(fail, &QPushButton::clicked, this,
            [this] { reader_.failNextWith(uint8_t(faultCode_->currentData().toString().toInt(nullptr, 16))); });
    connect(silent, &QPushButton::clicked, &reader_, &SimulatedReader::silenceNext);
    connect(damage, &QPushButton::clicked, &reader_, &SimulatedReader::damageNext);
    connect(disarm, &QPushButton::clicked, this, [this] {
        reader_.faults().clear();
        refresh();
    });
    return group;
}

void SimulatorWindow::refresh()
{
    if (epc_) {
        const auto &tag = reader_.uhf().tag();
        epc_->setText(reader_.uhf().field() ? QStringLiteral("(not answering: the field below does)")
                      : tag                 ? spaced(tag->epc())
                                            : QStringLiteral("(no tag)"));
        tid_->setText(tag ? spaced(tag->tid) : QString());
        crc_->setText(tag ? spaced(tag->crc()) : QString());
        const auto &second = reader_.uhf().secondTag();
        second_->setText(second ? spaced(second->epc()) : QStringLiteral("(none)"));
        const UhfModule::TagFault fault = reader_.uhf().armedTagFault();
        armedTag_->setText(fault == UhfModule::TagFault::None
                               ? QStringLiteral("Armed: nothing, the next tag laid is a good one")
                               : QStringLiteral("Armed: the next tag laid is %1").arg(UhfModule::tagFaultText(fault)));
        followCues_->setChecked(reader_.uhf().followsCues());
        queued_->setText(QStringLiteral("%1 blank tag(s) waiting").arg(reader_.uhf().queuedBlankTags()));
        const QStringList &log = reader_.tagLog();
        if (tagLog_->count() > log.size())
            tagLog_->clear();
        for (int i = tagLog_->count(); i < log.size(); ++i)
            tagLog_->addItem(QStringLiteral("%1  %2").arg(i + 1, 3).arg(log[i]));
        tagLog_->scrollToBottom();
        const UhfModule &m = reader_.uhf();
        QString mode = QStringLiteral("mode %1, USB mode %2")
                           .arg(m.workMode(), 2, 16, QLatin1Char('0'))
                           .arg(m.usbMode(), 2, 16, QLatin1Char('0'));
        if (!m.memorySector().isEmpty())
            mode += QStringLiteral(", sector frame ") + spaced(m.memorySector());
        workMode_->setText(serial_ && serial_->isOpen()
                               ? serial_->devicePath() + QStringLiteral(" (") + mode + QLatin1Char(')')
                               : mode);
        showField();
    }
    if (hfCards_) {
        const HfReader &hf = reader_.hf();
        cardsPresent_->setChecked(hf.cardsPresent);
        QStringList lines;
        lines << QStringLiteral("Mifare S50   UID %1%2")
                     .arg(spaced(hf.mifare.uid), hf.mifare.halted ? QStringLiteral(" (halted)") : QString());
        lines << QStringLiteral("Ultralight   SN  %1").arg(spaced(hf.ultralight.serial()));
        for (const Iso15693Tag &t : hf.iso15693)
            lines << QStringLiteral("ISO15693     UID %1").arg(spaced(t.uidMsbFirst()));
        lines << QStringLiteral("Type B       PUPI %1").arg(spaced(hf.typeB.pupi));
        lines << QStringLiteral("ID card      %1").arg(spaced(hf.idCard.idNumber));
        hfCards_->setText(lines.join(QLatin1Char('\n')));
    }
    const FaultPlan &f = reader_.faults();
    switch (f.armed()) {
    case FaultPlan::Kind::None:
        armed_->setText(QStringLiteral("Armed: nothing, commands are answered normally"));
        break;
    case FaultPlan::Kind::Fail:
        armed_->setText(QStringLiteral("Armed: the next command fails with code %1")
                            .arg(QString::number(f.code(), 16).toUpper().rightJustified(2, QLatin1Char('0'))));
        break;
    case FaultPlan::Kind::Silent:
        armed_->setText(QStringLiteral("Armed: the next command gets no answer"));
        break;
    case FaultPlan::Kind::Damage:
        armed_->setText(QStringLiteral("Armed: the next command gets a damaged answer"));
        break;
    }
}
