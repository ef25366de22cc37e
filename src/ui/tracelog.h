#pragma once

#include "protocol/exchange.h"
#include "protocol/trace.h"

#include <QAbstractTableModel>
#include <deque>

// The exchanges of this run as a table for the frame trace: the newest last, at most
// kCapacity of them (the oldest go first). Each row is decoded once, when it arrives.
class TraceLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kCapacity = 10000;
    enum Column { Time, Channel, Family, Command, Sent, Reply, Latency, Request, Decoded, ColumnCount };
    // The family of a row as data of this role (an int, -1 for none), for filtering.
    static constexpr int FamilyRole = Qt::UserRole + 1;

    explicit TraceLog(QObject *parent = nullptr);

    void append(const protocol::Exchange &record);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Row r as one line of text, as the command line's trace file writes it.
    QString line(int row) const;

private:
    struct Entry {
        protocol::Exchange record;
        protocol::DecodedExchange decoded;
    };
    std::deque<Entry> entries_;
};
