#include "hf/ultralightpage.h"

#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/repeatloop.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/ultralight.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <utility>

namespace
{

constexpr int kPages = protocol::ultralight::kPages;

// "Idle" (selected) and "All" in a group of their own.
std::pair<QRadioButton *, QRadioButton *> requestChoice(QWidget *owner, QHBoxLayout *into, const char *idle,
                                                        const char *all)
{
    auto *a = ui::radio(idle, QStringLiteral("Idle"), true);
    auto *b = ui::radio(all, QStringLiteral("All"));
    auto *group = new QButtonGroup(owner);
    group->addButton(a);
    group->addButton(b);
    into->addWidget(a);
    into->addWidget(b);
    return {a, b};
}

// The page numbers "00" ... "15" (decimal). The list never loses its selection: a page byte
// is always sent.
QListWidget *pageList(const char *name, int selected)
{
    auto *list = ui::named(new QListWidget, name);
    for (int i = 0; i < kPages; ++i)
        list->addItem(QString::number(i).rightJustified(2, QLatin1Char('0')));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setCurrentRow(selected);
    // Every row shown, whatever font a style gives the list.
    list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    list->setFixedWidth(44);
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [list] {
        if (list->selectedItems().isEmpty() && list->currentItem())
            list->currentItem()->setSelected(true);
    });
    return list;
}

uint8_t pageOf(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    if (items.isEmpty())
        throw UserError(QStringLiteral("Choose a page number first."));
    return uint8_t(hex::StrToInt(items.first()->text()));
}

} // namespace

UltralightPage::UltralightPage(PageHost &host, QWidget *parent) : Page("TabSheet3", host, parent) {}

void UltralightPage::build()
{
    auto *layout = new QVBoxLayout(body());
    layout->addWidget(buildSerialRows());
    layout->addWidget(buildReadWrite());
    layout->addStretch(1);

    guard::onClick(readSerialButton, [this] { Button55Click(); });
    guard::onClick(haltButton, [this] { Button17Click(); });
    guard::onClick(readButton, [this] { Button18Click(); });
    guard::onClick(writeButton, [this] { Button54Click(); });
}

QWidget *UltralightPage::buildSerialRows()
{
    auto *g = ui::group("GroupBoxUltralightSerial", QString());
    auto *grid = new QGridLayout(g);
    auto *serialRow = new QHBoxLayout;
    serialRow->addWidget(ui::label("LabelUltralightSerial", QStringLiteral("Read  Card series number:  ")));
    std::tie(serialIdleRadio, serialAllRadio) = requestChoice(g, serialRow, "Uli", "Ula");
    serialRow->addStretch(1);
    readSerialButton = ui::button("Button55", QStringLiteral("Read"));
    readSerialRepeatBox = repeatBox(RepeatBoxId::UltralightSerial, host(), [this] { Button55Click(); });
    serialRow->addWidget(readSerialButton);
    serialRow->addWidget(readSerialRepeatBox);
    grid->addLayout(serialRow, 0, 0);

    auto *haltRow = new QHBoxLayout;
    haltRow->addWidget(ui::label("LabelUltralightHalt", QStringLiteral("Halt:")));
    haltButton = ui::button("Button17", QStringLiteral("Halt"));
    haltRow->addWidget(haltButton);
    haltRow->addStretch(1);
    grid->addLayout(haltRow, 1, 0);
    return g;
}

