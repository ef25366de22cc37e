#include "diag/udevrules.h"
#include "diag/treefiles.h"

namespace diag
{

QStringList udevRuleDirs()
{
    return {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
            QStringLiteral("/usr/local/lib/udev/rules.d"), QStringLiteral("/usr/lib/udev/rules.d"),
            QStringLiteral("/lib/udev/rules.d")};
}

UdevRuleState findUdevRule(const QString &root, const QString &ruleName, const QString &installPrefix)
{
    UdevRuleState state;
    // The first folder in this order that has the name decides; a link to /dev/null there
    // switches the rule off wherever else it is.
    for (const QString &dir : udevRuleDirs()) {
        const QString path = dir + QLatin1Char('/') + ruleName;
        if (treefiles::linkTarget(root, path) == QLatin1String("/dev/null")) {
            state.masked = path;
            break;
        }
        if (treefiles::exists(root, path)) {
            state.readByUdev = dir;
            break;
        }
    }
    QString prefix = installPrefix;
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    const QString prefixDir = prefix + QStringLiteral("/lib/udev/rules.d");
    if (state.readByUdev.isEmpty() && state.masked.isEmpty() && !udevRuleDirs().contains(prefixDir) &&
        treefiles::exists(root, prefixDir + QLatin1Char('/') + ruleName))
        state.outsideUdev = prefixDir;
    const QString old = QStringLiteral("/etc/udev/rules.d/70-rfid-workbench.rules");
    if (treefiles::exists(root, old))
        state.oldRule = old;
    return state;
}

} // namespace diag
