#include "serial/commnotifier.h"

#include <QCoreApplication>
#include <QEvent>

namespace
{
QEvent::Type noticeEvent()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}
} // namespace

CommNotifier::CommNotifier(Handler handler, QObject *parent) : QObject(parent), handler_(std::move(handler))
{
    noticeEvent();
}

CommNotifier::~CommNotifier() = default;

void CommNotifier::post(CommNotice notice)
{
    auto *event = new QEvent(noticeEvent());
    {
        std::lock_guard lock(mutex_);
        notices_.push_back(std::move(notice));
    }
    // Publishes the event's own memory: the framework's queue hands it over under a lock the
    // race checker cannot see, and event() reads it before taking ours.
    posted_.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(this, event);
}

bool CommNotifier::event(QEvent *event)
{
    posted_.load(std::memory_order_acquire);
    if (event->type() != noticeEvent())
        return QObject::event(event);
    CommNotice notice;
    {
        std::lock_guard lock(mutex_);
        if (notices_.empty())
            return true;
        notice = std::move(notices_.front());
        notices_.pop_front();
    }
    // The block is released with the notice once the handler returns.
    if (handler_)
        handler_(notice);
    return true;
}
