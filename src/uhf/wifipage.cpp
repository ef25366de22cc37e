#include "uhf/wifipage.h"

#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/wifi.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QStyle>
#include <QVBoxLayout>

namespace
{

constexpr int kColumns = 4;
constexpr int kRows = 11;

QString textOf(const QByteArray &bytes)
{
    return protocol::wifi::textOf(bytes);
}

ReplyTexts texts(const ReplyLine &success, const QString &failure)
{
    return {stampedCrLf(kNoDataUhf), success, stamped(failure), stampedCrLf(kOtherData)};
}

} // namespace

WifiPage::WifiPage(PageHost &host, QWidget *parent) : Page("TabSheet10", host, parent) {}

void WifiPage::build()
{
    auto *settings = ui::group("GroupBox41", QStringLiteral("Wifi Settings"), body());
    networkNameEdit = ui::edit("Edit73", QString());
    networkPasswordEdit = ui::edit("Edit74", QString());
    joinButton = ui::button("Button78", QStringLiteral("Set up"));
    ipAddressButton = ui::button("Button79", QStringLiteral("IP Address"));
    auto *form = new QGridLayout(settings);
    form->setVerticalSpacing(4);
    form->addWidget(ui::label("Label130", QStringLiteral("Connection configuration: ")), 0, 0, 1, 3);
    form->addWidget(ui::label("Label131", QStringLiteral("WiFi name  ")), 1, 0);
    form->addWidget(networkNameEdit, 1, 1);
    form->addWidget(ui::label("Label132", QStringLiteral("Wifi password    ")), 2, 0);
    form->addWidget(networkPasswordEdit, 2, 1);
    form->addWidget(joinButton, 2, 2);
    form->addWidget(ui::label("Label133", QStringLiteral("Get the local IP address of WiFi device:      ")), 3, 0, 1,
                    2);
    form->addWidget(ipAddressButton, 3, 2);
    form->setColumnStretch(1, 1);

    auto *list = ui::group("GroupBox42", QStringLiteral("Get WiFi list "), body());
    scanButton = ui::button("Button80", QStringLiteral("Get WiFi list"));
    networkGrid = new QTableWidget(kRows, kColumns);
    networkGrid->setObjectName(QStringLiteral("StringGrid1"));
    networkGrid->horizontalHeader()->hide();
    networkGrid->verticalHeader()->hide();
    networkGrid->verticalHeader()->setDefaultSectionSize(20);
    networkGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    networkGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    networkGrid->setMinimumHeight(kRows * 20 + 4);
    resetGrid(95);
    networkGrid->setCurrentCell(1, 1); // the first cell that is not fixed
    auto *listLayout = new QGridLayout(list);
    listLayout->addWidget(ui::label("Label134", QStringLiteral("Get WiFi list: ")), 0, 0);
    listLayout->addWidget(scanButton, 0, 1);
    listLayout->setColumnStretch(2, 1);
    listLayout->addWidget(networkGrid, 1, 0, 1, 3);

    auto *layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(settings);
    layout->addWidget(list, 1);

    guard::onClick(joinButton, [this] { Button78Click(); });
    guard::onClick(ipAddressButton, [this] { Button79Click(); });
    guard::onClick(scanButton, [this] { Button80Click(); });
    // The title row and the first column are fixed: never picked.
    const auto pick = [this](int row, int column) {
        if (row > 0 && column > 0)
            guard::run([&] { StringGrid1SelectCell(column, row); });
    };
    connect(networkGrid, &QTableWidget::currentCellChanged, this,
            [pick](int row, int column, int, int) { pick(row, column); });
    // A click on the cell that is already current picks it again.
    connect(networkGrid, &QTableWidget::cellClicked, this, pick);
}

QString WifiPage::cell(int row, int column) const
{
    const QTableWidgetItem *item = networkGrid->item(row, column);
    return item ? item->text() : QString();
}

void WifiPage::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = networkGrid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        // The title row and the first column are fixed: shown, never picked.
        if (row == 0 || column == 0) {
            item->setFlags(Qt::NoItemFlags);
            item->setBackground(networkGrid->palette().button());
            item->setForeground(networkGrid->palette().buttonText());
        }
        networkGrid->setItem(row, column, item);
    }
    item->setText(text);
}

