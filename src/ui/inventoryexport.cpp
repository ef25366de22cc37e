#include "ui/inventoryexport.h"

#include "base/hex.h"
#include "epc/isotime.h"
#include "ui/inventorymodel.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <cmath>

namespace inventoryexport
{

namespace
{

QString isoTime(qint64 ms)
{
    return epc::isoTime(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()));
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

double rounded(double value)
{
    return std::round(value * 10) / 10;
}

} // namespace

QByteArray csv(const InventoryModel &model)
{
    QString out = QStringLiteral("epc,uri,tid,chip,count,rssi_last_dbm,rssi_min_dbm,rssi_max_dbm,rssi_mean_dbm,"
                                 "first_seen,last_seen,reads_per_second\n");
    for (int row = 0; row < model.rowCount(); ++row) {
        const field::TallyEntry &e = model.entry(row);
        const QStringList fields = {hex::fromBytes(e.epc),
                                    csvField(e.uri),
                                    hex::fromBytes(e.tid),
                                    csvField(e.chip),
                                    QString::number(e.count),
                                    QString::number(e.rssiLast),
                                    QString::number(e.rssiMin),
                                    QString::number(e.rssiMax),
                                    QString::number(e.rssiMean(), 'f', 1),
                                    isoTime(e.firstSeenMs),
                                    isoTime(e.lastSeenMs),
                                    QString::number(model.readsPerSecond(row), 'f', 1)};
        out += fields.join(u',') + u'\n';
    }
    return out.toUtf8();
}

QByteArray json(const InventoryModel &model)
{
    QJsonArray rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const field::TallyEntry &e = model.entry(row);
        QJsonObject o{{"epc", hex::fromBytes(e.epc)},
                      {"count", double(e.count)},
                      {"rssi_last", e.rssiLast},
                      {"rssi_min", e.rssiMin},
                      {"rssi_max", e.rssiMax},
                      {"rssi_mean", rounded(e.rssiMean())},
                      {"first_seen", isoTime(e.firstSeenMs)},
                      {"last_seen", isoTime(e.lastSeenMs)},
                      {"reads_per_second", rounded(model.readsPerSecond(row))}};
        if (!e.uri.isEmpty())
            o.insert("uri", e.uri);
        if (!e.tid.isEmpty()) {
            o.insert("tid", hex::fromBytes(e.tid));
            o.insert("chip", e.chip);
        }
        rows.append(o);
    }
    const field::TallyTotals totals = model.totals();
    const QJsonObject top{{"reads", double(totals.reads)},
                          {"rounds", double(totals.rounds)},
                          {"reads_per_second", rounded(totals.readsPerSecond)},
                          {"tags", rows}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace inventoryexport
