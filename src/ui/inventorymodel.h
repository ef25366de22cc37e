#pragma once

#include "field/tally.h"
#include "field/tallyfilter.h"
#include "ui/rssihistory.h"

#include <QAbstractTableModel>
#include <vector>

// The inventory window's table over the tally: one row per distinct EPC that the filter lets
// through, in the order the EPCs were first seen. A batch of reads changes the rows it touched
// (dataChanged) and appends the new ones (rowsInserted); only a new filter or Clear resets.
class InventoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        Epc,
        Uri,
        Tid,
        Chip,
        Count,
        RssiLast,
        RssiMin,
        RssiMax,
        RssiMean,
        FirstSeen,
        LastSeen,
        ReadsPerSecond,
        ColumnCount
    };

    explicit InventoryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void add(const field::ReadBatch &batch);
    // Empty, counting again from now.
    void clear();
    // An EPC's hex start or text of its GS1 URI; empty shows every row.
    void setFilter(const QString &text);
    // The reads per second fall while a tag is not read: their column is told to redraw.
    void refreshRates();

    const field::Tally &tally() const { return tally_; }
    // The tally's entry and signal history of a row shown.
    const field::TallyEntry &entry(int row) const { return tally_.entry(shown_[size_t(row)]); }
    const RssiHistory &history(int row) const { return histories_[size_t(shown_[size_t(row)])]; }
    field::TallyTotals totals() const { return tally_.totals(nowMs()); }
    double readsPerSecond(int row) const { return tally_.recentRate(entry(row), nowMs()); }

    // The application clock in ms since the epoch, the clock of the reads' times.
    static qint64 nowMs();

private:
    void noteUtcOffset();

    field::Tally tally_;
    field::TallyFilter filter_;
    std::vector<RssiHistory> histories_; // by tally row
    std::vector<int> shown_;             // the tally rows shown, ascending
    std::vector<int> shownRow_;          // by tally row: its row in the table, or -1
    qint64 utcOffsetMs_ = 0;             // the local zone's, for the times shown
};
