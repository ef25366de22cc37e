#include "ui/inventorywindow.h"

#include "base/errors.h"
#include "base/hex.h"
#include "field/inventoryrun.h"
#include "field/modulechannel.h"
#include "link/exchangeport.h"
#include "link/jobcontrol.h"
#include "link/jobrunner.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/widgets.h"
#include "ui/filedialogs.h"
#include "ui/inventoryexport.h"
#include "ui/inventoryfeed.h"
#include "ui/inventorymodel.h"
#include "ui/tagmemorydialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

using End = field::InventoryRun::End;

// The widest text each column holds: a 128-bit EPC, a GS1 tag URI, a 96-bit TID, a chip's
// name, a count, a signal strength, a time, a rate.
const char *const kWidestTexts[InventoryModel::ColumnCount] = {"0123456789ABCDEF0123456789ABCDEF",
                                                               "urn:epc:tag:sgtin-96:1.0614141.812348.274877906943",
                                                               "0123456789ABCDEF01234567",
                                                               "Alien Technology Higgs-EC",
                                                               "0000000",
                                                               "-000.0",
                                                               "-000.0",
                                                               "-000.0",
                                                               "-000.0",
                                                               "00:00:00",
                                                               "00:00:00",
                                                               "0000.0"};

} // namespace

InventoryWindow::InventoryWindow(ReaderLink &link, QWidget *parent)
    : QWidget(parent), link_(link), feed_(std::make_unique<InventoryFeed>())
{
    setObjectName(QStringLiteral("InventoryWindow"));
    setWindowTitle(QStringLiteral("Tag inventory"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);

    model = new InventoryModel(this);
    table = new QTableView(this);
    table->setObjectName(QStringLiteral("inventoryTable"));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    // Fixed row heights and widths: nothing measures 10,000 rows when a batch comes.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // As wide as the widest text or header line, whichever is wider.
    int tableWidth = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < InventoryModel::ColumnCount; ++column) {
        int width = table->fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestTexts[column]));
        const QString header = model->headerData(column, Qt::Horizontal).toString();
        for (const QString &line : header.split(u'\n'))
            width = std::max(width, table->horizontalHeader()->fontMetrics().horizontalAdvance(line));
        table->setColumnWidth(column, width + 16);
        tableWidth += width + 16;
    }
    table->horizontalHeader()->setStretchLastSection(true);

    chart = new InventoryChart(this);
    chart->setMinimumHeight(220);
    statusText = ui::label("statusText", QString(), this);
    statusText->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table);
    split->addWidget(chart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildControls());
    layout->addWidget(split, 1);
    layout->addWidget(statusText);

    tickTimer_ = new QTimer(this);
    tickTimer_->setInterval(kTickMs);
    connect(tickTimer_, &QTimer::timeout, this, [this] { tick(); });
    connect(feed_.get(), &InventoryFeed::batch, this, &InventoryWindow::takeBatch, Qt::QueuedConnection);
    connect(feed_.get(), &InventoryFeed::ended, this, &InventoryWindow::jobEnded, Qt::QueuedConnection);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { plot(); });
    connect(table, &QTableView::doubleClicked, this, [this] { guard::run([this] { openTagMemory(); }); });

    setRunning(false);
    showStatus();
    // Every column in view where the screen has the room.
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(tableWidth + 2 * layout->contentsMargins().left(), screen.width()), std::min(860, screen.height()));
}

InventoryWindow::~InventoryWindow()
{
    // A job still running ends now: its port closes and the runner's thread is joined while
    // the feed and the dialog its signals reach still exist.
    if (stop_)
        stop_->store(true);
    if (memoryDialog_)
        memoryDialog_->stop();
    runner_.reset();
}

