#include "hf/s50page.h"

#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/repeatloop.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/mifare.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <utility>

namespace
{

// Items of the device address list, which holds "00" ... "20".
constexpr int kAddress10Item = 16;
constexpr int kAddress11Item = 17;

const QString kDefaultKey = QStringLiteral("FF FF FF FF FF FF");

protocol::mifare::Access access(const QRadioButton *all, const QRadioButton *keyB)
{
    return {all->isChecked(), keyB->isChecked()};
}

// The text of a line edit or an editable drop-down.
QString textOf(const QWidget *field)
{
    if (auto *combo = qobject_cast<const QComboBox *>(field))
        return combo->currentText();
    return static_cast<const QLineEdit *>(field)->text();
}

uint8_t byteOf(const QWidget *field, const char *what)
{
    return hex::byteField(textOf(field), QLatin1String(what));
}

QByteArray keyOf(const QWidget *field)
{
    return hex::bytesField(textOf(field), QStringLiteral("The key"), protocol::mifare::kKeyBytes);
}

QString hexOf(const QByteArray &bytes)
{
    return hex::fromBytes(bytes);
}

// Two radio buttons in a group of their own (so every row keeps its own settings), the
// first selected.
std::pair<QRadioButton *, QRadioButton *> choice(QWidget *owner, QHBoxLayout *into, const char *first,
                                                 const QString &firstCaption, const char *second,
                                                 const QString &secondCaption)
{
    auto *a = ui::radio(first, firstCaption, true);
    auto *b = ui::radio(second, secondCaption);
    auto *group = new QButtonGroup(owner);
    group->addButton(a);
    group->addButton(b);
    into->addWidget(a);
    into->addWidget(b);
    into->addSpacing(10);
    return {a, b};
}

QComboBox *typedCombo(const char *name, const QStringList &items, const QString &text, int width)
{
    auto *c = ui::combo(name, items);
    c->setEditable(true);
    c->setCurrentText(text);
    c->setFixedWidth(width);
    return c;
}

QLineEdit *fixedEdit(const char *name, const QString &text, int width)
{
    auto *e = ui::edit(name, text);
    e->setFixedWidth(width);
    return e;
}

QStringList hexItems(int from, int to)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i, 16).rightJustified(2, QLatin1Char('0'));
    return items;
}

QGroupBox *frame(const char *name)
{
    return ui::group(name, QString());
}

// What the three value rows differ in.
struct ValueDef {
    protocol::mifare::ValueOp op;
    const char *button, *idle, *all, *keyA, *keyB, *sector, *amount, *key;
    QString caption, amountLabel, amountDefault;
    bool showsRemaining;
};

const ValueDef &valueDef(int index)
{
    static const ValueDef defs[] = {
        {protocol::mifare::ValueOp::Init, "Button26", "reqiii", "reqaaa", "keyaaa", "keybbb", "Edit57", "Edit59",
         "Edit58", QStringLiteral("初始化"), QStringLiteral(" 初始值  "), QStringLiteral("00 88 00 00"), false},
        {protocol::mifare::ValueOp::Increment, "Button10", "reqiiii", "reqaaaa", "keyaaaa", "keybbbb", "Edit1", "Edit2",
         "Edit5", QStringLiteral("加值"), QStringLiteral(" 加值  "), QStringLiteral("00 20 00 00"), true},
        {protocol::mifare::ValueOp::Decrement, "Button15", "reqiiiii", "reqaaaaa", "keyaaaaa", "keybbbbb", "Edit10",
         "Edit8", "Edit7", QStringLiteral("减值"), QStringLiteral(" 减值  "), QStringLiteral("00 20 00 00"), true},
    };
    return defs[index];
}

} // namespace

S50Page::S50Page(PageHost &host, QWidget *parent) : Page("TabSheet2", host, parent) {}

