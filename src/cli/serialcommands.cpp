#include "base/errors.h"
#include "cli/commandkit.h"
#include "cli/sectoroptions.h"
#include "cli/serialline.h"
#include "protocol/errorcodes.h"
#include "protocol/workmodes.h"
#include "serial/portscan.h"
#include "sim/ptyuhfmodule.h"

#include <QElapsedTimer>
#include <QJsonArray>

namespace cli
{

namespace
{

namespace wm = protocol::workmodes;
const QStringList kBauds = {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                            QStringLiteral("57600"), QStringLiteral("115200")};
const QStringList kModes = {QStringLiteral("single"), QStringLiteral("passive"), QStringLiteral("multi"),
                            QStringLiteral("tid"),    QStringLiteral("sector"),  QStringLiteral("usb-hid")};

Action ports()
{
    return {.name = QStringLiteral("ports"),
            .summary = QStringLiteral("List the serial ports that can be opened now."),
            .help = QStringLiteral("ttyUSB, ttyACM and ttyS ports that open; with --simulate also the simulated "
                                   "module's pseudo-terminal (as pts/N)."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &) -> std::optional<Record> {
                    const QStringList names = portscan::GetPorts();
                    Record r;
                    QJsonArray list;
                    for (const QString &n : names) {
                        list << portscan::pathOf(n);
                        r.note(portscan::pathOf(n));
                    }
                    if (names.isEmpty())
                        r.note(QStringLiteral("No serial port can be opened."));
                    r.data(QStringLiteral("ports"), list);
                    return r;
                };
            }};
}

Action mode()
{
    return {
        .name = QStringLiteral("mode"),
        .args = QStringLiteral("[--port DEV] [--baud N] single|passive|multi|tid|sector|usb-hid [--sector N] "
                               "[--address N] [--length N] [--password HEX]"),
        .summary = QStringLiteral("Set the UHF module's work mode over its serial line."),
        .help = QStringLiteral("The reading modes as uhf mode has them; usb-hid switches the module to USB HID "
                               "(keyboard output). The port is opened for the command and closed after it."),
        .options =
            QList<Option>{option("port", "DEV",
                                 "The serial port (/dev/ttyUSB0 or ttyUSB0); with --simulate the "
                                 "simulated module's line when not given."),
                          option("baud", "N", "The baud rate: 9600 (the default), 19200, 38400, 57600 or 115200.")} +
            sectorOptions(),
        .choices = kModes,
        .prepare = [](CommandArgs &args) -> Runner {
            const int m = choiceIndex(args, QStringLiteral("MODE"), kModes);
            args.done();
            const auto port = args.value(QStringLiteral("port"));
            if ((port && port->isEmpty()) || (!port && !args.simulated()))
                args.fail(QStringLiteral("--port DEV is missing: which serial port? (`rfidctl serial ports` lists "
                                         "them)"));
            const quint32 baud =
                args.choice(args.value(QStringLiteral("baud")).value_or(kBauds[0]), QStringLiteral("--baud"), kBauds)
                    .toUInt();
            const SectorArgs sector = sectorArgs(args, m == 4);
            static const wm::Mode modes[] = {wm::Mode::Single, wm::Mode::Passive, wm::Mode::Multiple, wm::Mode::Tid};
            const protocol::Request request =
                m < 4    ? wm::readingMode(modes[m])
                : m == 4 ? wm::memorySector(sector.sector, sector.password, sector.address, sector.length)
                         : wm::usbHid();
            return [request, port, baud, m](Session &s) -> std::optional<Record> {
                QString path = port ? portscan::pathOf(*port) : QString();
                if (path.isEmpty()) {
                    if (!s.simulatedModule() || !s.simulatedModule()->isOpen())
                        throw NoReader(QStringLiteral("the simulated module has no pseudo-terminal."));
                    path = s.simulatedModule()->devicePath();
                }
                SerialLine line(path, baud);
                protocol::Exchange record = protocol::serialExchange(request);
                QElapsedTimer clock;
                clock.start();
                const int wait = s.waitFor(request);
                const QByteArray reply = line.exchange(request.bytes, wait);
                record.latencyUs = clock.nsecsElapsed() / 1000;
                record.reply = reply;
                record.outcome =
                    reply.isEmpty() ? protocol::Exchange::Outcome::NoAnswer : protocol::Exchange::Outcome::Answered;
                s.record(record);
                Record r;
                r.add(QStringLiteral("port"), path);
                r.add(QStringLiteral("mode"), kModes[m]);
                const auto status = wm::status(reply);
                if (!status)
                    throw ReaderFailure(
                        reply.isEmpty() ? QStringLiteral("no_reply") : QStringLiteral("damaged"),
                        reply.isEmpty() ? QStringLiteral("no reply from the module within %1 ms.").arg(wait)
                                        : QStringLiteral("the module's reply is too short (%1).").arg(hexText(reply)),
                        std::nullopt, r);
                r.hex(QStringLiteral("status"), QByteArray(1, char(*status)));
                // A reading mode answers with the mode it set; the switch to USB HID with 00.
                const bool ok = m == 5 ? *status == 0x00 : *status <= wm::kMaxMode;
                if (!ok) {
                    const QString meaning = falsereason(hexText(QByteArray(1, char(*status))));
                    throw ReaderFailure(QStringLiteral("refused"),
                                        QStringLiteral("the module refused: status %1%2.")
                                            .arg(hexText(QByteArray(1, char(*status))),
                                                 meaning.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(meaning)),
                                        *status, r);
                }
                return r;
            };
        }};
}

} // namespace

Family serialFamily()
{
    return {QStringLiteral("serial"), QStringLiteral("the UHF module on a serial port"), QString(), {ports(), mode()}};
}

} // namespace cli
