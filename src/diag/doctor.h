#pragma once

#include "diag/finding.h"
#include "diag/identity.h"
#include "diag/nodeprobe.h"

#include <QList>
#include <QString>
#include <memory>

namespace diag
{

// What the checks look at and for whom.
struct DoctorOptions {
    QString root = QStringLiteral("/"); // sysfs, /proc, /dev and /etc are read below it
    Identity user;
    std::shared_ptr<const NodeProbe> nodes; // null: makeNodeProbe(root, user)
    QString installPrefix;                  // where the tool was built to be installed
    QString ruleName;                       // the udev rule's file name
    QString packageFile;                    // the .deb's file name, for the install command
    qint64 selfPid = 0;                     // this program, left out of the port holders

    // For this process: root from RFID_DIAG_ROOT when it is set, this user, the names this
    // build was made with.
    static DoctorOptions forThisProcess();
};

// Why a reader or a serial port cannot be reached: the checks both front-ends run and
// print. Never throws; whatever it cannot read becomes part of a finding or is passed over.
class Doctor
{
public:
    explicit Doctor(DoctorOptions options);

    // Readers, the udev rule, serial ports, then programs in the way; each finding once.
    QList<Finding> run() const;

private:
    DoctorOptions options_;
};

} // namespace diag
