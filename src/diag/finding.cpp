#include "diag/finding.h"

namespace diag
{

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::Ok:
        return QStringLiteral("ok");
    case Severity::Info:
        return QStringLiteral("info");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Error:
        return QStringLiteral("error");
    }
    return QString();
}

QString formatFinding(const Finding &finding)
{
    QString text = severityName(finding.severity) + QStringLiteral(": ") + finding.summary + QLatin1Char('\n');
    for (const QString &line : finding.details)
        text += QStringLiteral("    ") + line + QLatin1Char('\n');
    for (int i = 0; i < finding.fix.size(); ++i)
        text += (i == 0 ? QStringLiteral("  fix: ") : QStringLiteral("       ")) + finding.fix[i] + QLatin1Char('\n');
    return text;
}

QString formatReport(const QList<Finding> &findings)
{
    QString text;
    for (const Finding &f : findings)
        text += formatFinding(f) + QLatin1Char('\n');
    return text + verdict(findings) + QLatin1Char('\n');
}

QString verdict(const QList<Finding> &findings)
{
    int errors = 0, warnings = 0;
    for (const Finding &f : findings) {
        errors += f.severity == Severity::Error;
        warnings += f.severity == Severity::Warning;
    }
    if (errors + warnings == 0)
        return QStringLiteral("Nothing in the way found.");
    QStringList parts;
    if (errors > 0)
        parts << (errors == 1 ? QStringLiteral("1 error") : QStringLiteral("%1 errors").arg(errors));
    if (warnings > 0)
        parts << (warnings == 1 ? QStringLiteral("1 warning") : QStringLiteral("%1 warnings").arg(warnings));
    return parts.join(QStringLiteral(", ")) + QLatin1Char('.');
}

QStringList fixCommands(const Finding &finding)
{
    QStringList commands;
    for (const QString &line : finding.fix)
        if (line.startsWith(QStringLiteral("  ")) && !line.trimmed().isEmpty())
            commands << line.trimmed();
    return commands;
}

Severity worstSeverity(const QList<Finding> &findings)
{
    Severity worst = Severity::Ok;
    for (const Finding &f : findings)
        if (int(f.severity) > int(worst))
            worst = f.severity;
    return worst;
}

} // namespace diag
