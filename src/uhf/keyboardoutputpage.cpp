#include "uhf/keyboardoutputpage.h"

#include "base/clock.h"
#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/keyboard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace
{

constexpr int kCustomLength = -1; // hexadecimal output: the code comes from the byte count

struct Format {
    const char *button;
    QString caption;
    int code;
};

const QVector<Format> &formatTable()
{
    static const QVector<Format> table = {
#include "keyboardformats.inc"
    };
    return table;
}

const QString kPrefix = QStringLiteral("The Output format ： ");

} // namespace

KeyboardOutputPage::KeyboardOutputPage(PageHost &host, QWidget *parent) : Page("TabSheet1", host, parent)
{
    ensureBuilt();
}

void KeyboardOutputPage::build()
{
    auto *group = ui::group("GroupBox27", QStringLiteral("output format setting "), body());
    auto *radios = new QVBoxLayout;
    radios->setSpacing(2);
    for (const Format &f : formatTable()) {
        QRadioButton *b = ui::radio(f.button, f.caption, f.code == 0x0F);
        formats << b;
        radios->addWidget(b);
    }
    semicolonBox = ui::checkBox("CheckBox16", QStringLiteral("add ;"));
    questionMarkBox = ui::checkBox("CheckBox17", QStringLiteral("add ?  "));
    commaBox = ui::checkBox("CheckBox18", QStringLiteral("add , in middle   "));
    enterBox = ui::checkBox("CheckBox15", QStringLiteral("add Enter"), true);
    rssiBox = ui::checkBox("CheckBox21", QStringLiteral("Data followed by RSSI     "));
    auto *options = new QVBoxLayout;
    for (QCheckBox *b : {semicolonBox, questionMarkBox, commaBox, enterBox, rssiBox})
        options->addWidget(b);
    options->addSpacing(12);
    auto *lengthRow = new QHBoxLayout;
    byteCountEdit = ui::edit("Edit64", QStringLiteral("10"));
    byteCountEdit->setMaximumWidth(40);
    lengthRow->addWidget(byteCountEdit);
    lengthRow->addWidget(ui::label("Label64", QStringLiteral("Byte       ")));
    lengthRow->addStretch(1);
    options->addLayout(lengthRow);
    options->addWidget(ui::label("Label65", QStringLiteral("00 Output all card numbers  ")));
    options->addStretch(1);
    auto *columns = new QHBoxLayout(group);
    columns->addLayout(radios);
    columns->addSpacing(8);
    columns->addLayout(options);

    setFormatButton = ui::button("Button24", QStringLiteral("Set"));
    readFormatButton = ui::button("Button25", QStringLiteral("Read"));
    activeModeButton = ui::button("Button27", QStringLiteral("Active reading"));
    passiveModeButton = ui::button("Button28", QStringLiteral("Passtive reading"));
    factoryDefaultButton = ui::button("Button57", QStringLiteral("Fatory default"));
    versionButton = ui::button("Button63", QStringLiteral("Version number"));
    voiceButton = ui::button("Button64", QStringLiteral("Close voice"));
    auto *buttons = new QGridLayout;
    QPushButton *all[] = {setFormatButton,      readFormatButton, activeModeButton, passiveModeButton,
                          factoryDefaultButton, versionButton,    voiceButton};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(all[i], i / 4, i % 4);

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addStretch(1);

    guard::onClick(setFormatButton, [this] { Button24Click(); });
    guard::onClick(readFormatButton, [this] { Button25Click(); });
    guard::onClick(activeModeButton, [this] { Button27Click(); });
    guard::onClick(passiveModeButton, [this] { Button28Click(); });
    guard::onClick(factoryDefaultButton, [this] { Button57Click(); });
    guard::onClick(versionButton, [this] { Button63Click(); });
    guard::onClick(voiceButton, [this] { Button64Click(); });
}

int KeyboardOutputPage::formatCode() const
{
    for (int i = 0; i < formats.size(); ++i) {
        if (!formats[i]->isChecked())
            continue;
        const int code = formatTable()[i].code;
        if (code != kCustomLength)
            return code;
        if (byteCountEdit->text() == QLatin1String("00"))
            return 0x01;
        const int n = hex::StrToInt(byteCountEdit->text());
        // 0x80 + N must stay one byte; 0 would read back as another format.
        if (n < 1 || n > 127)
            throw UserError(
                QStringLiteral("The byte count must be 00 or from 1 to 127, not '%1'.").arg(byteCountEdit->text()));
        return 0x80 + n;
    }
    return 0x0F; // a group of radio buttons always has one selected
}

void KeyboardOutputPage::log(const QString &line)
{
    host().log(line);
}

