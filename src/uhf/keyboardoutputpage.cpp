#include "uhf/keyboardoutputpage.h"

#include "link/errors.h"
#include "link/hextext.h"
#include "link/readerlink.h"
#include "link/replycheck.h"
#include "link/timestamp.h"
#include "ui/guard.h"
#include "ui/pagehost.h"
#include "ui/widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int kWaitMs = 300;
constexpr int kCustomLength = -1; // RadioButton35: the code comes from Edit64

struct Format {
    const char *button;
    QString caption;
    int code;
    QString readName;
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
    auto *group = ui::group("GroupBox27", QStringLiteral("output format setting "), body());
    auto *radios = new QVBoxLayout;
    radios->setSpacing(2);
    for (const Format &f : formatTable()) {
        QRadioButton *b = ui::radio(f.button, f.caption, f.code == 0x0F);
        formats << b;
        radios->addWidget(b);
    }
    CheckBox16 = ui::checkBox("CheckBox16", QStringLiteral("add ;"));
    CheckBox17 = ui::checkBox("CheckBox17", QStringLiteral("add ?  "));
    CheckBox18 = ui::checkBox("CheckBox18", QStringLiteral("add , in middle   "));
    CheckBox15 = ui::checkBox("CheckBox15", QStringLiteral("add Enter"), true);
    CheckBox21 = ui::checkBox("CheckBox21", QStringLiteral("Data followed by RSSI     "));
    auto *options = new QVBoxLayout;
    for (QCheckBox *b : {CheckBox16, CheckBox17, CheckBox18, CheckBox15, CheckBox21})
        options->addWidget(b);
    options->addSpacing(12);
    auto *lengthRow = new QHBoxLayout;
    Edit64 = ui::edit("Edit64", QStringLiteral("10"));
    Edit64->setMaximumWidth(40);
    lengthRow->addWidget(Edit64);
    lengthRow->addWidget(ui::label("Label64", QStringLiteral("Byte       ")));
    lengthRow->addStretch(1);
    options->addLayout(lengthRow);
    options->addWidget(ui::label("Label65", QStringLiteral("00 Output all card numbers  ")));
    options->addStretch(1);
    auto *columns = new QHBoxLayout(group);
    columns->addLayout(radios);
    columns->addSpacing(8);
    columns->addLayout(options);

    Button24 = ui::button("Button24", QStringLiteral("Set"));
    Button25 = ui::button("Button25", QStringLiteral("Read"));
    Button27 = ui::button("Button27", QStringLiteral("Active reading"));
    Button28 = ui::button("Button28", QStringLiteral("Passtive reading"));
    Button57 = ui::button("Button57", QStringLiteral("Fatory default"));
    Button63 = ui::button("Button63", QStringLiteral("Version number"));
    Button64 = ui::button("Button64", QStringLiteral("Close voice"));
    auto *buttons = new QGridLayout;
    QPushButton *all[] = {Button24, Button25, Button27, Button28, Button57, Button63, Button64};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(all[i], i / 4, i % 4);

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addStretch(1);

    guard::onClick(Button24, [this] { Button24Click(); });
    guard::onClick(Button25, [this] { Button25Click(); });
    guard::onClick(Button27, [this] { Button27Click(); });
    guard::onClick(Button28, [this] { Button28Click(); });
    guard::onClick(Button57, [this] { Button57Click(); });
    guard::onClick(Button63, [this] { Button63Click(); });
    guard::onClick(Button64, [this] { Button64Click(); });
}

int KeyboardOutputPage::formatCode() const
{
    for (int i = 0; i < formats.size(); ++i) {
        if (!formats[i]->isChecked())
            continue;
        const int code = formatTable()[i].code;
        if (code != kCustomLength)
            return code;
        if (Edit64->text() == QLatin1String("00"))
            return 0x01;
        const int n = hex::StrToInt(Edit64->text());
        // 0x80 + N must stay one byte; 0 would read back as another format.
        if (n < 1 || n > 127)
            throw UserError(QStringLiteral("The byte count must be 00 or from 1 to 127, not '%1'.").arg(Edit64->text()));
        return 0x80 + n;
    }
    return 0x0F; // a group of radio buttons always has one selected
}

QString KeyboardOutputPage::formatName(const QString &code)
{
    for (const Format &f : formatTable())
        if (f.code != kCustomLength && hex::byteText(f.code) == code)
            return f.readName;
    bool ok = false;
    const int value = code.toInt(&ok, 16);
    if (ok && value > 0x10)
        return QStringLiteral("Card number custom length hexadecimal output...");
    return QString();
}

