#pragma once

#include "link/exchangeport.h"
#include "link/postbox.h"

#include <QPointer>
#include <memory>

class QThread;
class ReaderLink;

// ReaderLink as an ExchangePort. From another thread, exchange() hands the request to the
// link's thread as a queued call, where the link starts it without a nested wait, and blocks
// on a condition variable until the link's thread has its answer. On the link's own thread
// (the command line's simple commands, tests) it is the link's exchange() itself.
//
// The port closes when the link is destroyed, when the program closes its waits
// (waits::cancelAll) or on close(): an exchange waiting then, and every one after, ends at
// once as NoReader, so that a job ends instead of waiting for a thread that no longer answers.
class LinkPort : public ExchangePort
{
public:
    // Made, used on the link's thread and destroyed there; exchange() from any thread.
    explicit LinkPort(ReaderLink &link);
    ~LinkPort() override;
    LinkPort(const LinkPort &) = delete;
    LinkPort &operator=(const LinkPort &) = delete;

    protocol::Exchange exchange(const protocol::Request &request) override;

    // Any thread.
    void close();
    bool isClosed() const;

private:
    struct Shared;
    // The exchange a closed port returns.
    static protocol::Exchange closedExchange(const protocol::Request &request);

    std::shared_ptr<Shared> shared_; // with the callbacks the link holds
    QPointer<ReaderLink> link_;      // read on the link's thread only
    QThread *linkThread_;
    PostBox box_; // on the link's thread: the requests handed over
    int cancelHook_;
};
