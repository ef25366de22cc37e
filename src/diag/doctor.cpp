#include "diag/doctor.h"
#include "diag/checkcontext.h"

#include <unistd.h>

namespace diag
{

DoctorOptions DoctorOptions::forThisProcess()
{
    DoctorOptions options;
    const QString root = qEnvironmentVariable("RFID_DIAG_ROOT");
    if (!root.isEmpty())
        options.root = root;
    options.user = Identity::current();
    options.installPrefix = QStringLiteral(RFID_INSTALL_PREFIX);
    options.ruleName = QStringLiteral(RFID_UDEV_RULE_NAME);
    options.packageFile = QStringLiteral(RFID_DEB_FILE_NAME);
    options.selfPid = ::getpid();
    return options;
}

Doctor::Doctor(DoctorOptions options) : options_(std::move(options))
{
    if (!options_.nodes)
        options_.nodes = makeNodeProbe(options_.root, options_.user);
}

QList<Finding> Doctor::run() const
{
    const DeviceTree tree(options_.root);
    const CheckContext context{options_,
                               *options_.nodes,
                               tree.hasUsb(),
                               tree.usbDevices(),
                               tree.hidrawDevices(),
                               tree.serialPorts(),
                               ProcessTable(options_.root),
                               findUdevRule(options_.root, options_.ruleName, options_.installPrefix),
                               readGroupFile(options_.root)};
    QList<Finding> findings;
    const bool ruleFixGiven = checkReaders(context, findings);
    checkUdevRule(context, ruleFixGiven, findings);
    checkSerialPorts(context, findings);
    checkPortGrabbers(context, findings);
    return findings;
}

QString CheckContext::groupName(uint gid) const
{
    for (const Group &g : groups)
        if (g.gid == gid)
            return g.name;
    return QString::number(gid);
}

} // namespace diag
