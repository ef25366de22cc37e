#include "ui/journalrowsview.h"

#include "epc/epctext.h"

#include <QFontDatabase>
#include <QHeaderView>

JournalRowsView::JournalRowsView(QWidget *parent) : QTableWidget(0, 7, parent)
{
    setObjectName(QStringLiteral("journalRows"));
    setHorizontalHeaderLabels(QString::fromLatin1(epc::kJournalHeader).split(u','));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setStretchLastSection(true);
    // Wide enough for a 96-bit EPC and TID; longer ones scroll.
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[] = {23, 7, 25, 25, 9, 8};
    for (int c = 0; c < 6; ++c)
        setColumnWidth(c, widths[c] * digit);
}

void JournalRowsView::add(const epc::JournalRow &row, const QDateTime &time)
{
    if (rowCount() >= kShownRows)
        removeRow(0);
    const int r = rowCount();
    insertRow(r);
    const QString texts[] = {time.toString(Qt::ISODate),
                             QString::number(row.index),
                             epc::toHex(row.epc),
                             epc::toHex(row.tid),
                             QLatin1String(epc::resultWord(row.result)),
                             QString::number(row.attempts),
                             row.detail};
    for (int c = 0; c < 7; ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        if (row.result == epc::TagResult::Failed)
            item->setForeground(QColor(0xa0, 0x10, 0x08));
        if (c == 6)
            item->setToolTip(row.detail);
        setItem(r, c, item);
    }
    scrollToBottom();
}

QStringList JournalRowsView::rowTexts(int r) const
{
    QStringList texts;
    for (int c = 0; c < columnCount(); ++c)
        texts << (item(r, c) ? item(r, c)->text() : QString());
    return texts;
}
