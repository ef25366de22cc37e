#pragma once

#include "serial/linesettings.h"

#include <QByteArray>

// Turns the bytes the driver delivers into the bytes received (see ReceiveOptions). Keeps
// its place in a mark sequence across reads, so a sequence split between two reads or two
// blocks is still resolved.
class ReceiveDecoder
{
public:
    void setOptions(const comm::ReceiveOptions &options);
    // Appends what raw[0..n) stands for to out: at most n + held() bytes.
    void feed(const char *raw, qsizetype n, QByteArray &out);
    // Bytes taken in earlier that may still come out (a lone FF waiting for its partner).
    qsizetype held() const { return state_ == State::AfterFF ? 1 : 0; }

private:
    enum class State { Plain, AfterFF, AfterMark };
    void put(char c, QByteArray &out) const;

    comm::ReceiveOptions options_;
    State state_ = State::Plain;
};
