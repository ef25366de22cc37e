#pragma once

#include "cli/failures.h"
#include "cli/output.h"
#include "cli/runoptions.h"
#include "link/exchangerecord.h"
#include "protocol/reply.h"
#include "protocol/request.h"

#include <QFile>
#include <QObject>
#include <memory>

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
    // The command's own wait, or --timeout when given.
    int wait(int commandWaitMs) const { return options_.timeoutMs.value_or(commandWaitMs); }

    // Sends a request and returns the reply (empty when none came); throws NoReader when there
    // is no reader or it cannot be opened.
    QByteArray exchange(const protocol::Request &request, int waitMs);
    // The same for a command whose answer is optional: the reply that came within waitMs.
    QByteArray sendOnly(const protocol::Request &request, int waitMs);
    // A whole frame or a body framed with the address, for `send`; no command table row.
    QByteArray exchangeBytes(const QByteArray &bytes, bool raw, int waitMs);
    // The record of the last USB exchange.
    const ExchangeRecord &lastRecord() const { return last_; }
    // An exchange made on the serial line, for the trace.
    void record(const ExchangeRecord &record);

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

    // Throws NoReader (with why: no reader found, no permission, gone) when the last exchange
    // did not reach the reader; for commands whose exchanges go through the link directly.
    void checkReached();

private:
    void onExchanged(const ExchangeRecord &record);

    RunOptions options_;
    Output &output_;
    std::unique_ptr<SimulatedReader> simulator_;
    std::unique_ptr<PtyUhfModule> module_;
    std::unique_ptr<UsbTransport> transport_;
    std::unique_ptr<ReaderLink> link_;
    ExchangeRecord last_;
    QStringList notices_; // the link's lines since the last exchange began
    QFile trace_;
};

} // namespace cli