void WifiPage::resetGrid(int lastColumnWidth)
{
    networkGrid->setColumnCount(kColumns);
    setRows(kRows);
    for (int c = 1; c < kColumns; ++c)
        setCell(0, c, cell(0, c));
    setCell(0, 1, QStringLiteral("Serial number"));
    setCell(0, 2, QStringLiteral("WIFI Name"));
    setCell(0, 3, QStringLiteral("signal intensity"));
    const int widths[kColumns] = {0, 84, 306, lastColumnWidth};
    for (int c = 0; c < kColumns; ++c)
        networkGrid->setColumnWidth(c, widths[c]);
    // The widths suit a narrow font: a title that would be cut gets a smaller one instead.
    const int margins = 2 * (networkGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 2;
    for (int c = 1; c < kColumns; ++c) {
        QTableWidgetItem *title = networkGrid->item(0, c);
        QFont f = networkGrid->font();
        const int size = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
        for (int px = size; px >= 7; --px) {
            f.setPixelSize(px);
            if (QFontMetrics(f).horizontalAdvance(title->text()) + margins <= widths[c])
                break;
        }
        title->setFont(f);
    }
}

void WifiPage::setRows(int count)
{
    networkGrid->setRowCount(count);
    // Fixed cells exist in every row so that neither a click nor a key can pick them.
    for (int r = 0; r < count; ++r)
        if (!networkGrid->item(r, 0))
            setCell(r, 0, QString());
}

void WifiPage::StringGrid1SelectCell(int column, int row)
{
    networkNameEdit->setText(cell(row, column));
}

void WifiPage::Button78Click()
{
    const auto r = protocol::ack(
        host().link().exchange(protocol::wifi::join(networkNameEdit->text(), networkPasswordEdit->text())).reply);
    report(r,
           texts(stampedCrLf(QStringLiteral("WiFi set successfully    ")), QStringLiteral("WiFi setting failed    ")),
           [this](const QString &l) { host().log(l); });
}

void WifiPage::Button79Click()
{
    const auto r = protocol::wifi::parseIpAddress(host().link().exchange(protocol::wifi::ipAddress()).reply);
    const auto log = [this](const QString &l) { host().log(l); };
    if (!report(r,
                texts(stamped(QStringLiteral("Read IP address successfully    ")),
                      QStringLiteral("Failed to read IP address   ")),
                log))
        return;
    log(QStringLiteral("IP address is：") + textOf(r.value.text) + kCrLf);
}

void WifiPage::Button80Click()
{
    {
        // Shrinking the grid moves its current cell; that is no pick of the user's.
        const QSignalBlocker quiet(networkGrid);
        const int row = networkGrid->currentRow(), column = networkGrid->currentColumn();
        networkGrid->clearContents(); // forgets the current cell
        resetGrid(90);
        networkGrid->setCurrentCell(qBound(1, row, kRows - 1), qMax(1, column));
    }
    int next = 1;

    QByteArray reply;
    scanButton->setEnabled(false);
    try {
        reply = host().link().exchange(protocol::wifi::scan()).reply;
    } catch (...) {
        scanButton->setEnabled(true);
        throw;
    }
    scanButton->setEnabled(true);

    const auto r = protocol::wifi::parseNetworks(reply);
    if (!report(
            r,
            texts(stampedCrLf(QStringLiteral("Read WiFi successfully    ")), QStringLiteral("Failed to read WiFi    ")),
            [this](const QString &l) { host().log(l); }))
        return;

    for (const protocol::wifi::Network &network : r.value.networks) {
        setCell(next, 0, QString());
        setCell(next, 1, QString::number(next));
        setCell(next, 2, textOf(network.name));
        setCell(next, 3, textOf(network.signal));
        ++next;
        const int column = qMax(1, networkGrid->currentColumn());
        {
            // Picked once, also when the cell was current already.
            const QSignalBlocker quiet(networkGrid);
            networkGrid->setCurrentCell(next, column);
        }
        StringGrid1SelectCell(column, next);
        setRows(next + kRows);
    }
}
