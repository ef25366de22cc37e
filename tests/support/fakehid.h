#pragma once

#include "link/hidtransport.h"

#include <QList>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

// A device the I/O thread reads from while the test feeds it: every member behind one lock.
struct FakeHid : HidDevice {
    std::mutex lock;
    QList<QByteArray> written;
    QList<QByteArray> input;                // reports the device will deliver
    QList<int> timeouts;                    // of the reads that found nothing
    QList<qsizetype> emptyReadsBeforeWrite; // per write: how many reads had found nothing
    bool gone = false;                      // unplugged: every call fails
    bool silentWaits = true;                // an empty read waits its whole time-out, as hidraw does
    // Answers every frame written with this report at once (empty: no answer).
    QByteArray echo;

    void feed(const QByteArray &report)
    {
        const std::lock_guard g(lock);
        input << report;
    }
    void unplug()
    {
        const std::lock_guard g(lock);
        gone = true;
    }
    int writeReport(const QByteArray &r) override
    {
        const std::lock_guard g(lock);
        if (gone)
            return -1;
        written << r;
        emptyReadsBeforeWrite << timeouts.size();
        if (!echo.isEmpty())
            input << echo;
        return int(r.size());
    }
    int readReport(uint8_t *buf, int max, int timeoutMs) override
    {
        {
            const std::lock_guard g(lock);
            if (gone)
                return -1;
            if (!input.isEmpty()) {
                const QByteArray r = input.takeFirst();
                const int n = int(qMin<qsizetype>(max, r.size()));
                std::memcpy(buf, r.constData(), size_t(n));
                return n;
            }
            timeouts << timeoutMs;
        }
        if (silentWaits)
            std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return 0;
    }
};

// Hands out the devices it is given, one per open; says why when it has none (empty: no
// reader plugged in). The devices are owned by the transport once handed out.
struct FakeHidOpener : HidOpener {
    std::mutex lock;
    QList<FakeHid *> devices;
    QString why;
    int opens = 0;

    // Plugs a device in: the next open finds it.
    FakeHid *plug()
    {
        auto *device = new FakeHid;
        const std::lock_guard g(lock);
        devices << device;
        return device;
    }
    std::unique_ptr<HidDevice> open(QString &w) override
    {
        const std::lock_guard g(lock);
        ++opens;
        if (devices.isEmpty()) {
            w = why;
            return nullptr;
        }
        return std::unique_ptr<HidDevice>(devices.takeFirst());
    }
    ~FakeHidOpener() override { qDeleteAll(devices); }
};
