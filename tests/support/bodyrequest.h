#pragma once

#include "protocol/commandtable.h"

#include <QByteArray>

// A command body for the link to frame with the device address, waited for waitMs: for tests
// of the link itself, which send bytes rather than typed calls.
inline protocol::Request bodyRequest(QByteArray body, int waitMs)
{
    protocol::Request request = protocol::typedRequest(std::move(body), protocol::Route::Reader);
    request.waitMs = waitMs;
    return request;
}
