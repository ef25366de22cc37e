#pragma once

#include <QObject>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

// Hands functions from any thread to the thread this object lives on, where they run from its
// event loop in the order they were posted. What is still queued when the box is destroyed
// never runs. (A locked queue and a posted event, as the USB transport hands its replies
// over, so that the race checker sees every hand-over.)
class PostBox : public QObject
{
public:
    explicit PostBox(QObject *parent = nullptr) : QObject(parent) {}

    // Any thread, while the box exists.
    void post(std::function<void()> call);

protected:
    bool event(QEvent *event) override;

private:
    std::mutex mutex_; // guards calls_
    std::deque<std::function<void()>> calls_;
    // Publishes each posted event's own memory: the framework's event queue hands it over
    // under a lock the race checker cannot see.
    std::atomic<unsigned> posted_{0};
};
