#include "support/pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

bool pumpUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= ms)
            loop.quit();
    });
    tick.start(2);
    if (!done())
        loop.exec();
    QCoreApplication::processEvents();
    return done();
}

void pumpFor(int ms)
{
    pumpUntil([] { return false; }, ms);
}