void S50Page::build()
{
    auto *layout = new QVBoxLayout(body());
    layout->setSpacing(4);
    layout->addWidget(buildReadRow());
    layout->addWidget(buildWriteRow());
    layout->addWidget(buildCardNumberRow());
    for (int i = 0; i < 3; ++i)
        layout->addWidget(buildValueRow(i));
    layout->addStretch(1);

    guard::onClick(readButton, [this] { Button8Click(); });
    guard::onClick(writeButton, [this] { Button9Click(); });
    guard::onClick(haltButton, [this] { Button16Click(); });
    guard::onClick(cardNumberButton, [this] { Button29Click(); });
    guard::onClick(initValueButton, [this] { Button26Click(); });
    guard::onClick(incrementButton, [this] { Button10Click(); });
    guard::onClick(decrementButton, [this] { Button15Click(); });
    guard::onClick(address11Radio, [this] { RadioButton1Click(); });
    guard::onClick(address10Radio, [this] { RadioButton2Click(); });
}

QWidget *S50Page::buildReadRow()
{
    auto *g = frame("GroupBoxS50Read");
    auto *grid = new QGridLayout(g);
    auto *choices = new QHBoxLayout;
    std::tie(readIdleRadio, readAllRadio) =
        choice(g, choices, "reqi", QStringLiteral("Idle"), "reqa", QStringLiteral("All"));
    std::tie(readKeyARadio, readKeyBRadio) =
        choice(g, choices, "keya", QStringLiteral("Key A"), "keyb", QStringLiteral("Key B"));
    choices->addStretch(1);
    readButton = ui::button("Button8", QStringLiteral("读卡"));
    readRepeatBox = repeatBox(RepeatBoxId::S50Read, host(), [this] { Button8Click(); });
    choices->addWidget(readButton);
    choices->addWidget(readRepeatBox);
    grid->addLayout(choices, 0, 0, 1, 6);

    readStartList = typedCombo("ComboBox3", hexItems(0x00, 0x3f), QStringLiteral("10"), 50);
    readCountList = typedCombo("ComboBox6", hexItems(0x01, 0x04), QStringLiteral("04"), 44);
    readKeyList =
        typedCombo("ComboBox4", {QStringLiteral("3C 71 9E 05 D8 4B"), QStringLiteral("6A E2 17 C0 59 8F"), kDefaultKey},
                   kDefaultKey, 130);
    grid->addWidget(ui::label("LabelS50Start", QStringLiteral("起始块       ")), 1, 0);
    grid->addWidget(readStartList, 1, 1);
    grid->addWidget(ui::label("LabelS50Count", QStringLiteral("块的数量     ")), 1, 2);
    grid->addWidget(readCountList, 1, 3);
    grid->addWidget(ui::label("LabelS50Key", QStringLiteral("密钥       ")), 1, 4);
    grid->addWidget(readKeyList, 1, 5);
    grid->setColumnStretch(6, 1);
    return g;
}

QWidget *S50Page::buildWriteRow()
{
    auto *g = frame("GroupBoxS50Write");
    auto *grid = new QGridLayout(g);
    auto *choices = new QHBoxLayout;
    std::tie(writeIdleRadio, writeAllRadio) =
        choice(g, choices, "reqii", QStringLiteral("Idle"), "reqaa", QStringLiteral("All"));
    std::tie(writeKeyARadio, writeKeyBRadio) =
        choice(g, choices, "keyaa", QStringLiteral("Key A"), "keybb", QStringLiteral("Key B"));
    choices->addStretch(1);
    writeButton = ui::button("Button9", QStringLiteral("写卡"));
    writeRepeatBox = repeatBox(RepeatBoxId::S50Write, host(), [this] { Button9Click(); });
    choices->addWidget(writeButton);
    choices->addWidget(writeRepeatBox);
    grid->addLayout(choices, 0, 0, 1, 6);

    writeStartList = typedCombo("ComboBox7", hexItems(0x00, 0x3f), QStringLiteral("10"), 50);
    writeCountList = typedCombo("ComboBox8", hexItems(0x01, 0x04), QStringLiteral("01"), 44);
    writeKeyList =
        typedCombo("ComboBox9", {QStringLiteral("3C 71 9E 05 D8 4B"), QStringLiteral("6A E2 17 C0 59 8F"), kDefaultKey},
                   kDefaultKey, 130);
    grid->addWidget(ui::label("LabelS50WriteStart", QStringLiteral("起始地址        ")), 1, 0);
    grid->addWidget(writeStartList, 1, 1);
    grid->addWidget(ui::label("LabelS50WriteCount", QStringLiteral("块的数量      ")), 1, 2);
    grid->addWidget(writeCountList, 1, 3);
    grid->addWidget(ui::label("LabelS50WriteKey", QStringLiteral("密钥     ")), 1, 4);
    grid->addWidget(writeKeyList, 1, 5);
    writeDataEdit = ui::edit("Edit3", QStringLiteral("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"));
    grid->addWidget(ui::label("LabelS50Data", QStringLiteral("需要录入数据      ")), 2, 0, 1, 2);
    grid->addWidget(writeDataEdit, 2, 2, 1, 4);
    grid->setColumnStretch(6, 1);
    return g;
}

