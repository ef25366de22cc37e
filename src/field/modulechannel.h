#pragma once

#include "protocol/exchange.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace field
{

// How the field's code reaches the reader: one request in, the exchange out. On the window's
// thread it is ReaderLink::exchange; on a job's thread the job's blocking port. Either waits for
// the reply as the request's wait says.
using Exchanger = std::function<protocol::Exchange(const protocol::Request &)>;

// What came back for one module command, judged from the exchange's outcome first and then the
// reply's module frames.
struct ModuleAnswer {
    enum class Kind {
        Frames,      // the module answered: frames (each whole and checked), rest behind them
        NoTag,       // the reader said no tag is there (its error 83)
        NoAnswer,    // nothing in time, a damaged reply, the reader's own refusal (module silent)
        ReaderGone,  // the frame could not be written, or the reader went away
        Unsupported, // the reader does not know the command (no UHF module behind it)
        TooLong,     // the frame or its reply would not fit the reader (error 10): ask for less
    };
    Kind kind = Kind::NoAnswer;
    std::vector<QByteArray> frames;
    QByteArray rest;
    // The first frame, when there is one.
    const QByteArray *first() const { return frames.empty() ? nullptr : &frames.front(); }
};

// One module command at a time through the exchange function. USB replies carry the module's
// frames behind the reader's status; on the serial line the reply is the module's frames.
class ModuleChannel
{
public:
    // waitMs: every exchange's wait instead of each command's own (rfidctl --timeout).
    explicit ModuleChannel(Exchanger exchanger, std::optional<int> waitMs = std::nullopt);

    ModuleAnswer send(protocol::Request request);

    // How the last exchange went (whether and why the reader could not be reached).
    const protocol::Exchange &lastExchange() const { return last_; }
    qint64 exchanges() const { return exchanges_; }
    // Why the last answer was not the module's, in words; empty when it was.
    const QString &why() const { return why_; }

private:
    Exchanger exchanger_;
    std::optional<int> waitMs_;
    protocol::Exchange last_;
    qint64 exchanges_ = 0;
    QString why_;
};

} // namespace field
