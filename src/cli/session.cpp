#include "cli/session.h"

#include "base/errors.h"
#include "link/hidpathopener.h"
#include "link/hidtransport.h"
#include "link/readerlink.h"
#include "protocol/errorcodes.h"
#include "protocol/trace.h"
#include "serial/portscan.h"
#include "sim/fieldstatefile.h"
#include "sim/ptyuhfmodule.h"
#include "sim/simulatedreader.h"

namespace cli
{

Session::Session(const RunOptions &options, Output &output) : options_(options), output_(output)
{
    if (options_.simulate) {
        simulator_ = std::make_unique<SimulatedReader>(*options_.simulate);
        if (options_.simulatedFieldTags) {
            simulator_->uhf().fillField(*options_.simulatedFieldTags);
            // What one run writes to the field's tags, the next run finds there.
            fieldState_ = std::make_unique<FieldStateFile>(simulator_->uhf(), FieldStateFile::defaultFolder());
            connect(fieldState_.get(), &FieldStateFile::problem, this,
                    [this](const QString &message) { output_.error(message); });
            fieldState_->load();
        }
        module_ = std::make_unique<PtyUhfModule>(simulator_->uhf(), &simulator_->faults());
        // `serial ports` lists the module's line, e.g. as "pts/3".
        if (module_->isOpen())
            portscan::addExtraPath(module_->devicePath());
    }
}

Session::~Session()
{
    if (module_ && module_->isOpen())
        portscan::removeExtraPath(module_->devicePath());
    link_.reset();
}

void Session::openTrace()
{
    if (options_.traceFile.isEmpty())
        return;
    trace_.setFileName(options_.traceFile);
    if (!trace_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw UserError(
            QStringLiteral("--trace: cannot write '%1': %2.").arg(options_.traceFile, trace_.errorString()));
}

ReaderLink &Session::link()
{
    if (link_)
        return *link_;
    UsbTransport *transport = simulator_.get();
    if (!transport) {
        transport_ =
            std::make_unique<HidTransport>(makeHidapiOpener(options_.vid.value_or(0), options_.pid.value_or(0)));
        transport = transport_.get();
    }
    link_ = std::make_unique<ReaderLink>(*transport);
    if (options_.address)
        link_->setAddress(*options_.address);
    connect(link_.get(), &ReaderLink::notice, this, [this](const QString &line) { notices_ << line; });
    // Every exchange of the link, the batch's too, goes to the trace file.
    connect(link_.get(), &ReaderLink::exchanged, this, &Session::record);
    return *link_;
}

void Session::record(const protocol::Exchange &exchange)
{
    if (!trace_.isOpen())
        return;
    trace_.write(protocol::traceLine(exchange).toUtf8() + '\n');
    trace_.flush();
}

void Session::checkReached(const protocol::Exchange &exchange) const
{
    using Outcome = protocol::Exchange::Outcome;
    if (exchange.outcome == Outcome::Gone)
        throw NoReader(QStringLiteral("the reader went away during the command."));
    if (exchange.outcome == Outcome::TooLong)
        throw UserError(QStringLiteral("the frame is longer than the reader takes (%1 bytes, at most 255): not sent.")
                            .arg(exchange.sent.size()));
    if (exchange.outcome != Outcome::NoReader)
        return;
    // The transport says once why the reader cannot be opened (no permission ...).
    for (const QString &n : notices_)
        if (n != kWriteFailed && !n.startsWith(QLatin1String("Receive...")))
            throw NoReader(n);
    if (!options_.device.isEmpty())
        throw NoReader(
            QStringLiteral("no HID device at %1; `rfidctl devices` lists what is there.").arg(options_.device));
    const QString which = options_.vid ? QStringLiteral("no USB reader %1:%2 found")
                                             .arg(*options_.vid, 4, 16, QLatin1Char('0'))
                                             .arg(*options_.pid, 4, 16, QLatin1Char('0'))
                                       : QStringLiteral("no USB reader found (no HID device with a vendor-defined "
                                                        "usage page)");
    throw NoReader(which + QStringLiteral("; `rfidctl devices` lists what is there."));
}

protocol::Exchange Session::exchange(protocol::Request request)
{
    const protocol::Exchange done = tryExchange(std::move(request));
    checkReached(done);
    return done;
}

protocol::Exchange Session::tryExchange(protocol::Request request)
{
    ReaderLink &l = link();
    notices_.clear();
    request.waitMs = waitFor(request);
    return l.exchange(request);
}

void Session::require(protocol::Status status, std::optional<uint8_t> errorCode, int waitMs, const Record &found) const
{
    using protocol::Status;
    switch (status) {
    case Status::Success:
        return;
    case Status::NoReply:
        throw ReaderFailure(QStringLiteral("no_reply"),
                            QStringLiteral("no reply from the reader within %1 ms.").arg(waitMs), std::nullopt, found);
    case Status::Refused: {
        const QString meaning = protocol::errorText(errorCode);
        QString message = QStringLiteral("the reader refused the command");
        if (errorCode)
            message += QStringLiteral(": error %1").arg(hexText(QByteArray(1, char(*errorCode))));
        if (!meaning.isEmpty())
            message += QStringLiteral(" (%1)").arg(meaning);
        throw ReaderFailure(QStringLiteral("refused"), message + QLatin1Char('.'), errorCode, found);
    }
    case Status::Damaged:
        throw ReaderFailure(QStringLiteral("damaged"),
                            QStringLiteral("the reader's reply is damaged (neither success nor refusal)."),
                            std::nullopt, found);
    }
}

} // namespace cli
