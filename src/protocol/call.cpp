#include "protocol/call.h"

#include "link/frames.h"
#include "link/timestamp.h"
#include "protocol/commandtable.h"

namespace protocol
{

QByteArray exchange(ReaderLink &link, const Request &request, int waitMs)
{
    const int row = commandRow(request);
    switch (request.route) {
    case Route::Reader:
        return link.exchange(request.bytes, waitMs, row);
    case Route::PassThrough:
        return link.exchangeUhf(request.bytes, waitMs, row);
    case Route::Raw:
        return link.exchangeRaw(request.bytes, waitMs, row);
    }
    return {};
}

QByteArray sendOnly(ReaderLink &link, const Request &request, int replyWaitMs)
{
    const uint8_t address = link.settings().address;
    QByteArray frame = request.bytes;
    if (request.route == Route::Reader)
        frame = frames::hf(address, request.bytes);
    else if (request.route == Route::PassThrough)
        frame = frames::uhf(address, request.bytes);
    return link.sendRaw(frame, replyWaitMs, commandRow(request));
}

ExchangeRecord serialRecord(const Request &request)
{
    ExchangeRecord record;
    record.time = appclock::now();
    record.channel = ExchangeRecord::Channel::Serial;
    record.sent = request.bytes;
    record.command = commandRow(request);
    return record;
}

} // namespace protocol
