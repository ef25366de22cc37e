#include "ui/tracelog.h"

#include "protocol/describe.h"

TraceLog::TraceLog(QObject *parent) : QAbstractTableModel(parent) {}

void TraceLog::append(const protocol::Exchange &record)
{
    if (int(entries_.size()) >= kCapacity) {
        beginRemoveRows({}, 0, 0);
        entries_.pop_front();
        endRemoveRows();
    }
    const int row = int(entries_.size());
    beginInsertRows({}, row, row);
    entries_.push_back({record, protocol::decode(record)});
    endInsertRows();
}

void TraceLog::clear()
{
    beginResetModel();
    entries_.clear();
    endResetModel();
}

int TraceLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int TraceLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TraceLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(entries_.size()))
        return {};
    const Entry &e = entries_[size_t(index.row())];
    if (role == FamilyRole)
        return e.decoded.family ? int(*e.decoded.family) : -1;
    if (role == Qt::ToolTipRole && !e.decoded.problems.isEmpty())
        return QStringLiteral("Checks failed: ") + e.decoded.problems;
    if (role != Qt::DisplayRole)
        return {};
    const protocol::Exchange &r = e.record;
    switch (index.column()) {
    case Time:
        return r.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case Channel:
        return r.channel == protocol::Exchange::Channel::Serial ? QStringLiteral("serial") : QStringLiteral("USB");
    case Family:
        return e.decoded.familyText;
    case Command:
        return e.decoded.name;
    case Sent:
        return protocol::describe::hex(r.sent);
    case Reply:
        return r.reply.isEmpty() ? protocol::outcomeText(r.outcome) : protocol::describe::hex(r.reply);
    case Latency:
        return QStringLiteral("%1 ms").arg(double(r.latencyUs) / 1000.0, 0, 'f', 1);
    case Request:
        return e.decoded.request;
    case Decoded:
        return e.decoded.problems.isEmpty()
                   ? e.decoded.reply
                   : e.decoded.reply + QStringLiteral(" [checks failed: %1]").arg(e.decoded.problems);
    }
    return {};
}

QVariant TraceLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *titles[ColumnCount] = {"Time",  "Line",    "Family",     "Command",      "Sent",
                                              "Reply", "Latency", "Parameters", "Reply decoded"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

QString TraceLog::line(int row) const
{
    const Entry &e = entries_[size_t(row)];
    return protocol::traceLine(e.record, e.decoded);
}
