#pragma once

#include <QByteArray>
#include <QObject>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

// One notice of a worker thread: the message number, its value (a count, error flags or
// modem bits) and, for received data, the block.
struct CommNotice {
    int message = 0;
    quint32 value = 0;
    QByteArray block;
};

// Carries the worker threads' notices to the thread that owns the notifier (the main
// thread): each notice is queued here and announced by a posted event, and the event hands
// the oldest queued notice to the handler, so the handler sees them in the order they were
// posted, on its own thread. The queue has its own lock so that the hand-over of each
// block is a plain, checkable synchronisation.
class CommNotifier : public QObject
{
public:
    using Handler = std::function<void(const CommNotice &)>;

    explicit CommNotifier(Handler handler, QObject *parent = nullptr);
    ~CommNotifier() override;

    // Any thread.
    void post(CommNotice notice);

protected:
    bool event(QEvent *event) override;

private:
    Handler handler_;
    std::mutex mutex_;
    std::deque<CommNotice> notices_;
    std::atomic<unsigned> posted_{0};
};