QWidget *S50Page::buildCardNumberRow()
{
    auto *g = frame("GroupBoxS50Card");
    auto *grid = new QGridLayout(g);
    auto *haltRow = new QHBoxLayout;
    haltButton = ui::button("Button16", QStringLiteral("Halt"));
    haltRow->addWidget(ui::label("LabelS50Halt", QStringLiteral("Halt命令：     ")));
    haltRow->addWidget(haltButton);
    haltRow->addSpacing(20);
    address10Radio = ui::radio("RadioButton2", QStringLiteral("10"));
    address11Radio = ui::radio("RadioButton1", QStringLiteral("11"));
    auto *address = new QButtonGroup(g);
    address->addButton(address10Radio);
    address->addButton(address11Radio);
    haltRow->addWidget(address10Radio);
    haltRow->addWidget(address11Radio);
    haltRow->addStretch(1);
    writeReadRepeatBox = repeatBox(
        RepeatBoxId::S50WriteRead, host(), [this] { Button9Click(); }, nullptr, [this] { Button8Click(); });
    haltRow->addWidget(writeReadRepeatBox);
    grid->addLayout(haltRow, 0, 0);

    auto *numberRow = new QHBoxLayout;
    std::tie(cardNumberIdleRadio, cardNumberAllRadio) =
        choice(g, numberRow, "reql5", QStringLiteral("Idle"), "reqa5", QStringLiteral("All"));
    std::tie(noHaltRadio, haltRadio) =
        choice(g, numberRow, "nohalt", QStringLiteral("no halt"), "yeshalt", QStringLiteral("halt"));
    numberRow->addStretch(1);
    cardNumberButton = ui::button("Button29", QStringLiteral("读卡号"));
    cardNumberRepeatBox = repeatBox(RepeatBoxId::S50CardNumber, host(), [this] { Button29Click(); });
    numberRow->addWidget(cardNumberButton);
    numberRow->addWidget(cardNumberRepeatBox);
    grid->addLayout(numberRow, 1, 0);
    return g;
}

QWidget *S50Page::buildValueRow(int index)
{
    const ValueDef &d = valueDef(index);
    auto *g = frame(index == 0 ? "GroupBoxS50Init" : index == 1 ? "GroupBoxS50Inc" : "GroupBoxS50Dec");
    auto *grid = new QGridLayout(g);
    auto *choices = new QHBoxLayout;
    ValueRow &row = values_[index];
    row.op = d.op;
    row.showsRemaining = d.showsRemaining;
    QRadioButton *idle = nullptr, *keyA = nullptr;
    std::tie(idle, row.all) = choice(g, choices, d.idle, QStringLiteral("Idle"), d.all, QStringLiteral("All"));
    std::tie(keyA, row.keyB) = choice(g, choices, d.keyA, QStringLiteral("Key A"), d.keyB, QStringLiteral("Key B"));
    choices->addStretch(1);
    QPushButton *button = ui::button(d.button, d.caption);
    choices->addWidget(button);
    grid->addLayout(choices, 0, 0, 1, 6);

    row.sector = fixedEdit(d.sector, QStringLiteral("01"), 36);
    row.amount = fixedEdit(d.amount, d.amountDefault, 90);
    row.key = fixedEdit(d.key, kDefaultKey, 130);
    grid->addWidget(ui::label(nullptr, QStringLiteral("扇区   ")), 1, 0);
    grid->addWidget(row.sector, 1, 1);
    grid->addWidget(ui::label(nullptr, d.amountLabel), 1, 2);
    grid->addWidget(row.amount, 1, 3);
    grid->addWidget(ui::label(nullptr, QStringLiteral("密钥     ")), 1, 4);
    grid->addWidget(row.key, 1, 5);
    grid->setColumnStretch(6, 1);

    (index == 0 ? initValueButton : index == 1 ? incrementButton : decrementButton) = button;
    return g;
}