void KeyboardOutputPage::Button24Click()
{
    namespace kb = protocol::keyboard;
    kb::FormatSettings settings;
    settings.format = uint8_t(formatCode());
    settings.semicolon = semicolonBox->isChecked();
    settings.questionMark = questionMarkBox->isChecked();
    settings.comma = commaBox->isChecked();
    settings.enter = enterBox->isChecked();
    settings.bigBuzzer = host().link().settings().bigBuzzer;
    settings.rssi = rssiBox->isChecked();
    const auto result = protocol::ack(host().link().exchange(kb::setFormat(settings)).reply);
    report(result,
           {stampedCrLf(kNoDataWide), stampedCrLf(QStringLiteral("Set Up Success   ")),
            stamped(QStringLiteral("Set up format false   ")), stampedCrLf(kOtherData)},
           [this](const QString &l) { log(l); });
}

void KeyboardOutputPage::Button25Click()
{
    namespace kb = protocol::keyboard;
    const auto r = kb::parseFormat(host().link().exchange(kb::readFormat()).reply);
    const auto logLine = [this](const QString &l) { log(l); };
    if (!report(r,
                {stampedCrLf(kNoDataWide), stamped(QStringLiteral("Read data success    ")),
                 stamped(QStringLiteral("Read format false   ")), stampedCrLf(kOtherData)},
                logLine))
        return;
    const kb::FormatReadback &f = r.value;
    const auto isZero = [](std::optional<uint8_t> b) { return b == uint8_t(0); };
    log(kPrefix + kb::formatName(f.format.value_or(0xFF)));
    log(kPrefix + (isZero(f.semicolon) ? QStringLiteral("do not add semicolon ") : QStringLiteral("add semicolon")));
    log(kPrefix + (isZero(f.comma) ? QStringLiteral("do not add , ") : QStringLiteral("add ,")));
    log(kPrefix + (isZero(f.questionMark) ? QStringLiteral("do not add ? ") : QStringLiteral("add ?")));
    log(kPrefix + (isZero(f.enter) ? QStringLiteral("do not add enter ") : QStringLiteral("add enter")) + kCrLf);
    if (isZero(f.customData))
        log(QStringLiteral("no add customize data...   ") + kCrLf);
    else // the reader shows its Enter flag here
        log(QStringLiteral("The customize data is ：  ") + hex::byteText(f.enter.value_or(0)));
}

void KeyboardOutputPage::setReadingMode(bool active, const QString &ok, const QString &fail)
{
    const auto result = protocol::ack(host().link().exchange(protocol::keyboard::readingMode(active)).reply);
    report(result, {stampedCrLf(kNoDataWide), stamped(ok), stamped(fail), stampedCrLf(kOtherData)},
           [this](const QString &l) { log(l); });
}

void KeyboardOutputPage::Button27Click()
{
    setReadingMode(true, QStringLiteral("Set Active reading success    "),
                   QStringLiteral("Set Active reading false   "));
}

void KeyboardOutputPage::Button28Click()
{
    setReadingMode(false, QStringLiteral("Set Passtive reading success    "),
                   QStringLiteral("Set Passtive reading false   "));
}

void KeyboardOutputPage::Button57Click()
{
    const auto result = protocol::ack(host().link().exchange(protocol::keyboard::factoryReset()).reply);
    report(result,
           {stampedCrLf(kNoDataPlain), stampedCrLf(QStringLiteral("Restore factory settings Success    ")),
            stamped(QStringLiteral("Restore factory settings False    ")), stampedCrLf(kOtherData)},
           [this](const QString &l) { log(l); });
}

void KeyboardOutputPage::Button63Click()
{
    namespace kb = protocol::keyboard;
    const auto r = kb::parseVersion(host().link().exchange(kb::version()).reply);
    if (!report(r,
                {stampedCrLf(kNoDataPlain), plain(QStringLiteral("read version number success ")),
                 stamped(QStringLiteral("read version number false    ")), stampedCrLf(kOtherData)},
                [this](const QString &l) { log(l); }))
        return;
    // One character per byte, as the reader sends its version text.
    log(QStringLiteral("the version number is：：") + QString::fromLatin1(r.value.text) + kCrLf);
}

void KeyboardOutputPage::Button64Click()
{
    // The voice switch always goes to address 00; no reply is awaited beyond the send.
    const bool closing = voiceButton->text() == QLatin1String("Close voice");
    host().link().exchange(protocol::keyboard::voice(!closing));
    if (closing) {
        voiceButton->setText(QStringLiteral("Open voice"));
        log(QStringLiteral("Send Buzzer Open Instruction..") + timeStamp());
    } else {
        voiceButton->setText(QStringLiteral("Close voice"));
        log(QStringLiteral("Send buzzer shutdown instructions") + timeStamp());
    }
}
