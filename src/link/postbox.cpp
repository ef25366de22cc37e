#include "link/postbox.h"

#include <QCoreApplication>
#include <QEvent>

namespace
{
QEvent::Type callEvent()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}
} // namespace

void PostBox::post(std::function<void()> call)
{
    auto *event = new QEvent(callEvent());
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    posted_.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(this, event);
}

bool PostBox::event(QEvent *event)
{
    posted_.load(std::memory_order_acquire);
    if (event->type() != callEvent())
        return QObject::event(event);
    std::function<void()> call;
    {
        const std::lock_guard lock(mutex_);
        if (calls_.empty())
            return true;
        call = std::move(calls_.front());
        calls_.pop_front();
    }
    call();
    return true;
}
