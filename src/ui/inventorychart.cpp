#include "ui/inventorychart.h"

#include "ui/rssihistory.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

InventoryChart::InventoryChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("inventoryChart"));
    auto *c = new QChart;
    c->legend()->setAlignment(Qt::AlignRight);
    c->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QValueAxis(c);
    timeAxis_->setRange(-kSeconds, 0);
    timeAxis_->setTickCount(7);
    timeAxis_->setLabelFormat(QStringLiteral("%d"));
    timeAxis_->setTitleText(QStringLiteral("seconds before now"));
    rateAxis_ = new QValueAxis(c);
    rateAxis_->setRange(0, 10);
    rateAxis_->setTickCount(6);
    rateAxis_->setLabelFormat(QStringLiteral("%d"));
    rateAxis_->setTitleText(QStringLiteral("reads/s"));
    rssiAxis_ = new QValueAxis(c);
    rssiAxis_->setRange(-100, -20);
    rssiAxis_->setLabelFormat(QStringLiteral("%d"));
    rssiAxis_->setTitleText(QStringLiteral("RSSI (dBm)"));
    c->addAxis(timeAxis_, Qt::AlignBottom);
    c->addAxis(rateAxis_, Qt::AlignLeft);
    c->addAxis(rssiAxis_, Qt::AlignRight);

    rateLine_ = new QLineSeries(c);
    rateLine_->setName(QStringLiteral("reads/s (all tags)"));
    c->addSeries(rateLine_);
    rateLine_->attachAxis(timeAxis_);
    rateLine_->attachAxis(rateAxis_);
    setChart(c);
    setRenderHint(QPainter::Antialiasing);
}

void InventoryChart::clear()
{
    rates_.clear();
    rateLine_->clear();
    for (QLineSeries *line : tagLines_)
        line->clear();
}

void InventoryChart::plot(qint64 nowMs, double readsPerSecond, const std::vector<TagLine> &tags)
{
    const qint64 now = nowMs / 1000;
    if (!rates_.empty() && rates_.back().first == now)
        rates_.back().second = readsPerSecond;
    else
        rates_.emplace_back(now, readsPerSecond);
    while (!rates_.empty() && rates_.front().first <= now - kSeconds)
        rates_.pop_front();

    QList<QPointF> points;
    double top = 0;
    for (const auto &[second, rate] : rates_) {
        points.append(QPointF(double(second - now), rate));
        top = std::max(top, rate);
    }
    rateLine_->replace(points);
    // A round top a little above the highest rate, so that the line never runs along the edge.
    rateAxis_->setRange(0, std::max(10.0, top * 1.1));
    rateAxis_->applyNiceNumbers();

    QChart *c = chart();
    const size_t wanted = std::min(tags.size(), size_t(kMaxTagLines));
    while (tagLines_.size() > wanted) {
        c->removeSeries(tagLines_.back());
        delete tagLines_.back();
        tagLines_.pop_back();
    }
    while (tagLines_.size() < wanted) {
        auto *line = new QLineSeries(c);
        line->setPointsVisible(true);
        c->addSeries(line);
        line->attachAxis(timeAxis_);
        line->attachAxis(rssiAxis_);
        tagLines_.push_back(line);
    }
    for (size_t i = 0; i < wanted; ++i) {
        QList<QPointF> rssi;
        for (qint64 second = now - kSeconds + 1; second <= now; ++second)
            if (const auto value = tags[i].history->at(second))
                rssi.append(QPointF(double(second - now), *value));
        tagLines_[i]->setName(tags[i].name);
        tagLines_[i]->replace(rssi);
    }
}
