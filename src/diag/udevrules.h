#pragma once

#include <QString>
#include <QStringList>

namespace diag
{

// Where the tool's udev rule is, below a root folder.
struct UdevRuleState {
    QString readByUdev;  // the folder udev reads it from; empty when udev sees none
    QString masked;      // a link to /dev/null that switches the rule off
    QString outsideUdev; // installed under a prefix udev does not read (e.g. /opt/...)
    QString oldRule;     // the earlier rule that opened every hidraw device, when still there
};

// The folders udev reads rules from.
QStringList udevRuleDirs();

// ruleName e.g. "60-rfid-workbench.rules"; installPrefix the prefix the tool was built for.
UdevRuleState findUdevRule(const QString &root, const QString &ruleName, const QString &installPrefix);

} // namespace diag
