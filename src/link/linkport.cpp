#include "link/linkport.h"

#include "base/clock.h"
#include "link/readerlink.h"
#include "link/waits.h"

#include <QThread>
#include <condition_variable>
#include <mutex>
#include <optional>

struct LinkPort::Shared {
    // One exchange handed to the link's thread.
    struct Call {
        std::optional<protocol::Exchange> answer;
    };

    std::mutex mutex; // guards closed and every Call's answer
    std::condition_variable answered;
    bool closed = false;

    void answer(Call &call, const protocol::Exchange &exchange)
    {
        {
            const std::lock_guard lock(mutex);
            call.answer = exchange;
        }
        answered.notify_all();
    }
    void close()
    {
        {
            const std::lock_guard lock(mutex);
            closed = true;
        }
        answered.notify_all();
    }
};

LinkPort::LinkPort(ReaderLink &link) : shared_(std::make_shared<Shared>()), link_(&link), linkThread_(link.thread())
{
    // The box goes with the port, and the connection with it.
    QObject::connect(&link, &QObject::destroyed, &box_, [shared = shared_] { shared->close(); });
    cancelHook_ = waits::addCancelHook([shared = shared_] { shared->close(); });
}

LinkPort::~LinkPort()
{
    waits::removeCancelHook(cancelHook_);
    shared_->close();
}

void LinkPort::close()
{
    shared_->close();
}

bool LinkPort::isClosed() const
{
    const std::lock_guard lock(shared_->mutex);
    return shared_->closed;
}

protocol::Exchange LinkPort::closedExchange(const protocol::Request &request)
{
    protocol::Exchange e;
    e.time = appclock::now();
    e.row = request.row;
    e.outcome = protocol::Exchange::Outcome::NoReader;
    return e;
}

protocol::Exchange LinkPort::exchange(const protocol::Request &request)
{
    if (QThread::currentThread() == linkThread_) {
        if (isClosed() || !link_)
            return closedExchange(request);
        return link_->exchange(request);
    }
    auto call = std::make_shared<Shared::Call>();
    {
        const std::lock_guard lock(shared_->mutex);
        if (shared_->closed)
            return closedExchange(request);
    }
    box_.post([this, call, request] {
        if (!link_) {
            shared_->close();
            return;
        }
        link_->start(request, [shared = shared_, call](const protocol::Exchange &e) { shared->answer(*call, e); });
    });
    std::unique_lock lock(shared_->mutex);
    shared_->answered.wait(lock, [&] { return call->answer.has_value() || shared_->closed; });
    if (call->answer)
        return *call->answer;
    return closedExchange(request);
}
