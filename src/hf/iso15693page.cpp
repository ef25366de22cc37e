#include "hf/iso15693page.h"

#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/repeatloop.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/iso15693.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace
{

// Where a field goes in the body: before the UID, as the UID, or after it (write data).
enum class Role { Value, Uid, AfterUid };
// When the UID field enters the body.
enum class UidRule { Addressed, Always, Never };
// What a success adds after its line.
enum class Shows { EmptyLine, Inventory, Blocks, SystemInformation, SecurityStatus };

struct Field {
    const char *edit;
    const char *text;
    const char *label; // nullptr: no label
    Role role;
    int width;
};

struct Row {
    const char *button;
    const char *caption;
    uint8_t code;
    const char *flagList; // nullptr: the inventory's fixed body
    int flagItem;         // selected after start-up
    QVector<Field> fields;
    UidRule uid;
    const char *ok;
    const char *fail;
    Shows shows;
    std::optional<RepeatBoxId> repeat; // its repeat box, if any
};

constexpr int kShort = 34;
constexpr int kUid = 140;
constexpr int kData = 110;

enum FlagItem { TI, Philips, Uid, Other };

const QVector<Row> &rows()
{
    // clang-format off
    static const QVector<Row> table = {
        {"Button37", "防冲突", 0x10, nullptr, -1,
         {},
         UidRule::Never, "操作成功   ", "操作失败   ", Shows::Inventory, RepeatBoxId::IsoInventory},
        {"Button38", "卡片读", 0x11, "ComboBox10", Philips,
         {{"Edit14", "01", "起始块  ", Role::Value, kShort},
          {"Edit13", "05", "块数量  ", Role::Value, kShort},
          {"Edit55", "", "卡的uid信息    ", Role::Uid, kUid}},
         UidRule::Addressed, "操作成功   ", "读卡失败   ", Shows::Blocks, RepeatBoxId::IsoRead},
        {"Button39", "卡片写", 0x12, "ComboBox11", TI,
         {{"Edit48", "05", "起始块  ", Role::Value, kShort},
          {"Edit49", "01", "块数量  ", Role::Value, kShort},
          {"Edit16", "11 22 33 44", "要写的数据    ", Role::AfterUid, kData},
          {"Edit50", "", "卡uid  ", Role::Uid, kUid}},
         UidRule::Addressed, "写卡操作成功   ", "写卡失败   ", Shows::EmptyLine, RepeatBoxId::IsoWrite},
        {"Button40", "锁定块", 0x13, "ComboBox12", Philips,
         {{"Edit18", "05", "要锁的块号           ", Role::Value, kShort}},
         UidRule::Never, "锁操作成功   ", "锁操作失败   ", Shows::EmptyLine, std::nullopt},
        {"Button42", "选择卡", 0x15, "ComboBox13", Uid,
         {{"Edit19", "", "卡的uid信息  ", Role::Uid, kUid}},
         UidRule::Always, "选择卡操作成功   ", "选择卡操作失败   ", Shows::EmptyLine, std::nullopt},
        {"Button44", "写AFI", 0x17, "ComboBox14", Philips,
         {{"Edit15", "06", "AFI", Role::Value, kShort},
          {"Edit28", "", "卡uid  ", Role::Uid, kUid}},
         UidRule::Addressed, "写AFI操作成功   ", "写AFI操作失败   ", Shows::EmptyLine, std::nullopt},
        {"Button45", "锁定AFI", 0x18, "ComboBox15", Philips,
         {{"Edit32", "", "卡的uid信息  ", Role::Uid, kUid}},
         UidRule::Addressed, "锁定AFI操作成功   ", "锁定AFI操作失败   ", Shows::EmptyLine, std::nullopt},
        {"Button46", "写DSFID", 0x19, "ComboBox16", Philips,
         {{"Edit17", "08", "DSFID", Role::Value, kShort},
          {"Edit36", "", "卡uid  ", Role::Uid, kUid}},
         UidRule::Addressed, "写DSFID操作成功   ", "写DSFID操作失败   ", Shows::EmptyLine, std::nullopt},
        {"Button47", "锁定DSFID", 0x1A, "ComboBox17", Philips,
         {{"Edit38", "", "卡的uid信息  ", Role::Uid, kUid}},
         UidRule::Addressed, "锁定DSFID操作成功   ", "锁定DSFID操作失败   ", Shows::EmptyLine, std::nullopt},
        {"Button48", "系统信息", 0x1B, "ComboBox18", Philips,
         {{"Edit41", "", "卡的uid信息  ", Role::Uid, kUid}},
         UidRule::Addressed, "操作成功   ", "操作失败   ", Shows::SystemInformation, std::nullopt},
        {"Button49", "块安全位", 0x1C, "ComboBox19", Philips,
         {{"Edit21", "00", "起始块号  ", Role::Value, kShort},
          {"Edit20", "05", "数据长度  ", Role::Value, kShort},
          {"Edit43", "", nullptr, Role::Uid, kUid}},
         UidRule::Addressed, "操作成功   ", "读卡块安全位失败   ", Shows::SecurityStatus, std::nullopt},
    };
    // clang-format on
    return table;
}

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

Iso15693Page::Iso15693Page(PageHost &host, QWidget *parent) : Page("TabSheet6", host, parent) {}

void Iso15693Page::build()
{
    auto *grid = new QGridLayout(body());
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    int line = 0;
    for (const Row &r : rows()) {
        if (line > 0) {
            auto *rule = new QFrame;
            rule->setFrameShape(QFrame::HLine);
            rule->setFrameShadow(QFrame::Sunken);
            grid->addWidget(rule, line++, 0, 1, 4);
        }
        QPushButton *b = ui::button(r.button, u(r.caption));
        b->setMinimumWidth(74);
        buttons_ << b;
        QComboBox *list = nullptr;
        if (r.flagList) {
            grid->addWidget(ui::label((QByteArray(r.flagList) + "Label").constData(), QStringLiteral("标志位    ")),
                            line, 1);
            list = ui::combo(
                r.flagList,
                {QStringLiteral("TI"), QStringLiteral("Philips"), QStringLiteral("uid"), QStringLiteral("Other")},
                r.flagItem);
            list->setFixedWidth(68);
            grid->addWidget(list, line, 2);
        }
        flags_ << list;

        // Short values and the repeat box on the button's line; a row with more than two
        // fields puts its UID and data on a second line.
        const bool wrap = r.fields.size() > 2;
        auto *first = new QHBoxLayout;
        auto *second = wrap ? new QHBoxLayout : first;
        QVector<QLineEdit *> edits;
        for (const Field &f : r.fields) {
            QLineEdit *e = ui::edit(f.edit, u(f.text));
            e->setFixedWidth(f.width);
            edits << e;
            QHBoxLayout *into = f.role == Role::Value ? first : second;
            if (into->count() > 0)
                into->addSpacing(8);
            if (f.label)
                into->addWidget(ui::label((QByteArray(f.edit) + "Label").constData(), u(f.label)));
            into->addWidget(e);
        }
        fields_ << edits;
        if (r.repeat) {
            const int index = int(buttons_.size()) - 1;
            // Each pass presses the row's button; caption, pause and wait are the box's row
            // of the repeat table.
            first->addSpacing(8);
            first->addWidget(repeatBox(*r.repeat, this->host(), [this, index] { runRow(index); }));
        }
        first->addStretch(1);
        grid->addWidget(b, line, 0);
        grid->addLayout(first, line, 3);
        if (wrap) { // under the flag list, where the width is
            second->addStretch(1);
            grid->addLayout(second, ++line, 1, 1, 3);
        }
        ++line;
    }
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(line, 1);

    for (int i = 0; i < buttons_.size(); ++i)
        guard::onClick(buttons_[i], [this, i] { runRow(i); });
}

void Iso15693Page::Button37Click()
{
    runRow(0);
}
void Iso15693Page::Button38Click()
{
    runRow(1);
}
void Iso15693Page::Button39Click()
{
    runRow(2);
}
void Iso15693Page::Button40Click()
{
    runRow(3);
}
void Iso15693Page::Button42Click()
{
    runRow(4);
}
void Iso15693Page::Button44Click()
{
    runRow(5);
}
void Iso15693Page::Button45Click()
{
    runRow(6);
}
void Iso15693Page::Button46Click()
{
    runRow(7);
}
void Iso15693Page::Button47Click()
{
    runRow(8);
}
void Iso15693Page::Button48Click()
{
    runRow(9);
}
void Iso15693Page::Button49Click()
{
    runRow(10);
}

std::optional<uint8_t> Iso15693Page::flagByte(const QString &item)
{
    namespace iso = protocol::iso15693;
    static const struct {
        const char *item;
        uint8_t flag;
    } table[] = {{"TI", iso::kFlagsTi},
                 {"Philips", iso::kFlagsPhilips},
                 {"uid", iso::kFlagsAddressed},
                 {"Other", iso::kFlagsOther}};
    for (const auto &t : table)
        if (item == QLatin1String(t.item))
            return t.flag;
    return std::nullopt;
}

protocol::Request Iso15693Page::request(int row) const
{
    namespace iso = protocol::iso15693;
    const Row &r = rows()[row];
    if (!flags_[row])
        return iso::inventory();
    const auto flagsChosen = flagByte(flags_[row]->currentText());
    if (!flagsChosen)
        throw UserError(QStringLiteral("Choose the request flags first."));
    const uint8_t flags = *flagsChosen;
    const bool withUid = r.uid == UidRule::Always || (r.uid == UidRule::Addressed && flags == iso::kFlagsAddressed);
    QByteArray values, uid, after;
    int afterField = -1;
    for (int i = 0; i < r.fields.size(); ++i) {
        const Field &f = r.fields[i];
        const QLineEdit *edit = fields_[row][i];
        // The field's label names it; the one field without a label is the UID.
        const QString what = f.label ? u(f.label).trimmed() : QStringLiteral("The UID");
        switch (f.role) {
        case Role::Value:
            values += char(hex::byteField(edit->text(), what));
            break;
        case Role::Uid:
            if (withUid)
                uid = hex::bytesField(edit->text(), what, iso::kUidBytes);
            break;
        case Role::AfterUid:
            afterField = i;
            break;
        }
    }
    if (afterField >= 0) {
        // Whatever room the frame has left behind code, flags, values and UID.
        const QLineEdit *edit = fields_[row][afterField];
        const int room = iso::kMaxBody - 2 - int(values.size()) - int(uid.size());
        after = hex::bytesField(edit->text(), u(r.fields[afterField].label).trimmed(), 1, room);
    }
    return iso::command(r.code, flags, values, uid, after);
}

void Iso15693Page::runRow(int row)
{
    namespace iso = protocol::iso15693;
    const Row &r = rows()[row];
    const QByteArray reply = host().link().exchange(request(row)).reply;
    const LogSink log = [this](const QString &line) { host().log(line); };
    const ReplyTexts texts{stampedCrLf(kNoDataHf), stamped(u(r.ok)), stamped(u(r.fail)), stampedCrLf(kOtherHf)};
    if (!report(protocol::ack(reply), texts, log))
        return;
    const auto flagsLine = [&](std::optional<uint8_t> flags) {
        log(QStringLiteral("标志位为：") + (flags ? hex::byteText(*flags) : QString()));
    };
    switch (r.shows) {
    case Shows::EmptyLine:
        log(QStringLiteral("\r"));
        break;
    case Shows::Inventory:
        showInventory(iso::parseInventory(reply).value);
        break;
    case Shows::Blocks: {
        const auto blocks = iso::parseBlocks(reply).value;
        flagsLine(blocks.flags);
        log(QStringLiteral("读卡返回数据为：") + hex::fromBytes(blocks.data) + kCrLf);
        break;
    }
    case Shows::SystemInformation:
        showSystemInformation(iso::parseSystemInfo(reply).value);
        break;
    case Shows::SecurityStatus: {
        const auto blocks = iso::parseBlocks(reply).value;
        flagsLine(blocks.flags);
        log(QStringLiteral("块安全位状态为：") + hex::fromBytes(blocks.data) + kCrLf);
        break;
    }
    }
}

void Iso15693Page::showInventory(const protocol::iso15693::Inventory &inventory)
{
    const auto byteText = [](std::optional<uint8_t> b) { return b ? hex::byteText(*b) : QString(); };
    host().log(QStringLiteral("域内的卡片数量为：") + byteText(inventory.count));
    host().log(QStringLiteral("域内的卡片数据为：") + hex::fromBytes(inventory.data));
    // The UIDs come least significant byte first; shown most significant first.
    int k = 0;
    for (const QByteArray &uid : inventory.uids) {
        if (uid.size() != protocol::iso15693::kUidBytes) {
            host().log(QStringLiteral("卡号长度非法，无法算出准确的卡号！.."));
            break;
        }
        host().log(QStringLiteral("第") + QString::number(++k) + QStringLiteral("张卡卡号为：") +
                   hex::cdate(hex::fromBytes(uid)));
    }
    host().log(QStringLiteral("\r"));
}

void Iso15693Page::showSystemInformation(const protocol::iso15693::SystemInfo &info)
{
    // Fixed positions, as if every optional field were present.
    const auto byteText = [](std::optional<uint8_t> b) { return b ? hex::byteText(*b) : QString(); };
    host().log(QStringLiteral("  Flags值为： ") + byteText(info.flags));
    host().log(QStringLiteral("  INFO Flags值为： ") + byteText(info.infoFlags));
    host().log(QStringLiteral("  卡UID值为： ") + hex::fromBytes(info.uid));
    host().log(QStringLiteral("  DSFID值为： ") + byteText(info.dsfid));
    host().log(QStringLiteral("  AFI值为： ") + byteText(info.afi));
    host().log(QStringLiteral("  Other fields值为： ") + hex::fromBytes(info.other) + kCrLf);
}
