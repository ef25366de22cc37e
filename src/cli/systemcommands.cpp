#include "cli/commandkit.h"
#include "link/readerlink.h"
#include "protocol/system.h"

namespace cli
{

namespace
{

namespace sys = protocol::hfsystem;

Action info()
{
    return {.name = QStringLiteral("info"),
            .summary = QStringLiteral("Read the reader's device address and serial number."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const auto id = callParsed(s, sys::readIdentity(), sys::parseIdentity);
                    Record r;
                    r.hex(QStringLiteral("address"), QByteArray(1, char(id.address.value_or(0))));
                    r.hex(QStringLiteral("serial_number"), id.serialNumber);
                    return r;
                };
            }};
}

Action address()
{
    return {.name = QStringLiteral("address"),
            .args = QStringLiteral("HEX"),
            .summary = QStringLiteral("Set the reader's device address (one byte in hex)."),
            .help = QStringLiteral("Later commands of the same run go to the new address."),
            .prepare = [](CommandArgs &args) -> Runner {
                const uint8_t a = uint8_t(args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"), 1, 1)[0]);
                args.done();
                return [a](Session &s) -> std::optional<Record> {
                    call(s, sys::setAddress(a));
                    s.link().setAddress(a);
                    Record r;
                    r.hex(QStringLiteral("address"), QByteArray(1, char(a)));
                    return r;
                };
            }};
}

Action baud()
{
    return {.name = QStringLiteral("baud"),
            .args = QStringLiteral("RATE"),
            .summary = QStringLiteral("Set the reader's baud rate: 9600, 19200, 38400, 57600 or 115200."),
            .choices = sys::baudRates(),
            .prepare = [](CommandArgs &args) -> Runner {
                const QString rate =
                    args.choice(args.take(QStringLiteral("RATE")), QStringLiteral("RATE"), sys::baudRates());
                args.done();
                return sendsOnly(sys::setBaudRate(uint8_t(sys::baudCode(rate))));
            }};
}

Action serialNumber()
{
    return {.name = QStringLiteral("serial-number"),
            .args = QStringLiteral("HEX"),
            .summary = QStringLiteral("Set the reader's serial number (8 bytes in hex)."),
            .prepare = [](CommandArgs &args) -> Runner {
                const QByteArray serial = args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"), 8, 8);
                args.done();
                return sendsOnly(sys::setSerialNumber(serial));
            }};
}

Action signal(const char *name, sys::Signal which, const char *what)
{
    return {.name = QString::fromLatin1(name),
            .args = QStringLiteral("PERIOD COUNT"),
            .summary =
                QStringLiteral("Let the %1 signal COUNT times with PERIOD (each 0 to 255).").arg(QLatin1String(what)),
            .prepare = [which](CommandArgs &args) -> Runner {
                const int period = args.takeNumber(QStringLiteral("PERIOD"), 0, 255);
                const int count = args.takeNumber(QStringLiteral("COUNT"), 0, 255);
                args.done();
                return sendsOnly(sys::signal(which, uint8_t(period), uint8_t(count)));
            }};
}

} // namespace

Family systemFamily()
{
    return {QStringLiteral("system"),
            QStringLiteral("the HF reader's own settings"),
            QString(),
            {info(), address(), baud(), serialNumber(), signal("led", sys::Signal::Led, "LED"),
             signal("led-r", sys::Signal::LedR, "LED-R"), signal("buzzer", sys::Signal::Buzzer, "buzzer"),
             readingModeAction([](bool active) { return sys::readingMode(active); })}};
}

} // namespace cli
