#include "ui/inventorymodel.h"

#include "base/clock.h"
#include "base/hex.h"

#include <QDateTime>
#include <QTime>

namespace
{

constexpr qint64 kDayMs = 24 * 3600 * 1000;

// The local time of day of a moment, the zone's offset given: a time zone looked up per cell
// would cost more than all else the table draws.
QString timeText(qint64 ms, qint64 offsetMs)
{
    const qint64 local = ((ms + offsetMs) % kDayMs + kDayMs) % kDayMs;
    return QTime::fromMSecsSinceStartOfDay(int(local)).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace

InventoryModel::InventoryModel(QObject *parent) : QAbstractTableModel(parent), tally_(nowMs())
{
    noteUtcOffset();
}

qint64 InventoryModel::nowMs()
{
    return appclock::now().toMSecsSinceEpoch();
}

int InventoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int InventoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant InventoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() >= Count ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const field::TallyEntry &e = entry(index.row());
    switch (Column(index.column())) {
    case Epc:
        return hex::fromBytes(e.epc);
    case Uri:
        return e.uri;
    case Tid:
        return hex::fromBytes(e.tid);
    case Chip:
        return e.chip;
    case Count:
        return e.count;
    case RssiLast:
        return int(e.rssiLast);
    case RssiMin:
        return int(e.rssiMin);
    case RssiMax:
        return int(e.rssiMax);
    case RssiMean:
        return QString::number(e.rssiMean(), 'f', 1);
    case FirstSeen:
        return timeText(e.firstSeenMs, utcOffsetMs_);
    case LastSeen:
        return timeText(e.lastSeenMs, utcOffsetMs_);
    case ReadsPerSecond:
        return QString::number(readsPerSecond(index.row()), 'f', 1);
    case ColumnCount:
        break;
    }
    return {};
}

QVariant InventoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    // The module's signal byte is signed and taken as dBm.
    static const char *const names[ColumnCount] = {"EPC",
                                                   "GS1 URI",
                                                   "TID",
                                                   "Chip",
                                                   "Count",
                                                   "RSSI last\n(dBm)",
                                                   "RSSI min\n(dBm)",
                                                   "RSSI max\n(dBm)",
                                                   "RSSI mean\n(dBm)",
                                                   "First seen",
                                                   "Last seen",
                                                   "Reads/s"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

void InventoryModel::add(const field::ReadBatch &batch)
{
    const field::TallyChange change = tally_.add(batch);
    histories_.resize(size_t(tally_.size()));
    for (const field::TagRead &read : batch.reads)
        histories_[size_t(tally_.rowOf(read.epc))].record(read.timeMs, read.rssi);

    // The rows touched, as runs of rows shown, each told once.
    int runFirst = -1, runLast = -1;
    const auto flush = [&] {
        if (runFirst >= 0)
            emit dataChanged(index(runFirst, 0), index(runLast, ColumnCount - 1));
        runFirst = runLast = -1;
    };
    for (const int row : change.changed) {
        const int shown = shownRow_[size_t(row)];
        if (shown < 0)
            continue;
        if (shown != runLast + 1)
            flush();
        if (runFirst < 0)
            runFirst = shown;
        runLast = shown;
    }
    flush();

    // An EPC and its URI never change: whether a row passes the filter is settled when it comes.
    std::vector<int> added;
    for (int row = change.firstNew; row < tally_.size(); ++row)
        if (filter_.matches(tally_.entry(row)))
            added.push_back(row);
    shownRow_.resize(size_t(tally_.size()), -1);
    if (added.empty())
        return;
    const int first = int(shown_.size());
    beginInsertRows({}, first, first + int(added.size()) - 1);
    for (const int row : added) {
        shownRow_[size_t(row)] = int(shown_.size());
        shown_.push_back(row);
    }
    endInsertRows();
}

void InventoryModel::clear()
{
    beginResetModel();
    tally_.clear(nowMs());
    histories_.clear();
    shown_.clear();
    shownRow_.clear();
    endResetModel();
}

void InventoryModel::setFilter(const QString &text)
{
    beginResetModel();
    filter_ = field::TallyFilter(text);
    shown_ = tally_.rowsMatching(filter_);
    shownRow_.assign(size_t(tally_.size()), -1);
    for (size_t i = 0; i < shown_.size(); ++i)
        shownRow_[size_t(shown_[i])] = int(i);
    endResetModel();
}

void InventoryModel::noteUtcOffset()
{
    utcOffsetMs_ = qint64(appclock::now().offsetFromUtc()) * 1000;
}

void InventoryModel::refreshRates()
{
    noteUtcOffset(); // a change of summer time shows within a second
    if (!shown_.empty())
        emit dataChanged(index(0, ReadsPerSecond), index(rowCount() - 1, ReadsPerSecond), {Qt::DisplayRole});
}
