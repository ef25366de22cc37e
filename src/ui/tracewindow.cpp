#include "ui/tracewindow.h"

#include "pagekit/guard.h"
#include "protocol/request.h"
#include "ui/filedialogs.h"
#include "ui/tracelog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace
{
constexpr protocol::Family kFamilies[] = {
    protocol::Family::System,   protocol::Family::Mifare,   protocol::Family::Ultralight,   protocol::Family::TypeB,
    protocol::Family::Iso15693, protocol::Family::Keyboard, protocol::Family::OutputDevice, protocol::Family::Uhf,
    protocol::Family::Wifi,     protocol::Family::WorkModes};
} // namespace

TraceWindow::TraceWindow(TraceLog &log, QWidget *parent) : QDialog(parent), log_(log)
{
    setObjectName(QStringLiteral("FrameTrace"));
    setWindowTitle(QStringLiteral("Frame trace"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(980, 420);

    familyFilter = new QComboBox(this);
    familyFilter->setObjectName(QStringLiteral("FrameTraceFamily"));
    familyFilter->addItem(QStringLiteral("All families"), -1);
    for (protocol::Family f : kFamilies)
        familyFilter->addItem(protocol::familyName(f), int(f));

    filtered_ = new QSortFilterProxyModel(this);
    filtered_->setSourceModel(&log_);
    filtered_->setFilterRole(TraceLog::FamilyRole);
    filtered_->setFilterKeyColumn(0);

    table = new QTableView(this);
    table->setObjectName(QStringLiteral("FrameTraceTable"));
    table->setModel(filtered_);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {90, 44, 110, 150, 200, 200, 64, 160};
    for (int c = 0; c < int(std::size(widths)); ++c)
        table->setColumnWidth(c, widths[c]);

    details = new QPlainTextEdit(this);
    details->setObjectName(QStringLiteral("FrameTraceDetails"));
    details->setReadOnly(true);
    details->setMaximumHeight(4 * table->fontMetrics().height() + 12);

    auto *copy = new QPushButton(QStringLiteral("Copy"), this);
    auto *save = new QPushButton(QStringLiteral("Save..."), this);
    auto *clear = new QPushButton(QStringLiteral("Clear"), this);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    copy->setObjectName(QStringLiteral("FrameTraceCopy"));
    save->setObjectName(QStringLiteral("FrameTraceSave"));
    clear->setObjectName(QStringLiteral("FrameTraceClear"));
    close->setObjectName(QStringLiteral("FrameTraceClose"));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Family:"), this));
    top->addWidget(familyFilter);
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("The last %1 exchanges are kept.").arg(TraceLog::kCapacity), this));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table, 1);
    layout->addWidget(details);
    layout->addLayout(buttons);

    connect(familyFilter, &QComboBox::currentIndexChanged, this, [this] {
        const int family = familyFilter->currentData().toInt();
        filtered_->setFilterFixedString(family < 0 ? QString() : QString::number(family));
    });
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        details->setPlainText(current.isValid() ? log_.line(filtered_->mapToSource(current).row()) : QString());
    });
    guard::onClick(copy, [this] { copyToClipboard(); });
    guard::onClick(save, [this] { saveAs(); });
    guard::onClick(clear, [this] { log_.clear(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    // Follow the newest exchange unless the user has scrolled back.
    connect(&log_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (isVisible() && table->verticalScrollBar()->value() >= table->verticalScrollBar()->maximum() - 1)
            table->scrollToBottom();
    });
}

QString TraceWindow::text(bool selectedOnly) const
{
    QStringList lines;
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    if (selectedOnly && !selected.isEmpty()) {
        QList<int> rows;
        for (const QModelIndex &i : selected)
            rows << filtered_->mapToSource(i).row();
        std::sort(rows.begin(), rows.end());
        for (int r : rows)
            lines << log_.line(r);
    } else {
        for (int r = 0; r < filtered_->rowCount(); ++r)
            lines << log_.line(filtered_->mapToSource(filtered_->index(r, 0)).row());
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TraceWindow::copyToClipboard()
{
    QApplication::clipboard()->setText(text(true));
}

void TraceWindow::saveAs()
{
    const QString path =
        filedialogs::choose(this, {filedialogs::Request::Kind::Save, QStringLiteral("Save the frame trace"),
                                   QStringLiteral("Text files (*.txt);;All files (*)")});
    if (path.isEmpty())
        return;
    filedialogs::writeWhole(path, text(false).toUtf8());
}
