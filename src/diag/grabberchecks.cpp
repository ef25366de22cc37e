#include "diag/checkcontext.h"
#include "diag/serialbridges.h"

namespace diag
{

namespace
{

QString pidsText(const QList<Process> &list)
{
    QStringList pids;
    for (const Process &p : list)
        pids.append(QString::number(p.pid));
    return pids.join(QStringLiteral(", "));
}

void checkModemManager(const CheckContext &c, QList<Finding> &findings)
{
    const QList<Process> running = c.processes.named(QStringLiteral("ModemManager"));
    if (running.isEmpty())
        return;
    // The rule sets ID_MM_DEVICE_IGNORE on the adapters it knows; the rest get probed.
    QStringList exposed;
    for (const SerialPort &port : c.ports)
        if (!(c.ruleActive() && port.usb && serialBridgeChip(port.usb->vid, port.usb->pid)))
            exposed.append(port.label());
    if (!c.ports.isEmpty() && exposed.isEmpty())
        return;

    Finding f;
    f.check = QStringLiteral("modemmanager");
    f.severity = exposed.isEmpty() ? Severity::Info : Severity::Warning;
    f.summary = QStringLiteral("ModemManager (pid %1) is running. For some seconds after a serial adapter is "
                               "plugged in it holds the port and sends modem commands to it, which a UHF module "
                               "does not expect.")
                    .arg(pidsText(running));
    if (!exposed.isEmpty())
        f.details << QStringLiteral("Not kept from it: %1.").arg(exposed.join(QStringLiteral(", ")));
    else
        f.details << QStringLiteral("No adapter is plugged in now; the udev rule keeps it from the adapters it knows.");
    f.fix << QStringLiteral("If this machine has no mobile-broadband modem, stop it for good:")
          << QStringLiteral("  sudo systemctl disable --now ModemManager");
    if (!c.ruleActive())
        f.fix << QStringLiteral("or install the udev rule, which keeps it from the common adapter chips "
                                "(see the finding about the rule).");
    findings.append(f);
}

void checkBrltty(const CheckContext &c, QList<Finding> &findings)
{
    const QList<Process> running = c.processes.named(QStringLiteral("brltty"));
    if (running.isEmpty())
        return;
    // brltty claims the USB device itself, so the adapter is there but its tty is not.
    QStringList portless;
    for (const UsbDevice &d : c.usb) {
        if (!serialBridgeChip(d.vid, d.pid))
            continue;
        bool hasPort = false;
        for (const SerialPort &port : c.ports)
            hasPort = hasPort || (port.usb && port.usb->sysPath == d.sysPath);
        if (!hasPort)
            portless.append(d.label());
    }
    Finding f;
    f.check = QStringLiteral("brltty");
    if (portless.isEmpty()) {
        f.severity = Severity::Warning;
        f.summary = QStringLiteral("brltty (pid %1), the braille display service, is running. It takes USB-serial "
                                   "adapters with common chips for braille displays, and their serial port "
                                   "disappears.")
                        .arg(pidsText(running));
    } else {
        f.severity = Severity::Error;
        f.summary = QStringLiteral("The USB-serial adapter %1 is plugged in but has no serial port: brltty "
                                   "(pid %2), the braille display service, has taken it for a braille display.")
                        .arg(portless.join(QStringLiteral(", ")), pidsText(running));
    }
    f.fix << QStringLiteral("If no braille display is used on this machine, remove it:")
          << QStringLiteral("  sudo apt remove brltty") << QStringLiteral("or keep it from taking adapters:")
          << QStringLiteral("  sudo systemctl mask brltty-udev.service")
          << QStringLiteral("  sudo systemctl stop brltty-udev.service brltty.service")
          << QStringLiteral("then unplug the adapter and plug it in again.");
    findings.append(f);
}

} // namespace

void checkPortGrabbers(const CheckContext &c, QList<Finding> &findings)
{
    checkModemManager(c, findings);
    checkBrltty(c, findings);
}

} // namespace diag
