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
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(fixed);
    const QFontMetrics m(fixed);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(m.height() + 4);
    horizontalHeader()->setStretchLastSection(true);
    // Each column as wide as its longest usual text (a 96-bit EPC and TID); longer ones are
    // cut, the whole row is in the file. The header's own font decides the narrow ones.
    const QFontMetrics header(horizontalHeader()->font());
    const QString samples[] = {QStringLiteral("2024-05-01 10:00:00"),
                               QStringLiteral("100000"),
                               QStringLiteral("3074257BF7194E4000001A85"),
                               QStringLiteral("E2801105200000000000001A"),
                               QStringLiteral("verified"),
                               QStringLiteral("attempts")};
    for (int c = 0; c < 6; ++c)
        setColumnWidth(c, std::max(m.horizontalAdvance(samples[c]), header.horizontalAdvance(samples[c])) + 16);
}

void JournalRowsView::add(const epc::JournalRow &row, const QDateTime &time)
{
    if (rowCount() >= kShownRows)
        removeRow(0);
    const int r = rowCount();
    insertRow(r);
    const QString texts[] = {time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                             QString::number(row.index),
                             epc::toHex(row.epc),
                             epc::toHex(row.tid),
                             QLatin1String(epc::resultWord(row.result)),
                             QString::number(row.attempts),
                             row.detail};
    for (int c = 0; c < 7; ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        if (row.result == epc::TagResult::Failed || row.result == epc::TagResult::Seen)
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