void S50Page::Button8Click()
{
    namespace mf = protocol::mifare;
    const auto request = mf::readBlocks(access(readAllRadio, readKeyBRadio), byteOf(readCountList, "The block count"),
                                        byteOf(readStartList, "The start block"), keyOf(readKeyList));
    const auto r = mf::parseBlocks(host().link().exchange(request).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stamped(QStringLiteral("操作成功   ")), QStringLiteral("读卡失败   ")), log))
        return;
    log(QStringLiteral("卡号为:") + hexOf(r.value.cardNumber));
    // Every block read: from byte 8 up to the check byte and the trailer.
    log(QStringLiteral("卡的数据为:") + hexOf(r.value.data) + kCrLf);
}

void S50Page::Button9Click()
{
    namespace mf = protocol::mifare;
    // The reader compares the data with the number of blocks.
    const QByteArray data =
        hex::bytesField(writeDataEdit->text(), QStringLiteral("The data to write"), 1, 4 * mf::kBlockBytes);
    const auto request =
        mf::writeBlocks(access(writeAllRadio, writeKeyBRadio), byteOf(writeCountList, "The block count"),
                        byteOf(writeStartList, "The start address"), keyOf(writeKeyList), data);
    const auto r = mf::parseCardId(host().link().exchange(request).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stamped(QStringLiteral("操作成功   ")), QStringLiteral("读卡失败   ")), log))
        return;
    log(QStringLiteral("卡号为:") + hexOf(r.value.cardNumber));
}

void S50Page::Button16Click()
{
    const auto r = protocol::ack(host().link().exchange(protocol::mifare::halt()).reply);
    report(r, hfTexts(stampedCrLf(QStringLiteral("HALT操作成功   ")), QStringLiteral("HALT操作失败   ")),
           [this](const QString &l) { host().log(l); });
}

void S50Page::Button29Click()
{
    namespace mf = protocol::mifare;
    const auto r = mf::parseCardNumber(
        host().link().exchange(mf::cardNumber(cardNumberAllRadio->isChecked(), haltRadio->isChecked())).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stampedCrLf(QStringLiteral("操作成功   ")), QStringLiteral("读卡号操作失败   ")), log))
        return;
    log(QStringLiteral("返回卡号为:") + hexOf(r.value.number));
    if (r.value.count == uint8_t(0x00))
        log(QStringLiteral("检测到的卡的数量为一张卡..\r\n"));
    else if (r.value.count == uint8_t(0x01))
        log(QStringLiteral("检测到的卡的数量为多张卡..\r\n"));
}

void S50Page::valueOperation(const ValueRow &row)
{
    namespace mf = protocol::mifare;
    const QByteArray amount = hex::bytesField(row.amount->text(), QStringLiteral("The value"), 4);
    const auto request =
        mf::value(row.op, access(row.all, row.keyB), byteOf(row.sector, "The sector"), keyOf(row.key), amount);
    const auto r = mf::parseValue(host().link().exchange(request).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stamped(QStringLiteral("操作成功   ")), QStringLiteral("读卡失败   ")), log))
        return;
    if (!row.showsRemaining) {
        log(QStringLiteral("返回卡ID号为:") + hexOf(r.value.cardNumber) + kCrLf);
        return;
    }
    log(QStringLiteral("返回卡ID号为:") + hexOf(r.value.cardNumber));
    log(QStringLiteral("剩余值为为: ") + hexOf(r.value.remaining) + kCrLf);
}

void S50Page::Button26Click()
{
    valueOperation(values_[0]);
}

void S50Page::Button10Click()
{
    valueOperation(values_[1]);
}

void S50Page::Button15Click()
{
    valueOperation(values_[2]);
}

void S50Page::addressClick()
{
    if (address10Radio->isChecked())
        host().selectDeviceAddress(kAddress10Item);
    if (address11Radio->isChecked())
        host().selectDeviceAddress(kAddress11Item);
}

void S50Page::RadioButton1Click()
{
    addressClick();
}

void S50Page::RadioButton2Click()
{
    addressClick();
}
