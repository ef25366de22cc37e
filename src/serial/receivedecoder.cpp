#include "serial/receivedecoder.h"

void ReceiveDecoder::setOptions(const comm::ReceiveOptions &options)
{
    options_ = options;
    if (!options_.marked)
        state_ = State::Plain;
}

void ReceiveDecoder::put(char c, QByteArray &out) const
{
    if (options_.dropNull && c == 0)
        return;
    out.append(c);
}

void ReceiveDecoder::feed(const char *raw, qsizetype n, QByteArray &out)
{
    for (qsizetype i = 0; i < n; ++i) {
        const char c = raw[i];
        if (!options_.marked) {
            put(c, out);
            continue;
        }
        switch (state_) {
        case State::Plain:
            if (c == char(0xFF))
                state_ = State::AfterFF;
            else
                put(c, out);
            break;
        case State::AfterFF:
            if (c == char(0xFF)) {
                put(c, out); // a real FF, doubled by the driver
                state_ = State::Plain;
            } else if (c == 0) {
                state_ = State::AfterMark;
            } else {
                // Not a sequence the driver writes: keep both bytes as they came.
                put(char(0xFF), out);
                put(c, out);
                state_ = State::Plain;
            }
            break;
        case State::AfterMark:
            // c arrived with a parity or framing error (or is the NUL of a break).
            put(options_.replace ? options_.replacement : c, out);
            state_ = State::Plain;
            break;
        }
    }
}
