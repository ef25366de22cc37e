#pragma once

#include "epc/journalrow.h"

#include <QDateTime>
#include <QTableWidget>

// The journal's rows as they reach the disk, newest at the bottom. Only the last kShownRows
// stay in the view (the file holds them all), so that a run of 100,000 tags costs no more
// than one of a thousand.
class JournalRowsView : public QTableWidget
{
    Q_OBJECT
public:
    static constexpr int kShownRows = 1000;

    explicit JournalRowsView(QWidget *parent = nullptr);

    void add(const epc::JournalRow &row, const QDateTime &time);
    // The cells of row r as the journal writes them: time, index, epc, tid, result, attempts, detail.
    QStringList rowTexts(int r) const;
};
