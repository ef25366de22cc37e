#include "stallmeter.h"

StallMeter::StallMeter(int periodMs, QObject *parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(periodMs);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void StallMeter::start()
{
    longestNs_ = 0;
    gapsNs_.clear();
    ticks_ = 0;
    clock_.start();
    lastNs_ = 0;
    running_ = true;
    timer_.start();
}

void StallMeter::stop()
{
    if (!running_)
        return;
    timer_.stop();
    // A stall that is still going on when the measurement ends counts too.
    close(clock_.nsecsElapsed());
    running_ = false;
}

int StallMeter::gapsOver(double ms) const
{
    int n = 0;
    for (qint64 g : gapsNs_)
        if (double(g) / 1e6 > ms)
            ++n;
    return n;
}

void StallMeter::tick()
{
    ++ticks_;
    close(clock_.nsecsElapsed());
}

void StallMeter::close(qint64 now)
{
    const qint64 gap = now - lastNs_;
    gapsNs_ << gap;
    longestNs_ = qMax(longestNs_, gap);
    lastNs_ = now;
}
