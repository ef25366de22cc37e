#include "diag/checkcontext.h"
#include "diag/serialbridges.h"

namespace diag
{

namespace
{

bool ruleCovers(const CheckContext &c, const SerialPort &port)
{
    return c.ruleActive() && port.usb && serialBridgeChip(port.usb->vid, port.usb->pid);
}

QString processText(const Process &p)
{
    return p.name.isEmpty() ? QStringLiteral("process %1").arg(p.pid)
                            : QStringLiteral("%1 (pid %2)").arg(p.name).arg(p.pid);
}

Finding notATerminal(const SerialPort &port, const NodeStatus &node)
{
    Finding f;
    f.severity = Severity::Error;
    f.check = QStringLiteral("not-a-terminal");
    f.summary =
        node.characterDevice
            ? QStringLiteral("%1 exists but is not a serial port: it is a device of another kind.").arg(port.node)
            : QStringLiteral("%1 exists but is not a serial port: it is an ordinary file, as left behind when "
                             "a program writes to that name while no adapter is plugged in.")
                  .arg(port.node);
    f.fix << QStringLiteral("Remove it, then unplug the adapter and plug it in again so that the kernel makes the "
                            "real one:")
          << QStringLiteral("  sudo rm %1").arg(port.node);
    return f;
}

Finding cannotOpen(const CheckContext &c, const SerialPort &port, const NodeStatus &node)
{
    const QString group = c.groupName(node.groupGid);
    const QString &user = c.options.user.name;
    bool listed = false;
    for (const Group &g : c.groups)
        if (g.gid == node.groupGid && g.members.contains(user))
            listed = true;

    Finding f;
    f.severity = Severity::Error;
    f.check = QStringLiteral("serial-group");
    if (listed) {
        f.summary = QStringLiteral("You cannot open %1 yet: you were added to group %2, which owns it, after this "
                                   "session began.")
                        .arg(port.label(), group);
        f.fix << QStringLiteral("Log out and in again, or start a shell that has the group:")
              << QStringLiteral("  newgrp %1").arg(group);
        return f;
    }
    f.summary = QStringLiteral("You cannot open %1: it belongs to group %2 (mode %3) and you are not in that group.")
                    .arg(port.label(), group)
                    .arg(node.mode, 4, 8, QLatin1Char('0'));
    if (ruleCovers(c, port))
        f.details << QStringLiteral("The udev rule knows this adapter and gives it to the person at the machine; "
                                    "it has not reached this session (an SSH login, or the rule came after the "
                                    "adapter was plugged in).");
    f.fix << QStringLiteral("Join the group, then log out and in again:")
          << QStringLiteral("  sudo usermod -aG %1 %2").arg(group, user);
    if (port.usb && serialBridgeChip(port.usb->vid, port.usb->pid) && !c.ruleActive())
        f.fix << QStringLiteral("or install the udev rule, which gives %1 adapters to the person at the machine "
                                "(see the finding about the rule).")
                     .arg(QString::fromLatin1(serialBridgeChip(port.usb->vid, port.usb->pid)));
    return f;
}

} // namespace

void checkSerialPorts(const CheckContext &c, QList<Finding> &findings)
{
    QStringList usable;
    for (const SerialPort &port : c.ports) {
        const NodeStatus node = c.nodes.status(port.node);
        Finding f;
        if (!node.exists) {
            f.severity = Severity::Info;
            f.check = QStringLiteral("port-vanished");
            f.summary = port.kernelKnows ? QStringLiteral("%1 went away while it was being checked (%2 is gone).")
                                               .arg(port.label(), port.node)
                                         : QStringLiteral("%1 went away while it was being checked.").arg(port.node);
            f.fix << QStringLiteral("Plug the adapter in again and run the check again.");
        } else if (!node.terminal) {
            f = notATerminal(port, node);
        } else if (!node.readWrite) {
            f = cannotOpen(c, port, node);
        } else {
            f.severity = Severity::Ok;
            f.check = QStringLiteral("serial-ok");
            f.summary = QStringLiteral("Serial port %1: you can open it.").arg(port.label());
        }
        if (node.exists && node.terminal)
            usable.append(port.node);
        findings.append(f);
    }

    const Holders holders = c.processes.holders(usable, c.options.selfPid);
    for (const QString &node : usable) {
        const QList<Process> held = holders.byNode.value(node);
        if (held.isEmpty())
            continue;
        QStringList names, pids;
        for (const Process &p : held) {
            names.append(processText(p));
            pids.append(QString::number(p.pid));
        }
        Finding f;
        f.severity = Severity::Warning;
        f.check = QStringLiteral("port-busy");
        f.summary = QStringLiteral("%1 is open in %2; a second program on the same port mixes up both "
                                   "programs' replies.")
                        .arg(node, names.join(QStringLiteral(", ")));
        f.fix << QStringLiteral("Close the port in that program, or end it:")
              << QStringLiteral("  kill %1").arg(pids.join(QLatin1Char(' ')));
        findings.append(f);
    }
    if (holders.hidden > 0 && !usable.isEmpty()) {
        Finding f;
        f.severity = Severity::Info;
        f.check = QStringLiteral("proc-hidden");
        f.summary = QStringLiteral("The open files of %1 processes of other users could not be looked at; one of "
                                   "them may hold a serial port.")
                        .arg(holders.hidden);
        f.fix << QStringLiteral("To see which process holds a port, look as root:");
        for (const QString &node : usable)
            f.fix << QStringLiteral("  sudo find /proc/[0-9]*/fd -lname %1 2>/dev/null").arg(node);
        findings.append(f);
    }
}

} // namespace diag