QWidget *UltralightPage::buildReadWrite()
{
    auto *outer = ui::group("GroupBoxUltralightCard", QStringLiteral("Ultralight 卡读写"));
    auto *columns = new QHBoxLayout(outer);

    auto *read = ui::group("GroupBoxUltralightRead", QStringLiteral(" 读卡 "));
    auto *readGrid = new QGridLayout(read);
    auto *readChoice = new QHBoxLayout;
    std::tie(readIdleRadio, readAllRadio) = requestChoice(read, readChoice, "Ulii", "Ulaa");
    readChoice->addStretch(1);
    readGrid->addLayout(readChoice, 0, 0, 1, 2);
    readPageList = pageList("ListBox1", 0);
    readGrid->addWidget(ui::label("LabelUltralightReadPage", QStringLiteral("扇区：")), 1, 0, Qt::AlignTop);
    readGrid->addWidget(readPageList, 1, 1, Qt::AlignLeft);
    readButton = ui::button("Button18", QStringLiteral("读卡"));
    readRepeatBox = repeatBox(RepeatBoxId::UltralightRead, host(), [this] { Button18Click(); });
    readButton->setFixedWidth(90);
    readGrid->addWidget(readButton, 2, 0, 1, 2, Qt::AlignLeft);
    readGrid->addWidget(readRepeatBox, 3, 0, 1, 2);
    readGrid->setRowStretch(4, 1);
    readGrid->setColumnStretch(2, 1);

    auto *write = ui::group("GroupBoxUltralightWrite", QStringLiteral(" 写卡 "));
    auto *writeGrid = new QGridLayout(write);
    auto *writeChoice = new QHBoxLayout;
    std::tie(writeIdleRadio, writeAllRadio) = requestChoice(write, writeChoice, "Uliii", "Ulaaa");
    writeChoice->addStretch(1);
    writeGrid->addLayout(writeChoice, 0, 0, 1, 2);
    writePageList = pageList("ListBox2", 4);
    writeGrid->addWidget(ui::label("LabelUltralightWritePage", QStringLiteral("扇区：")), 1, 0, Qt::AlignTop);
    writeGrid->addWidget(writePageList, 1, 1, Qt::AlignLeft);
    pageDataEdit = ui::edit("Edit56", QStringLiteral("00 00 00 00"));
    pageDataEdit->setFixedWidth(100);
    writeGrid->addWidget(pageDataEdit, 2, 0, 1, 2, Qt::AlignLeft);
    writeButton = ui::button("Button54", QStringLiteral("Write"));
    writeRepeatBox = repeatBox(RepeatBoxId::UltralightWrite, host(), [this] { Button54Click(); });
    writeButton->setFixedWidth(90);
    writeGrid->addWidget(writeButton, 3, 0, 1, 2, Qt::AlignLeft);
    writeGrid->addWidget(writeRepeatBox, 4, 0, 1, 2);
    writeGrid->setRowStretch(5, 1);
    writeGrid->setColumnStretch(2, 1);

    columns->addWidget(read);
    columns->addWidget(write);
    return outer;
}

void UltralightPage::Button55Click()
{
    namespace ul = protocol::ultralight;
    const auto r = ul::parseSerial(host().link().exchange(ul::readSerial(serialAllRadio->isChecked())).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stamped(QStringLiteral("读卡号 操作成功   ")), QStringLiteral("读卡ID号操作失败   ")), log))
        return;
    log(QStringLiteral("卡号为:") + hex::fromBytes(r.value.serial) + kCrLf);
}

void UltralightPage::Button17Click()
{
    const auto r = protocol::ack(host().link().exchange(protocol::ultralight::halt()).reply);
    report(r, hfTexts(stampedCrLf(QStringLiteral("HALT操作成功   ")), QStringLiteral("HALT操作失败   ")),
           [this](const QString &l) { host().log(l); });
}

void UltralightPage::Button18Click()
{
    namespace ul = protocol::ultralight;
    const auto r =
        ul::parsePages(host().link().exchange(ul::readPages(readAllRadio->isChecked(), pageOf(readPageList))).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stamped(QStringLiteral("读卡 操作成功   ")), QStringLiteral("读卡失败   ")), log))
        return;
    // The chosen page and the three after it, then the serial number.
    log(QStringLiteral("读卡返回数据为: ") + hex::fromBytes(r.value.data));
    log(QStringLiteral("卡ID号为:") + hex::fromBytes(r.value.serial) + kCrLf);
}

void UltralightPage::Button54Click()
{
    namespace ul = protocol::ultralight;
    const QByteArray data = hex::bytesField(pageDataEdit->text(), QStringLiteral("The page data"), ul::kPageBytes);
    const auto r = ul::parseSerial(
        host().link().exchange(ul::writePage(writeAllRadio->isChecked(), pageOf(writePageList), data)).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r, hfTexts(stamped(QStringLiteral("写卡操作成功   ")), QStringLiteral("写卡操作失败   ")), log))
        return;
    log(QStringLiteral("卡号为:") + hex::fromBytes(r.value.serial) + kCrLf);
}
