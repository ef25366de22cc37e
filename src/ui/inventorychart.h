#pragma once

#include <QChartView>
#include <QString>
#include <deque>
#include <vector>

class QLineSeries;
class QValueAxis;
class RssiHistory;

// The inventory window's chart of the last minute: the reads per second of the whole field
// (left axis) and the signal strength of the selected rows (right axis, dBm), one point a
// second, the time axis in seconds before now.
class InventoryChart : public QChartView
{
    Q_OBJECT
public:
    static constexpr int kSeconds = 60;
    // More lines than this are no longer told apart: the first rows selected are drawn.
    static constexpr int kMaxTagLines = 8;

    struct TagLine {
        QString name;
        const RssiHistory *history;
    };

    explicit InventoryChart(QWidget *parent = nullptr);

    // Notes the field's reads per second at nowMs (ms since the epoch) and redraws the minute
    // before it with the tags given.
    void plot(qint64 nowMs, double readsPerSecond, const std::vector<TagLine> &tags);
    void clear();

    const QLineSeries *rateLine() const { return rateLine_; }
    // The signal lines drawn, one per tag.
    const std::vector<QLineSeries *> &tagLines() const { return tagLines_; }

private:
    QLineSeries *rateLine_;
    QValueAxis *timeAxis_;
    QValueAxis *rateAxis_;
    QValueAxis *rssiAxis_;
    std::vector<QLineSeries *> tagLines_;
    std::deque<std::pair<qint64, double>> rates_; // (second, reads per second), oldest first
};
