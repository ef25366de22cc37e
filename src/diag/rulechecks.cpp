#include "diag/checkcontext.h"

namespace diag
{

namespace
{

QString ruleOf(const CheckContext &c, const QString &dir)
{
    return dir + QLatin1Char('/') + c.options.ruleName;
}

} // namespace

QStringList retriggerFix()
{
    return {QStringLiteral("  sudo udevadm control --reload"),
            QStringLiteral("  sudo udevadm trigger --subsystem-match=hidraw --subsystem-match=tty"),
            QStringLiteral("or unplug the device and plug it in again.")};
}

QStringList ruleFix(const CheckContext &c)
{
    QStringList fix;
    if (c.ruleActive())
        return fix;
    if (!c.rule.masked.isEmpty()) {
        fix << QStringLiteral("Remove the link that switches the rule off, then reload the rules:")
            << QStringLiteral("  sudo rm %1").arg(c.rule.masked);
    } else if (!c.rule.outsideUdev.isEmpty()) {
        fix << QStringLiteral("Link the rule into a folder udev reads, then reload the rules:")
            << QStringLiteral("  sudo ln -s %1 /etc/udev/rules.d/").arg(ruleOf(c, c.rule.outsideUdev));
    } else {
        fix << QStringLiteral("Install the package, which brings the rule and reloads udev "
                              "(bash scripts/package.sh in the source folder makes it):")
            << QStringLiteral("  sudo apt install ./%1").arg(c.options.packageFile)
            << QStringLiteral("or, from a build in the source folder, install it and reload the rules:")
            << QStringLiteral("  sudo cmake --install build");
        QString prefix = c.options.installPrefix;
        while (prefix.endsWith(QLatin1Char('/')))
            prefix.chop(1);
        const QString prefixDir = prefix + QStringLiteral("/lib/udev/rules.d");
        if (!udevRuleDirs().contains(prefixDir))
            fix << QStringLiteral("  sudo ln -s %1 /etc/udev/rules.d/").arg(ruleOf(c, prefixDir));
    }
    return fix + retriggerFix();
}

void checkUdevRule(const CheckContext &c, bool fixGiven, QList<Finding> &findings)
{
    Finding f;
    f.check = QStringLiteral("udev-rule");
    if (c.ruleActive()) {
        f.severity = Severity::Ok;
        f.summary = QStringLiteral("The udev rule is installed: %1.").arg(ruleOf(c, c.rule.readByUdev));
        findings.append(f);
    } else if (!fixGiven) {
        f.severity = Severity::Warning;
        if (!c.rule.masked.isEmpty())
            f.summary = QStringLiteral("The udev rule is switched off by %1, a link to /dev/null.").arg(c.rule.masked);
        else if (!c.rule.outsideUdev.isEmpty())
            f.summary = QStringLiteral("The udev rule is installed in %1, where udev does not look for rules.")
                            .arg(c.rule.outsideUdev);
        else
            f.summary = QStringLiteral("The udev rule %1 is not installed: readers and USB-serial adapters stay "
                                       "closed to you unless you are root or in the adapter's group.")
                            .arg(c.options.ruleName);
        f.fix = ruleFix(c);
        findings.append(f);
    }

    if (!c.rule.oldRule.isEmpty()) {
        Finding old;
        old.severity = Severity::Warning;
        old.check = QStringLiteral("udev-rule-old");
        old.summary = QStringLiteral("An earlier rule, %1, gives the person at the machine every HID device, "
                                     "keyboards and security keys included.")
                          .arg(c.rule.oldRule);
        old.fix = QStringList{QStringLiteral("Remove it (the installed rule gives readers only):"),
                              QStringLiteral("  sudo rm %1").arg(c.rule.oldRule)} +
                  retriggerFix();
        findings.append(old);
    }
}

} // namespace diag