QWidget *InventoryWindow::buildControls()
{
    auto *row = new QWidget(this);
    startButton = ui::button("start", QStringLiteral("Start"), row);
    stopButton = ui::button("stop", QStringLiteral("Stop"), row);
    clearButton = ui::button("clear", QStringLiteral("Clear"), row);
    readTids = ui::checkBox("readTids", QStringLiteral("Read TIDs"), false, row);
    readTids->setToolTip(QStringLiteral("Read the TID of each new EPC once, and name its chip."));
    filter = ui::edit("filter", QString(), row);
    filter->setPlaceholderText(QStringLiteral("EPC hex start, or text of the GS1 URI"));
    filter->setClearButtonEnabled(true);
    filter->setMinimumWidth(260);
    memoryButton = ui::button("tagMemory", QStringLiteral("Tag memory..."), row);
    exportCsvButton = ui::button("exportCsv", QStringLiteral("Export CSV..."), row);
    exportJsonButton = ui::button("exportJson", QStringLiteral("Export JSON..."), row);

    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(startButton);
    layout->addWidget(stopButton);
    layout->addWidget(clearButton);
    layout->addSpacing(12);
    layout->addWidget(readTids);
    layout->addSpacing(12);
    layout->addWidget(ui::label("filterLabel", QStringLiteral("Filter:"), row));
    layout->addWidget(filter);
    layout->addStretch(1);
    layout->addWidget(memoryButton);
    layout->addWidget(exportCsvButton);
    layout->addWidget(exportJsonButton);

    guard::onClick(startButton, [this] { start(); });
    guard::onClick(stopButton, [this] { stop(); });
    guard::onClick(clearButton, [this] { clearTable(); });
    guard::onClick(memoryButton, [this] { openTagMemory(); });
    guard::onClick(exportCsvButton, [this] { exportCsv(); });
    guard::onClick(exportJsonButton, [this] { exportJson(); });
    connect(filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        model->setFilter(text);
        plot();
        showStatus();
    });
    return row;
}

TagMemoryDialog *InventoryWindow::tagMemory() const
{
    return memoryDialog_;
}

JobRunner &InventoryWindow::runner()
{
    if (!runner_) {
        runner_ = std::make_unique<JobRunner>(link_);
        connect(runner_.get(), &JobRunner::finished, this, &InventoryWindow::finished);
    }
    return *runner_;
}

void InventoryWindow::setRunning(bool running)
{
    inventoryRunning_ = running;
    startButton->setEnabled(!running);
    readTids->setEnabled(!running);
    stopButton->setEnabled(running);
}

void InventoryWindow::start()
{
    if (isRunning())
        return;
    field::InventoryRun::Options options;
    options.readTids = readTids->isChecked();
    options.batchMs = kBatchMs;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    InventoryFeed *feed = feed_.get();
    const bool started = runner().start([options, stop, feed](JobControl &control) {
        field::ModuleChannel channel(
            [&control](const protocol::Request &request) { return control.port().exchange(request); });
        field::InventoryRun run(channel, options);
        const field::InventoryRun::Summary summary =
            run.run(*stop, [feed](field::ReadBatch &&batch) { emit feed->batch(batch); });
        emit feed->ended(int(summary.end), summary.why);
    });
    if (!started)
        throw UserError(QStringLiteral("The tag memory dialog is reading or writing a tag: start the inventory once it "
                                       "has ended."));
    stop_ = std::move(stop);
    endNote_.clear();
    setRunning(true);
    showStatus();
}

void InventoryWindow::stop()
{
    if (stop_)
        stop_->store(true);
    if (runner_)
        runner_->wake();
    stopButton->setEnabled(false);
}

void InventoryWindow::clearTable()
{
    model->clear();
    chart->clear();
    plot();
    showStatus();
}

void InventoryWindow::takeBatch(const field::ReadBatch &batch)
{
    model->add(batch);
    showStatus();
}

void InventoryWindow::jobEnded(int end, const QString &why)
{
    // The program closing ends the job through its port: nothing to tell anyone then.
    if (waits::cancelled())
        return;
    switch (End(end)) {
    case End::Limit:
    case End::Stopped:
        endNote_ = QStringLiteral("stopped");
        break;
    case End::ReaderGone:
        endNote_ = QStringLiteral("the reader is gone");
        guard::showError(QStringLiteral("The reader is gone (unplugged, or its port closed): the inventory stopped. "
                                        "The table keeps what was read; start again once the reader is back."));
        break;
    case End::Silent:
        endNote_ = QStringLiteral("the reader stopped answering");
        guard::showError(QStringLiteral("The reader stopped answering (%1): the inventory stopped.").arg(why));
        break;
    case End::Unsupported:
        endNote_ = QStringLiteral("no UHF module");
        guard::showError(
            QStringLiteral("The reader does not run an inventory (%1): it has no UHF module behind it.").arg(why));
        break;
    }
}

