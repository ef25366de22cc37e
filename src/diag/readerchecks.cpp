#include "diag/checkcontext.h"

namespace diag
{

namespace
{

constexpr uint usbBus = 0x0003; // the bus number in HID_ID

QString octal(uint mode)
{
    return QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0'));
}

QString pagesText(const std::vector<uint16_t> &pages)
{
    QStringList texts;
    for (uint16_t page : pages)
        texts.append(QStringLiteral("0x%1").arg(page, 4, 16, QLatin1Char('0')));
    return texts.isEmpty() ? QStringLiteral("no collections read") : texts.join(QStringLiteral(", "));
}

Finding noReader(const CheckContext &c)
{
    Finding f;
    f.severity = Severity::Error;
    f.check = QStringLiteral("no-reader");
    if (!c.hasUsb) {
        f.summary = QStringLiteral("No reader found: this machine shows no USB bus at all "
                                   "(nothing in /sys/bus/usb/devices).");
        f.fix << QStringLiteral("In a virtual machine or a container, pass the reader's USB device through to it;")
              << QStringLiteral("otherwise plug the reader into a USB port and run the check again.");
        return f;
    }
    if (c.usb.isEmpty()) {
        f.summary = QStringLiteral("No reader found: no USB device is plugged in.");
    } else {
        f.summary = QStringLiteral("No reader found: no HID device has a vendor-defined usage page "
                                   "(0xFF00 to 0xFFFF), which is how readers are recognised.");
        f.details << QStringLiteral("USB devices plugged in:");
        for (const UsbDevice &d : c.usb)
            f.details << QStringLiteral("  ") + d.label();
        if (!c.hidraw.isEmpty())
            f.details << QStringLiteral("HID devices and the usage pages of their collections:");
        for (const HidrawDevice &h : c.hidraw)
            f.details << QStringLiteral("  %1 %2: %3").arg(h.node, h.label(), pagesText(h.pages));
    }
    f.fix << QStringLiteral("Plug the reader in (with a data cable, not a charging-only one) and run the check again.");
    return f;
}

QStringList seatNote()
{
    return {QStringLiteral("The rule gives the device to the person logged in at the machine's own screen "
                           "and keyboard; in an SSH login or a second session it gives nothing.")};
}

Finding cannotOpen(const CheckContext &c, const HidrawDevice &reader, const NodeStatus &node, bool &ruleFixGiven)
{
    Finding f;
    f.severity = Severity::Error;
    f.check = QStringLiteral("hidraw-permission");
    f.summary = QStringLiteral("You cannot open the reader %1 at %2 (owner %3, group %4, mode %5).")
                    .arg(reader.label(), reader.node)
                    .arg(node.ownerUid == 0 ? QStringLiteral("root") : QString::number(node.ownerUid))
                    .arg(c.groupName(node.groupGid), octal(node.mode));
    if (!reader.firstIsVendor) {
        // The probe in the rule looks at the first collection only, so that a keyboard with a
        // vendor-defined extra collection stays closed; this reader needs its own line.
        const QString vid = QStringLiteral("%1").arg(reader.vid, 4, 16, QLatin1Char('0'));
        const QString pid = QStringLiteral("%1").arg(reader.pid, 4, 16, QLatin1Char('0'));
        f.details << QStringLiteral("Its first HID collection is not vendor-defined (%1), so the udev rule "
                                    "does not pick it out.")
                         .arg(pagesText(reader.pages));
        f.fix << QStringLiteral("Give this reader to the person at the machine by its IDs:")
              << QStringLiteral("  echo 'SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", "
                                "TAG+=\"uaccess\"' | sudo tee /etc/udev/rules.d/61-rfid-workbench-local.rules")
                     .arg(vid, pid);
        f.fix << retriggerFix();
    } else if (!c.ruleActive()) {
        f.fix = ruleFix(c);
        ruleFixGiven = true;
    } else {
        f.details << QStringLiteral("The udev rule is installed (%1), but this device has not been given to you.")
                         .arg(c.rule.readByUdev);
        f.fix << QStringLiteral("If the rule came after the reader was plugged in, replay its events:")
              << retriggerFix();
    }
    f.fix << seatNote();
    return f;
}

} // namespace

bool checkReaders(const CheckContext &c, QList<Finding> &findings)
{
    bool ruleFixGiven = false;
    bool anyReader = false;
    for (const HidrawDevice &reader : c.hidraw) {
        // Readers are USB devices; a touchpad on I2C may have a vendor collection too.
        if (!reader.anyVendor || reader.bus != usbBus)
            continue;
        anyReader = true;
        const NodeStatus node = c.nodes.status(reader.node);
        Finding f;
        if (!node.exists) {
            f.severity = Severity::Info;
            f.check = QStringLiteral("reader-vanished");
            f.summary = QStringLiteral("The reader %1 went away while it was being checked (%2 is gone).")
                            .arg(reader.label(), reader.node);
            f.fix << QStringLiteral("Plug it in again and run the check again.");
        } else if (node.readWrite) {
            f.severity = Severity::Ok;
            f.check = QStringLiteral("reader-ok");
            f.summary = QStringLiteral("Reader %1 at %2: you can open it.").arg(reader.label(), reader.node);
        } else {
            f = cannotOpen(c, reader, node, ruleFixGiven);
        }
        findings.append(f);
    }
    if (!anyReader)
        findings.append(noReader(c));
    return ruleFixGiven;
}

} // namespace diag