void KeyboardOutputPage::Button24Click()
{
    const auto flag = [](bool on) { return on ? QStringLiteral("01") : QStringLiteral("00"); };
    const QString body = QStringLiteral("82") + hex::byteText(formatCode()) + flag(CheckBox16->isChecked()) +
                         flag(CheckBox17->isChecked()) + flag(CheckBox18->isChecked()) +
                         flag(CheckBox15->isChecked()) + flag(host().bigBuzzer()) + QStringLiteral("01") +
                         flag(CheckBox21->isChecked());
    const QString reply = host().link().exchange(body, kWaitMs);
    checkReply(reply,
               {stampedCrLf(kNoDataWide), stampedCrLf(QStringLiteral("Set Up Success   ")),
                stamped(QStringLiteral("Set up format false   ")), stampedCrLf(kOtherData)},
               [this](const QString &l) { host().log(l); });
}

void KeyboardOutputPage::Button25Click()
{
    const QString reply = host().link().exchange(QStringLiteral("83"), kWaitMs);
    const auto log = [this](const QString &l) { host().log(l); };
    // A success reply too short to hold the flags is a damaged reply, not a set of flags.
    const bool complete = reply.size() >= 13 * 2;
    const ReplyTexts texts{stampedCrLf(kNoDataWide), stamped(QStringLiteral("Read data success    ")),
                           stamped(QStringLiteral("Read format false   ")), stampedCrLf(kOtherData)};
    if (!reply.isEmpty() && replyByte(reply, 3) == QLatin1String("00") && !complete) {
        log(lineText(texts.other));
        return;
    }
    if (checkReply(reply, texts, log) != ReplyOutcome::Success)
        return;
    const auto isZero = [&](int k) { return replyByte(reply, k) == QLatin1String("00"); };
    log(kPrefix + formatName(replyByte(reply, 5)));
    log(kPrefix + (isZero(6) ? QStringLiteral("do not add semicolon ") : QStringLiteral("add semicolon")));
    log(kPrefix + (isZero(8) ? QStringLiteral("do not add , ") : QStringLiteral("add ,")));
    log(kPrefix + (isZero(7) ? QStringLiteral("do not add ? ") : QStringLiteral("add ?")));
    log(kPrefix + (isZero(9) ? QStringLiteral("do not add enter ") : QStringLiteral("add enter")) + kCrLf);
    if (isZero(12))
        log(QStringLiteral("no add customize data...   ") + kCrLf);
    else
        log(QStringLiteral("The customize data is ：  ") + replyByte(reply, 9));
}

void KeyboardOutputPage::setReadingMode(const QString &body, const QString &ok, const QString &fail)
{
    const QString reply = host().link().exchange(body, kWaitMs);
    checkReply(reply, {stampedCrLf(kNoDataWide), stamped(ok), stamped(fail), stampedCrLf(kOtherData)},
               [this](const QString &l) { host().log(l); });
}

void KeyboardOutputPage::Button27Click()
{
    setReadingMode(QStringLiteral("0F01"), QStringLiteral("Set Active reading success    "),
                   QStringLiteral("Set Active reading false   "));
}

void KeyboardOutputPage::Button28Click()
{
    setReadingMode(QStringLiteral("0F02"), QStringLiteral("Set Passtive reading success    "),
                   QStringLiteral("Set Passtive reading false   "));
}

void KeyboardOutputPage::Button57Click()
{
    const QString reply = host().link().exchange(QStringLiteral("CF"), kWaitMs);
    checkReply(reply,
               {stampedCrLf(kNoDataPlain), stampedCrLf(QStringLiteral("Restore factory settings Success    ")),
                stamped(QStringLiteral("Restore factory settings False    ")), stampedCrLf(kOtherData)},
               [this](const QString &l) { host().log(l); });
}

void KeyboardOutputPage::Button63Click()
{
    const QString reply = host().link().exchange(QStringLiteral("C0"), kWaitMs);
    const auto log = [this](const QString &l) { host().log(l); };
    if (checkReply(reply,
                   {stampedCrLf(kNoDataPlain), plain(QStringLiteral("read version number success ")),
                    stamped(QStringLiteral("read version number false    ")), stampedCrLf(kOtherData)},
                   log) != ReplyOutcome::Success)
        return;
    // Everything between the status byte and the check byte.
    const QString data = reply.size() > 12 ? reply.mid(8, reply.size() - 12) : QString();
    QString version;
    try {
        version = hex::Getchr(data);
    } catch (const UserError &) {
        version = data;
    }
    log(QStringLiteral("the version number is：：") + version + kCrLf);
}

void KeyboardOutputPage::Button64Click()
{
    // Literal frames: the voice switch always goes to address 00.
    if (Button64->text() == QLatin1String("Close voice")) {
        host().link().SendHex(QStringLiteral("AA 00 02 CD 00 CF BB "));
        Button64->setText(QStringLiteral("Open voice"));
        host().log(QStringLiteral("Send Buzzer Open Instruction..") + timeStamp());
    } else {
        host().link().SendHex(QStringLiteral("AA 00 02 CD 01 CE BB "));
        Button64->setText(QStringLiteral("Close voice"));
        host().log(QStringLiteral("Send buzzer shutdown instructions") + timeStamp());
    }
}
