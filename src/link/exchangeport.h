#pragma once

#include "protocol/exchange.h"
#include "protocol/request.h"

// The reader as a job sees it: one exchange at a time, each returning how it went. A job on
// its own thread blocks in exchange() until the answer is there; it never spins.
class ExchangePort
{
public:
    virtual ~ExchangePort() = default;
    virtual protocol::Exchange exchange(const protocol::Request &request) = 0;
};