void InventoryWindow::finished(const QString &error)
{
    if (!isRunning())
        return; // the tag memory dialog's job
    setRunning(false);
    stop_.reset();
    tick();
    if (!error.isEmpty() && !waits::cancelled())
        guard::showError(error);
    emit inventoryEnded();
    if (std::exchange(memoryAfterStop_, false))
        guard::run([this] { openTagMemory(); });
}

void InventoryWindow::tick()
{
    model->refreshRates();
    plot();
    showStatus();
}

void InventoryWindow::showStatus()
{
    const field::TallyTotals t = model->totals();
    QString text = QStringLiteral("Tags: %1    Reads: %2    Reads/s: %3    Rounds: %4")
                       .arg(t.tags)
                       .arg(t.reads)
                       .arg(t.readsPerSecond, 0, 'f', 1)
                       .arg(t.rounds);
    if (model->rowCount() != t.tags)
        text += QStringLiteral("    Shown: %1").arg(model->rowCount());
    text += QStringLiteral("    ") + (isRunning() ? QStringLiteral("running") : endNote_);
    statusText->setText(text);
}

void InventoryWindow::plot()
{
    QModelIndexList rows = table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<InventoryChart::TagLine> lines;
    for (const QModelIndex &row : rows) {
        if (int(lines.size()) == InventoryChart::kMaxTagLines)
            break;
        const QString epc = hex::fromBytes(model->entry(row.row()).epc);
        lines.push_back({QStringLiteral("RSSI ...%1").arg(epc.right(8)), &model->history(row.row())});
    }
    chart->plot(InventoryModel::nowMs(), model->totals().readsPerSecond, lines);
}

void InventoryWindow::exportCsv()
{
    exportTo(QStringLiteral("Export the inventory as CSV"), QStringLiteral("CSV files|*.csv|All files|*"), false);
}

void InventoryWindow::exportJson()
{
    exportTo(QStringLiteral("Export the inventory as JSON"), QStringLiteral("JSON files|*.json|All files|*"), true);
}

void InventoryWindow::exportTo(const QString &title, const QString &filter, bool json)
{
    const QString path =
        filedialogs::choose(this, {filedialogs::Request::Kind::Save, title, filedialogs::filterFromPairs(filter)});
    if (path.isEmpty())
        return;
    filedialogs::writeWhole(path, json ? inventoryexport::json(*model) : inventoryexport::csv(*model));
    filedialogs::remember(path);
    endNote_ = QStringLiteral("%1 rows written to %2").arg(model->rowCount()).arg(path);
    showStatus();
}

void InventoryWindow::openTagMemory()
{
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        throw UserError(QStringLiteral("Select a row of the table: Tag memory shows the memory of the tag it names."));
    if (memoryDialog_ && memoryDialog_->isBusy())
        throw UserError(QStringLiteral("The tag memory dialog is still reading or writing %1: wait until it has "
                                       "ended.")
                            .arg(memoryDialog_->address().text()));
    if (isRunning()) {
        // The module answers one command at a time: the inventory ends after its round first.
        memoryAfterStop_ = true;
        stop();
        return;
    }
    const field::TallyEntry &e = model->entry(rows.first().row());
    field::TagAddress address = field::TagAddress::epc(e.epc);
    if (e.sharedEpc) {
        if (e.tid.isEmpty())
            throw UserError(QStringLiteral("More than one tag answers with EPC %1, and only a TID tells them apart, "
                                           "which is not read for a shared EPC: take the other tags out of the field.")
                                .arg(hex::fromBytes(e.epc)));
        address = field::TagAddress::tid(e.tid);
    }
    delete memoryDialog_;
    memoryDialog_ = new TagMemoryDialog(runner(), address, this);
    memoryDialog_->show();
    memoryDialog_->readAll();
}

void InventoryWindow::showEvent(QShowEvent *event)
{
    tickTimer_->start();
    tick();
    QWidget::showEvent(event);
}

void InventoryWindow::hideEvent(QHideEvent *event)
{
    tickTimer_->stop();
    QWidget::hideEvent(event);
}

void InventoryWindow::closeEvent(QCloseEvent *event)
{
    // Nothing is lost by stopping: the table stays, and the job ends after the round in hand.
    if (isRunning())
        stop();
    memoryAfterStop_ = false;
    event->accept();
}
