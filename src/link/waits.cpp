#include "link/waits.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <vector>

namespace waits
{
namespace
{

std::atomic<bool> g_cancelled{false};

struct Waiter {
    QEventLoop *loop;
    const std::function<bool()> *done;
};

std::vector<Waiter> &waiters()
{
    static std::vector<Waiter> w;
    return w;
}

struct CancelHook {
    int key;
    std::function<void()> hook;
};

std::vector<CancelHook> &cancelHooks()
{
    static std::vector<CancelHook> h;
    return h;
}

std::function<void(const Record &)> &watcher()
{
    static std::function<void(const Record &)> w;
    return w;
}

void report(int ms, End end)
{
    if (watcher())
        watcher()({ms, end});
}

} // namespace

void waitUntil(int ms, const std::function<bool()> &done)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (g_cancelled)
        return report(ms, End::Cancelled);
    if (done())
        return report(ms, End::Condition);
    if (ms <= 0)
        return report(ms, End::Time);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    waiters().push_back({&loop, &done});
    timer.start(ms);
    loop.exec();
    auto &w = waiters();
    for (auto it = w.begin(); it != w.end(); ++it)
        if (it->loop == &loop) {
            w.erase(it);
            break;
        }
    if (watcher()) {
        // A loop ended by something else than its timer or its condition was ended by the
        // application closing.
        const End end = g_cancelled         ? End::Cancelled
                        : !timer.isActive() ? End::Time
                        : done()            ? End::Condition
                                            : End::Cancelled;
        report(ms, end);
    }
}

void notify()
{
    // Copy: a condition may run code that starts or ends other waits.
    const auto current = waiters();
    for (const Waiter &w : current)
        if (g_cancelled || (*w.done)())
            w.loop->quit();
}

void cancelAll()
{
    g_cancelled = true;
    for (const Waiter &w : waiters())
        w.loop->quit();
    // Copy: a hook may remove itself or another.
    const auto hooks = cancelHooks();
    for (const CancelHook &h : hooks)
        h.hook();
}

int addCancelHook(std::function<void()> hook)
{
    static int lastKey = 0;
    const int key = ++lastKey;
    if (g_cancelled)
        hook();
    cancelHooks().push_back({key, std::move(hook)});
    return key;
}

void removeCancelHook(int key)
{
    auto &h = cancelHooks();
    for (auto it = h.begin(); it != h.end(); ++it)
        if (it->key == key) {
            h.erase(it);
            return;
        }
}

bool cancelled()
{
    return g_cancelled;
}

void resetForTests()
{
    g_cancelled = false;
}

void setWatcher(std::function<void(const Record &)> w)
{
    watcher() = std::move(w);
}

} // namespace waits
