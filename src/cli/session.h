#pragma once

#include "cli/failures.h"
#include "cli/output.h"
#include "cli/runoptions.h"
#include "protocol/exchange.h"
#include "protocol/reply.h"
#include "protocol/request.h"

#include <QFile>
#include <QObject>
#include <memory>

class FieldStateFile;
class PtyUhfModule;
class ReaderLink;
class SimulatedReader;
class UsbTransport;

namespace cli
{

// One run of rfidctl: the reader is opened once, on the first command that needs it, and kept
// for every later command (a simulated reader keeps its state from one command to the next).
// Every exchange, USB or serial, goes to the trace file when one is given.
class Session : public QObject
{
    Q_OBJECT
public:
    Session(const RunOptions &options, Output &output);
    ~Session() override;

    const RunOptions &options() const { return options_; }
    Output &output() { return output_; }

    // Opens the trace file (throws UserError when it cannot be written).
    void openTrace();

    // The USB link, made on first use.
    ReaderLink &link();
    // The request's own wait, or --timeout when given.
    int waitFor(const protocol::Request &request) const { return options_.timeoutMs.value_or(request.waitMs); }

    // Sends a request with waitFor() as its wait and returns how it went (callers that want
    // the bytes take its reply); throws NoReader when there is no reader, it cannot be opened
    // or it went away, UserError when the frame is too long to send.
    protocol::Exchange exchange(protocol::Request request);
    // The same without the throws: how it went, for code below the command line that judges
    // the exchange itself (checkReached() then says why a reader was not reached).
    protocol::Exchange tryExchange(protocol::Request request);
    // Writes an exchange to the trace file: the link's, each as it ends, and those made on the
    // serial line.
    void record(const protocol::Exchange &exchange);

    // Throws ReaderFailure unless status is Success.
    void require(protocol::Status status, std::optional<uint8_t> errorCode, int waitMs, const Record &found = {}) const;
    template <class T> const T &require(const protocol::Result<T> &result, int waitMs, const Record &found = {}) const
    {
        require(result.status, result.errorCode, waitMs, found);
        return result.value;
    }

    // With --simulate: the simulated reader and its module on a pseudo-terminal.
    SimulatedReader *simulator() const { return simulator_.get(); }
    PtyUhfModule *simulatedModule() const { return module_.get(); }

    // Throws NoReader (with why: no reader found, no permission, gone) when exchange did not
    // reach the reader; for commands whose exchanges go through the link directly.
    void checkReached(const protocol::Exchange &exchange) const;

private:
    RunOptions options_;
    Output &output_;
    std::unique_ptr<SimulatedReader> simulator_;
    std::unique_ptr<PtyUhfModule> module_;
    std::unique_ptr<FieldStateFile> fieldState_; // the simulated field's memory between runs
    std::unique_ptr<UsbTransport> transport_;
    std::unique_ptr<ReaderLink> link_;
    QStringList notices_; // the link's lines since the last exchange began
    QFile trace_;
};

} // namespace cli
