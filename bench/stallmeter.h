#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Watches the event loop of the thread it lives on: a precise timer fires every period, and
// the longest time between two firings (or between the last one and stop()) is the longest
// stretch in which the loop handled nothing.
class StallMeter : public QObject
{
public:
    explicit StallMeter(int periodMs = 1, QObject *parent = nullptr);

    void start();
    void stop();

    double longestGapMs() const { return double(longestNs_) / 1e6; }
    // Gaps longer than the threshold, counted once each.
    int gapsOver(double ms) const;
    int ticks() const { return ticks_; }

private:
    void tick();
    void close(qint64 now);

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastNs_ = 0;
    qint64 longestNs_ = 0;
    QList<qint64> gapsNs_;
    int ticks_ = 0;
    bool running_ = false;
};
