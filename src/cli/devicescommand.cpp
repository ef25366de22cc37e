#include "cli/commandkit.h"
#include "diag/devicetree.h"
#include "diag/doctor.h"
#include "diag/processtable.h"
#include "sim/ptyuhfmodule.h"
#include "sim/simulatedreader.h"

#include <QJsonArray>
#include <QJsonObject>

namespace cli
{

namespace
{

constexpr uint kUsbBus = 0x0003;

QString idText(uint16_t vid, uint16_t pid)
{
    return QStringLiteral("%1:%2").arg(vid, 4, 16, QLatin1Char('0')).arg(pid, 4, 16, QLatin1Char('0'));
}

// The HID readers below the diagnosis root: USB devices with a vendor-defined usage page, or
// the device --usb names.
Record listDevices(const Session &s)
{
    Record r;
    QJsonArray list;
    if (const SimulatedReader *sim = s.simulator()) {
        QJsonObject d{{QStringLiteral("path"), QStringLiteral("simulated")},
                      {QStringLiteral("product"), sim->description()},
                      {QStringLiteral("can_open"), true}};
        r.note(QStringLiteral("simulated: %1, can be opened").arg(sim->description()));
        if (const PtyUhfModule *m = s.simulatedModule(); m && m->isOpen()) {
            d.insert(QStringLiteral("serial_port"), m->devicePath());
            r.note(QStringLiteral("  its UHF module is on the serial port %1").arg(m->devicePath()));
        }
        list << d;
        r.data(QStringLiteral("devices"), list);
        return r;
    }
    const diag::DoctorOptions options = diag::DoctorOptions::forThisProcess();
    const diag::Doctor doctor(options);
    const auto nodes = diag::makeNodeProbe(options.root, options.user);
    const diag::ProcessTable processes(options.root);
    QList<diag::Finding> findings;
    bool findingsRead = false;
    for (const diag::HidrawDevice &h : diag::DeviceTree(options.root).hidrawDevices()) {
        const bool named = s.options().vid && h.vid == *s.options().vid && h.pid == *s.options().pid;
        if (!named && (s.options().vid || !h.anyVendor || h.bus != kUsbBus))
            continue;
        QStringList pages;
        for (uint16_t p : h.pages)
            pages << QStringLiteral("0x") + QString::number(p, 16).toUpper().rightJustified(4, QLatin1Char('0'));
        QJsonObject d{{QStringLiteral("path"), h.node},
                      {QStringLiteral("vid_pid"), idText(h.vid, h.pid)},
                      {QStringLiteral("usage_pages"), QJsonArray::fromStringList(pages)},
                      {QStringLiteral("product"), h.name}};
        r.note(QStringLiteral("%1  %2  usage page %3  \"%4\"")
                   .arg(h.node, idText(h.vid, h.pid), pages.join(QLatin1Char(',')), h.name));
        const diag::NodeStatus node = nodes->status(h.node);
        d.insert(QStringLiteral("can_open"), node.readWrite);
        if (node.readWrite) {
            r.note(QStringLiteral("  can be opened"));
        } else {
            if (!findingsRead) {
                findings = doctor.run();
                findingsRead = true;
            }
            QStringList why{QStringLiteral("no permission to open it")};
            for (const diag::Finding &f : findings)
                if (f.check == QLatin1String("hidraw-permission") && f.summary.contains(h.node + QLatin1Char(' ')))
                    why = QStringList{f.summary} + f.details + f.fix;
            d.insert(QStringLiteral("why"), why.join(QLatin1Char('\n')));
            r.note(QStringLiteral("  cannot be opened: ") + why.first());
            for (qsizetype i = 1; i < why.size(); ++i)
                r.note(QStringLiteral("    ") + why[i]);
        }
        // Another program reading the reader takes the replies meant for this one.
        const diag::Holders holders = processes.holders({h.node}, options.selfPid);
        QJsonArray held;
        for (const diag::Process &p : holders.byNode.value(h.node)) {
            held << QJsonObject{{QStringLiteral("pid"), p.pid}, {QStringLiteral("name"), p.name}};
            r.note(QStringLiteral("  busy: held open by %1 (pid %2)").arg(p.name).arg(p.pid));
        }
        d.insert(QStringLiteral("held_by"), held);
        list << d;
    }
    if (list.isEmpty())
        r.note(s.options().vid
                   ? QStringLiteral("No HID device %1 found.").arg(idText(*s.options().vid, *s.options().pid))
                   : QStringLiteral("No HID reader found (no USB HID device with a vendor-defined usage "
                                    "page, 0xFF00 to 0xFFFF)."));
    r.data(QStringLiteral("devices"), list);
    return r;
}

} // namespace

Family devicesFamily()
{
    Action devices{
        .summary = QStringLiteral("List the HID readers found and whether each can be opened."),
        .help = QStringLiteral("For each reader: its path, VID:PID, usage pages and product text, whether you can "
                               "open it and, when not, why and what fixes it (the udev rule or the group); any "
                               "program that holds it open. With --usb, the device of that ID whatever its usage "
                               "page. Finding none is no failure: it says so and exits with 0."),
        .prepare = [](CommandArgs &args) -> Runner {
            args.done();
            return [](Session &s) -> std::optional<Record> { return listDevices(s); };
        }};
    return {QStringLiteral("devices"), QStringLiteral("the readers attached"), QString(), {devices}};
}

} // namespace cli
