#include "cli/commandkit.h"
#include "diag/doctor.h"

#include <QJsonArray>
#include <QJsonObject>

namespace cli
{

namespace
{

QJsonObject findingJson(const diag::Finding &f)
{
    return {{QStringLiteral("severity"), diag::severityName(f.severity)},
            {QStringLiteral("check"), f.check},
            {QStringLiteral("summary"), f.summary},
            {QStringLiteral("details"), QJsonArray::fromStringList(f.details)},
            {QStringLiteral("fix"), QJsonArray::fromStringList(f.fix)},
            {QStringLiteral("commands"), QJsonArray::fromStringList(diag::fixCommands(f))}};
}

// The same checks and text as the window's "Diagnose connection...". A finding of the error
// kind fails the command, so that a script can stop on a machine that is not ready.
Record diagnose()
{
    const QList<diag::Finding> findings = diag::Doctor(diag::DoctorOptions::forThisProcess()).run();
    Record r;
    QJsonArray list;
    for (const diag::Finding &f : findings)
        list << findingJson(f);
    r.data(QStringLiteral("findings"), list);
    r.data(QStringLiteral("verdict"), diag::verdict(findings));
    QString report = diag::formatReport(findings);
    if (report.endsWith(QLatin1Char('\n')))
        report.chop(1);
    for (const QString &line : report.split(QLatin1Char('\n')))
        r.note(line);
    if (diag::worstSeverity(findings) == diag::Severity::Error)
        throw ReaderFailure(QStringLiteral("failed"), diag::verdict(findings), std::nullopt, r);
    return r;
}

} // namespace

Family doctorFamily()
{
    Action doctor{
        .summary = QStringLiteral("Find out why a reader or a serial port cannot be reached, and what fixes it."),
        .help = QStringLiteral(
            "Checks the USB HID readers (is one plugged in, may you open its hidraw node), the udev rule, the "
            "serial ports (is each a terminal, may you open it, is your user in the group that owns it), and "
            "the programs that get in the way (a modem manager or braille driver claiming a USB-serial adapter, "
            "a process holding a port open, named with its PID). Each finding is printed with its details and "
            "the fix, the commands indented; then the verdict. It opens no device: opening a serial port raises "
            "its modem lines, which resets some boards.\n\n"
            "Exit status 0 when nothing keeps a reader from being reached (warnings and notes do not count), 1 "
            "when a finding is an error. The same checks run in the window under Tools > Diagnose connection. "
            "RFID_DIAG_ROOT, when set, is a folder read instead of / (sysfs, /proc, /dev and /etc below it)."),
        .prepare = [](CommandArgs &args) -> Runner {
            args.done();
            return [](Session &) -> std::optional<Record> { return diagnose(); };
        }};
    return {QStringLiteral("doctor"), QStringLiteral("why a reader cannot be reached"), QString(), {doctor}};
}

} // namespace cli
